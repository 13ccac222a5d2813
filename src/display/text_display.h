// The two 16-character lines of the surface's display: what they should show, what was sent
// last, and the greeting shown after the surface has been opened.
#pragma once

#include <cstdint>

constexpr int kDisplayColumns = 16;

// The next flush shows the greeting instead of the composed lines.
extern bool greetingPending;

// Sends one whole line (1, or 2 for any other number) as the display's 24-byte message.
void SendLine(int line, const char* text);

class TextDisplay {
public:
    TextDisplay();
    virtual ~TextDisplay() = default;

    // Copies exactly 16 bytes of text into the line, NULs shown as blanks. A null text
    // changes nothing.
    void SetLine(int line, const char* text);
    // Sends the lines that differ from what was sent last (both when forced), after the
    // greeting and its hold.
    void Flush(bool force);
    void ShowGreeting();
    // Sends both lines as blanks at once and records them as sent.
    void Clear();

    bool forceSend;
    char line1[kDisplayColumns + 1];
    char line2[kDisplayColumns + 1];
    char sentLine1[kDisplayColumns + 1];
    char sentLine2[kDisplayColumns + 1];
    int32_t flushCount;
};
