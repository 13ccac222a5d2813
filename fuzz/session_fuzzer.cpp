// The fuzz target: one input is one session of an open controller on the virtual bus. Its
// bytes are a sequence of operations: surface messages (handed to the controller on this
// thread, for determinism, or through the bus), Host notifications, timer ticks on a test
// clock that jumps where the input says, hostile Host values and command lists, settings in
// the registry, the settings dialog, bus failures, unplugging and reopening. The Host is of
// the kind the input picks: one that runs its calls at once, one that holds its own lock while
// it notifies, or one that runs other threads' calls on its own thread (this one) only while
// it pumps.
//
// Two modes. Threaded (the default): the bus delivers surface input and completes long
// messages on threads of its own, as the platform does, and the devices' workers are threads.
// Single-threaded, with KORVANE_FUZZ_SINGLE_THREADED=1: the bus does both on this thread, at
// once, and the workers are fibers of this thread, so that a session costs no thread switch
// and runs the same way every time (many more sessions a second).
//
// Besides the sanitizers it checks what must hold whatever the input: every message the
// surface receives is well formed (a display line is 24 bytes of 7-bit text), the MIDI API is
// never misused, nothing stays open after the close, and no boundary reports a failure unless
// the input made the bus fail.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "controller/korvane.h"
#include "controls/key_assignments.h"
#include "display/display_pages.h"
#include "display/text_display.h"
#include "fuzz_host.h"
#include "fuzz_input.h"
#include "fuzz_target.h"
#include "host/host_interface.h"
#include "platform/standin/dialog_user.h"
#include "platform/standin/far_side.h"
#include "platform/standin/midi_bus.h"
#include "support/stored_settings.h"
#include "support/surface_messages.h"

