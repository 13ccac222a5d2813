// The Host-to-surface side: the refresh timer's fast tick and slow refresh, the composition of
// every display page, the scan for a soloed track, the display flush and the motor fader.
#include <string>

#include "benchmarks.h"
#include "controls/encoder_mode_selector.h"
#include "controls/midi_map.h"
#include "display/display_pages.h"
#include "display/page_composer.h"
#include "display/scratch_line.h"
#include "display/text_display.h"
#include "host/host_interface.h"
#include "measure.h"
#include "platform/standin/far_side.h"

namespace {

// Past the blink interval, so that blinking LEDs flip.
constexpr DWORD kPastBlinkMs = 401;
constexpr int32_t kSoloedTrack = 5;
// The track the benchmark Host makes current.
constexpr int32_t kCurrentTrack = 0;
// Flushes of a new display that show the greeting and hold it.
constexpr int kGreetingFlushes = 41;

void FastTick(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        MeasureEach(state, NothingToPrepare, [&](uint64_t) { session.Tick(); });
    });
}

void SlowRefreshUnchanged(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        MeasureEach(
            state, [](uint64_t) { StandinAdvanceClock(kPastSlowRefreshMs); },
            [&](uint64_t) { session.Tick(); });
    });
}

// Between refreshes the Host's level, pan and name of the current track change, and the
// any-solo LED blinks: the fader moves, both display lines and the LED are sent.
void SlowRefreshChanged(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        bench_host::SetSolo(kSoloedTrack, true);
        UpdateController(HostParam::Solo, kSoloedTrack, 1, 0);
        const int32_t track = kCurrentTrack;
        MeasureEach(
            state,
            [&](uint64_t index) {
                StandinAdvanceClock(kPastBlinkMs);
                bench_host::SetLevel(track, Odd(index) ? 0.0 : -12.5);
                bench_host::SetPan(track, Odd(index) ? 0 : 40);
                bench_host::SetName(track, Odd(index) ? "Vocals" : "Guitars");
            },
            [&](uint64_t) { session.Tick(); });
    });
}

using PageSetup = void (*)(PageState&);

struct PageCase {
    const char* name;
    PageSetup setup;
};

const PageCase kPages[] = {
    {"track mode, nothing touched", [](PageState&) {}},
    {"track mode, no current track", [](PageState& page) { page.track = kNoTrack; }},
    {"EQ mode, nothing touched", [](PageState& page) { page.mode = kEqMode; }},
    {"EQ band mode, nothing touched", [](PageState& page) { page.mode = kEqBandMode; }},
    {"Shift latched, nothing touched", [](PageState& page) { page.shiftLatched = true; }},
    {"fader touched: level", [](PageState& page) { page.faderTouched = true; }},
    {"fader touched: pan",
     [](PageState& page) {
         page.flip = true;
         page.faderTouched = true;
     }},
    {"fader touched: fader off",
     [](PageState& page) {
         page.faderOff = true;
         page.faderTouched = true;
     }},
    {"encoder 1 touched: track", [](PageState& page) { page.touched[kEncoder1] = true; }},
    {"encoder 1 pressed: track mode title",
     [](PageState& page) {
         page.touched[kEncoder1] = true;
         page.encoder1Pressed = true;
     }},
    {"encoder 2 touched: marker", [](PageState& page) { page.touched[kEncoder2] = true; }},
    {"encoder 3 touched: pan", [](PageState& page) { page.touched[kEncoder3] = true; }},
    {"encoder 3 touched: level",
     [](PageState& page) {
         page.flip = true;
         page.touched[kEncoder3] = true;
     }},
    {"encoder 1 touched: EQ frequency",
     [](PageState& page) {
         page.mode = kEqMode;
         page.touched[kEncoder1] = true;
     }},
    {"encoder 2 touched: EQ gain",
     [](PageState& page) {
         page.mode = kEqMode;
         page.touched[kEncoder2] = true;
     }},
    {"encoder 3 touched: EQ Q",
     [](PageState& page) {
         page.mode = kEqMode;
         page.touched[kEncoder3] = true;
     }},
    {"encoder 1 touched: EQ band",
     [](PageState& page) {
         page.mode = kEqBandMode;
         page.touched[kEncoder1] = true;
     }},
    {"encoder 3 touched: motor",
     [](PageState& page) {
         page.shiftLatched = true;
         page.touched[kEncoder3] = true;
     }},
};

void Compose(benchmark::State& state, PageSetup setup) {
    Guarded(state, [&] {
        BenchSession session;
        PageState page;
        page.track = kCurrentTrack;
        setup(page);
        char line1[kScratchLineSize];
        char line2[kScratchLineSize];
        MeasureEach(
            state,
            [&](uint64_t) {
                BlankScratchLine(line1);
                BlankScratchLine(line2);
            },
            [&](uint64_t) { ComposePage(page, line1, line2); });
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

// A display like the open controller's, past its greeting and showing its lines.
void FlushUnchanged(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        TextDisplay display;
        for (int flush = 0; flush <= kGreetingFlushes; ++flush)
            display.Flush(false);
        MeasureEach(state, NothingToPrepare, [&](uint64_t) { display.Flush(false); });
    });
}

// The fader and encoders as the open controller's see it: track mode, Shift not latched.
class TrackModeContext : public DisplayPages::Context {
public:
    int32_t CurrentTrack() const override { return kCurrentTrack; }
    int EncoderMode() const override { return kTrackMode; }
    bool ShiftLatched() const override { return false; }
    void StepTrack(int) override {}
};

// The motor fader sent to the Host's level although it is there already.
void MotorForced(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        TrackModeContext context;
        DisplayPages pages(context);
        MeasureEach(state, NothingToPrepare, [&](uint64_t) { pages.UpdateFader(true); });
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
