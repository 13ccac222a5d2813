// Writing into the 20-byte scratch lines that the display pages are composed in: whole-line
// blanking and texts at fixed columns that never run past the end of the buffer.
#pragma once

#include <cstddef>

// A scratch line: 16 columns, a terminator and spare room.
constexpr size_t kScratchLineSize = 20;

// Sets the 16 columns to blanks and terminates them.
void BlankScratchLine(char* line);
// The bytes left in a scratch line from the column on, terminator included.
size_t ScratchRoom(int column);
// Writes a terminated text at the column, cut where the scratch line ends.
void WriteScratchText(char* line, int column, const char* text);
// Writes the characters of text at the column without a terminator, cut at the last column
// of the display.
void WriteScratchLetters(char* line, int column, const char* text);
