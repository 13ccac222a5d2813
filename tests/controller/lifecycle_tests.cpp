// Opening and closing the controller on the virtual bus: which ports it finds, what it sends
// the surface, how it survives ports that fail, and the order of teardown.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "controller/korvane.h"
#include "controls/key_assignment_store.h"
#include "controls/key_assignments.h"
#include "controls/led.h"
#include "controls/midi_map.h"
#include "display/text_display.h"
#include "host/host_interface.h"
#include "midi/midi_msg.h"
#include "platform/standin/far_side.h"
#include "support/case_name.h"
#include "support/controller_fixture.h"
#include "support/debug_capture.h"
#include "support/recording_host.h"
#include "support/surface_messages.h"
#include "support/virtual_surface.h"

namespace {

const std::vector<uint8_t> kInitMessage = InitMessage();
constexpr char kPortsMissing[] = "Couldn't find Osterlink Midi port\n";

// Ports created by name, with what the module sent to each output port recorded.
class Ports {
public:
    Ports() = default;
    ~Ports() { StandinBusSetOutputSink(nullptr, nullptr); }
    Ports(const Ports&) = delete;
    Ports& operator=(const Ports&) = delete;

    // The sink is installed with the first port, after the test has reset the bus.
    int Add(int direction, const char* name) {
        StandinBusSetOutputSink(&Ports::Sink, this);
        return StandinBusAddPort(direction, name);
    }
    std::vector<std::vector<uint8_t>> LongTo(int port) {
        VirtualSurface::WaitIdle();
        std::lock_guard<std::mutex> guard(lock);
        return longs[port];
    }

private:
    static void Sink(int port, DWORD, const BYTE* bytes, DWORD length, void* context) {
        auto* self = static_cast<Ports*>(context);
        if (bytes == nullptr)
            return;
        std::lock_guard<std::mutex> guard(self->lock);
        self->longs[port].emplace_back(bytes, bytes + length);
    }
    std::mutex lock;
    std::map<int, std::vector<std::vector<uint8_t>>> longs;
};

class LifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        StandinBusReset();
        StandinRegistryUseMemory();
        StandinRegistryClear();
        host.AddCommand("Mixer panel toggle");
    }
    void TearDown() override {
        CloseController();
        VirtualSurface::WaitIdle();
        EXPECT_EQ(BusCounters().misuse, 0u);
        EXPECT_EQ(BusCounters().openInputs + BusCounters().openOutputs, 0u);
    }
    int32_t Open() {
        HostCallbackTable table = host.Table();
        return OpenController(&table);
    }
    // Whether a Stop press on the input port reaches the Host.
    bool Delivers(int inputPort) {
        host.ClearCalls();
        StandinBusInject(inputPort, NoteOn(Note::Stop, kPressedVelocity));
        VirtualSurface::WaitIdle();
        return !host.CallsOf(HostCall::Set).empty();
    }

    RecordingHost host;
    DebugCapture debug;
    Ports ports;
};

TEST_F(LifecycleTest, OpensTheHighestMatchingPortOfEachDirection) {
    const int inFirst = ports.Add(STANDIN_BUS_INPUT, "Korvane 1");
    const int inLast = ports.Add(STANDIN_BUS_INPUT, "Korvane 2");
    ports.Add(STANDIN_BUS_INPUT, "korvane 3"); // letter case differs
    ports.Add(STANDIN_BUS_INPUT, "Korvan");    // the name less its last letter
    const int outOnly = ports.Add(STANDIN_BUS_OUTPUT, "Korvane");
    ports.Add(STANDIN_BUS_OUTPUT, "Other synth");
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(ports.LongTo(outOnly).at(0), kInitMessage);
    EXPECT_TRUE(Delivers(inLast));
    EXPECT_FALSE(Delivers(inFirst));
    EXPECT_EQ(BusCounters().openInputs, 1u);
    EXPECT_EQ(BusCounters().openOutputs, 1u);
}

TEST_F(LifecycleTest, TheInitialisationMessageIsSentOnceAndFirst) {
    const int out = ports.Add(STANDIN_BUS_OUTPUT, "Korvane");
    ports.Add(STANDIN_BUS_INPUT, "Korvane");
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(ports.LongTo(out), std::vector<std::vector<uint8_t>>{kInitMessage});
}

struct MissingCase {
    const char* name;
    const char* input;
    const char* output;
};

