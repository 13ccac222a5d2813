// The fader and the three encoders: the touch focus between their sensors, what a touch, a
// press or a turn changes in the Host in each encoder mode, and the motor fader.
#include "display/display_pages.h"

#include <algorithm>
#include <cmath>

#include "controls/led.h"
#include "display/fader_laws.h"
#include "host/host_bridge.h"

int32_t resetPressCount = 0;

namespace {

// Coarse steps per encoder click; a turn while the encoder is pressed moves by 1.
constexpr int kFrequencyStep = 50;
constexpr int kGainStep = 3;
constexpr int kQStep = 10;
constexpr int kLevelStepDb = 6;

constexpr double kMinLevelDb = -300.0;
constexpr double kMaxLevelDb = 15.0;

// The second press of encoder 3 within one touch resets the level (or the pan).
constexpr int32_t kResetPresses = 2;

// After a release the user's hand may still be leaving the fader: the motor waits this long.
constexpr double kMotorHoldMs = 800.0;

int Scaled(int steps, bool fine, int coarseStep) {
    return fine ? steps : steps * coarseStep;
}

enum class EncoderEvent { None, Touch, Press, Turn };

EncoderEvent MatchEncoder(PageEncoder& encoder, const uint8_t* bytes, uint32_t length) {
    if (encoder.touch.Match(bytes, length))
        return EncoderEvent::Touch;
    if (encoder.press.Match(bytes, length))
        return EncoderEvent::Press;
    if (encoder.turn.Match(bytes, length))
        return EncoderEvent::Turn;
    return EncoderEvent::None;
}

bool IsOn(const MidiNote& sensor) {
    return sensor.value == kPressed;
}

} // namespace

PageEncoder::PageEncoder(int index)
    : touch(EncoderTouchNote(index)), press(EncoderPressNote(index)),
      turn(EncoderTurnNumber(index)) {}

DisplayPages::DisplayPages(Context& owner)
    : faderTouch(Note::FaderTouch),
      fader(Channel::Fader), encoders{PageEncoder(kEncoder1), PageEncoder(kEncoder2),
                                      PageEncoder(kEncoder3)},
      eqBand(EqBand::Low), flipEncoder(kNoFlipEncoder), flip(false), flipHeld(false),
      encoderTouched(false), trackInfo(false), faderOff(false), faderReleased(), context(owner),
      touchReported(false), touchReportedTrack(0) {}

bool DisplayPages::Dispatch(const uint8_t* bytes, uint32_t length) {
    // While a sensor is touched only the touched control sees messages: a second hand on
    // another control changes nothing, not even that control's touch state.
    const bool free = !AnyTouched();
    if ((free || FaderTouched()) && HandleFader(bytes, length))
        return true;
    if ((free || IsTouched(kEncoder1)) && HandleEncoder1(bytes, length))
        return true;
    if ((free || IsTouched(kEncoder2)) && HandleEncoder2(bytes, length))
        return true;
    return (free || IsTouched(kEncoder3)) && HandleEncoder3(bytes, length);
}

bool DisplayPages::AnyTouched() const {
    return FaderTouched() || IsTouched(kEncoder1) || IsTouched(kEncoder2) || IsTouched(kEncoder3);
}

bool DisplayPages::HandleFader(const uint8_t* bytes, uint32_t length) {
    if (faderTouch.Match(bytes, length)) {
        const bool touched = FaderTouched();
        if (!touched)
            faderReleased.Stamp();
        ReportTouch(touched);
        return true;
    }
    // Moves of a switched-off fader, and of one nobody touches, are not the user's.
    if (faderOff || !FaderTouched())
        return false;
    if (!fader.Match(bytes, length))
        return false;
    FaderToHost(fader.value);
    // The surface expects its position echoed back.
    fader.Send(true);
    return true;
}

void DisplayPages::FaderToHost(int position) {
    if (PanOnFader())
        SetTrackPan(Track(), static_cast<int32_t>(PositionToValue(PanLaw, position)));
    else
        SetTrackLevel(Track(), PositionToValue(LevelLaw, position));
}

