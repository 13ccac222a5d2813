// The virtual Korvane on the stand-in's MIDI bus: the ports the plug-in finds by name, what the
// user does to the controls, and what the plug-in shows on it (display, LEDs, motor fader),
// with a monitor of every message in both directions.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "kept_log.h"
#include "platform/platform.h"
#include "surface_map.h"

namespace sim {

struct MidiRecord {
    bool fromSurface;
    std::vector<uint8_t> bytes;
};

struct LedView {
    bool lit;
    bool blinking; // it has been flipping by itself over the last seconds
};

class VirtualKorvane {
public:
    // Plugs the surface in: an input and an output port named "Korvane ..." beside other ports.
    VirtualKorvane();
    // Unplugs it.
    ~VirtualKorvane();
    VirtualKorvane(const VirtualKorvane&) = delete;
    VirtualKorvane& operator=(const VirtualKorvane&) = delete;

    // What the user does. Each queues the surface's message on the bus.
    void SetPressed(const Control& control, bool pressed);
    void MoveFader(int position);
    void MoveStrip(int position);
    void Turn(int encoder, int step); // encoder 0 to 2

    bool IsHeld(const Control& control) const;
    int FaderPosition() const; // where the fader stands, moved by the user or the motor
    int StripPosition() const;
    std::string Line(int line) const; // 16 display bytes
    LedView Led(uint8_t note, uint32_t now) const;
    bool Initialised() const; // the plug-in sent the initialisation message

    // The cable. Unplugged, the surface's ports are gone, it sends nothing, and it forgets
    // what it showed (a surface without power is dark). Plugged back in, its ports come after
    // every port the bus has now.
    void Unplug();
    void Plug();
    bool Plugged() const { return outputPort.load() != 0; }

    // The latest `count` monitor records, oldest first; and every record from position `from`.
    std::vector<MidiRecord> Monitor(size_t count) const;
    std::vector<MidiRecord> MonitorFrom(size_t& from) const;
    uint64_t Version() const;

private:
    static void Sink(int port, DWORD word, const uint8_t* bytes, DWORD length, void* context);
    // Moves a control that travels on the pitch bend of `channel` to `position`, which it
    // keeps in `stored`.
    void Bend(uint8_t channel, int& stored, int position);
    void Send(uint8_t status, uint8_t data1, uint8_t data2);
    void Receive(std::vector<uint8_t> bytes);
    void Record(bool fromSurface, std::vector<uint8_t> bytes);

    struct LedHistory {
        bool lit = false;
        std::deque<uint32_t> changes; // tick counts of the latest changes
    };

    void AddSurfacePorts();

    // 0 while unplugged; the bus's thread reads the output's number as it delivers.
    std::atomic<int> inputPort{0};
    std::atomic<int> outputPort{0};
    std::vector<int> otherPorts;

    mutable std::mutex lock;
    std::set<uint8_t> held;
    int faderPosition = 0;
    int stripPosition = 512;
    std::array<std::string, kLineCount> lines;
    std::map<uint8_t, LedHistory> leds;
    bool initialised = false;
    KeptLog<MidiRecord> monitor;
    uint64_t version = 0;
};

} // namespace sim
