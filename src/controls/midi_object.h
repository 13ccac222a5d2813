// The small objects that model one control of the surface each: they recognise the control's
// incoming messages and send its feedback, skipping a value equal to the one sent last.
#pragma once

#include <cstdint>

// Base of every control object: the complete status byte (command and channel) and the value
// carried by the last message that matched.
class MidiObject {
public:
    explicit MidiObject(uint8_t statusByte) : status(statusByte), value(0) {}
    virtual ~MidiObject() = default;

    // Records the current value as the value sent last, without sending.
    virtual void MarkSent() = 0;
    // True when the 3-byte message {status, data1, data2} is for this control; the carried
    // value is then stored. False leaves the object unchanged.
    virtual bool Match(const uint8_t* bytes, uint32_t length);

    uint8_t status;
    int16_t value;
};

// A button or LED, addressed by a note number on channel 1.
class MidiNote : public MidiObject {
public:
    explicit MidiNote(uint8_t noteNumber);

    void MarkSent() override;
    bool Match(const uint8_t* bytes, uint32_t length) override;
    // Sends outValue on the note when it differs from the value sent last, or when forced. A
    // send the port refuses is reported, not raised, and leaves the value unsent.
    void Send(bool force);

    uint8_t outValue;
    uint8_t sentValue;
    uint8_t note;
};

// A control whose 16-bit value is both received and sent.
class MidiTwoWay : public MidiObject {
public:
    explicit MidiTwoWay(uint8_t statusByte) : MidiObject(statusByte), sentValue(0) {}

    void MarkSent() override;

    int16_t sentValue;
};

// A relative encoder sending control changes on channel 1.
class MidiCC : public MidiTwoWay {
public:
    explicit MidiCC(uint8_t controllerNumber);

    bool Match(const uint8_t* bytes, uint32_t length) override;
    // The signed step of the last turn: 1..64 forward, 65..127 back (65 is -1).
    int Delta() const;

    uint8_t controller;
};

// A 10-bit position carried on pitch bend (the motor fader, the touch strip): the three
// lowest bits travel in bits 4-6 of the first data byte, the seven highest in the second.
class MidiPitchBend : public MidiTwoWay {
public:
    explicit MidiPitchBend(uint8_t channel);

    bool Match(const uint8_t* bytes, uint32_t length) override;
    // Sends value as a pitch bend when it differs from the value sent last, or when forced. A
    // send the port refuses is reported, not raised, and leaves the value unsent.
    void Send(bool force);

    uint8_t msb; // the raw second data byte of the last message that matched
};