class MissingPortTest : public LifecycleTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingPortTest, LeavesTheControllerInertAndSaysSo) {
    if (GetParam().input != nullptr)
        ports.Add(STANDIN_BUS_INPUT, GetParam().input);
    if (GetParam().output != nullptr)
        ports.Add(STANDIN_BUS_OUTPUT, GetParam().output);
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(debug.Text(), kPortsMissing);
    EXPECT_EQ(BusCounters().openInputs + BusCounters().openOutputs, 0u);
    EXPECT_EQ(midi::theOutputDevice.load(), nullptr);
    // Not loaded either: the assignments keep what they had.
    EXPECT_EQ(host.CallsOf(HostCall::Enum).size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Ports, MissingPortTest,
                         ::testing::Values(MissingCase{"NoOutput", "Korvane", nullptr},
                                           MissingCase{"NoInput", nullptr, "Korvane"},
                                           MissingCase{"InputNameInOtherCase", "KORVANE",
                                                       "Korvane"},
                                           MissingCase{"NoPorts", nullptr, nullptr}),
                         CaseName());

TEST_F(LifecycleTest, AnInputThatFailsToOpenLeavesTheOutputWorking) {
    const int out = ports.Add(STANDIN_BUS_OUTPUT, "Korvane");
    const int in = ports.Add(STANDIN_BUS_INPUT, "Korvane");
    StandinBusFailNext(STANDIN_BUS_OPEN_INPUT, MMSYSERR_ALLOCATED);
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(debug.Text(), "Error attaching to Osterlink Midi port The specified device is "
                            "already in use. Wait until it is free, and then try again.\n");
    EXPECT_EQ(ports.LongTo(out).at(0), kInitMessage);
    EXPECT_EQ(BusCounters().openOutputs, 1u);
    EXPECT_EQ(BusCounters().openInputs, 0u);
    EXPECT_NE(KeyAssignmentStore::CommandFor(KeyId::F1), kNoCommand); // assignments loaded
    EXPECT_FALSE(Delivers(in));
}

TEST_F(LifecycleTest, AnInputThatFailsToStartIsClosedWithoutStopping) {
    ports.Add(STANDIN_BUS_OUTPUT, "Korvane");
    const int in = ports.Add(STANDIN_BUS_INPUT, "Korvane");
    StandinBusFailNext(STANDIN_BUS_START_INPUT, MMSYSERR_NOMEM);
    ASSERT_EQ(Open(), 1);
    EXPECT_NE(debug.Text().find("Error attaching to Osterlink Midi port There is not enough"),
              std::string::npos);
    EXPECT_FALSE(Delivers(in));
    CloseController();
    EXPECT_EQ(BusCounters().openInputs + BusCounters().openOutputs, 0u);
}

TEST_F(LifecycleTest, AFailingInitialisationSendIsReportedAndTheOpenGoesOn) {
    ports.Add(STANDIN_BUS_OUTPUT, "Korvane");
    const int in = ports.Add(STANDIN_BUS_INPUT, "Korvane");
    StandinBusFailNext(STANDIN_BUS_SEND_LONG, MMSYSERR_NOMEM);
    ASSERT_EQ(Open(), 1);
    EXPECT_NE(debug.Text().find("Error attaching to Osterlink Midi port"), std::string::npos);
    EXPECT_TRUE(greetingPending);
    EXPECT_NE(KeyAssignmentStore::CommandFor(KeyId::F1), kNoCommand);
    EXPECT_TRUE(Delivers(in));
}

TEST_F(LifecycleTest, AnUnreadablePortIsSkippedAndTheSearchGoesOn) {
    ports.Add(STANDIN_BUS_OUTPUT, "Other synth");
    const int surface = ports.Add(STANDIN_BUS_OUTPUT, "Korvane");
    ports.Add(STANDIN_BUS_INPUT, "Korvane");
    StandinBusFailNext(STANDIN_BUS_CAPS_OUTPUT, MMSYSERR_NODRIVER); // port 0's record
    ASSERT_EQ(Open(), 1);
    EXPECT_NE(debug.Text().find("skipping MIDI port 0"), std::string::npos);
    EXPECT_EQ(debug.Text().find(kPortsMissing), std::string::npos);
    EXPECT_EQ(ports.LongTo(surface).at(0), kInitMessage);
}

TEST_F(LifecycleTest, ClosingSendsBlankLinesAndDarkensEveryLedInOrder) {
    ports.Add(STANDIN_BUS_OUTPUT, "Korvane");
    ports.Add(STANDIN_BUS_INPUT, "Korvane");
    std::vector<DWORD> words;
    ASSERT_EQ(Open(), 1);
    StandinBusSetOutputSink(
        [](int, DWORD word, const BYTE* bytes, DWORD, void* context) {
            if (bytes == nullptr)
                static_cast<std::vector<DWORD>*>(context)->push_back(word);
        },
        &words);
    CloseController();
    std::vector<DWORD> expected;
    for (uint8_t note : kLedNotes)
        expected.push_back(NoteOn(note, kLedDark));
    EXPECT_EQ(words, expected);
}

TEST_F(LifecycleTest, ASecondControllerBindsItsOwnOutput) {
    const int out = ports.Add(STANDIN_BUS_OUTPUT, "Korvane");
    ports.Add(STANDIN_BUS_INPUT, "Korvane");
    ASSERT_EQ(Open(), 1);
    CloseController();
    EXPECT_EQ(midi::theOutputDevice.load(), nullptr);
    ASSERT_EQ(Open(), 1);
    EXPECT_NE(midi::theOutputDevice.load(), nullptr);
    EXPECT_EQ(ports.LongTo(out).size(), 4u); // init, close's two blank lines, init again
}

} // namespace
