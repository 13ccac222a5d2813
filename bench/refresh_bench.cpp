// The Host-to-surface side: the refresh timer's fast tick and slow refresh, the composition of
// every display page, the scan for a soloed track, the display flush and the motor fader.
#include <string>

#include "benchmarks.h"
#include "controls/midi_map.h"
#include "display/scratch_line.h"
#include "host/host_interface.h"
#include "measure.h"
#include "platform/standin/far_side.h"

namespace {

// Past the blink interval, so that blinking LEDs flip.
constexpr DWORD kPastBlinkMs = 401;
constexpr int32_t kSoloedTrack = 5;

void FastTick(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        MeasureEach(state, NothingToPrepare, [&](uint64_t) { session.Controller().Tick(false); });
    });
}

void SlowRefreshUnchanged(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        MeasureEach(
            state, [](uint64_t) { StandinAdvanceClock(kPastSlowRefreshMs); },
            [&](uint64_t) { session.Controller().Tick(false); });
    });
}

// Between refreshes the Host's level, pan and name of the current track change, and the
// any-solo LED blinks: the fader moves, both display lines and the LED are sent.
void SlowRefreshChanged(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        bench_host::SetSolo(kSoloedTrack, true);
        UpdateController(HostParam::Solo, kSoloedTrack, 1, 0);
        const int32_t track = session.Controller().currentTrack;
        MeasureEach(
            state,
            [&](uint64_t index) {
                StandinAdvanceClock(kPastBlinkMs);
                bench_host::SetLevel(track, Odd(index) ? 0.0 : -12.5);
                bench_host::SetPan(track, Odd(index) ? 0 : 40);
                bench_host::SetName(track, Odd(index) ? "Vocals" : "Guitars");
            },
            [&](uint64_t) { session.Controller().Tick(false); });
    });
}

using PageSetup = void (*)(BenchSession&);

struct PageCase {
    const char* name;
    PageSetup setup;
};

void TouchEncoder(BenchSession& session, int encoder) {
    session.Press(EncoderTouchNote(encoder));
}

void EqMode(BenchSession& session) {
    session.Click(Note::Mode2);
}

void EqBandMode(BenchSession& session) {
    EqMode(session);
    session.Click(Note::Mode2);
}

void LatchShift(BenchSession& session) {
    session.Click(Note::Shift);
}

void Flip(BenchSession& session) {
    session.Controller().pages.flip = true;
}

const PageCase kPages[] = {
    {"track mode, nothing touched", [](BenchSession&) {}},
    {"track mode, no current track",
     [](BenchSession& session) { session.Controller().SetCurrentTrack(kNoTrack); }},
    {"EQ mode, nothing touched", EqMode},
    {"EQ band mode, nothing touched", EqBandMode},
    {"Shift latched, nothing touched", LatchShift},
    {"fader touched: level", [](BenchSession& session) { session.Press(Note::FaderTouch); }},
    {"fader touched: pan",
     [](BenchSession& session) {
         Flip(session);
         session.Press(Note::FaderTouch);
     }},
    {"fader touched: fader off",
     [](BenchSession& session) {
         session.Controller().pages.faderOff = true;
         session.Press(Note::FaderTouch);
     }},
    {"encoder 1 touched: track", [](BenchSession& session) { TouchEncoder(session, 0); }},
    {"encoder 1 pressed: track mode title",
     [](BenchSession& session) {
         TouchEncoder(session, 0);
         session.Press(EncoderPressNote(0));
     }},
    {"encoder 2 touched: marker", [](BenchSession& session) { TouchEncoder(session, 1); }},
    {"encoder 3 touched: pan", [](BenchSession& session) { TouchEncoder(session, 2); }},
    {"encoder 3 touched: level",
     [](BenchSession& session) {
         Flip(session);
         TouchEncoder(session, 2);
     }},
    {"encoder 1 touched: EQ frequency",
     [](BenchSession& session) {
         EqMode(session);
         TouchEncoder(session, 0);
     }},
    {"encoder 2 touched: EQ gain",
     [](BenchSession& session) {
         EqMode(session);
         TouchEncoder(session, 1);
     }},
    {"encoder 3 touched: EQ Q",
     [](BenchSession& session) {
         EqMode(session);
         TouchEncoder(session, 2);
     }},
    {"encoder 1 touched: EQ band",
     [](BenchSession& session) {
         EqBandMode(session);
         TouchEncoder(session, 0);
     }},
    {"encoder 3 touched: motor",
     [](BenchSession& session) {
         LatchShift(session);
         TouchEncoder(session, 2);
     }},
};

void Compose(benchmark::State& state, PageSetup setup) {
    Guarded(state, [&] {
        BenchSession session;
        setup(session);
        char line1[kScratchLineSize];
        char line2[kScratchLineSize];
        MeasureEach(
            state,
            [&](uint64_t) {
                BlankScratchLine(line1);
                BlankScratchLine(line2);
            },
            [&](uint64_t) { session.Controller().pages.Compose(line1, line2); });
        benchmark::DoNotOptimize(line1);
        benchmark::DoNotOptimize(line2);
    });
}

void AnySoloScan(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        bool soloed = false;
        MeasureEach(state, NothingToPrepare, [&](uint64_t) { soloed = AnyTrackSoloed(); });
        benchmark::DoNotOptimize(soloed);
    });
}

void FlushUnchanged(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        MeasureEach(state, NothingToPrepare,
                    [&](uint64_t) { session.Controller().display.Flush(false); });
    });
}

// The motor fader sent to the Host's level although it is there already.
void MotorForced(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        MeasureEach(state, NothingToPrepare,
                    [&](uint64_t) { session.Controller().pages.UpdateFader(true); });
    });
}

void Register(const char* name, void (*function)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, function)->UseManualTime();
}

} // namespace

void RegisterRefreshBenchmarks() {
    Register("Tick/fast tick", FastTick);
    Register("Tick/slow refresh, nothing changed", SlowRefreshUnchanged);
    Register("Tick/slow refresh, everything changed", SlowRefreshChanged);
    for (const PageCase& page : kPages) {
        const std::string name = std::string("Compose/") + page.name;
        benchmark::RegisterBenchmark(name.c_str(), Compose, page.setup)->UseManualTime();
    }
    Register("AnyTrackSoloed/200 tracks, none soloed", AnySoloScan);
    Register("Flush/nothing to send", FlushUnchanged);
    Register("UpdateFader/motor move, forced", MotorForced);
}
