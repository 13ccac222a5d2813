// The capture hooked to the stand-in's debugger output.
#include "support/debug_capture.h"

#include "platform/standin/far_side.h"

DebugCapture::DebugCapture() {
    StandinSetDebugSink(&DebugCapture::Sink, this);
}

DebugCapture::~DebugCapture() {
    StandinSetDebugSink(nullptr, nullptr);
}