namespace {

constexpr size_t kMaxOperations = 4000;
constexpr DWORD kBusIdleWaitMs = 5000;
// How often a wait for the bus delivers the calls the MIDI thread sends to this thread.
constexpr DWORD kBusPumpStepMs = 1;
// Display refreshes that show the greeting and hold it; the next one shows the pages.
constexpr int kGreetingRefreshes = 41;
constexpr size_t kMaxStoredBytes = 300;
constexpr int kListIdFirst = 1000;
constexpr int kListIdSpan = 17;

const char* const kOtherValueNames[] = {"", "f1", "Shift", "F1\\F2", "Footswitch "};
constexpr HostKind kHostKinds[] = {HostKind::Direct, HostKind::OwnLock, HostKind::OwnThread};

bool SingleThreaded() {
    static const bool single = [] {
        const char* mode = std::getenv("KORVANE_FUZZ_SINGLE_THREADED");
        return mode != nullptr && std::strcmp(mode, "1") == 0;
    }();
    return single;
}

// Waits until the bus has delivered everything, delivering meanwhile the calls that a Host of
// this thread serves for the MIDI thread.
bool WaitForBus() {
    for (DWORD waited = 0; waited < kBusIdleWaitMs; waited += kBusPumpStepMs) {
        if (StandinBusWaitIdle(kBusPumpStepMs) != 0)
            return true;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return false;
}

// ---- What the surface receives ----------------------------------------------------------------

void CheckShort(DWORD word) {
    const bool statusOk = (word & 0x80u) != 0;
    const bool dataOk = (word & 0x8080'0000u) == 0 && (word & 0x8000u) == 0;
    if (!statusOk || !dataOk)
        FuzzFinding("a malformed short message reached the surface", word);
}

void CheckLong(const BYTE* bytes, DWORD length) {
    static const std::vector<uint8_t> init = InitMessage();
    if (length == init.size() && std::memcmp(bytes, init.data(), length) == 0)
        return;
    if (length != kDisplayLineBytes)
        FuzzFinding("a display message that is not 24 bytes", length);
    if (std::memcmp(bytes, SysEx::kHeader, sizeof SysEx::kHeader) != 0 ||
        bytes[sizeof SysEx::kHeader] != SysEx::kDisplayText)
        FuzzFinding("a display message with a foreign header", bytes[sizeof SysEx::kHeader]);
    const uint8_t position = bytes[kDisplayPositionAt];
    if (position != SysEx::kLine1Position && position != SysEx::kLine2Position)
        FuzzFinding("a display message for no line", position);
    for (size_t at = kDisplayTextAt; at + 1 < kDisplayLineBytes; ++at)
        if (bytes[at] >= 0x80)
            FuzzFinding("a display character outside 7 bits", bytes[at]);
    if (bytes[kDisplayLineBytes - 1] != SysEx::kEnd)
        FuzzFinding("a display message without its end", bytes[kDisplayLineBytes - 1]);
}

void SurfaceSink(int, DWORD word, const BYTE* bytes, DWORD length, void*) {
    if (bytes == nullptr)
        CheckShort(word);
    else
        CheckLong(bytes, length);
}

// ---- The session -------------------------------------------------------------------------------

class Session {
public:
    Session(const uint8_t* data, size_t size) : input(data, size) {}

    void Run() {
        Begin();
        for (size_t operation = 0; operation < kMaxOperations && !input.Empty(); ++operation)
            Step(input.Byte());
        End();
    }

private:
    enum Operation : uint8_t {
        SurfaceWord,
        SurfaceControl,
        SurfaceThroughBus,
        Notify,
        Tick,
        HostInt,
        HostDouble,
        HostName,
        HostCommand,
        HostCommandCount,
        Reentrant,
        StoredSetting,
        Configure,
        BusFailure,
        Unplug,
        Replug,
        Reopen,
        Close,
        Query,
        OperationCount
    };

    void Begin() {
        StandinBusReset();
        StandinBusDeliverOnCaller(SingleThreaded() ? 1 : 0);
        StandinRunThreadsHere(SingleThreaded() ? 1 : 0);
        StandinRegistryUseMemory();
        StandinRegistryClear();
        StandinUseTestClock(input.Word32());
        StandinSetDebugSink(&Session::DebugSink, this);
        StandinSetDialogUser(&Session::DialogUser, this);
        StandinBusSetOutputSink(&SurfaceSink, nullptr);
        FuzzHost::Instance().Reset();
        resetPressCount = 0;
        AddPorts();
        const uint8_t setup = input.Byte();
        skipGreeting = (setup & 1) != 0;
        FuzzHost::Instance().BecomeKind(kHostKinds[(setup >> 1) % std::size(kHostKinds)]);
        Open();
    }

    void End() {
        CloseController();
        if (!WaitForBus())
            FuzzFinding("the bus did not become idle after the close", 0);
        StandinBusCounters counters = {};
        StandinBusGetCounters(&counters);
        if (counters.misuse != 0) {
            char text[256];
            StandinBusLastMisuse(text, sizeof text);
            std::fprintf(stderr, "misuse: %s\n", text);
            FuzzFinding("the MIDI API was misused", counters.misuse);
        }
        // A port whose close the input made fail is left to the platform, with what it holds.
        if (!closeRefused &&
            counters.openInputs + counters.openOutputs + counters.preparedHeaders != 0)
            FuzzFinding("ports or buffers left open after the close",
                        counters.openInputs + counters.openOutputs + counters.preparedHeaders);
        if (failures != 0 && !faultsInjected) {
            std::fprintf(stderr, "%s", firstFailure.c_str());
            FuzzFinding("a boundary reported a failure the input never caused", failures);
        }
        StandinSetDialogUser(nullptr, nullptr);
        StandinSetDebugSink(nullptr, nullptr);
        // Everything the session made goes with it, so that the fuzzer's leak check, which
        // looks whenever an input leaves more allocated than it found, looks only at leaks.
        StandinBusReset();
        StandinRunThreadsHere(0);
        StandinRegistryClear();
        FuzzHost::Instance().Reset();
        StandinUseRealClock();
    }

    void Step(uint8_t operation) {
        switch (operation % OperationCount) {
        case SurfaceWord:
            Deliver(input.Word32());
            break;
        case SurfaceControl:
            Deliver(ControlMessage());
            break;
        case SurfaceThroughBus:
            StandinBusInject(inputPort, ControlMessage());
            if (!WaitForBus())
                FuzzFinding("the bus did not deliver a surface message", 0);
            break;
        case Notify:
            NotifyHostChange();
            break;
        case Tick:
            AdvanceClock();
            break;
        case HostInt:
            SetHostInt();
            break;
        case HostDouble:
            SetHostDouble();
            break;
        case HostName:
            SetHostName();
            break;
        case HostCommand:
            SetHostCommand();
            break;
        case HostCommandCount:
            SetHostCommandCount();
            break;
        case Reentrant:
            FuzzHost::Instance().SetReentrant((input.Byte() & 1) != 0);
            break;
        case StoredSetting:
            StoreSetting();
            break;
        case Configure:
            ConfigureSettings();
            break;
        case BusFailure:
            FailNext();
            break;
        case Unplug:
            RemovePorts();
            break;
        case Replug:
            PlugPortsIn();
            break;
        case Reopen:
            CloseController();
            Open();
            break;
        case Close:
            CloseController();
            break;
        default:
            QueryIdentity();
            break;
        }
    }

    // ---- The surface ----

    void Deliver(DWORD word) {
        if (theController != nullptr)
            theController->OnShortMsg(word, 0);
    }

    // A message of a kind the surface sends: note-on, controller or pitch bend, on a channel
    // the surface uses or any other, or a kind it never sends.
    DWORD ControlMessage() {
        static constexpr BYTE kOtherChannel = 9;
        static constexpr BYTE kNoteOff = 0x80;
        static constexpr BYTE kChannelPressure = 0xD0;
        static constexpr BYTE kStatuses[] = {Status::NoteOn,
                                             Status::NoteOn,
                                             Status::ControlChange,
                                             Status::PitchBend | Channel::Fader,
                                             Status::PitchBend | Channel::Strip,
                                             Status::NoteOn | kOtherChannel,
                                             kNoteOff,
                                             kChannelPressure};
        const BYTE status = input.Pick(kStatuses);
        const BYTE data1 = input.Byte() & 0x7F;
        const uint8_t velocity = input.Byte();
        const BYTE data2 =
            velocity >= 0x80 ? (velocity & 1 ? kPressedVelocity : kReleasedVelocity) : velocity;
        return ShortWord(status, data1, data2);
    }

    void AddPorts() {
        inputPort = StandinBusAddPort(STANDIN_BUS_INPUT, "Korvane");
        outputPort = StandinBusAddPort(STANDIN_BUS_OUTPUT, "Korvane");
    }

    void RemovePorts() {
        if (inputPort == 0 && outputPort == 0)
            return;
        StandinBusRemovePort(inputPort);
        StandinBusRemovePort(outputPort);
        inputPort = outputPort = 0;
        faultsInjected = true; // every send now fails, as the boundaries say
    }

    // The surface plugged in again, perhaps one port at a time, perhaps behind another
    // device's port so that its ports come back at other indices.
    void PlugPortsIn() {
        const uint8_t how = input.Byte();
        if (how & 1)
            StandinBusAddPort(how & 2 ? STANDIN_BUS_OUTPUT : STANDIN_BUS_INPUT, "Other synth");
        if (inputPort == 0 && (how & 4) == 0)
            inputPort = StandinBusAddPort(STANDIN_BUS_INPUT, "Korvane");
        if (outputPort == 0 && (how & 8) == 0)
            outputPort = StandinBusAddPort(STANDIN_BUS_OUTPUT, "Korvane");
    }

    void FailNext() {
        static constexpr MMRESULT kResults[] = {MMSYSERR_NODRIVER,    MMSYSERR_NOMEM,
                                                MMSYSERR_INVALHANDLE, MIDIERR_STILLPLAYING,
                                                MMSYSERR_ALLOCATED,   0xFFFF};
        const auto operation =
            static_cast<StandinBusOperation>(input.Byte() % STANDIN_BUS_OPERATION_COUNT);
        StandinBusFailNext(operation, input.Pick(kResults));
        faultsInjected = true;
        closeRefused = closeRefused || operation == STANDIN_BUS_CLOSE_INPUT ||
                       operation == STANDIN_BUS_CLOSE_OUTPUT;
    }

    // ---- The Host ----

    void Open() {
        HostCallbackTable table = FuzzHost::Instance().Table();
        OpenController(&table);
        if (skipGreeting && theController != nullptr) {
            // Straight to the composed pages: the Host's name notifications refresh the
            // display without the forty timer periods of greeting.
            for (int refresh = 0; refresh < kGreetingRefreshes; ++refresh)
                FuzzHost::Instance().Notify(HostParam::Name, 0, 0, 0);
        }
    }

    void NotifyHostChange() {
        const int32_t code = input.Byte() % (HostParam::Name + 4);
        const int32_t first = FuzzHost::PickTrack(input);
        const int32_t second = FuzzHost::PickInt(input);
        FuzzHost::Instance().Notify(code, first, second, FuzzHost::PickInt(input));
    }

    void AdvanceClock() {
        static constexpr DWORD kSteps[] = {kRefreshPeriodMs, kRefreshPeriodMs, 0, 1, 299, 301, 1000,
                                           0x7FFFFFFF,       0xFFFFFFFF};
        const uint8_t choice = input.Byte();
        const DWORD step =
            choice < 0xF0 ? kSteps[choice % (sizeof kSteps / sizeof kSteps[0])] : input.Word32();
        StandinAdvanceClock(step);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }

    void SetHostInt() {
        static constexpr int32_t kIds[] = {HostParam::TrackState16, HostParam::Solo,
                                           HostParam::TrackState20, HostParam::Pan};
        const int32_t id = input.Pick(kIds);
        const int32_t track = FuzzHost::PickTrack(input);
        FuzzHost::Instance().SetInt(id, track, FuzzHost::PickInt(input));
    }

    void SetHostDouble() {
        const int32_t id =
            input.Byte() % 2 == 0 ? HostParam::Level : HostParam::EqGain + input.Byte() % 9;
        const int32_t track = FuzzHost::PickTrack(input);
        FuzzHost::Instance().SetDouble(id, track, FuzzHost::PickDouble(input));
    }

    void SetHostName() {
        const int32_t track = FuzzHost::PickTrack(input);
        std::array<char, kHostNameSize> name = {};
        const size_t length = input.Byte() % (kHostNameSize + 1);
        input.Take(name.data(), length);
        if (length == kHostNameSize && input.Byte() & 1)
            std::memset(name.data(), input.Byte(), name.size()); // 100 bytes, no terminator
        FuzzHost::Instance().SetName(track, name);
    }

    void SetHostCommand() {
        const size_t index = input.Byte() % FuzzHost::kMaxCommands;
        std::array<char, FuzzHost::kCommandNameSize> name = {};
        const size_t length = input.Byte() % (name.size() + 1);
        input.Take(name.data(), length);
        if (length == name.size() && input.Byte() & 1)
            std::memset(name.data(), 'x', name.size()); // 128 bytes, no terminator
        FuzzHost::Instance().SetCommand(index, name, FuzzHost::PickInt(input));
    }

    void SetHostCommandCount() {
        // Within a few hundred: a Host claiming billions would be enumerated for as long.
        const int32_t count = static_cast<int16_t>(input.Word16()) % 300;
        FuzzHost::Instance().SetCommandCount(count);
    }

    void QueryIdentity() {
        unsigned char record[sizeof(ControllerInfo) + 8];
        std::memset(record, 0xA5, sizeof record);
        QueryController(record);
        for (size_t at = sizeof(ControllerInfo); at < sizeof record; ++at)
            if (record[at] != 0xA5)
                FuzzFinding("QueryController wrote past the identity record", int(at));
    }

    // ---- Settings ----

    void StoreSetting() {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        const uint8_t which = input.Byte();
        const char* valueName =
            which < kKeyAssignmentCount
                ? theKeyAssignments[which].valueName
                : kOtherValueNames[which % (sizeof kOtherValueNames / sizeof kOtherValueNames[0])];
        static constexpr DWORD kTypes[] = {REG_SZ,     REG_SZ,    REG_SZ,   REG_EXPAND_SZ,
                                           REG_BINARY, REG_DWORD, REG_NONE, 0xFFFFFFFF};
        const DWORD type = input.Pick(kTypes);
        BYTE bytes[kMaxStoredBytes];
        const size_t size = input.Word16() % (kMaxStoredBytes + 1);
        input.Take(bytes, size);
        RegSetValueExA(key, valueName, 0, type, bytes, static_cast<DWORD>(size));
        RegCloseKey(key);
        // Loaded as the configuration call loads them: the open controller uses the result.
        if (input.Byte() & 1) {
            const HostCallbackTable table = FuzzHost::Instance().Table();
            KeyAssignmentStore store;
            store.SetHostCommands(table.CommandCount, table.EnumCommand);
            store.Load();
        }
    }

    void ConfigureSettings() {
        const HostCallbackTable table = FuzzHost::Instance().Table();
        ConfigureController(nullptr, nullptr, table.CommandCount, table.EnumCommand);
    }

    // The user in front of the settings dialog: picks entries, types names, presses a button.
    static void DialogUser(HWND dialog, void* context) {
        FuzzInput& input = static_cast<Session*>(context)->input;
        const int actions = input.Byte() % 8;
        for (int action = 0; action < actions; ++action) {
            const int list = kListIdFirst + input.Byte() % kListIdSpan;
            if (input.Byte() & 1) {
                StandinDialogSelect(dialog, list, static_cast<int8_t>(input.Byte()));
            } else {
                char text[160] = {};
                input.Take(text, input.Byte() % (sizeof text - 1));
                StandinDialogType(dialog, list, text);
            }
        }
        StandinDialogPress(dialog, input.Byte() & 1 ? IDOK : IDCANCEL);
    }

    static void DebugSink(const char* text, void* context) {
        auto* session = static_cast<Session*>(context);
        // The boundaries' lines only: the dialog's listing of Host names may say anything.
        static constexpr char kBoundaryPrefix[] = "Korvane: ";
        if (std::strncmp(text, kBoundaryPrefix, sizeof kBoundaryPrefix - 1) != 0 ||
            std::strstr(text, " failed: ") == nullptr)
            return;
        if (session->failures++ == 0)
            session->firstFailure = text;
    }

    FuzzInput input;
    int inputPort = 0;
    int outputPort = 0;
    bool skipGreeting = false;
    bool faultsInjected = false;
    bool closeRefused = false;
    int failures = 0;
    std::string firstFailure;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Session session(data, size);
    session.Run();
    return 0;
}
