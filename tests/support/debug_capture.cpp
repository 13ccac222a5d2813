// What a capture keeps; how it is hooked to the debugger output is the platform's part
// (debug_capture_standin.cpp here, tests/windows/debug_capture_windows.cpp on Windows).
#include "support/debug_capture.h"

void DebugCapture::Sink(const char* text, void* context) {
    auto* capture = static_cast<DebugCapture*>(context);
    std::lock_guard<std::mutex> guard(capture->lock);
    capture->writes.emplace_back(text);
}

std::string DebugCapture::Text() const {
    std::lock_guard<std::mutex> guard(lock);
    std::string all;
    for (const auto& write : writes)
        all += write;
    return all;
}

std::vector<std::string> DebugCapture::Writes() const {
    std::lock_guard<std::mutex> guard(lock);
    return writes;
}

void DebugCapture::Clear() {
    std::lock_guard<std::mutex> guard(lock);
    writes.clear();
}
