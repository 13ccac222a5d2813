#include "midi/midi_exceptions.h"

namespace midi {

namespace {

// Fills text with the platform's message for result; a code the platform does not know
// still gives a text that names it.
template <typename GetText>
void DescribeResult(char (&text)[kErrorTextSize], MMRESULT result, GetText getText,
                    const char* service) {
    text[0] = '\0';
    if (getText(result, text, kErrorTextSize) != MMSYSERR_NOERROR || text[0] == '\0')
        wsprintfA(text, "Unknown MIDI %s error %u", service, result);
    text[kErrorTextSize - 1] = '\0';
}

} // namespace

CMIDIInException::CMIDIInException(MMRESULT result) noexcept {
    DescribeResult(text, result, midiInGetErrorTextA, "input");
}

CMIDIOutException::CMIDIOutException(MMRESULT result) noexcept {
    DescribeResult(text, result, midiOutGetErrorTextA, "output");
}

const char* CMIDIInEventFailure::what() const noexcept {
    return "Unable to create a signalling event for CMIDIInDevice object.";
}

const char* CMIDIInThreadFailure::what() const noexcept {
    return "Unable to start the worker thread of a CMIDIInDevice object.";
}

const char* CMIDIOutEventFailure::what() const noexcept {
    return "Unable to create a signalling event for CMIDIOutDevice object.";
}

const char* CMIDIOutThreadFailure::what() const noexcept {
    return "Unable to start the worker thread of a CMIDIOutDevice object.";
}

const char* CMIDIOutMemFailure::what() const noexcept {
    return "Memory allocation within a CMIDIOutDevice object failed.";
}

} // namespace midi
