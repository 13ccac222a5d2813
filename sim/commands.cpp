#include "commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/standin/far_side.h"
#include "settings_dialog.h"
#include "support/stored_settings.h"
#include "text_layout.h"

namespace sim {

namespace {

constexpr int kStripMiddle = 512;
// A second-touch slide of 64 positions is 4 strip steps: one zoom command.
constexpr int kZoomTravel = 64;
constexpr size_t kEventsInFailure = 12;
// The help: what a command does starts in this column; lines wrap at the other.
constexpr int kAboutColumn = 38;
constexpr int kHelpColumns = 120;
constexpr char kContinued[] = "    ";

CommandResult Done(std::string message = "") {
    return {CommandResult::Done, std::move(message)};
}
CommandResult Failed(std::string message) {
    return {CommandResult::Failed, std::move(message)};
}
CommandResult Invalid(std::string message) {
    return {CommandResult::Invalid, std::move(message)};
}

bool ParseInt(const std::string& word, int& value) {
    if (word.empty())
        return false;
    char* end = nullptr;
    const long parsed = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || parsed < -1000000000L || parsed > 1000000000L)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseDouble(const std::string& word, double& value) {
    if (word.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return *end == '\0' && std::isfinite(value);
}

// "400ms", "2s", "1.5s" or a plain number of milliseconds.
bool ParseDuration(const std::string& word, uint32_t& milliseconds) {
    double amount = 0.0;
    double scale = 1.0;
    std::string number = word;
    if (number.size() > 2 && number.compare(number.size() - 2, 2, "ms") == 0) {
        number.resize(number.size() - 2);
    } else if (number.size() > 1 && number.back() == 's') {
        number.pop_back();
        scale = 1000.0;
    }
    if (!ParseDouble(number, amount) || amount < 0.0 || amount * scale > 3600000.0)
        return false;
    milliseconds = static_cast<uint32_t>(std::lround(amount * scale));
    return true;
}

bool ParseOnOff(const std::string& word, bool& on) {
    if (word == "on" || word == "1") {
        on = true;
        return true;
    }
    if (word == "off" || word == "0") {
        on = false;
        return true;
    }
    return false;
}

// "\xNN" escapes as bytes, for names with characters outside ASCII.
std::string Unescape(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            bytes += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

int EncoderIndex(const std::string& name) {
    if (name.size() == 4 && name.compare(0, 3, "enc") == 0 && name[3] >= '1' && name[3] <= '3')
        return name[3] - '1';
    return -1;
}

const Control& PushOf(int encoder) {
    return *FindControl("push" + std::to_string(encoder + 1));
}

bool Near(double actual, double expected) {
    return std::fabs(actual - expected) <= 0.005 + std::fabs(expected) * 1e-4;
}

std::string Quote(const std::string& bytes) {
    return "\"" + DrawDisplayLine(bytes) + "\"";
}

int BandIndex(const std::string& word) {
    if (word == "high" || word == "0")
        return 0;
    if (word == "mid" || word == "1")
        return 1;
    if (word == "low" || word == "2")
        return 2;
    return -1;
}

int32_t EqBase(const std::string& word) {
    if (word == "gain")
        return HostParam::EqGain;
    if (word == "freq")
        return HostParam::EqFrequency;
    if (word == "q")
        return HostParam::EqQ;
    return -1;
}

double EqOf(const Track& track, int32_t base, int band) {
    const auto index = static_cast<size_t>(band);
    if (base == HostParam::EqGain)
        return track.eqGain[index];
    return base == HostParam::EqFrequency ? track.eqFrequency[index] : track.eqQ[index];
}

bool StateOf(const Track& track, int id, bool& on) {
    if (id == HostParam::TrackState16)
        on = track.state16;
    else if (id == HostParam::Solo)
        on = track.solo;
    else if (id == HostParam::TrackState20)
        on = track.state20;
    else
        return false;
    return true;
}

const char* TransportName(const HostModel::Snapshot& project) {
    if (project.winding < 0)
        return "rewinding";
    if (project.winding > 0)
        return "forwarding";
    if (project.recording)
        return "recording";
    if (project.playing)
        return project.playMode5 ? "mode5" : "playing";
    return "stopped";
}

// A field of a host-call pattern: "*" (or a missing field) matches anything.
bool FieldMatches(const std::vector<std::string>& words, size_t index, int32_t actual) {
    if (index >= words.size() || words[index] == "*")
        return true;
    int expected = 0;
    return ParseInt(words[index], expected) && expected == actual;
}

bool EventMatches(const HostModel& host, const HostEvent& event,
                  const std::vector<std::string>& pattern) {
    const std::string& kind = pattern[2];
    if (kind == "set")
        return event.kind == HostEvent::Set && FieldMatches(pattern, 3, event.first) &&
               FieldMatches(pattern, 4, event.second) && FieldMatches(pattern, 5, event.third);
    if (kind == "notify")
        return event.kind == HostEvent::Notify && FieldMatches(pattern, 3, event.first) &&
               FieldMatches(pattern, 4, event.second) && FieldMatches(pattern, 5, event.third);
    if (event.kind != HostEvent::Command)
        return false;
    int index = 0;
    const bool commandMatches =
        pattern.size() < 4 || pattern[3] == "*" ||
        (ParseInt(pattern[3], index) ? index == event.first
                                     : host.CommandName(event.first) == pattern[3]);
    if (!commandMatches || pattern.size() < 5 || pattern[4] == "*")
        return commandMatches;
    return pattern[4] == (event.second == kCommandKeyDown ? "down" : "up");
}

struct ScriptedDialog {
    std::vector<std::pair<std::string, std::string>> choices; // label, command name
    bool cancel = false;
    std::vector<std::string> errors;
    bool shown = false;
};

void ActScriptedDialog(HWND dialog, void* context) {
    auto& plan = *static_cast<ScriptedDialog*>(context);
    plan.shown = true;
    const std::vector<KeyList> lists = KeyListsOf(dialog);
    for (const auto& [label, command] : plan.choices) {
        const KeyList* list = FindKeyList(lists, label);
        if (list == nullptr) {
            plan.errors.push_back("the dialog has no list labelled \"" + label + "\"");
            continue;
        }
        const LRESULT index =
            SendDlgItemMessageA(dialog, list->id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(command.c_str()));
        if (index == CB_ERR || !StandinDialogSelect(dialog, list->id, static_cast<int>(index)))
            plan.errors.push_back("the list \"" + label + "\" offers no \"" + command + "\"");
    }
    StandinDialogPress(dialog, plan.cancel ? IDCANCEL : IDOK);
}

// Whether `word` is one of `names`, written "a|b|c".
bool IsOneOf(const std::string& word, const std::string& names) {
    size_t start = 0;
    for (size_t end = names.find('|');; end = names.find('|', start)) {
        if (names.substr(start, end - start) == word)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

// The names of every row of a command table, "a|b|c".
template <typename Rows>
std::string NamesOf(const Rows& rows) {
    std::string names;
    for (const auto& row : rows)
        names += (names.empty() ? "" : "|") + std::string(row.names);
    return names;
}

std::string WithUsage(const std::string& named, const char* usage) {
    return *usage == '\0' ? named : named + " " + usage;
}

// What a CONTROL of the commands can be: the surface's buttons and touch sensors by name.
std::string ControlNames() {
    std::string buttons, sensors;
    for (const Control& control : Controls()) {
        if (control.kind == ControlKind::Button)
            buttons += std::string(" ") + control.name;
        else if (control.kind == ControlKind::Sensor)
            sensors += std::string(" ") + control.name;
    }
    return "CONTROL: a button:" + buttons + "; or a touch sensor:" + sensors;
}

} // namespace

std::string DescribeHostEvent(const HostModel& host, const HostEvent& event) {
    if (event.kind != HostEvent::Command)
        return event.ToString();
    const std::string name = host.CommandName(event.first);
    return "SendCommand(" + std::to_string(event.first) + " \"" +
           (name.empty() ? "(invalid)" : name) + "\", " +
           (event.second == kCommandKeyDown ? "down" : "up") + ")";
}

bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
                    word += '"';
                    i += 2;
                } else if (line[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    word += line[i++];
                }
            }
            if (!closed) {
                error = "a quoted text is not closed";
                return false;
            }
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                word += line[i++];
        }
        words.push_back(word);
    }
    return true;
}

// The commands in the order the help lists them.
const std::vector<CommandInterpreter::Verb>& CommandInterpreter::Verbs() {
    using C = CommandInterpreter;
    static const std::vector<Verb> verbs = {
        {"press", "CONTROL", "press a button or touch a sensor, and hold it", true, &C::Press,
         nullptr},
        {"release", "CONTROL", "let go of it", true, &C::Press, nullptr},
        {"touch", "CONTROL", "as press", true, &C::Press, nullptr},
        {"untouch", "CONTROL", "as release", true, &C::Press, nullptr},
        {"click", "CONTROL", "press and release", true, &C::Click, nullptr},
        {"toggle", "CONTROL", "press, or release what is held", true, &C::Toggle, nullptr},
        {"move", "fader|strip POSITION", "0..1023, the user's hand (touch first)", true, &C::Move,
         nullptr},
        {"nudge", "fader +-N", "touch, move by N, release", true, &C::Nudge, nullptr},
        {"turn", "enc1|enc2|enc3 +-N", "raw turn of -63..64 (does nothing untouched)", true,
         &C::Turn, nullptr},
        {"spin", "enc1|enc2|enc3 +-N [fine]", "touch, turn (pushed for fine), release", true,
         &C::Turn, nullptr},
        {"push", "enc1|enc2|enc3", "touch, push, release", true, &C::Push, nullptr},
        {"slide", "strip +-N", "a finger along the strip", true, &C::Slide, nullptr},
        {"tap", "strip left|right|middle", "a tap on the strip", true, &C::Tap, nullptr},
        {"rest", "strip left|right", "a finger resting at an edge (untouch strip lifts it)", true,
         &C::Rest, nullptr},
        {"zoom", "in|out", "second-touch slide on the strip", true, &C::Zoom, nullptr},
        {"wait", "400ms|2s", "time passes, the Host's loop running", false, &C::Wait, nullptr},
        {"host",
         "level T DB | pan T P | name T \"x\" | state T 16|17|20 on|off | track T|none"
         " | record on|off | eq T high|mid|low gain|freq|q V",
         "a change on the Host's side, which it tells the plug-in", false, &C::HostChange, nullptr},
        {"expect", "", "", false, nullptr, &Expectations()},
        {"configure", "\"LABEL\" \"COMMAND\" ... [ok|cancel]",
         "the settings dialog: choices, then OK (or Cancel)", false, &C::Configure, nullptr},
        {"registry", "clear", "the stored settings removed", false, &C::Registry, nullptr},
        {"reopen", "", "the plug-in closed and opened again", false, &C::Reopen, nullptr},
        {"unplug", "", "the surface's cable pulled: its ports go, it goes dark", true, &C::Cable,
         nullptr},
        {"plug", "", "the cable back in: the plug-in finds the surface within 2 s", true, &C::Cable,
         nullptr},
        {"echo", "TEXT", "the text shown in the trace", false, &C::Echo, nullptr},
    };
    return verbs;
}

const std::vector<CommandInterpreter::Verb>& CommandInterpreter::Expectations() {
    using C = CommandInterpreter;
    static const std::vector<Verb> kinds = {
        {"line1|line2", "\"text\"", "what the display shows (trailing blanks may be left out)",
         true, &C::ExpectLine, nullptr},
        {"led", "NAME on|off|blinking", "the LED of a control that has one", true, &C::ExpectLed,
         nullptr},
        {"fader", "POSITION", "where the fader stands", true, &C::ExpectFader, nullptr},
        {"host-call", "set ID VALUE TRACK | command \"NAME\"|N down|up | notify CODE A B",
         "a Host call since the last match (* matches anything)", false, &C::ExpectHostCall,
         nullptr},
        {"no-host-call", "", "no call of the Host's since the last match", false,
         &C::ExpectNoHostCall, nullptr},
        {"host",
         "track|transport|tracks|metronome|punch|markers VALUE | zoom h|v N | cursor|scroll S"
         " | level|pan|name|touch T VALUE | state T 16|17|20 on|off"
         " | eq T high|mid|low gain|freq|q V",
         "the Host's project", false, &C::ExpectHostState, nullptr},
        {"setting", "\"VALUE NAME\" \"COMMAND\"", "what the registry holds for a key", false,
         &C::ExpectSetting, nullptr},
    };
    return kinds;
}

const std::vector<std::string>& CommandInterpreter::Summary() {
    static const std::vector<std::string> summary = [] {
        std::vector<std::string> lines;
        Describe(Verbs(), "", lines);
        for (const std::string& line : Wrap(ControlNames(), kHelpColumns))
            lines.push_back(line);
        return lines;
    }();
    return summary;
}

// Each verb on a line of its own with what it does beside it; a long one has what it does on
// the line after it.
void CommandInterpreter::Describe(const std::vector<Verb>& verbs, const std::string& prefix,
                                  std::vector<std::string>& lines) {
    for (const Verb& verb : verbs) {
        const std::string named = prefix + verb.names;
        if (verb.kinds != nullptr) {
            Describe(*verb.kinds, named + " ", lines);
            continue;
        }
        const std::string words = WithUsage(named, verb.usage);
        if (Columns(words) < kAboutColumn) {
            lines.push_back(Pad(words, kAboutColumn) + verb.about);
            continue;
        }
        const std::vector<std::string> wrapped = Wrap(words, kHelpColumns);
        for (size_t line = 0; line < wrapped.size(); ++line)
            lines.push_back((line == 0 ? "" : kContinued) + wrapped[line]);
        lines.push_back(Pad("", kAboutColumn) + verb.about);
    }
}

CommandInterpreter::CommandInterpreter(Session& running) : session(running) {}

CommandResult CommandInterpreter::Run(const std::string& line) {
    Words words;
    std::string error;
    if (!SplitWords(line, words, error))
        return Invalid(error);
    if (words.empty() || words[0][0] == '#')
        return Done();
    return Dispatch(Verbs(), 0, "", words);
}

CommandResult CommandInterpreter::Dispatch(const std::vector<Verb>& verbs, size_t at,
                                           const std::string& prefix, const Words& words) {
    const std::string word = at < words.size() ? words[at] : "";
    const auto verb = std::find_if(verbs.begin(), verbs.end(), [&word](const Verb& candidate) {
        return IsOneOf(word, candidate.names);
    });
    if (verb == verbs.end())
        return Invalid(at == 0 ? "unknown command \"" + word + "\""
                               : "usage: " + prefix + NamesOf(verbs) + " ...");
    const std::string named = prefix + verb->names;
    if (verb->kinds != nullptr)
        return Dispatch(*verb->kinds, at + 1, named + " ", words);
    if (verb->needsSurface && session.Surface() == nullptr)
        return Invalid("the simulator runs without the surface");
    usage = "usage: " + WithUsage(named, verb->usage);
    return (this->*verb->handler)(words);
}

CommandResult CommandInterpreter::Misused() const {
    return Invalid(usage);
}

void CommandInterpreter::SetPressed(const Control& control, bool pressed) {
    session.Surface()->SetPressed(control, pressed);
    session.Settle();
}

template <typename Gesture>
void CommandInterpreter::WithTouch(const Control& sensor, Gesture gesture) {
    const bool wasHeld = session.Surface()->IsHeld(sensor);
    if (!wasHeld)
        SetPressed(sensor, true);
    gesture();
    session.Settle();
    if (!wasHeld)
        SetPressed(sensor, false);
}

// ---- Gestures -------------------------------------------------------------------------------

CommandResult CommandInterpreter::Press(const Words& words) {
    const Control* control = words.size() == 2 ? FindControl(words[1]) : nullptr;
    if (control == nullptr || control->kind == ControlKind::Led)
        return Misused();
    SetPressed(*control, words[0] == "press" || words[0] == "touch");
    return Done();
}

CommandResult CommandInterpreter::Click(const Words& words) {
    CommandResult result = Press({"press", words.size() == 2 ? words[1] : ""});
    if (result.status == CommandResult::Done)
        SetPressed(*FindControl(words[1]), false);
    return result;
}

CommandResult CommandInterpreter::Toggle(const Words& words) {
    const Control* control = words.size() == 2 ? FindControl(words[1]) : nullptr;
    if (control == nullptr || control->kind == ControlKind::Led)
        return Misused();
    SetPressed(*control, !Surface().IsHeld(*control));
    return Done();
}

CommandResult CommandInterpreter::Move(const Words& words) {
    int position = 0;
    if (words.size() != 3 || !ParseInt(words[2], position) || position < 0 ||
        position > kMaxPosition || (words[1] != "fader" && words[1] != "strip"))
        return Misused();
    if (words[1] == "fader")
        Surface().MoveFader(position);
    else
        Surface().MoveStrip(position);
    session.Settle();
    return Done();
}

CommandResult CommandInterpreter::Nudge(const Words& words) {
    int amount = 0;
    if (words.size() != 3 || words[1] != "fader" || !ParseInt(words[2], amount))
        return Misused();
    VirtualKorvane& surface = Surface();
    WithTouch(*FindControl("fader"), [&] { surface.MoveFader(surface.FaderPosition() + amount); });
    return Done();
}

// turn: the raw message; spin: touched around it, and pushed for a fine step.
CommandResult CommandInterpreter::Turn(const Words& words) {
    int step = 0;
    const int encoder = words.size() >= 3 ? EncoderIndex(words[1]) : -1;
    const bool spin = words[0] == "spin";
    const bool fine = spin && words.size() == 4 && words[3] == "fine";
    if (encoder < 0 || !ParseInt(words[2], step) || step < -63 || step > 64 ||
        words.size() != (fine ? 4u : 3u))
        return Misused();
    if (!spin) {
        Surface().Turn(encoder, step);
        session.Settle();
        return Done();
    }
    WithTouch(*FindControl(words[1]), [&] {
        if (fine)
            SetPressed(PushOf(encoder), true);
        Surface().Turn(encoder, step);
        session.Settle();
        if (fine)
            SetPressed(PushOf(encoder), false);
    });
    return Done();
}

CommandResult CommandInterpreter::Push(const Words& words) {
    const int encoder = words.size() == 2 ? EncoderIndex(words[1]) : -1;
    if (encoder < 0)
        return Misused();
    WithTouch(*FindControl(words[1]), [&] {
        SetPressed(PushOf(encoder), true);
        SetPressed(PushOf(encoder), false);
    });
    return Done();
}

CommandResult CommandInterpreter::Slide(const Words& words) {
    int travel = 0;
    if (words.size() != 3 || words[1] != "strip" || !ParseInt(words[2], travel))
        return Misused();
    VirtualKorvane& surface = Surface();
    const Control& strip = *FindControl("strip");
    const bool wasHeld = surface.IsHeld(strip);
    const int start = surface.StripPosition();
    if (!wasHeld) {
        SetPressed(strip, true);
        surface.MoveStrip(start); // the first position only sets the starting point
    }
    surface.MoveStrip(start + travel);
    session.Settle();
    if (!wasHeld)
        SetPressed(strip, false);
    return Done();
}

CommandResult CommandInterpreter::Tap(const Words& words) {
    const std::string where = words.size() == 3 && words[1] == "strip" ? words[2] : "";
    if (where != "left" && where != "right" && where != "middle")
        return Misused();
    const Control& strip = *FindControl("strip");
    SetPressed(strip, true);
    Surface().MoveStrip(where == "left" ? 0 : where == "right" ? kMaxPosition : kStripMiddle);
    session.Settle();
    SetPressed(strip, false);
    return Done();
}

CommandResult CommandInterpreter::Rest(const Words& words) {
    const std::string where = words.size() == 3 && words[1] == "strip" ? words[2] : "";
    if (where != "left" && where != "right")
        return Misused();
    const Control& strip = *FindControl("strip");
    if (!Surface().IsHeld(strip))
        SetPressed(strip, true);
    Surface().MoveStrip(kStripMiddle);
    Surface().MoveStrip(where == "left" ? 0 : kMaxPosition);
    session.Settle();
    return Done();
}

CommandResult CommandInterpreter::Zoom(const Words& words) {
    if (words.size() != 2 || (words[1] != "in" && words[1] != "out"))
        return Misused();
    const Control& second = *FindControl("strip2");
    SetPressed(second, true);
    Surface().MoveStrip(kStripMiddle);
    Surface().MoveStrip(kStripMiddle + (words[1] == "in" ? kZoomTravel : -kZoomTravel));
    session.Settle();
    SetPressed(second, false);
    return Done();
}

CommandResult CommandInterpreter::Wait(const Words& words) {
    uint32_t milliseconds = 0;
    if (words.size() != 2 || !ParseDuration(words[1], milliseconds))
        return Misused();
    session.Wait(milliseconds);
    return Done();
}

// ---- Host changes
// --------------------------------------------------------------------------------

CommandResult CommandInterpreter::HostChange(const Words& words) {
    HostModel& host = session.Host();
    const std::string what = words.size() > 1 ? words[1] : "";
    int track = 0, number = 0, band = -1;
    double value = 0.0;
    bool on = false;
    const bool hasTrack = words.size() > 2 && ParseInt(words[2], track);
    if (what == "level" && words.size() == 4 && hasTrack && ParseDouble(words[3], value))
        host.SetLevel(track, value);
    else if (what == "pan" && words.size() == 4 && hasTrack && ParseInt(words[3], number))
        host.SetPan(track, number);
    else if (what == "name" && words.size() == 4 && hasTrack)
        host.Rename(track, Unescape(words[3]));
    else if (what == "state" && words.size() == 5 && hasTrack && ParseInt(words[3], number) &&
             (number == 16 || number == 17 || number == 20) && ParseOnOff(words[4], on))
        host.SetState(track, number, on);
    else if (what == "track" && words.size() == 3 && (hasTrack || words[2] == "none"))
        host.SetCurrentTrack(hasTrack ? track : kNoTrack);
    else if (what == "record" && words.size() == 3 && ParseOnOff(words[2], on))
        host.SetRecording(on);
    else if (what == "eq" && words.size() == 6 && hasTrack && (band = BandIndex(words[3])) >= 0 &&
             EqBase(words[4]) >= 0 && ParseDouble(words[5], value))
        host.SetEq(track, band, EqBase(words[4]), value);
    else
        return Misused();
    session.Settle();
    return Done();
}

// ---- Expectations
// --------------------------------------------------------------------------------

CommandResult CommandInterpreter::ExpectLine(const Words& words) {
    std::string expected, error;
    if (words.size() != 3)
        return Misused();
    if (!ParseDisplayText(words[2], expected, error))
        return Invalid(error);
    if (expected.size() > static_cast<size_t>(kLineLength))
        return Invalid("a display line has 16 characters");
    expected.resize(kLineLength, ' ');
    const std::string shown = Surface().Line(words[1] == "line1" ? 0 : 1);
    if (shown != expected)
        return Failed(words[1] + " shows " + Quote(shown) + ", expected " + Quote(expected));
    return Done();
}

CommandResult CommandInterpreter::ExpectLed(const Words& words) {
    const Control* control = words.size() == 4 ? FindControl(words[2]) : nullptr;
    const std::string state = words.size() == 4 ? words[3] : "";
    if (control == nullptr || !control->hasLed ||
        (state != "on" && state != "off" && state != "blinking"))
        return Misused();
    const LedView led = Surface().Led(control->note, GetTickCount());
    const std::string actual = led.blinking ? "blinking" : led.lit ? "on" : "off";
    if (actual != state)
        return Failed(std::string("the ") + control->label + " LED is " + actual + ", expected " +
                      state);
    return Done();
}

CommandResult CommandInterpreter::ExpectFader(const Words& words) {
    int position = 0;
    if (words.size() != 3 || !ParseInt(words[2], position))
        return Misused();
    const int actual = Surface().FaderPosition();
    if (actual != position)
        return Failed("the fader stands at " + std::to_string(actual) + ", expected " +
                      std::to_string(position));
    return Done();
}

CommandResult CommandInterpreter::ExpectHostCall(const Words& words) {
    if (words.size() < 3 || (words[2] != "set" && words[2] != "command" && words[2] != "notify") ||
        words.size() > 6)
        return Misused();
    HostModel& host = session.Host();
    size_t position = hostCallCursor;
    const size_t first = position;
    const std::vector<HostEvent> events = host.EventsFrom(position);
    for (size_t i = 0; i < events.size(); ++i) {
        if (EventMatches(host, events[i], words)) {
            hostCallCursor = first + i + 1;
            return Done();
        }
    }
    std::string message = "no such Host call since the last match; calls since then:";
    if (events.empty())
        message += " none";
    for (size_t i = 0; i < events.size() && i < kEventsInFailure; ++i)
        message += "\n      " + DescribeHostEvent(host, events[i]);
    if (events.size() > kEventsInFailure)
        message += "\n      ...";
    return Failed(message);
}

CommandResult CommandInterpreter::ExpectNoHostCall(const Words& words) {
    if (words.size() != 2)
        return Misused();
    HostModel& host = session.Host();
    std::string calls;
    for (const HostEvent& event : host.EventsFrom(hostCallCursor))
        if (event.kind != HostEvent::Notify)
            calls += "\n      " + DescribeHostEvent(host, event);
    if (!calls.empty())
        return Failed("the plug-in called the Host:" + calls);
    return Done();
}

CommandResult CommandInterpreter::ExpectHostState(const Words& words) {
    const HostModel::Snapshot project = session.Host().Snap();
    const std::string what = words.size() > 2 ? words[2] : "";
    const std::string expected = words.size() > 3 ? words[3] : "";
    std::string actual;
    if (what == "track" && words.size() == 4)
        actual = project.currentTrack == kNoTrack ? "none" : std::to_string(project.currentTrack);
    else if (what == "transport" && words.size() == 4)
        actual = TransportName(project);
    else if (what == "zoom" && words.size() == 5 && (expected == "h" || expected == "v")) {
        const int zoom = expected == "h" ? project.zoomHorizontal : project.zoomVertical;
        if (std::to_string(zoom) != words[4])
            return Failed("the Host's " + expected + " zoom is " + std::to_string(zoom) +
                          ", expected " + words[4]);
        return Done();
    } else if ((what == "cursor" || what == "scroll") && words.size() == 4) {
        double value = 0.0;
        if (!ParseDouble(expected, value))
            return Misused();
        const double current = what == "cursor" ? project.cursor : project.scroll;
        if (!Near(current, value))
            return Failed("the Host's " + what + " is at " + std::to_string(current) +
                          ", expected " + expected);
        return Done();
    } else if (what == "tracks" && words.size() == 4)
        actual = std::to_string(project.tracks.size());
    else if (what == "metronome" && words.size() == 4)
        actual = project.metronome ? "on" : "off";
    else if (what == "punch" && words.size() == 4)
        actual = project.punchIn ? "on" : "off";
    else if (what == "markers" && words.size() == 4)
        actual = std::to_string(project.markers.size());
    else
        return ExpectTrackValue(words, project);
    if (actual != expected)
        return Failed("the Host's " + what + " is " + actual + ", expected " + expected);
    return Done();
}

CommandResult CommandInterpreter::ExpectTrackValue(const Words& words,
                                                   const HostModel::Snapshot& project) {
    const std::string what = words.size() > 2 ? words[2] : "";
    int track = 0;
    if (words.size() < 5 || !ParseInt(words[3], track))
        return Misused();
    if (track < 0 || static_cast<size_t>(track) >= project.tracks.size())
        return Invalid("the project has no track " + words[3]);
    const Track& subject = project.tracks[static_cast<size_t>(track)];
    const std::string prefix = "track " + words[3] + "'s " + what + " is ";
    double value = 0.0;
    int number = 0, band = -1;
    bool on = false, actualOn = false;
    if (what == "level" && words.size() == 5 && ParseDouble(words[4], value)) {
        if (!Near(subject.level, value))
            return Failed(prefix + std::to_string(subject.level) + ", expected " + words[4]);
    } else if (what == "pan" && words.size() == 5 && ParseInt(words[4], number)) {
        if (subject.pan != number)
            return Failed(prefix + std::to_string(subject.pan) + ", expected " + words[4]);
    } else if (what == "name" && words.size() == 5) {
        if (subject.name != Unescape(words[4]))
            return Failed(prefix + "\"" + subject.name + "\", expected \"" + words[4] + "\"");
    } else if (what == "touch" && words.size() == 5 && ParseOnOff(words[4], on)) {
        if (subject.touched != on)
            return Failed(prefix + (subject.touched ? "on" : "off") + ", expected " + words[4]);
    } else if (what == "state" && words.size() == 6 && ParseInt(words[4], number) &&
               StateOf(subject, number, actualOn) && ParseOnOff(words[5], on)) {
        if (actualOn != on)
            return Failed(prefix + words[4] + (actualOn ? " on" : " off") + ", expected " +
                          words[5]);
    } else if (what == "eq" && words.size() == 7 && (band = BandIndex(words[4])) >= 0 &&
               EqBase(words[5]) >= 0 && ParseDouble(words[6], value)) {
        const double actual = EqOf(subject, EqBase(words[5]), band);
        if (!Near(actual, value))
            return Failed(prefix + words[4] + " " + words[5] + " " + std::to_string(actual) +
                          ", expected " + words[6]);
    } else {
        return Misused();
    }
    return Done();
}

CommandResult CommandInterpreter::ExpectSetting(const Words& words) {
    if (words.size() != 4)
        return Misused();
    HKEY key = nullptr;
    std::string stored = "(nothing stored)";
    if (RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) == ERROR_SUCCESS) {
        char text[256] = {};
        DWORD size = sizeof text - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key, words[2].c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text),
                             &size) == ERROR_SUCCESS)
            stored = text;
        RegCloseKey(key);
    }
    if (stored != words[3])
        return Failed("the setting \"" + words[2] + "\" holds \"" + stored + "\", expected \"" +
                      words[3] + "\"");
    return Done();
}

