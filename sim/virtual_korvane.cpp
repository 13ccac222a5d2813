#include "virtual_korvane.h"

#include "platform/standin/midi_bus.h"

namespace sim {

namespace {

// The port names as a driver reports them; the plug-in matches on the "Korvane" start. The
// other ports stand for the rest of a typical MIDI setup and must be passed over.
constexpr char kSurfacePortName[] = "Korvane MIDI 1";
constexpr const char* kOtherPortNames[] = {"Midi Through Port-0", "USB Keyboard"};

constexpr size_t kKeptRecords = 4000;
// An LED counts as blinking while its latest flips came at a steady beat: each apart by a
// blink period, the last one recent. State changes (a forced refresh flips a lit LED dark and
// lights it again at once) do not look like that.
constexpr size_t kBlinkFlips = 3;
constexpr uint32_t kShortestBlinkMs = 250;
constexpr uint32_t kLongestBlinkMs = 1200;

std::vector<uint8_t> Unpack(DWORD word) {
    const auto status = static_cast<uint8_t>(word & 0xFF);
    std::vector<uint8_t> bytes = {status, static_cast<uint8_t>((word >> 8) & 0x7F)};
    // Program change and channel pressure carry one data byte, the rest two.
    if ((status & 0xE0) != 0xC0)
        bytes.push_back(static_cast<uint8_t>((word >> 16) & 0x7F));
    return bytes;
}

} // namespace

VirtualKorvane::VirtualKorvane() : monitor(kKeptRecords) {
    for (const char* name : kOtherPortNames) {
        otherPorts.push_back(StandinBusAddPort(STANDIN_BUS_INPUT, name));
        otherPorts.push_back(StandinBusAddPort(STANDIN_BUS_OUTPUT, name));
    }
    AddSurfacePorts();
    lines.fill(std::string(kLineLength, ' '));
    StandinBusSetOutputSink(&VirtualKorvane::Sink, this);
}

VirtualKorvane::~VirtualKorvane() {
    StandinBusSetOutputSink(nullptr, nullptr);
    Unplug();
    for (int port : otherPorts)
        StandinBusRemovePort(port);
}

void VirtualKorvane::AddSurfacePorts() {
    inputPort = StandinBusAddPort(STANDIN_BUS_INPUT, kSurfacePortName);
    outputPort = StandinBusAddPort(STANDIN_BUS_OUTPUT, kSurfacePortName);
}

void VirtualKorvane::Unplug() {
    const int output = outputPort.exchange(0);
    const int input = inputPort.exchange(0);
    if (output == 0)
        return;
    StandinBusRemovePort(output);
    StandinBusRemovePort(input);
    std::lock_guard<std::mutex> guard(lock);
    lines.fill(std::string(kLineLength, ' '));
    leds.clear();
    held.clear();
    initialised = false;
    ++version;
}

void VirtualKorvane::Plug() {
    if (!Plugged())
        AddSurfacePorts();
}

void VirtualKorvane::SetPressed(const Control& control, bool pressed) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (pressed)
            held.insert(control.note);
        else
            held.erase(control.note);
    }
    Send(Status::NoteOn, control.note, pressed ? kPressedVelocity : kReleasedVelocity);
}

void VirtualKorvane::MoveFader(int position) {
    Bend(Channel::Fader, faderPosition, position);
}

void VirtualKorvane::MoveStrip(int position) {
    Bend(Channel::Strip, stripPosition, position);
}

void VirtualKorvane::Bend(uint8_t channel, int& stored, int position) {
    uint8_t data1 = 0, data2 = 0;
    BendBytes(position, data1, data2);
    {
        std::lock_guard<std::mutex> guard(lock);
        stored = BendPosition(data1, data2);
    }
    Send(static_cast<uint8_t>(Status::PitchBend | channel), data1, data2);
}

void VirtualKorvane::Turn(int encoder, int step) {
    Send(Status::ControlChange, EncoderTurnNumber(encoder), EncoderValue(step));
}

