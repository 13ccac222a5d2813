// A surface that vanishes or refuses what the module sends, mid-session: every road into the
// module (surface input, Host notifications, the timer, the close) reports the failure once and
// carries on, the next gesture or tick works again when the port does, and the close completes.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "controls/led.h"
#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "midi/midi_exceptions.h"
#include "platform/standin/far_side.h"
#include "platform/standin/midi_bus.h"
#include "support/case_name.h"
#include "support/controller_fixture.h"
#include "support/surface_messages.h"

namespace {

// A busy port: it refuses a message, but the surface is still there.
constexpr MMRESULT kBusy = MIDIERR_NOTREADY;
constexpr uint8_t kFaderBendStatus = Status::PitchBend | Channel::Fader;
constexpr char kTrackName[] = "Vocals";

std::string FailureLine(const std::string& where) {
    return "Korvane: " + where + " failed: " + midi::CMIDIOutException(kBusy).what() + "\n";
}

// The debugger lines that report a failure at a boundary.
std::vector<std::string> FailureLines(const DebugCapture& debug) {
    std::vector<std::string> lines;
    for (const std::string& write : debug.Writes())
        if (write.find(" failed: ") != std::string::npos)
            lines.push_back(write);
    return lines;
}

bool HasShort(const std::vector<SurfaceMessage>& messages, DWORD word) {
    return std::any_of(messages.begin(), messages.end(), [word](const SurfaceMessage& message) {
        return !message.isLong && message.word == word;
    });
}

bool HasLongWith(const std::vector<SurfaceMessage>& messages, const std::string& text) {
    return std::any_of(messages.begin(), messages.end(), [&text](const SurfaceMessage& message) {
        return message.isLong && std::search(message.bytes.begin(), message.bytes.end(),
                                             text.begin(), text.end()) != message.bytes.end();
    });
}

bool HasPitchBend(const std::vector<SurfaceMessage>& messages) {
    return std::any_of(messages.begin(), messages.end(), [](const SurfaceMessage& message) {
        return !message.isLong && (message.word & 0xFF) == kFaderBendStatus;
    });
}

// Every send operation that a fault case or a hostile session can make fail.
constexpr StandinBusOperation kSendOperations[] = {STANDIN_BUS_SEND_SHORT, STANDIN_BUS_SEND_LONG,
                                                   STANDIN_BUS_PREPARE_OUTPUT};

void FailEverySend(MMRESULT result) {
    for (StandinBusOperation operation : kSendOperations)
        StandinBusFailNext(operation, result);
}

// ---- One failing send on each road ---------------------------------------------------------

// Refused feedback (LEDs, the motor fader) is reported by the next timer tick, not by the entry
// that met it; a refused display line by the entry that sent it.
constexpr char kFeedback[] = "feedback to the surface";

struct SendFailure {
    const char* name;
    StandinBusOperation operation;
    const char* reportedAs;                                 // where the report says it failed
    void (*provoke)(ControllerFixture& test);               // meets the failing send
    bool (*caughtUp)(const std::vector<SurfaceMessage>& m); // the surface shows it later
};

// The button lights its LED twice (toggle, then a forced update): the port refuses both.
void PressPlayMode(ControllerFixture& test) {
    StandinBusFailAlways(STANDIN_BUS_SEND_SHORT, kBusy);
    test.Click(Note::PlayMode);
    StandinBusFailAlways(STANDIN_BUS_SEND_SHORT, MMSYSERR_NOERROR);
}
bool PlayModeLit(const std::vector<SurfaceMessage>& m) {
    return HasShort(m, NoteOn(Note::PlayMode, kLedLit));
}

void HostStartsRecording(ControllerFixture&) {
    UpdateController(HostParam::Record, 1, 0, 0);
}
bool RecordLit(const std::vector<SurfaceMessage>& m) {
    return HasShort(m, NoteOn(Note::Record, kLedLit));
}

void HostRenamesTrack(ControllerFixture& test) {
    test.host.SetName(0, kTrackName);
    UpdateController(HostParam::Name, 0, 0, 0);
}
void TrackRenamedBeforeRefresh(ControllerFixture& test) {
    test.host.SetName(0, kTrackName);
    test.SlowRefresh();
}
bool NameShown(const std::vector<SurfaceMessage>& m) {
    return HasLongWith(m, kTrackName);
}

void LevelChangedBeforeRefresh(ControllerFixture& test) {
    test.host.SetDouble(HostParam::Level, 0, -10.0);
    test.SlowRefresh();
}

const SendFailure kSendFailures[] = {
    {"LedEchoOfAButton", STANDIN_BUS_SEND_SHORT, kFeedback, PressPlayMode, PlayModeLit},
    {"LedOfAHostNotification", STANDIN_BUS_SEND_SHORT, kFeedback, HostStartsRecording, RecordLit},
    {"DisplayOfAHostNotification", STANDIN_BUS_SEND_LONG, "handling a Host notification",
     HostRenamesTrack, NameShown},
    {"DisplayBufferRefused", STANDIN_BUS_PREPARE_OUTPUT, "handling a Host notification",
     HostRenamesTrack, NameShown},
    {"DisplayOfTheRefresh", STANDIN_BUS_SEND_LONG, "refresh timer", TrackRenamedBeforeRefresh,
     NameShown},
    {"MotorFaderOfTheRefresh", STANDIN_BUS_SEND_SHORT, kFeedback, LevelChangedBeforeRefresh,
     HasPitchBend},
};

void PrintTo(const SendFailure& fault, std::ostream* out) {
    *out << fault.name;
}

class SendFailureTest : public ControllerFixture,
                        public ::testing::WithParamInterface<SendFailure> {};

TEST_P(SendFailureTest, IsReportedOnceAndTheSurfaceCatchesUpWhenThePortWorks) {
    const SendFailure& fault = GetParam();
    StandinBusFailNext(fault.operation, kBusy);
    fault.provoke(*this);
    EXPECT_FALSE(fault.caughtUp(surface->Received()));

    surface->ClearReceived();
    SlowRefresh();
    EXPECT_TRUE(fault.caughtUp(surface->Received()));
    EXPECT_EQ(FailureLines(debug), std::vector<std::string>{FailureLine(fault.reportedAs)});
}

INSTANTIATE_TEST_SUITE_P(Roads, SendFailureTest, ::testing::ValuesIn(kSendFailures), CaseName());

// ---- A surface that refuses everything -------------------------------------------------------

using RefusingSurfaceTest = ControllerFixture;

TEST_F(RefusingSurfaceTest, GesturesStillReachTheHostAndNothingIsLostOnceSendsWork) {
    // Every step meets failing sends: the surface's feedback is lost, the Host's actions not.
    const std::vector<void (*)(ControllerFixture&)> steps = {
        [](ControllerFixture& t) { t.Click(Note::PlayMode); },
        [](ControllerFixture& t) { t.Click(Note::Stop); },
        [](ControllerFixture& t) { t.Click(Note::Shift); },
        [](ControllerFixture& t) { t.Click(Note::Shift); },
        [](ControllerFixture& t) { t.Turn(ControlNumber::Encoder1Turn, 3); },
        [](ControllerFixture& t) { t.Bend(Channel::Fader, 700); },
        [](ControllerFixture& t) { t.Click(Note::Mode2); },
        [](ControllerFixture&) { UpdateController(HostParam::Record, 1, 0, 0); },
        [](ControllerFixture&) { UpdateController(HostParam::Solo, 0, 1, 0); },
        [](ControllerFixture& t) { HostRenamesTrack(t); },
        [](ControllerFixture& t) { LevelChangedBeforeRefresh(t); },
        [](ControllerFixture& t) { t.Click(Note::TrackRight); },
        [](ControllerFixture& t) { t.SlowRefresh(); },
    };
    host.SetInt(HostParam::Solo, 0, 1);
    for (auto step : steps) {
        FailEverySend(kBusy);
        step(*this);
    }
    FailEverySend(MMSYSERR_NOERROR); // cancels the failures no step met
    const std::vector<HostCall> sets = HostSets();
    EXPECT_NE(std::find(sets.begin(), sets.end(), SetCall(HostParam::Stop, 1)), sets.end());
    EXPECT_FALSE(FailureLines(debug).empty());

    debug.Clear();
    SlowRefresh();
    SlowRefresh();
    ExpectSurfaceInStep(0);
    EXPECT_TRUE(FailureLines(debug).empty());
}

// ---- The surface unplugged -------------------------------------------------------------------

using UnplugTest = ControllerFixture;

// The first sends that meet the unplugged surface are reported where they were made (the
// display line by the notification, the LED by the next tick); the controller then closes the
// gone ports, says so once and sends nothing more.
TEST_F(UnplugTest, TheHostKeepsWorkingAndTheCloseCompletesAndFreesEverything) {
    surface->Unplug();
    HostStartsRecording(*this);
    HostRenamesTrack(*this);
    for (int refresh = 0; refresh < 10; ++refresh)
        SlowRefresh();
    surface->Inject(NoteOn(Note::Stop, kPressedVelocity)); // a press that can no longer arrive
    VirtualSurface::WaitIdle();
    EXPECT_GE(BusCounters().dropped, 1u);

    const std::string gone = midi::CMIDIOutException(MMSYSERR_NODRIVER).what();
    EXPECT_EQ(
        FailureLines(debug),
        (std::vector<std::string>{"Korvane: handling a Host notification failed: " + gone + "\n",
                                  "Korvane: feedback to the surface failed: " + gone + "\n"}));
    EXPECT_NE(debug.Text().find("Korvane: the surface is gone; its ports are closed\n"),
              std::string::npos);

    // The Host's own calls still work: the settings dialog opens and closes.
    ConfigureController(nullptr, nullptr, host.CommandCount(), &RecordingHost::EnumCommand);

    debug.Clear();
    CloseController();
    EXPECT_EQ(theController, nullptr);
    EXPECT_EQ(debug.Text(), "");
    const StandinBusCounters counters = BusCounters();
    EXPECT_EQ(counters.openInputs + counters.openOutputs, 0u);
    EXPECT_EQ(counters.preparedHeaders, 0u);
    EXPECT_EQ(counters.longPending, 0u);
}

TEST_F(UnplugTest, ASurfacePluggedInAgainWorksAfterTheHostReopens) {
    surface->Unplug();
    SlowRefresh();
    CloseController();
    surface.reset(); // its ports and the bus's one observer go before the new surface comes
    surface = std::make_unique<VirtualSurface>();
    HostCallbackTable table = host.Table();
    ASSERT_EQ(OpenController(&table), 1);
    ClearRecords();
    Click(Note::Stop);
    const std::vector<HostCall> sets = HostSets();
    EXPECT_NE(std::find(sets.begin(), sets.end(), SetCall(HostParam::Stop, 1)), sets.end());
    Click(Note::PlayMode);
    EXPECT_TRUE(PlayModeLit(surface->Received()));
}

TEST_F(UnplugTest, InputArrivingWhileThePortsVanishAndTheControllerCloses) {
    for (int i = 0; i < 2000; ++i) {
        surface->Inject(NoteOn(Note::PlayMode, i % 2 ? kReleasedVelocity : kPressedVelocity));
        if (i == 1000)
            surface->Unplug();
    }
    CloseController();
    EXPECT_EQ(theController, nullptr);
    VirtualSurface::WaitIdle();
}

} // namespace
