#include "support/virtual_surface.h"

#include <stdexcept>

namespace {
// Generous: only a broken bus or a deadlock takes this long.
constexpr DWORD kIdleWaitMs = 10000;
} // namespace

VirtualSurface::VirtualSurface(const std::string& name)
    : inputPort(StandinBusAddPort(STANDIN_BUS_INPUT, name.c_str())),
      outputPort(StandinBusAddPort(STANDIN_BUS_OUTPUT, name.c_str())), portName(name) {
    StandinBusSetOutputSink(&VirtualSurface::Sink, this);
}

VirtualSurface::~VirtualSurface() {
    StandinBusSetOutputSink(nullptr, nullptr);
    Unplug();
}

void VirtualSurface::Send(DWORD word) {
    Inject(word);
    WaitIdle();
}

void VirtualSurface::Inject(DWORD word) {
    StandinBusInject(inputPort, word);
}

void VirtualSurface::WaitIdle() {
    if (StandinBusWaitIdle(kIdleWaitMs) == 0)
        throw std::runtime_error("the MIDI bus did not become idle");
}

void VirtualSurface::Sink(int port, DWORD word, const BYTE* bytes, DWORD length, void* context) {
    auto* surface = static_cast<VirtualSurface*>(context);
    if (port != surface->outputPort)
        return;
    std::lock_guard<std::mutex> guard(surface->lock);
    if (bytes == nullptr)
        surface->received.push_back({false, word, {}});
    else
        surface->received.push_back({true, 0, std::vector<uint8_t>(bytes, bytes + length)});
}

std::vector<SurfaceMessage> VirtualSurface::Received() const {
    std::lock_guard<std::mutex> guard(lock);
    return received;
}

std::vector<DWORD> VirtualSurface::ShortMessages() const {
    std::vector<DWORD> words;
    for (const SurfaceMessage& message : Received())
        if (!message.isLong)
            words.push_back(message.word);
    return words;
}

std::vector<std::vector<uint8_t>> VirtualSurface::LongMessages() const {
    std::vector<std::vector<uint8_t>> messages;
    for (const SurfaceMessage& message : Received())
        if (message.isLong)
            messages.push_back(message.bytes);
    return messages;
}

void VirtualSurface::ClearReceived() {
    std::lock_guard<std::mutex> guard(lock);
    received.clear();
}

void VirtualSurface::Unplug() {
    StandinBusRemovePort(inputPort);
    StandinBusRemovePort(outputPort);
    inputPort = 0;
    outputPort = 0;
}

void VirtualSurface::Plug(bool withInput, bool withOutput) {
    if (withInput && inputPort == 0)
        inputPort = StandinBusAddPort(STANDIN_BUS_INPUT, portName.c_str());
    if (withOutput && outputPort == 0)
        outputPort = StandinBusAddPort(STANDIN_BUS_OUTPUT, portName.c_str());
}

StandinBusCounters BusCounters() {
    StandinBusCounters counters = {};
    StandinBusGetCounters(&counters);
    return counters;
}

int VirtualSurface::LastNoteValue(uint8_t note) const {
    const std::vector<SurfaceMessage> messages = Received();
    for (auto message = messages.rbegin(); message != messages.rend(); ++message) {
        if (!message->isLong && (message->word & 0xFF) == Status::NoteOn &&
            ((message->word >> 8) & 0xFF) == note)
            return static_cast<int>((message->word >> 16) & 0xFF);
    }
    return -1;
}

std::string VirtualSurface::LastLine(uint8_t position) const {
    const std::vector<SurfaceMessage> messages = Received();
    for (auto message = messages.rbegin(); message != messages.rend(); ++message) {
        if (message->isLong && message->bytes.size() == kDisplayLineBytes &&
            message->bytes[kDisplayPositionAt] == position)
            return std::string(message->bytes.begin() + kDisplayTextAt, message->bytes.end() - 1);
    }
    return std::string();
}