void DisplayPages::ReportTouch(bool touched) {
    // A release always ends a touch the Host was told about, on the track it was told for.
    if (!touched && touchReported) {
        touchReported = false;
        SetTrackTouch(touchReportedTrack, false);
        return;
    }
    if (!(flipHeld && Mode() == kTrackMode && flip))
        return;
    SetTrackTouch(Track(), touched);
    touchReported = touched;
    touchReportedTrack = Track();
}

bool DisplayPages::HandleEncoder1(const uint8_t* bytes, uint32_t length) {
    switch (MatchEncoder(encoders[kEncoder1], bytes, length)) {
    case EncoderEvent::Touch:
        if (IsTouched(kEncoder1))
            encoderTouched = true;
        SelectFlipEncoder(kEncoder1);
        return true;
    case EncoderEvent::Press:
        if (IsTouched(kEncoder1) && IsPressed(kEncoder1) && !IsTrackMode())
            TurnEncoder1(1, false);
        return true;
    case EncoderEvent::Turn:
        if (IsTouched(kEncoder1))
            TurnEncoder1(encoders[kEncoder1].turn.Delta(), IsPressed(kEncoder1));
        return true;
    case EncoderEvent::None:
        break;
    }
    return false;
}

bool DisplayPages::HandleEncoder2(const uint8_t* bytes, uint32_t length) {
    switch (MatchEncoder(encoders[kEncoder2], bytes, length)) {
    case EncoderEvent::Touch: {
        const bool touched = IsTouched(kEncoder2);
        if (touched)
            encoderTouched = true;
        SelectFlipEncoder(kEncoder2);
        ReportTouch(touched);
        return true;
    }
    case EncoderEvent::Press:
        if (IsTouched(kEncoder2) && IsPressed(kEncoder2)) {
            if (Mode() == kTrackMode)
                TriggerAction(HostParam::Marker);
            else
                TurnEncoder2(1, false);
        }
        return true;
    case EncoderEvent::Turn:
        if (IsTouched(kEncoder2))
            TurnEncoder2(encoders[kEncoder2].turn.Delta(), IsPressed(kEncoder2));
        return true;
    case EncoderEvent::None:
        break;
    }
    return false;
}

bool DisplayPages::HandleEncoder3(const uint8_t* bytes, uint32_t length) {
    switch (MatchEncoder(encoders[kEncoder3], bytes, length)) {
    case EncoderEvent::Touch: {
        const bool touched = IsTouched(kEncoder3);
        if (touched) {
            encoderTouched = true;
            SelectFlipEncoder(kEncoder3);
        }
        ReportTouch(touched);
        resetPressCount = 0;
        return true;
    }
    case EncoderEvent::Press:
        if (IsTouched(kEncoder3) && IsPressed(kEncoder3)) {
            if (ShiftLatched() || Mode() == kEqMode || Mode() == kEqBandMode)
                TurnEncoder3(1, false);
            else if (Mode() == kTrackMode)
                CountResetPress();
        }
        return true;
    case EncoderEvent::Turn:
        if (IsTouched(kEncoder3)) {
            resetPressCount = 0;
            TurnEncoder3(encoders[kEncoder3].turn.Delta(), IsPressed(kEncoder3));
        }
        return true;
    case EncoderEvent::None:
        break;
    }
    return false;
}

void DisplayPages::TurnEncoder1(int steps, bool fine) {
    if (IsTrackMode()) {
        // Pressed, the track encoder always steps forward.
        context.StepTrack(IsPressed(kEncoder1) ? 1 : steps);
    } else if (Mode() == kEqMode) {
        NudgeEqValue(EqKind::Frequency, Track(), eqBand, Scaled(steps, fine, kFrequencyStep));
    } else if (Mode() == kEqBandMode) {
        StepEqBand(steps);
    }
}

void DisplayPages::TurnEncoder2(int steps, bool fine) {
    if (Mode() == kTrackMode) {
        // One marker step per message, however far the encoder moved.
        if (steps <= -1)
            TriggerAction(HostParam::MarkerPrevious);
        else if (steps >= 1)
            TriggerAction(HostParam::MarkerNext);
    } else if (Mode() == kEqMode) {
        NudgeEqValue(EqKind::Gain, Track(), eqBand, Scaled(steps, fine, kGainStep));
    }
}

