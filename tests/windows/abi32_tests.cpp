// What only the 32-bit product can show, under 32-bit Wine: that the test programs are 32-bit
// processes holding the 32-bit plug-in; that the five exports and every entry of the Host's
// callback table follow cdecl over many calls, checked at the machine level (the Host is not
// compiled with the plug-in's headers, so no compiler sees a mismatch); and that the plug-in
// reads the Host's table as six 32-bit entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "controls/midi_map.h"
#include "guarded_bytes.h"
#include "host_session.h"
#include "loaded_module.h"
#include "strict_cdecl.h"
#include "support/case_name.h"
#include "support/fake_host.h"
#include "support/recording_host.h"
#include "support/virtual_surface.h"

static_assert(sizeof(void*) == 4, "the 32-bit build's test program");

namespace {

// ---- The process ------------------------------------------------------------------------------

struct ImageHeader {
    WORD machine;
    WORD magic;
};

ImageHeader HeaderOf(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* image = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    return {image->FileHeader.Machine, image->OptionalHeader.Magic};
}

TEST(ThirtyTwoBitProcessTest, TheProgramThePlugInAndTheDllsItUsesAreI386Images) {
    LoadedModule plugin;
    ASSERT_TRUE(plugin.Complete()) << "Korvane.cv2 did not load: " << GetLastError();
    HMODULE winmm = GetModuleHandleA("winmm.dll");
    const struct {
        const char* name;
        HMODULE module;
    } images[] = {
        {"the test program", GetModuleHandleA(nullptr)},
        {"Korvane.cv2", plugin.module},
        {"winmm.dll", winmm},
        {"kernel32.dll", GetModuleHandleA("kernel32.dll")},
        {"user32.dll", GetModuleHandleA("user32.dll")},
    };
    for (const auto& image : images) {
        ASSERT_NE(image.module, nullptr) << image.name << " is not loaded";
        const ImageHeader header = HeaderOf(image.module);
        EXPECT_EQ(header.machine, IMAGE_FILE_MACHINE_I386) << image.name;
        EXPECT_EQ(header.magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC) << image.name;
    }
    EXPECT_NE(GetProcAddress(winmm, "StandinBusReset"), nullptr)
        << "the plug-in's winmm.dll is not the replacement with the virtual MIDI bus";
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    EXPECT_EQ(system.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
}

// ---- The strict Host --------------------------------------------------------------------------

uint32_t AddressOf(const void* pointer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}
template <typename Function>
const void* CodeAddress(Function* function) {
    return reinterpret_cast<const void*>(function);
}
template <typename Function>
uint32_t AddressOfFunction(Function* function) {
    return AddressOf(CodeAddress(function));
}
template <typename T>
T* Pointer(uint32_t address) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}
int32_t Signed(uint32_t word) {
    return static_cast<int32_t>(word);
}

// The Host's callback table: six 32-bit words on i686.
using HostTableWords = std::array<uint32_t, 6>;

// The number of argument words recorded per entry: the most any callback takes.
constexpr size_t kRecordedArguments = 5;

// One entry into a callback of the strict Host.
struct CallbackEntry {
    int32_t entry;
    DWORD thread;
    uint32_t returnAddress;
    uint32_t stackPointer; // at entry, where the return address is
    std::array<uint32_t, kRecordedArguments> arguments;
};

// The Host whose callbacks are the plain cdecl functions of strict_cdecl_i686.S: it records
// every entry with its stack pointer and answers through a RecordingHost. One at a time.
class StrictHost {
public:
    StrictHost() {
        std::lock_guard<std::mutex> guard(activeLock);
        active = this;
    }
    ~StrictHost() {
        std::lock_guard<std::mutex> guard(activeLock);
        active = nullptr;
    }
    StrictHost(const StrictHost&) = delete;
    StrictHost& operator=(const StrictHost&) = delete;

    // The table as the Host lays it out: SetParameter, GetParameter, EnumCommand, the reserved
    // entry, SendCommand, CommandCount.
    static HostTableWords Table(int32_t commandCount) {
        return {
            AddressOfFunction(&StrictHostSetParameter), AddressOfFunction(&StrictHostGetParameter),
            AddressOfFunction(&StrictHostEnumCommand),  AddressOfFunction(&StrictHostReserved),
            AddressOfFunction(&StrictHostSendCommand),  static_cast<uint32_t>(commandCount)};
    }

    std::vector<CallbackEntry> Entries() const {
        std::lock_guard<std::mutex> guard(lock);
        return entries;
    }
    std::vector<CallbackEntry> EntriesOf(int32_t entry) const {
        std::vector<CallbackEntry> of;
        for (const CallbackEntry& recorded : Entries())
            if (recorded.entry == entry)
                of.push_back(recorded);
        return of;
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock);
        entries.clear();
    }

