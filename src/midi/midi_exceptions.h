// The device layer reports every failure as one of these; what() carries the text.
#pragma once

#include <exception>
#include <new>

#include "platform/platform.h"

namespace midi {

// Room for the platform's error text: at most 127 characters and the terminator.
constexpr UINT kErrorTextSize = 128;

// The results a port's operations give once its device is gone: the platform no longer knows
// the device (MMSYSERR_BADDEVICEID), its driver (MMSYSERR_NODRIVER) or the open handle
// (MMSYSERR_INVALHANDLE), or the port's device is missing (MIDIERR_NODEVICE).
bool IsDeviceGoneResult(MMRESULT result) noexcept;

// A failure of the platform's MIDI service, with the platform's text for its result code. The
// text is asked of the platform when what() is first called, not when the exception is made:
// a send that fails inside a MIDI callback may raise, but no callback may ask the platform for
// an error text.
template <typename Service>
class CMIDIException : public std::exception {
public:
    explicit CMIDIException(MMRESULT failure) noexcept : result(failure), text{} {}
    const char* what() const noexcept override;
    MMRESULT Result() const noexcept { return result; }
    // The result says that the port's device is gone (unplugged, or its driver removed with
    // it), not that it is busy, short of memory or refused one message.
    bool DeviceGone() const noexcept { return IsDeviceGoneResult(result); }

private:
    MMRESULT result;
    mutable char text[kErrorTextSize];
};

struct MidiInputService;
struct MidiOutputService;

// A failure of the platform's MIDI input service.
using CMIDIInException = CMIDIException<MidiInputService>;

class CMIDIInEventFailure : public std::exception {
public:
    const char* what() const noexcept override;
};

class CMIDIInThreadFailure : public std::exception {
public:
    const char* what() const noexcept override;
};

// A failure of the platform's MIDI output service.
using CMIDIOutException = CMIDIException<MidiOutputService>;

class CMIDIOutEventFailure : public std::exception {
public:
    const char* what() const noexcept override;
};

class CMIDIOutThreadFailure : public std::exception {
public:
    const char* what() const noexcept override;
};

class CMIDIOutMemFailure : public std::bad_alloc {
public:
    const char* what() const noexcept override;
};

} // namespace midi
