// The capture hooked to the real debugger output. OutputDebugStringA raises the exception
// DBG_PRINTEXCEPTION_C with the text's length and address before anything else sees the text;
// a vectored handler is called first, takes the text and lets the call return as if a
// debugger had taken it.
#include "support/debug_capture.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

typedef void (*SinkFn)(const char* text, void* context);

// One capture at a time receives the output, as with the stand-in's sink.
std::mutex activeLock;
SinkFn activeSink = nullptr;
void* activeContext = nullptr;
void* handlerHandle = nullptr;

// The exception carries the length with the terminator, then the address of the text.
constexpr DWORD kTextArgument = 1;

LONG CALLBACK TakeDebugText(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters <= kTextArgument)
        return EXCEPTION_CONTINUE_SEARCH;
    const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[kTextArgument]);
    std::lock_guard<std::mutex> guard(activeLock);
    if (activeSink == nullptr || text == nullptr)
        return EXCEPTION_CONTINUE_SEARCH;
    activeSink(text, activeContext);
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

DebugCapture::DebugCapture() {
    std::lock_guard<std::mutex> guard(activeLock);
    if (handlerHandle == nullptr)
        handlerHandle = AddVectoredExceptionHandler(1, &TakeDebugText);
    activeSink = &DebugCapture::Sink;
    activeContext = this;
}

DebugCapture::~DebugCapture() {
    std::lock_guard<std::mutex> guard(activeLock);
    if (activeContext == this) {
        activeSink = nullptr;
        activeContext = nullptr;
    }
}
