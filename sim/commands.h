// The simulator's command language: one gesture, Host change, wait or expectation per line.
// Scripts are made of these lines, the interactive keys send them, and the interactive prompt
// takes any of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "session.h"

namespace sim {

struct CommandResult {
    enum Status {
        Done,   // the line ran (an expectation held)
        Failed, // an expectation did not hold
        Invalid // the line is not a command or names something that does not exist
    };
    Status status = Done;
    std::string message; // why, for Failed and Invalid; what was done for some others
};

// Splits a line into words; "quoted text" is one word (\" inside stands for a quote).
// False with `error` set for an unterminated quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error);

// A Host call as the trace and the panels show it (commands with their names).
std::string DescribeHostEvent(const HostModel& host, const HostEvent& event);

class CommandInterpreter {
public:
    explicit CommandInterpreter(Session& session);

    // Runs one line; blank lines and lines starting with # do nothing.
    CommandResult Run(const std::string& line);

    // The help: each command with its words and what it does, made from the command table.
    static const std::vector<std::string>& Summary();

private:
    using Words = std::vector<std::string>;
    using Handler = CommandResult (CommandInterpreter::*)(const Words&);

    // A command, or one kind of a command that has kinds (expect line1, expect led, ...): the
    // names that call it ("line1|line2" for either), the words that follow them, what it does,
    // whether it acts on the surface, and either its handler or its kinds.
    struct Verb {
        const char* names;
        const char* usage;
        const char* about;
        bool needsSurface;
        Handler handler;
        const std::vector<Verb>* kinds;
    };
    static const std::vector<Verb>& Verbs();
    static const std::vector<Verb>& Expectations();
    static void Describe(const std::vector<Verb>& verbs, const std::string& prefix,
                         std::vector<std::string>& lines);

    // Runs the verb among `verbs` that the word at `at` names. `prefix` is the words before it.
    CommandResult Dispatch(const std::vector<Verb>& verbs, size_t at, const std::string& prefix,
                           const Words& words);
    // The answer to words that do not fit the running verb: its usage.
    CommandResult Misused() const;

    CommandResult Press(const Words& words);
    CommandResult Click(const Words& words);
    CommandResult Toggle(const Words& words);
    CommandResult Move(const Words& words);
    CommandResult Nudge(const Words& words);
    CommandResult Turn(const Words& words);
    CommandResult Push(const Words& words);
    CommandResult Slide(const Words& words);
    CommandResult Tap(const Words& words);
    CommandResult Rest(const Words& words);
    CommandResult Zoom(const Words& words);
    CommandResult Wait(const Words& words);
    CommandResult HostChange(const Words& words);
    CommandResult Configure(const Words& words);
    CommandResult Registry(const Words& words);
    CommandResult Reopen(const Words& words);
    CommandResult Cable(const Words& words);
    CommandResult Echo(const Words& words);

    CommandResult ExpectLine(const Words& words);
    CommandResult ExpectLed(const Words& words);
    CommandResult ExpectFader(const Words& words);
    CommandResult ExpectHostCall(const Words& words);
    CommandResult ExpectNoHostCall(const Words& words);
    CommandResult ExpectHostState(const Words& words);
    CommandResult ExpectTrackValue(const Words& words, const HostModel::Snapshot& project);
    CommandResult ExpectSetting(const Words& words);

    // The surface of the running verb, which needs one.
    VirtualKorvane& Surface() { return *session.Surface(); }
    void SetPressed(const Control& control, bool pressed);
    // Runs `gesture` with the sensor touched, touching and releasing it around the gesture
    // unless the user already holds it.
    template <typename Gesture>
    void WithTouch(const Control& sensor, Gesture gesture);

    Session& session;
    std::string usage;         // of the running verb, for Misused
    size_t hostCallCursor = 0; // host-call expectations look at the events from here on
};

} // namespace sim