// ---- Settings, registry, lifecycle
// ----------------------------------------------------------------

CommandResult CommandInterpreter::Configure(const Words& words) {
    ScriptedDialog plan;
    size_t count = words.size();
    if (count > 1 && (words.back() == "cancel" || words.back() == "ok")) {
        plan.cancel = words.back() == "cancel";
        --count;
    }
    if (count % 2 != 1)
        return Misused();
    for (size_t i = 1; i + 1 < count; i += 2)
        plan.choices.emplace_back(words[i], words[i + 1]);
    if (!session.Configure(&ActScriptedDialog, &plan))
        return Invalid("the plug-in is not loaded");
    if (!plan.shown)
        return Failed("the plug-in showed no settings dialog");
    if (!plan.errors.empty()) {
        std::string message;
        for (const std::string& error : plan.errors)
            message += (message.empty() ? "" : "; ") + error;
        return Failed(message);
    }
    return Done();
}

CommandResult CommandInterpreter::Registry(const Words& words) {
    if (words.size() != 2 || words[1] != "clear")
        return Misused();
    StandinRegistryClear();
    return Done();
}

CommandResult CommandInterpreter::Reopen(const Words& words) {
    if (words.size() != 1)
        return Misused();
    session.Close();
    std::string error;
    if (!session.Open(error))
        return Failed(error);
    return Done();
}

CommandResult CommandInterpreter::Cable(const Words& words) {
    if (words.size() != 1)
        return Misused();
    VirtualKorvane& surface = *session.Surface();
    if (words[0] == "plug")
        surface.Plug();
    else
        surface.Unplug();
    return Done();
}

CommandResult CommandInterpreter::Echo(const Words& words) {
    std::string text;
    for (size_t i = 1; i < words.size(); ++i)
        text += (i > 1 ? " " : "") + words[i];
    return Done(text);
}

} // namespace sim
