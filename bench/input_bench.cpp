// One surface message through OnShortMsg, on the calling thread as the input port's callback
// runs it: buttons, encoder turns in every encoder mode, fader moves with their echo, the touch
// strip and a message nothing claims.
#include <string>

#include "benchmarks.h"
#include "controls/midi_map.h"
#include "measure.h"

namespace {

// Two positions between the strip's edges, as raw position bytes.
constexpr int kStripNear = 40;
constexpr int kStripFar = 60;
// A note that no control of the surface uses.
constexpr uint8_t kUnusedNote = 1;

// A button press with its Host call; the release before it is not timed.
void ButtonPress(benchmark::State& state, uint8_t note) {
    Guarded(state, [&] {
        BenchSession session;
        MeasureEach(
            state, [&](uint64_t) { session.Release(note); },
            [&](uint64_t) { session.Press(note); });
    });
}

struct EncoderMode {
    const char* name;
    // Presses of the EQ mode button after the track mode button: 0 track, 1 EQ, 2 EQ band.
    int eqPresses;
};

constexpr EncoderMode kEncoderModes[] = {{"track mode", 0}, {"EQ mode", 1}, {"EQ band mode", 2}};

// Turns of a touched encoder, alternately forward and back.
void EncoderTurn(benchmark::State& state, EncoderMode mode, int encoder) {
    Guarded(state, [&] {
        BenchSession session;
        session.Click(Note::Mode0);
        for (int press = 0; press < mode.eqPresses; ++press)
            session.Click(Note::Mode2);
        session.Press(EncoderTouchNote(encoder));
        const uint8_t turn = EncoderTurnNumber(encoder);
        MeasureEach(state, NothingToPrepare, [&](uint64_t index) {
            session.Receive(ControlChange(turn, Odd(index) ? kTurnBack : kTurnForward));
        });
    });
}

// Moves of the touched fader through every position, each echoed to the surface.
void FaderMove(benchmark::State& state, bool panOnFader) {
    Guarded(state, [&] {
        BenchSession session;
        if (panOnFader) {
            // Latching faderFunction flips the fader to the pan at the next slow refresh.
            session.Click(Note::FaderFunction);
            session.SlowRefresh();
        }
        session.Press(Note::FaderTouch);
        MeasureEach(state, NothingToPrepare, [&](uint64_t index) {
            session.Receive(FaderWord(static_cast<int>(index % kPositionCount)));
        });
    });
}

// A finger sliding to and fro on the strip: every position scrolls the Host.
void StripSlide(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        session.Press(Note::StripTouch);
        session.Receive(PitchBend(Channel::Strip, kStripNear << 3));
        MeasureEach(state, NothingToPrepare, [&](uint64_t index) {
            const int msb = Odd(index) ? kStripNear : kStripFar;
            session.Receive(PitchBend(Channel::Strip, msb << 3));
        });
    });
}

void Unclaimed(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        MeasureEach(state, NothingToPrepare, [&](uint64_t) { session.Press(kUnusedNote); });
    });
}

void Register(const std::string& name, void (*function)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name.c_str(), function)->UseManualTime();
}

} // namespace

void RegisterInputBenchmarks() {
    benchmark::RegisterBenchmark("OnShortMsg/button press: Play", ButtonPress, Note::Play)
        ->UseManualTime();
    benchmark::RegisterBenchmark("OnShortMsg/button press: playMode, LED toggles", ButtonPress,
                                 Note::PlayMode)
        ->UseManualTime();
    for (const EncoderMode& mode : kEncoderModes) {
        for (int encoder = 0; encoder < kEncoderCount; ++encoder) {
            const std::string name =
                "OnShortMsg/encoder " + std::to_string(encoder + 1) + " turn: " + mode.name;
            benchmark::RegisterBenchmark(name.c_str(), EncoderTurn, mode, encoder)->UseManualTime();
        }
    }
    benchmark::RegisterBenchmark("OnShortMsg/fader move with echo: level", FaderMove, false)
        ->UseManualTime();
    benchmark::RegisterBenchmark("OnShortMsg/fader move with echo: pan", FaderMove, true)
        ->UseManualTime();
    Register("OnShortMsg/touch strip slide", StripSlide);
    Register("OnShortMsg/unclaimed note", Unclaimed);
}
