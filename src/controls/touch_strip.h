// The touch strip: sliding with the primary touch scrolls the Host by the finger's travel, a
// short tap at either end steps to the previous or next marker, a finger resting at an end
// keeps scrolling, and sliding with the second touch zooms (vertically while Shift is
// latched).
#pragma once

#include <cstdint>

#include "controls/key_assignment_store.h"
#include "controls/midi_object.h"

class TouchStrip {
public:
    // What the strip needs from its owner: Shift makes the second touch zoom vertically.
    class Context {
    public:
        virtual bool ShiftLatched() const = 0;

    protected:
        virtual ~Context() = default;
    };

    // The strip's position arrives as pitch bend on `channel` (counted from 0); its two touch
    // sensors are notes.
    TouchStrip(Context& owner, uint8_t channel, uint8_t touchNote, uint8_t secondTouchNote);
    virtual ~TouchStrip() = default;

    // Offers a message; true when the strip consumed it.
    virtual bool Dispatch(const uint8_t* bytes, uint32_t length);
    // Runs on every tick of the refresh timer: the auto-scroll of a finger resting at an edge.
    virtual void Tick();
    // Finds the four zoom commands by name; called once when the surface was found.
    void LookUpCommands(const KeyAssignmentStore& store);

    MidiNote touch;
    MidiNote secondTouch;
    MidiPitchBend position;
    uint32_t touchTime;
    uint32_t middleTime;
    uint32_t releaseTime;
    bool awaitingFirstMove;
    int lastStep;
    uint8_t lowEdge;
    uint8_t highEdge;
    uint8_t firstMsb;
    int32_t zoomOutHorizontally;
    int32_t zoomInHorizontally;
    int32_t zoomOutVertically;
    int32_t zoomInVertically;

private:
    void Move();
    void Tap();
    bool IsTouched(const MidiNote& sensor) const;
    void OnTouch();
    void OnRelease(bool wasTouched);
    void Scroll(int step);
    void Zoom(int step);
    void ScrollAtEdge();

    Context& context;
    // A position arrived since the last primary touch; until then `position` still holds
    // where the previous gesture ended.
    bool positionSinceTouch;
};
