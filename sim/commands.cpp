#include "commands.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/standin/far_side.h"
#include "settings_dialog.h"

namespace sim {

namespace {

// The registry key under which the plug-in keeps its key assignments.
constexpr char kSettingsKey[] = "Software\\Quenmoor\\KorvaneHost";
constexpr int kStripMiddle = 512;
// A second-touch slide of 64 positions is 4 strip steps: one zoom command.
constexpr int kZoomTravel = 64;
constexpr size_t kEventsInFailure = 12;

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

CommandResult HostStateUsage() {
    return Invalid("usage: expect host track|transport|tracks|metronome|punch|markers VALUE"
                   " | zoom h|v N | cursor|scroll S | level|pan|name|touch T VALUE"
                   " | state T 16|17|20 on|off | eq T high|mid|low gain|freq|q V");
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

const CommandInterpreter::Verb CommandInterpreter::kVerbs[] = {
    {"press", &CommandInterpreter::Press},
    {"release", &CommandInterpreter::Release},
    {"touch", &CommandInterpreter::Press},
    {"untouch", &CommandInterpreter::Release},
    {"click", &CommandInterpreter::Click},
    {"toggle", &CommandInterpreter::Toggle},
    {"move", &CommandInterpreter::Move},
    {"nudge", &CommandInterpreter::Nudge},
    {"turn", &CommandInterpreter::Turn},
    {"spin", &CommandInterpreter::Spin},
    {"push", &CommandInterpreter::Push},
    {"slide", &CommandInterpreter::Slide},
    {"tap", &CommandInterpreter::Tap},
    {"rest", &CommandInterpreter::Rest},
    {"zoom", &CommandInterpreter::Zoom},
    {"wait", &CommandInterpreter::Wait},
    {"host", &CommandInterpreter::HostChange},
    {"expect", &CommandInterpreter::Expect},
    {"configure", &CommandInterpreter::Configure},
    {"registry", &CommandInterpreter::Registry},
    {"reopen", &CommandInterpreter::Reopen},
    {"echo", &CommandInterpreter::Echo},
};

const std::vector<std::string>& CommandInterpreter::Summary() {
    static const std::vector<std::string> summary = {
        "press|release|click|toggle BUTTON    shift mode1-5 state16 solo state20 f1-f4 trk< trk>",
        "                                     rewind ffwd stop play record playmode faderfn",
        "                                     footswitch push1-3 (encoder push switches)",
        "touch|untouch|toggle SENSOR          fader enc1 enc2 enc3 strip strip2",
        "move fader|strip POSITION            0..1023, the user's hand (touch first)",
        "nudge fader +-N                      touch, move by N, release",
        "turn encK +-N                        raw turn (does nothing untouched)",
        "spin encK +-N [fine]                 touch, turn (pushed for fine), release",
        "push encK                            touch, push, release",
        "slide strip +-N | tap strip left|right|middle | rest strip left|right",
        "zoom in|out                          second-touch slide on the strip",
        "wait 400ms | wait 2s",
        "host level T DB | pan T P | name T \"x\" | state T 16|17|20 on|off",
        "host track T|none | record on|off | eq T high|mid|low gain|freq|q V",
        "expect line1|line2 \"text\" | led NAME on|off|blinking | fader POSITION",
        "expect host-call set ID VALUE TRACK | command \"NAME\"|N down|up | notify CODE A B",
        "expect no-host-call | expect setting \"VALUE NAME\" \"COMMAND\"",
        "expect host track|transport|level|pan|name|state|touch|eq|zoom|cursor|scroll ...",
        "configure \"LABEL\" \"COMMAND\" ... [cancel] | registry clear | reopen | echo TEXT",
    };
    return summary;
}

CommandInterpreter::CommandInterpreter(Session& running) : session(running) {}

CommandResult CommandInterpreter::Run(const std::string& line) {
    Words words;
    std::string error;
    if (!SplitWords(line, words, error))
        return Invalid(error);
    if (words.empty() || words[0][0] == '#')
        return Done();
    for (const Verb& verb : kVerbs)
        if (words[0] == verb.name)
            return (this->*verb.handler)(words);
    return Invalid("unknown command \"" + words[0] + "\"");
}

VirtualKorvane* CommandInterpreter::SurfaceOr(CommandResult& result) {
    VirtualKorvane* surface = session.Surface();
    if (surface == nullptr)
        result = Invalid("the simulator runs without the surface");
    return surface;
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

// ---- Gestures
// ------------------------------------------------------------------------------------

CommandResult CommandInterpreter::Press(const Words& words) {
    CommandResult result;
    if (SurfaceOr(result) == nullptr)
        return result;
    const Control* control = words.size() == 2 ? FindControl(words[1]) : nullptr;
    if (control == nullptr || control->kind == ControlKind::Led)
        return Invalid("usage: " + words[0] + " CONTROL (a button or a touch sensor)");
    SetPressed(*control, words[0] == "press" || words[0] == "touch");
    return result;
}

CommandResult CommandInterpreter::Release(const Words& words) {
    return Press(words);
}

CommandResult CommandInterpreter::Click(const Words& words) {
    CommandResult result = Press({"press", words.size() == 2 ? words[1] : ""});
    if (result.status == CommandResult::Done)
        SetPressed(*FindControl(words[1]), false);
    return result;
}

CommandResult CommandInterpreter::Toggle(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    const Control* control = words.size() == 2 ? FindControl(words[1]) : nullptr;
    if (surface == nullptr)
        return result;
    if (control == nullptr || control->kind == ControlKind::Led)
        return Invalid("usage: toggle CONTROL");
    SetPressed(*control, !surface->IsHeld(*control));
    return result;
}

CommandResult CommandInterpreter::Move(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    int position = 0;
    if (surface == nullptr)
        return result;
    if (words.size() != 3 || !ParseInt(words[2], position) || position < 0 ||
        position > kMaxPosition || (words[1] != "fader" && words[1] != "strip"))
        return Invalid("usage: move fader|strip POSITION (0..1023)");
    if (words[1] == "fader")
        surface->MoveFader(position);
    else
        surface->MoveStrip(position);
    session.Settle();
    return result;
}

CommandResult CommandInterpreter::Nudge(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    int amount = 0;
    if (surface == nullptr)
        return result;
    if (words.size() != 3 || words[1] != "fader" || !ParseInt(words[2], amount))
        return Invalid("usage: nudge fader +-N");
    WithTouch(*FindControl("fader"),
              [&] { surface->MoveFader(surface->FaderPosition() + amount); });
    return result;
}

CommandResult CommandInterpreter::Turn(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    int step = 0;
    if (surface == nullptr)
        return result;
    const int encoder = words.size() >= 3 ? EncoderIndex(words[1]) : -1;
    if (encoder < 0 || !ParseInt(words[2], step) || step < -63 || step > 64 || words.size() > 4 ||
        (words.size() == 4 && words[3] != "fine") || (words[0] == "turn" && words.size() == 4))
        return Invalid("usage: " + words[0] + " enc1|enc2|enc3 +-N (-63..64)" +
                       (words[0] == "spin" ? " [fine]" : ""));
    if (words[0] == "turn") {
        surface->Turn(encoder, step);
        session.Settle();
        return result;
    }
    const bool fine = words.size() == 4;
    WithTouch(*FindControl(words[1]), [&] {
        if (fine)
            SetPressed(PushOf(encoder), true);
        surface->Turn(encoder, step);
        session.Settle();
        if (fine)
            SetPressed(PushOf(encoder), false);
    });
    return result;
}

CommandResult CommandInterpreter::Spin(const Words& words) {
    return Turn(words);
}

CommandResult CommandInterpreter::Push(const Words& words) {
    CommandResult result;
    if (SurfaceOr(result) == nullptr)
        return result;
    const int encoder = words.size() == 2 ? EncoderIndex(words[1]) : -1;
    if (encoder < 0)
        return Invalid("usage: push enc1|enc2|enc3");
    WithTouch(*FindControl(words[1]), [&] {
        SetPressed(PushOf(encoder), true);
        SetPressed(PushOf(encoder), false);
    });
    return result;
}

CommandResult CommandInterpreter::Slide(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    int travel = 0;
    if (surface == nullptr)
        return result;
    if (words.size() != 3 || words[1] != "strip" || !ParseInt(words[2], travel))
        return Invalid("usage: slide strip +-N");
    const Control& strip = *FindControl("strip");
    const bool wasHeld = surface->IsHeld(strip);
    const int start = surface->StripPosition();
    if (!wasHeld) {
        SetPressed(strip, true);
        surface->MoveStrip(start); // the first position only sets the starting point
    }
    surface->MoveStrip(start + travel);
    session.Settle();
    if (!wasHeld)
        SetPressed(strip, false);
    return result;
}

CommandResult CommandInterpreter::Tap(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    if (surface == nullptr)
        return result;
    const std::string where = words.size() == 3 && words[1] == "strip" ? words[2] : "";
    if (where != "left" && where != "right" && where != "middle")
        return Invalid("usage: tap strip left|right|middle");
    const Control& strip = *FindControl("strip");
    SetPressed(strip, true);
    surface->MoveStrip(where == "left" ? 0 : where == "right" ? kMaxPosition : kStripMiddle);
    session.Settle();
    SetPressed(strip, false);
    return result;
}

CommandResult CommandInterpreter::Rest(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    if (surface == nullptr)
        return result;
    const std::string where = words.size() == 3 && words[1] == "strip" ? words[2] : "";
    if (where != "left" && where != "right")
        return Invalid("usage: rest strip left|right (release with: untouch strip)");
    const Control& strip = *FindControl("strip");
    if (!surface->IsHeld(strip))
        SetPressed(strip, true);
    surface->MoveStrip(kStripMiddle);
    surface->MoveStrip(where == "left" ? 0 : kMaxPosition);
    session.Settle();
    return result;
}

CommandResult CommandInterpreter::Zoom(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    if (surface == nullptr)
        return result;
    if (words.size() != 2 || (words[1] != "in" && words[1] != "out"))
        return Invalid("usage: zoom in|out");
    const Control& second = *FindControl("strip2");
    const int start = kStripMiddle;
    SetPressed(second, true);
    surface->MoveStrip(start);
    surface->MoveStrip(start + (words[1] == "in" ? kZoomTravel : -kZoomTravel));
    session.Settle();
    SetPressed(second, false);
    return result;
}

CommandResult CommandInterpreter::Wait(const Words& words) {
    uint32_t milliseconds = 0;
    if (words.size() != 2 || !ParseDuration(words[1], milliseconds))
        return Invalid("usage: wait 400ms | wait 2s");
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
        return Invalid("usage: host level T DB | pan T P | name T \"x\" | state T 16|17|20 on|off"
                       " | track T|none | record on|off | eq T high|mid|low gain|freq|q V");
    session.Settle();
    return Done();
}

// ---- Expectations
// --------------------------------------------------------------------------------

CommandResult CommandInterpreter::Expect(const Words& words) {
    const std::string what = words.size() > 1 ? words[1] : "";
    if (what == "line1" || what == "line2")
        return ExpectLine(words);
    if (what == "led")
        return ExpectLed(words);
    if (what == "fader")
        return ExpectFader(words);
    if (what == "host-call")
        return ExpectHostCall(words);
    if (what == "no-host-call")
        return ExpectNoHostCall(words);
    if (what == "host")
        return ExpectHostState(words);
    if (what == "setting")
        return ExpectSetting(words);
    return Invalid("usage: expect line1|line2|led|fader|host-call|no-host-call|host|setting ...");
}

CommandResult CommandInterpreter::ExpectLine(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    if (surface == nullptr)
        return result;
    std::string expected, error;
    if (words.size() != 3)
        return Invalid("usage: expect line1|line2 \"text\" (trailing blanks may be left out)");
    if (!ParseDisplayText(words[2], expected, error))
        return Invalid(error);
    if (expected.size() > static_cast<size_t>(kLineLength))
        return Invalid("a display line has 16 characters");
    expected.resize(kLineLength, ' ');
    const std::string shown = surface->Line(words[1] == "line1" ? 0 : 1);
    if (shown != expected)
        return Failed(words[1] + " shows " + Quote(shown) + ", expected " + Quote(expected));
    return result;
}

CommandResult CommandInterpreter::ExpectLed(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    if (surface == nullptr)
        return result;
    const Control* control = words.size() == 4 ? FindControl(words[2]) : nullptr;
    const std::string state = words.size() == 4 ? words[3] : "";
    if (control == nullptr || !control->hasLed ||
        (state != "on" && state != "off" && state != "blinking"))
        return Invalid("usage: expect led NAME on|off|blinking (a control with an LED)");
    const LedView led = surface->Led(control->note, GetTickCount());
    const std::string actual = led.blinking ? "blinking" : led.lit ? "on" : "off";
    if (actual != state)
        return Failed(std::string("the ") + control->label + " LED is " + actual + ", expected " +
                      state);
    return result;
}

CommandResult CommandInterpreter::ExpectFader(const Words& words) {
    CommandResult result;
    VirtualKorvane* surface = SurfaceOr(result);
    int position = 0;
    if (surface == nullptr)
        return result;
    if (words.size() != 3 || !ParseInt(words[2], position))
        return Invalid("usage: expect fader POSITION");
    const int actual = surface->FaderPosition();
    if (actual != position)
        return Failed("the fader stands at " + std::to_string(actual) + ", expected " +
                      std::to_string(position));
    return result;
}

CommandResult CommandInterpreter::ExpectHostCall(const Words& words) {
    if (words.size() < 3 || (words[2] != "set" && words[2] != "command" && words[2] != "notify") ||
        words.size() > 6)
        return Invalid("usage: expect host-call set ID VALUE TRACK | command \"NAME\"|N down|up"
                       " | notify CODE A B (* matches anything)");
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
        return Invalid("usage: expect no-host-call");
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
            return Invalid("usage: expect host " + what + " SECONDS");
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
        return HostStateUsage();
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
        return HostStateUsage();
    }
    return Done();
}

CommandResult CommandInterpreter::ExpectSetting(const Words& words) {
    if (words.size() != 4)
        return Invalid("usage: expect setting \"VALUE NAME\" \"COMMAND\"");
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
        return Invalid("usage: configure \"LABEL\" \"COMMAND\" ... [ok|cancel]");
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
        return Invalid("usage: registry clear");
    StandinRegistryClear();
    return Done();
}

CommandResult CommandInterpreter::Reopen(const Words& words) {
    if (words.size() != 1)
        return Invalid("usage: reopen");
    session.Close();
    std::string error;
    if (!session.Open(error))
        return Failed(error);
    return Done();
}

CommandResult CommandInterpreter::Echo(const Words& words) {
    std::string text;
    for (size_t i = 1; i < words.size(); ++i)
        text += (i > 1 ? " " : "") + words[i];
    return Done(text);
}

} // namespace sim
