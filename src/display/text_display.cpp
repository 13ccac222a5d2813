// The display buffer: keeps both lines, sends only what changed since the last send, and
// shows the greeting once after the surface has been opened.
#include "display/text_display.h"

#include <cstring>
#include <limits>

#include "controls/midi_map.h"
#include "midi/midi_msg.h"

bool greetingPending = true;

namespace {

// The display's system-exclusive message: the surface's header, the message type, the first
// column, the 16 characters, the end.
constexpr size_t kLineMessageSize = sizeof SysEx::kHeader + 2 + kDisplayColumns + 1;
static_assert(kLineMessageSize == 24, "a display line travels as 24 bytes");

// After the greeting, this many flushes leave it on the display.
constexpr int32_t kGreetingHoldFlushes = 40;

constexpr char kGreetingLine1[] = "   Welcome to   ";
constexpr char kGreetingLine2[] = "   Korvane      ";
constexpr char kBlankLine[] = "                ";
static_assert(sizeof kGreetingLine1 == kDisplayColumns + 1, "greeting lines are 16 wide");
static_assert(sizeof kGreetingLine2 == kDisplayColumns + 1, "greeting lines are 16 wide");
static_assert(sizeof kBlankLine == kDisplayColumns + 1, "a blank line is 16 wide");

void StoreLine(char* destination, const char* text) {
    std::memcpy(destination, text, kDisplayColumns);
    destination[kDisplayColumns] = '\0';
}

bool SameLine(const char* a, const char* b) {
    return std::memcmp(a, b, kDisplayColumns) == 0;
}

// Sends the line when it differs from what was sent, or when forced, and records it as sent.
void SendIfChanged(int line, const char* text, char* sent, bool force) {
    if (!force && SameLine(text, sent))
        return;
    SendLine(line, text);
    StoreLine(sent, text);
}

} // namespace

void SendLine(int line, const char* text) {
    if (text == nullptr)
        return;
    uint8_t bytes[kLineMessageSize];
    std::memcpy(bytes, SysEx::kHeader, sizeof SysEx::kHeader);
    size_t at = sizeof SysEx::kHeader;
    bytes[at++] = SysEx::kDisplayText;
    bytes[at++] = line == 1 ? SysEx::kLine1Position : SysEx::kLine2Position;
    std::memcpy(bytes + at, text, kDisplayColumns);
    at += kDisplayColumns;
    bytes[at] = SysEx::kEnd;
    midi::CLongMsg message(bytes, static_cast<int32_t>(sizeof bytes));
    message.Send();
}

TextDisplay::TextDisplay() : forceSend(true), flushCount(0) {
    StoreLine(line1, kBlankLine);
    StoreLine(line2, kBlankLine);
    StoreLine(sentLine1, kBlankLine);
    StoreLine(sentLine2, kBlankLine);
}

void TextDisplay::SetLine(int line, const char* text) {
    if (text == nullptr)
        return;
    // All 16 bytes are copied: a terminator that one text left in the middle of a composed
    // line shows as a blank and hides nothing written to its right.
    char* destination = line == 1 ? line1 : line2;
    for (int column = 0; column < kDisplayColumns; ++column)
        destination[column] = text[column] == '\0' ? ' ' : text[column];
    destination[kDisplayColumns] = '\0';
}

void TextDisplay::Flush(bool force) {
    if (greetingPending) {
        greetingPending = false;
        ShowGreeting();
        return;
    }
    const int32_t flushesSinceGreeting = flushCount;
    // Only the comparison with the hold matters; the count stops short of overflowing.
    if (flushCount < std::numeric_limits<int32_t>::max())
        ++flushCount;
    if (flushesSinceGreeting < kGreetingHoldFlushes)
        return;
    const bool sendAll = forceSend || force;
    SendIfChanged(1, line1, sentLine1, sendAll);
    SendIfChanged(2, line2, sentLine2, sendAll);
    forceSend = false;
}

void TextDisplay::ShowGreeting() {
    SendLine(1, kGreetingLine1);
    SendLine(2, kGreetingLine2);
    flushCount = 0;
}

void TextDisplay::Clear() {
    SendLine(1, kBlankLine);
    SendLine(2, kBlankLine);
    StoreLine(sentLine1, kBlankLine);
    StoreLine(sentLine2, kBlankLine);
}
