#include "midi/midi_exceptions.h"

namespace midi {

bool IsDeviceGoneResult(MMRESULT result) noexcept {
    switch (result) {
    case MMSYSERR_BADDEVICEID:
    case MMSYSERR_NODRIVER:
    case MMSYSERR_INVALHANDLE:
    case MIDIERR_NODEVICE:
        return true;
    default:
        return false;
    }
}

// The platform's text functions and names of the two services.
struct MidiInputService {
    static constexpr const char* kName = "input";
    static MMRESULT GetText(MMRESULT result, LPSTR text, UINT size) {
        return midiInGetErrorTextA(result, text, size);
    }
};

struct MidiOutputService {
    static constexpr const char* kName = "output";
    static MMRESULT GetText(MMRESULT result, LPSTR text, UINT size) {
        return midiOutGetErrorTextA(result, text, size);
    }
};

// The platform's message for the result; a code the platform does not know still gives a
// text that names it.
template <typename Service>
const char* CMIDIException<Service>::what() const noexcept {
    if (text[0] != '\0')
        return text;
    if (Service::GetText(result, text, kErrorTextSize) != MMSYSERR_NOERROR || text[0] == '\0')
        wsprintfA(text, "Unknown MIDI %s error %u", Service::kName, result);
    text[kErrorTextSize - 1] = '\0';
    return text;
}

template class CMIDIException<MidiInputService>;
template class CMIDIException<MidiOutputService>;

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
