// Captures the module's debugger output (OutputDebugStringA) while it lives.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // Everything written so far, concatenated.
    std::string Text() const;
    // Each OutputDebugStringA call's text, in order.
    std::vector<std::string> Writes() const;
    void Clear();

private:
    static void Sink(const char* text, void* context);
    mutable std::mutex lock;
    std::vector<std::string> writes;
};