void DisplayPages::TurnEncoder3(int steps, bool fine) {
    if (ShiftLatched()) {
        if (steps != 0)
            faderOff = !faderOff;
    } else if (Mode() == kEqMode) {
        NudgeEqValue(EqKind::Q, Track(), eqBand, Scaled(steps, fine, kQStep));
    } else if (Mode() == kTrackMode) {
        if (flip)
            NudgeLevel(steps, fine);
        else
            NudgeTrackPan(Track(), steps, fine);
    }
}

void DisplayPages::NudgeLevel(int steps, bool fine) {
    const double level = GetTrackLevel(Track());
    // A level that is not a number cannot be stepped from; one far outside the range (even
    // an infinite one) ends at the nearer limit.
    if (std::isnan(level))
        return;
    const double nudged = level + Scaled(steps, fine, kLevelStepDb);
    SetTrackLevel(Track(), std::clamp(nudged, kMinLevelDb, kMaxLevelDb));
}

void DisplayPages::StepEqBand(int steps) {
    // Turning back walks High, Mid, Low; forward walks Low, Mid, High; one band per message.
    switch (eqBand) {
    case EqBand::High:
        if (steps < 0)
            eqBand = EqBand::Mid;
        break;
    case EqBand::Mid:
        eqBand = steps > 0 ? EqBand::High : EqBand::Low;
        break;
    case EqBand::Low:
        if (steps > 0)
            eqBand = EqBand::Mid;
        break;
    default:
        break;
    }
}

void DisplayPages::SelectFlipEncoder(int encoder) {
    // Holding faderFunction while touching an encoder in EQ mode picks the area that shows
    // the level while flip is latched.
    if (flipHeld && Mode() == kEqMode)
        flipEncoder = encoder;
}

void DisplayPages::CountResetPress() {
    // Only the second press within one touch resets; later ones wait for a new touch or turn.
    if (resetPressCount >= kResetPresses)
        return;
    if (++resetPressCount == kResetPresses)
        ResetTrackValue();
}

void DisplayPages::ResetTrackValue() {
    if (flip)
        SetTrackLevel(Track(), 0.0);
    else
        SetTrackPan(Track(), 0); // the centre
}

void DisplayPages::UpdateFader(bool force) {
    // The motor never fights the user's hand, a switched-off fader or a track step.
    if (faderOff || trackInfo || FaderTouched())
        return;
    const std::optional<int> position = HostToFader();
    if (!position)
        return; // nothing to move to: the fader stays where it is
    fader.value = static_cast<int16_t>(*position);
    if (faderReleased.Exceeds(kMotorHoldMs))
        fader.Send(force);
    else
        fader.MarkSent(); // held still; a later move follows only a new value or a force
}

std::optional<int> DisplayPages::HostToFader() const {
    if (PanOnFader())
        return ValueToPosition(PanLaw, GetTrackPan(Track()));
    const double level = GetTrackLevel(Track());
    if (std::isnan(level))
        return std::nullopt;
    return ValueToPosition(LevelLaw, level);
}

bool DisplayPages::IsTouched(int encoder) const {
    return encoder >= 0 && encoder < kEncoderCount && IsOn(encoders[encoder].touch);
}

bool DisplayPages::IsPressed(int encoder) const {
    return encoder >= 0 && encoder < kEncoderCount && IsOn(encoders[encoder].press);
}

bool DisplayPages::FaderTouched() const {
    return IsOn(faderTouch);
}

bool DisplayPages::PanOnFader() const {
    return Mode() == kTrackMode && flip;
}

int32_t DisplayPages::Track() const {
    return context.CurrentTrack();
}

int DisplayPages::Mode() const {
    return context.EncoderMode();
}

bool DisplayPages::ShiftLatched() const {
    return context.ShiftLatched();
}

bool DisplayPages::IsTrackMode() const {
    return ::IsTrackMode(Mode(), ShiftLatched());
}

PageState DisplayPages::Page() const {
    PageState page;
    page.track = Track();
    page.mode = Mode();
    page.shiftLatched = ShiftLatched();
    page.flip = flip;
    page.flipEncoder = flipEncoder;
    page.eqBand = eqBand;
    page.faderOff = faderOff;
    page.faderTouched = FaderTouched();
    for (int encoder = 0; encoder < kEncoderCount; ++encoder)
        page.touched[encoder] = IsTouched(encoder);
    page.encoder1Pressed = IsPressed(kEncoder1);
    return page;
}
