// Feedback to the surface (an LED, the fader's echo, the motor fader) that the port refuses
// never costs the user's gesture: the send is given up where it happens, the control sends
// again at its next update, and the refusal is reported once per burst of refusals rather than
// once per message. The report is written on the Host's thread (the refresh timer, the close):
// the platform's text for the refusal may not be asked for inside a MIDI callback, where most
// feedback is sent.
#pragma once

#include "midi/midi_msg.h"
#include "platform/platform.h"

namespace RefusedFeedback {

// Sends a feedback message; false when the port refused it.
bool Send(midi::CShortMsg& message) noexcept;
// Writes one line for a burst of refusals that began since the last report, if any.
void Report();

} // namespace RefusedFeedback
