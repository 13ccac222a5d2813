// The device layer reports every failure as one of these; what() carries the text.
#pragma once

#include <exception>
#include <new>

#include "platform/platform.h"

namespace midi {

// Room for the platform's error text: at most 127 characters and the terminator.
constexpr UINT kErrorTextSize = 128;

// A failure of the platform's MIDI input service, with the platform's text for the code.
class CMIDIInException : public std::exception {
public:
    explicit CMIDIInException(MMRESULT result) noexcept;
    const char* what() const noexcept override { return text; }

private:
    char text[kErrorTextSize];
};

class CMIDIInEventFailure : public std::exception {
public:
    const char* what() const noexcept override;
};

class CMIDIInThreadFailure : public std::exception {
public:
    const char* what() const noexcept override;
};

// A failure of the platform's MIDI output service, with the platform's text for the code.
class CMIDIOutException : public std::exception {
public:
    explicit CMIDIOutException(MMRESULT result) noexcept;
    const char* what() const noexcept override { return text; }

private:
    char text[kErrorTextSize];
};

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
