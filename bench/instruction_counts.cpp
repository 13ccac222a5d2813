// Runs one operation of the plug-in a given number of times, for an instruction count under
// callgrind (tools/count-instructions.sh): valgrind's counts are the same on a busy machine and
// a quiet one, where this machine's processor counters cannot be read.
// Usage: korvane_instruction_counts <button-click | encoder-turn | fader-move | slow-refresh>
// <count>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_session.h"
#include "controls/midi_map.h"
#include "platform/standin/far_side.h"

namespace {

// Encoder 3 turns the pan in track mode.
constexpr int kEncoder3 = 2;

void Run(BenchSession& session, const char* operation, long count) {
    if (std::strcmp(operation, "button-click") == 0) {
        for (long i = 0; i < count; ++i)
            session.Click(Note::Play);
    } else if (std::strcmp(operation, "encoder-turn") == 0) {
        session.Press(EncoderTouchNote(kEncoder3));
        for (long i = 0; i < count; ++i)
            session.Receive(
                ControlChange(EncoderTurnNumber(kEncoder3), i % 2 ? kTurnBack : kTurnForward));
    } else if (std::strcmp(operation, "fader-move") == 0) {
        session.Press(Note::FaderTouch);
        for (long i = 0; i < count; ++i)
            session.Receive(FaderWord(static_cast<int>(i % kPositionCount)));
    } else if (std::strcmp(operation, "slow-refresh") == 0) {
        for (long i = 0; i < count; ++i) {
            StandinAdvanceClock(kPastSlowRefreshMs);
            session.Tick();
        }
    } else {
        std::fprintf(stderr, "unknown operation %s\n", operation);
        std::exit(2);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: %s <button-click | encoder-turn | fader-move | slow-refresh> "
                     "<count>\n",
                     argv[0]);
        return 2;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    BenchSession session;
    Run(session, argv[1], count);
    return 0;
}
