// Bounded writes into the display pages' scratch lines.
#include "display/scratch_line.h"

#include <cstring>

#include "display/text_display.h"

void BlankScratchLine(char* line) {
    std::memset(line, ' ', kDisplayColumns);
    line[kDisplayColumns] = '\0';
}

size_t ScratchRoom(int column) {
    if (column < 0 || static_cast<size_t>(column) >= kScratchLineSize)
        return 0;
    return kScratchLineSize - static_cast<size_t>(column);
}

void WriteScratchText(char* line, int column, const char* text) {
    const size_t room = ScratchRoom(column);
    if (room == 0)
        return;
    char* destination = line + column;
    size_t length = 0;
    while (length + 1 < room && text[length] != '\0') {
        destination[length] = text[length];
        ++length;
    }
    destination[length] = '\0';
}

void WriteScratchLetters(char* line, int column, const char* text) {
    for (int at = column; at >= 0 && at < kDisplayColumns && *text != '\0'; ++at, ++text)
        line[at] = *text;
}