    static int32_t Dispatch(int32_t entry, const uint32_t* frame) {
        std::lock_guard<std::mutex> guard(activeLock);
        if (active == nullptr)
            return 0;
        active->Record(entry, frame);
        const uint32_t* argument = frame + 1;
        switch (entry) {
        case kStrictSetParameter:
            return FakeHost::SetParameter(Signed(argument[0]), Signed(argument[1]),
                                          Signed(argument[2]), Signed(argument[3]));
        case kStrictGetParameter:
            return FakeHost::GetParameter(Signed(argument[0]), Signed(argument[1]),
                                          Pointer<void>(argument[2]), Signed(argument[3]));
        case kStrictEnumCommand:
            return FakeHost::EnumCommand(Signed(argument[0]), Pointer<char>(argument[1]),
                                         Signed(argument[2]), Pointer<int32_t>(argument[3]),
                                         Pointer<int32_t>(argument[4]));
        case kStrictSendCommand:
            return FakeHost::SendCommand(Signed(argument[0]), Signed(argument[1]));
        default:
            return 0; // the reserved entry: recorded, and the tests expect it never
        }
    }

    RecordingHost host;

private:
    void Record(int32_t entry, const uint32_t* frame) {
        CallbackEntry recorded = {entry, GetCurrentThreadId(), frame[0], AddressOf(frame), {}};
        std::copy(frame + 1, frame + 1 + kRecordedArguments, recorded.arguments.begin());
        std::lock_guard<std::mutex> guard(lock);
        entries.push_back(recorded);
    }

    mutable std::mutex lock;
    std::vector<CallbackEntry> entries;
    static std::mutex activeLock;
    static StrictHost* active;
};

std::mutex StrictHost::activeLock;
StrictHost* StrictHost::active = nullptr;

// What the calls of one call site show about the caller's stack.
struct StackReport {
    std::string drift; // empty when none
    size_t longestRun = 0;
};

// Consecutive entries on one thread into one callback from one return address come from a
// loop in one frame of the plug-in, or from one function reached again from elsewhere. A
// caller that removes a callback's arguments itself (cdecl) is at the same stack pointer at
// every turn of its loop. One that expects the callee to remove them (stdcall) goes down by
// their size at every call: the same step, over and over. That step seen twice in a row is the
// fault; a function reached from elsewhere moves by some amount once.
StackReport CheckStackAcrossCalls(const std::vector<CallbackEntry>& entries) {
    struct Site {
        const CallbackEntry* last = nullptr;
        size_t run = 0;
        int64_t step = 0;
    };
    StackReport report;
    std::map<DWORD, Site> threads;
    for (const CallbackEntry& entry : entries) {
        Site& site = threads[entry.thread];
        const bool sameSite = site.last != nullptr && site.last->entry == entry.entry &&
                              site.last->returnAddress == entry.returnAddress;
        const int64_t step =
            sameSite ? int64_t{entry.stackPointer} - int64_t{site.last->stackPointer} : 0;
        if (sameSite && step != 0 && step == site.step && report.drift.empty()) {
            std::ostringstream text;
            text << "callback " << entry.entry << " from 0x" << std::hex << entry.returnAddress
                 << ": the stack pointer moved by " << std::dec << step
                 << " bytes at consecutive calls, now at 0x" << std::hex << entry.stackPointer;
            report.drift = text.str();
        }
        site.run = sameSite ? site.run + 1 : 1;
        site.step = step;
        site.last = &entry;
        report.longestRun = std::max(report.longestRun, site.run);
    }
    return report;
}

// ---- The strict caller ------------------------------------------------------------------------

// Calls the exports as the Host does, with every 4-byte alignment of the stack in turn, and
// keeps what broke the convention.
class StrictCaller {
public:
    uint32_t Call(const char* name, const void* function, std::initializer_list<uint32_t> words) {
        StrictCall call = {};
        for (size_t i = 0; i < std::size(call.registersIn); ++i)
            call.registersIn[i] = kRegisterMarks[i] + static_cast<uint32_t>(calls);
        const auto alignment = static_cast<uint32_t>(kAlignmentStep * (calls % kAlignments));
        StrictCdeclCall(function, words.begin(), static_cast<uint32_t>(words.size()), alignment,
                        &call);
        ++calls;
        if (call.stackChange != 0)
            Violation(name, "moved the stack pointer by " + std::to_string(call.stackChange));
        for (size_t i = 0; i < std::size(call.registersIn); ++i)
            if (call.registersOut[i] != call.registersIn[i])
                Violation(name, std::string("changed ") + kRegisterNames[i]);
        if ((call.flags & kDirectionFlag) != 0)
            Violation(name, "returned with the direction flag set");
        return call.value;
    }