void VirtualKorvane::Send(uint8_t status, uint8_t data1, uint8_t data2) {
    if (!Plugged())
        return; // the hand moves a control, but nothing leaves the surface
    Record(true, {status, data1, data2});
    StandinBusInject(inputPort, ShortWord(status, data1, data2));
}

void VirtualKorvane::Sink(int port, DWORD word, const uint8_t* bytes, DWORD length, void* context) {
    auto* surface = static_cast<VirtualKorvane*>(context);
    if (port != surface->outputPort)
        return;
    surface->Receive(bytes != nullptr ? std::vector<uint8_t>(bytes, bytes + length) : Unpack(word));
}

// What the plug-in sent: the display, an LED, the motor fader.
void VirtualKorvane::Receive(std::vector<uint8_t> bytes) {
    {
        std::lock_guard<std::mutex> guard(lock);
        const int line = DisplayLineOf(bytes);
        if (line >= 0)
            lines[static_cast<size_t>(line)] = DisplayTextOf(bytes);
        else if (IsInitMessage(bytes))
            initialised = true;
        else if (bytes.size() == 3 && bytes[0] == Status::NoteOn) {
            LedHistory& led = leds[bytes[1]];
            const bool lit = bytes[2] != 0;
            if (lit != led.lit) {
                led.lit = lit;
                led.changes.push_back(GetTickCount());
                if (led.changes.size() > kBlinkFlips)
                    led.changes.pop_front();
            }
        } else if (bytes.size() == 3 && bytes[0] == (Status::PitchBend | Channel::Fader) &&
                   held.count(Note::FaderTouch) == 0) {
            // The motor cannot move a fader the user is holding.
            faderPosition = BendPosition(bytes[1], bytes[2]);
        }
    }
    Record(false, std::move(bytes));
}

void VirtualKorvane::Record(bool fromSurface, std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> guard(lock);
    monitor.Add({fromSurface, std::move(bytes)});
    ++version;
}

bool VirtualKorvane::IsHeld(const Control& control) const {
    std::lock_guard<std::mutex> guard(lock);
    return held.count(control.note) != 0;
}

int VirtualKorvane::FaderPosition() const {
    std::lock_guard<std::mutex> guard(lock);
    return faderPosition;
}

int VirtualKorvane::StripPosition() const {
    std::lock_guard<std::mutex> guard(lock);
    return stripPosition;
}

std::string VirtualKorvane::Line(int line) const {
    std::lock_guard<std::mutex> guard(lock);
    return lines[line == 0 ? 0 : 1];
}

LedView VirtualKorvane::Led(uint8_t note, uint32_t now) const {
    std::lock_guard<std::mutex> guard(lock);
    const auto found = leds.find(note);
    if (found == leds.end())
        return {false, false};
    const LedHistory& led = found->second;
    bool steadyBeat =
        led.changes.size() >= kBlinkFlips && now - led.changes.back() <= kLongestBlinkMs;
    for (size_t i = 1; steadyBeat && i < led.changes.size(); ++i) {
        const uint32_t gap = led.changes[i] - led.changes[i - 1];
        steadyBeat = gap >= kShortestBlinkMs && gap <= kLongestBlinkMs;
    }
    return {led.lit, steadyBeat};
}

bool VirtualKorvane::Initialised() const {
    std::lock_guard<std::mutex> guard(lock);
    return initialised;
}

std::vector<MidiRecord> VirtualKorvane::Monitor(size_t count) const {
    std::lock_guard<std::mutex> guard(lock);
    return monitor.Latest(count);
}

std::vector<MidiRecord> VirtualKorvane::MonitorFrom(size_t& from) const {
    std::lock_guard<std::mutex> guard(lock);
    return monitor.From(from);
}

uint64_t VirtualKorvane::Version() const {
    std::lock_guard<std::mutex> guard(lock);
    return version;
}

} // namespace sim
