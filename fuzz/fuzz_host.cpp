#include "fuzz_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "host/host_interface.h"

namespace {

// The names the module looks up, a duplicate, one that differs only in case, and an entry
// the Host marks invalid.
const char* const kUsualCommands[] = {
    "Mixer panel toggle",
    "Multitrack / Edit View toggle",
    "Save / Save Session",
    "Undo (1)",
    "Insert: Audio Track",
    "Insert: MIDI Track",
    "Save All",
    "Redo",
    "Move Cursor to Beginning",
    "Move Cursor to End",
    "Zoom Out Horizontally",
    "Zoom In Horizontally",
    "Zoom Out Vertically",
    "Zoom In Vertically",
    "Clips: Punch In",
    "Record/Stop toggle",
    "Redo",
    "save all",
    "Invalid entry",
};
constexpr size_t kInvalidUsualCommand = 18;

constexpr int32_t kInts[] = {
    0,
    1,
    -1,
    2,
    127,
    128,
    32767,
    -32768,
    32768,
    -32769,
    65535,
    65536,
    199,
    200,
    9999,
    std::numeric_limits<int32_t>::max(),
    std::numeric_limits<int32_t>::min(),
};

constexpr double kDoubles[] = {
    0.0,
    -0.0,
    6.0,
    -6.0,
    -96.0,
    -144.0,
    24.0,
    1e300,
    -1e300,
    1e-300,
    std::numeric_limits<double>::quiet_NaN(),
    -std::numeric_limits<double>::quiet_NaN(),
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::max(),
    std::numeric_limits<double>::lowest(),
    std::numeric_limits<double>::denorm_min(),
    21474836.48,
    -21474836.49,
    0.005,
};

constexpr int32_t kTracks[] = {0,
                               1,
                               2,
                               198,
                               199,
                               200,
                               201,
                               -1,
                               9999,
                               32767,
                               -32768,
                               std::numeric_limits<int32_t>::max(),
                               std::numeric_limits<int32_t>::min()};

// What the module may tell the Host: a known parameter, a value within the 16-bit slot.
void CheckSet(int32_t id, int32_t value) {
    if (id < 0 || id > HostParam::Name)
        FuzzFinding("SetParameter with an unknown id", id);
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        FuzzFinding("SetParameter value beyond the 16-bit slot", value);
}

} // namespace

[[noreturn]] void FuzzFinding(const char* what, long long detail) {
    std::fprintf(stderr, "korvane fuzz finding: %s (%lld)\n", what, detail);
    std::abort();
}

FuzzHost& FuzzHost::Instance() {
    static FuzzHost host;
    return host;
}

HostCallbackTable FuzzHost::Table() {
    listedCount = std::max(listedCount, commandCount);
    return fake.Table();
}

void FuzzHost::Reset() {
    ints.clear();
    doubles.clear();
    names.clear();
    commands.clear();
    for (size_t i = 0; i < sizeof kUsualCommands / sizeof kUsualCommands[0]; ++i) {
        Command command = {{}, i == kInvalidUsualCommand ? 0 : 1};
        std::strncpy(command.name.data(), kUsualCommands[i], command.name.size() - 1);
        commands.push_back(command);
    }
    commandCount = static_cast<int32_t>(commands.size());
    listedCount = 0;
    reentrant = false;
    fake.BecomeKind(HostKind::Direct);
}

void FuzzHost::Notify(int32_t code, int32_t first, int32_t second, int32_t third) {
    fake.RunNotifying([=] { UpdateController(code, first, second, third); });
}

int32_t FuzzHost::PickInt(FuzzInput& input) {
    const uint8_t choice = input.Byte();
    if (choice < sizeof kInts / sizeof kInts[0])
        return kInts[choice];
    return static_cast<int32_t>(input.Word32());
}

double FuzzHost::PickDouble(FuzzInput& input) {
    const uint8_t choice = input.Byte();
    if (choice < sizeof kDoubles / sizeof kDoubles[0])
        return kDoubles[choice];
    double value = 0.0;
    input.Take(&value, sizeof value); // any bit pattern, signalling NaNs included
    return value;
}

int32_t FuzzHost::PickTrack(FuzzInput& input) {
    const uint8_t choice = input.Byte();
    if (choice < sizeof kTracks / sizeof kTracks[0])
        return kTracks[choice];
    return choice % kTrackCount;
}

void FuzzHost::SetCommand(size_t index, const std::array<char, kCommandNameSize>& name,
                          int32_t valid) {
    if (index < commands.size())
        commands[index] = {name, valid};
    else if (commands.size() < kMaxCommands)
        commands.push_back({name, valid});
}

int32_t FuzzHost::DoSetParameter(int32_t id, int32_t value, int32_t track) {
    CheckSet(id, value);
    // One notification per call: a Host that reports its own report would never end.
    thread_local int depth = 0;
    if (reentrant && depth == 0) {
        ++depth;
        UpdateController(id, track, value, 0);
        --depth;
    }
    return 1;
}

int32_t FuzzHost::DoGetParameter(int32_t id, int32_t track, void* result) {
    if (result == nullptr)
        FuzzFinding("GetParameter without a result buffer", id);
    switch (AnswerFormOf(id)) {
    case AnswerForm::Name: {
        const auto found = names.find(track);
        if (found == names.end())
            static_cast<char*>(result)[0] = '\0';
        else
            std::memcpy(result, found->second.data(), found->second.size());
        break;
    }
    case AnswerForm::Int: {
        const auto found = ints.find({id, track});
        const int32_t value = found == ints.end() ? 0 : found->second;
        std::memcpy(result, &value, sizeof value);
        break;
    }
    case AnswerForm::Double: {
        const auto found = doubles.find({id, track});
        const double value = found == doubles.end() ? 0.0 : found->second;
        std::memcpy(result, &value, sizeof value);
        break;
    }
    }
    return 1;
}

int32_t FuzzHost::DoEnumCommand(int32_t index, char* name, int32_t size, int32_t* valid) {
    if (index < 0 || static_cast<size_t>(index) >= commands.size()) {
        // An index past the list: the Host still says it is valid and writes nothing.
        if (valid != nullptr)
            *valid = 1;
        return 0;
    }
    const Command& command = commands[static_cast<size_t>(index)];
    if (valid != nullptr)
        *valid = command.valid;
    if (name != nullptr && size > 0) // the whole buffer, terminated or not
        std::memcpy(name, command.name.data(),
                    std::min(static_cast<size_t>(size), command.name.size()));
    return 1;
}

int32_t FuzzHost::DoSendCommand(int32_t command, int32_t event) {
    if (command < 0 || command >= listedCount)
        FuzzFinding("SendCommand with a command number the Host never listed", command);
    if (event != kCommandKeyDown && event != kCommandKeyUp)
        FuzzFinding("SendCommand with an unknown event", event);
    return 1;
}