    size_t calls = 0;
    std::vector<std::string> violations;

private:
    void Violation(const char* name, const std::string& what) {
        if (violations.size() < kMaxViolations)
            violations.push_back(std::string(name) + " " + what + " (call " +
                                 std::to_string(calls) + ")");
    }

    // Distinct values in the registers a callee must keep.
    static constexpr uint32_t kRegisterMarks[4] = {0xB0000000, 0x50000000, 0xD0000000, 0xE0000000};
    static constexpr const char* kRegisterNames[4] = {"EBX", "ESI", "EDI", "EBP"};
    static constexpr uint32_t kDirectionFlag = 0x400;
    static constexpr size_t kAlignments = 4;
    static constexpr size_t kAlignmentStep = 4;
    static constexpr size_t kMaxViolations = 20;
};

// The plug-in's exports called through the strict caller.
class StrictPlugin {
public:
    explicit StrictPlugin(StrictCaller& strictCaller) : caller(strictCaller) {}

    bool Complete() const { return module.Complete(); }
    int32_t Query(void* record) {
        return Signed(
            caller.Call("QueryController", CodeAddress(module.Query), {AddressOf(record)}));
    }
    int32_t Open(const void* table) {
        return Signed(caller.Call("OpenController", CodeAddress(module.Open), {AddressOf(table)}));
    }
    void Configure(int32_t commandCount, EnumCommandFn enumerator) {
        caller.Call("ConfigureController", CodeAddress(module.Configure),
                    {0, 0, static_cast<uint32_t>(commandCount), AddressOfFunction(enumerator)});
    }
    int32_t Update(int32_t code, int32_t first, int32_t second, int32_t third) {
        return Signed(caller.Call("UpdateController", CodeAddress(module.Update),
                                  {static_cast<uint32_t>(code), static_cast<uint32_t>(first),
                                   static_cast<uint32_t>(second), static_cast<uint32_t>(third)}));
    }
    void Close() { caller.Call("CloseController", CodeAddress(module.Close), {}); }

private:
    LoadedModule module;
    StrictCaller& caller;
};

// ---- The tests --------------------------------------------------------------------------------

// The Host's table in memory that ends where an inaccessible page begins: the plug-in may read
// its six 32-bit entries and nothing after them.
class GuardedTable {
public:
    explicit GuardedTable(int32_t commandCount) : bytes(sizeof(HostTableWords), 0) {
        const HostTableWords entries = StrictHost::Table(commandCount);
        if (bytes.data() != nullptr)
            std::memcpy(bytes.data(), entries.data(), bytes.size());
    }
    const void* data() const { return bytes.data(); }

private:
    GuardedBytes bytes;
};

// Consecutive notification codes the Host sends (0 to 46).
constexpr int32_t kNotificationCodes = 47;
constexpr int kNotificationRounds = 3;
// A track scan reads one value of each of the 200 tracks from one loop.
constexpr size_t kTrackScan = 200;
constexpr DWORD kRefreshWaitMs = 3000;
constexpr DWORD kSlowRefreshesMs = 700;

class CdeclTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr)
            << "the settings dialog needs an X display: run tools/run-windows-tests.sh";
        ASSERT_TRUE(plugin.Complete()) << "Korvane.cv2 did not load: " << GetLastError();
        StandinBusReset();
        ClearStoredSettings();
        OfferHostCommands(strict.host);
        surface = std::make_unique<VirtualSurface>();
    }
    void TearDown() override {
        plugin.Close();
        surface.reset();
        ClearStoredSettings();
    }

    // Shows the settings dialog as the Host does, with the user pressing Cancel.
    void ConfigureAndCancel() {
        bool found = false;
        std::thread user([&found] {
            HWND dialog = WaitForWindow(kSettingsDialogTitle, kDialogWaitMs);
            found = dialog != nullptr;
            if (found)
                PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        });
        plugin.Configure(strict.host.CommandCount(), &StrictHostEnumCommand);
        user.join();
        EXPECT_TRUE(found) << "no settings dialog appeared";
    }

    void PlayTheSurface() {
        for (const uint8_t note : {Note::Play, Note::Stop, Note::F1, Note::TrackRight, Note::Solo,
                                   Note::TrackLeft, Note::Record, Note::Record}) {
            surface->Press(note);
            surface->Release(note);
        }
        // With Shift, the track-state buttons act on every track: scans over the tracks.
        surface->Press(Note::Shift);
        for (const uint8_t note : {Note::Solo, Note::TrackState16}) {
            surface->Press(note);
            surface->Release(note);
        }
        surface->Release(Note::Shift);
    }

    StrictHost strict;
    StrictCaller caller;
    StrictPlugin plugin{caller};
    std::unique_ptr<VirtualSurface> surface;
};

