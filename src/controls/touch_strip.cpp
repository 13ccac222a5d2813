// The touch strip's gestures: scrolling by the finger's travel, marker taps at the ends, the
// auto-scroll of a finger resting at an end, and zooming with the second touch.
#include "controls/touch_strip.h"

#include <cstdlib>
#include <iterator>

#include "controls/led.h"
#include "host/host_bridge.h"
#include "platform/platform.h"

namespace {

// A primary touch released within this time is a tap...
constexpr uint32_t kTapLimitMs = 800;
// ...when it began more than this after the previous release, so that a finger bouncing on
// the strip does not tap twice.
constexpr uint32_t kRetouchGuardMs = 50;
// A finger resting at an edge starts scrolling this long after its last position between
// the edges, and then scrolls this far on every timer tick.
constexpr uint32_t kEdgeHoldMs = 200;
constexpr int32_t kEdgeScrollSteps = 20;
// firstMsb while no position has arrived since the touch; it lies between the edges, so a
// touch without any position taps nothing.
constexpr uint8_t kNoFirstMsb = 85;
// A strip step is the raw position byte halved: 0 to 63.
constexpr int kStepShift = 1;
// The second touch zooms once per this many steps of travel.
constexpr int kZoomTravel = 3;

constexpr char kZoomOutHorizontallyName[] = "Zoom Out Horizontally";
constexpr char kZoomInHorizontallyName[] = "Zoom In Horizontally";
constexpr char kZoomOutVerticallyName[] = "Zoom Out Vertically";
constexpr char kZoomInVerticallyName[] = "Zoom In Vertically";

} // namespace

TouchStrip::TouchStrip(Context& owner, uint8_t channel, uint8_t touchNote, uint8_t secondTouchNote)
    : touch(touchNote), secondTouch(secondTouchNote), position(channel), touchTime(0),
      middleTime(0), releaseTime(0), awaitingFirstMove(false), lastStep(0),
      // The owner sets the edge thresholds right after constructing the strip.
      lowEdge(0), highEdge(0), firstMsb(0), zoomOutHorizontally(kNoCommand),
      zoomInHorizontally(kNoCommand), zoomOutVertically(kNoCommand), zoomInVertically(kNoCommand),
      context(owner), positionSinceTouch(false) {}

void TouchStrip::LookUpCommands(const KeyAssignmentStore& store) {
    const char* const names[] = {kZoomOutHorizontallyName, kZoomInHorizontallyName,
                                 kZoomOutVerticallyName, kZoomInVerticallyName};
    int32_t found[std::size(names)];
    store.FindCommands(names, found, std::size(names));
    zoomOutHorizontally = found[0];
    zoomInHorizontally = found[1];
    zoomOutVertically = found[2];
    zoomInVertically = found[3];
}

bool TouchStrip::Dispatch(const uint8_t* bytes, uint32_t length) {
    if (position.Match(bytes, length)) {
        // Without a finger on the strip a position is only remembered.
        if (IsTouched(touch) || IsTouched(secondTouch))
            Move();
        return true;
    }
    const bool wasTouched = IsTouched(touch);
    if (touch.Match(bytes, length)) {
        if (IsTouched(touch))
            OnTouch();
        else
            OnRelease(wasTouched);
        return true;
    }
    if (secondTouch.Match(bytes, length)) {
        // The first position after the second touch goes down only sets the starting point.
        awaitingFirstMove = IsTouched(secondTouch);
        return true;
    }
    return false;
}

void TouchStrip::OnTouch() {
    awaitingFirstMove = true;
    firstMsb = kNoFirstMsb;
    positionSinceTouch = false;
    touchTime = GetTickCount();
}

void TouchStrip::OnRelease(bool wasTouched) {
    const uint32_t now = GetTickCount();
    // Unsigned differences stay right when the tick count wraps.
    const bool shortTouch = now - touchTime < kTapLimitMs;
    const bool afterRetouchGuard = touchTime - releaseTime > kRetouchGuardMs;
    // A repeated release ends no touch, so it taps nothing.
    if (wasTouched && shortTouch && afterRetouchGuard)
        Tap();
    releaseTime = now;
    awaitingFirstMove = false;
}

void TouchStrip::Move() {
    const uint8_t msb = position.msb;
    const int step = msb >> kStepShift;
    if (lowEdge < msb && msb < highEdge)
        middleTime = GetTickCount();
    positionSinceTouch = true;
    if (awaitingFirstMove) {
        awaitingFirstMove = false;
        lastStep = step;
        // A tap is judged by the primary touch's first position alone.
        if (!IsTouched(secondTouch))
            firstMsb = msb;
        return;
    }
    // The primary touch wins when both are down.
    if (IsTouched(touch))
        Scroll(step);
    else if (IsTouched(secondTouch))
        Zoom(step);
}

void TouchStrip::Scroll(int step) {
    ScrollBy(step - lastStep);
    lastStep = step;
}

void TouchStrip::Zoom(int step) {
    const int travel = step - lastStep;
    // A shorter travel keeps the starting point, so slow slides still add up to a zoom.
    if (std::abs(travel) < kZoomTravel)
        return;
    const bool vertical = context.ShiftLatched();
    if (travel < 0)
        TapCommand(vertical ? zoomOutVertically : zoomOutHorizontally);
    else
        TapCommand(vertical ? zoomInVertically : zoomInHorizontally);
    lastStep = step;
}

void TouchStrip::Tap() {
    // Only a finger that stayed where it first landed taps; kNoFirstMsb is no end.
    const uint8_t msb = position.msb;
    if (msb != firstMsb)
        return;
    if (msb <= lowEdge)
        TriggerAction(HostParam::MarkerPrevious);
    else if (msb >= highEdge)
        TriggerAction(HostParam::MarkerNext);
}

void TouchStrip::Tick() {
    // Until the touch's first position arrives, `position` is where the last gesture ended.
    if (!IsTouched(touch) || !positionSinceTouch)
        return;
    if (GetTickCount() - middleTime < kEdgeHoldMs)
        return;
    ScrollAtEdge();
}

void TouchStrip::ScrollAtEdge() {
    // A finger that landed exactly on a threshold does not scroll at that edge.
    const uint8_t msb = position.msb;
    if (msb <= lowEdge && firstMsb != lowEdge)
        ScrollBy(-kEdgeScrollSteps);
    else if (msb >= highEdge && firstMsb != highEdge)
        ScrollBy(kEdgeScrollSteps);
}

bool TouchStrip::IsTouched(const MidiNote& sensor) const {
    return sensor.value == kPressed;
}
