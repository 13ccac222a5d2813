// OutputDebugStringA: to a sink that a test or the simulator installs, and to standard error
// when KORVANE_DEBUG_STDERR=1.
#include "far_side.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex sinkLock;
StandinDebugSink sink = nullptr;
void* sinkContext = nullptr;

bool CopyToStandardError() {
    static const bool enabled = [] {
        const char* value = std::getenv("KORVANE_DEBUG_STDERR");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return enabled;
}

} // namespace

extern "C" {

void WINAPI OutputDebugStringA(LPCSTR text) {
    if (text == nullptr)
        return;
    if (CopyToStandardError())
        std::fputs(text, stderr);
    std::lock_guard<std::mutex> guard(sinkLock);
    if (sink != nullptr)
        sink(text, sinkContext);
}

void StandinSetDebugSink(StandinDebugSink newSink, void* context) {
    std::lock_guard<std::mutex> guard(sinkLock);
    sink = newSink;
    sinkContext = context;
}

} // extern "C"