TEST_F(CdeclTest, ExportsAndEveryCallbackKeepTheConventionOverAWholeSession) {
    GuardedTable table(strict.host.CommandCount());
    ASSERT_NE(table.data(), nullptr);
    ASSERT_EQ(plugin.Open(table.data()), 1);
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return surface->LongMessages().size() >= 3; }, kRefreshWaitMs))
        << "no greeting on the display";
    for (int round = 0; round < kNotificationRounds; ++round)
        for (int32_t code = 0; code < kNotificationCodes; ++code)
            EXPECT_EQ(plugin.Update(code, round, 1, 0), 0);
    PlayTheSurface();
    PumpMessagesFor(kSlowRefreshesMs);
    ConfigureAndCancel();
    plugin.Close();
    plugin.Close();
    EXPECT_EQ(plugin.Update(HostParam::Record, 1, 0, 0), 0);
    GuardedBytes record(sizeof(ControllerInfo), 0);
    EXPECT_EQ(plugin.Query(record.data()), 1);
    EXPECT_EQ(plugin.Query(nullptr), 0);
    EXPECT_EQ(plugin.Open(nullptr), 0);

    EXPECT_EQ(caller.violations, std::vector<std::string>{});
    EXPECT_GE(caller.calls, static_cast<size_t>(kNotificationRounds * kNotificationCodes));

    const StackReport stack = CheckStackAcrossCalls(strict.Entries());
    EXPECT_EQ(stack.drift, "");
    EXPECT_GE(stack.longestRun, kTrackScan) << "no track scan ran: the check saw no loop";
    // Each entry was used for what it is, through its own slot of the table.
    EXPECT_TRUE(strict.EntriesOf(kStrictReserved).empty()) << "the reserved entry was called";
    EXPECT_FALSE(strict.EntriesOf(kStrictSetParameter).empty());
    EXPECT_FALSE(strict.EntriesOf(kStrictEnumCommand).empty());
    const std::vector<CallbackEntry> reads = strict.EntriesOf(kStrictGetParameter);
    EXPECT_GE(reads.size(), kTrackScan);
    for (const CallbackEntry& read : reads)
        ASSERT_NE(read.arguments[2], 0u) << "GetParameter without a place for the result";
    const std::vector<CallbackEntry> commands = strict.EntriesOf(kStrictSendCommand);
    EXPECT_FALSE(commands.empty());
    for (const CallbackEntry& command : commands)
        EXPECT_TRUE(Signed(command.arguments[1]) == kCommandKeyDown ||
                    Signed(command.arguments[1]) == kCommandKeyUp)
            << "SendCommand with event " << command.arguments[1];
}

struct CountCase {
    const char* name;
    int32_t commandCount;
};

class CommandCountTest : public CdeclTest, public ::testing::WithParamInterface<CountCase> {};

// The key assignments are looked up when the controller opens: a stored name the Host does not
// offer makes the lookup walk the whole list, which is as long as the table's entry at byte 20
// says, through the entry at byte 8.
TEST_P(CommandCountTest, TheCountAtByte20BoundsTheWalkThroughTheEntryAtByte8) {
    const int32_t count = GetParam().commandCount;
    ASSERT_TRUE(StoreSetting("F1", "Not Offered By The Host"));
    GuardedTable table(count);
    ASSERT_NE(table.data(), nullptr);
    ASSERT_EQ(plugin.Open(table.data()), 1);
    std::set<int32_t> walked;
    for (const CallbackEntry& entry : strict.EntriesOf(kStrictEnumCommand)) {
        walked.insert(Signed(entry.arguments[0]));
        EXPECT_NE(entry.arguments[1], 0u) << "EnumCommand without a name buffer";
        EXPECT_GT(Signed(entry.arguments[2]), 0) << "EnumCommand with an empty name buffer";
    }
    std::set<int32_t> expected;
    for (int32_t index = 0; index < count; ++index)
        expected.insert(index);
    EXPECT_EQ(walked, expected);
    EXPECT_TRUE(strict.EntriesOf(kStrictReserved).empty());
    EXPECT_EQ(caller.violations, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Counts, CommandCountTest,
    ::testing::Values(CountCase{"None", 0}, CountCase{"One", 1}, CountCase{"Seven", 7},
                      CountCase{"All", static_cast<int32_t>(StandardCommandNames().size())}),
    CaseName());

} // namespace

extern "C" int32_t StrictHostDispatch(int32_t entry, const uint32_t* frame) {
    return StrictHost::Dispatch(entry, frame);
}
