// The texts and bars the display pages show for a track's level and pan and for the EQ
// frequency, gain and Q, squeezed into fields of three to six characters and bars of ten cells.
//
// Every text routine writes at most `room` bytes at `destination`, the terminator included:
// a text longer than the room is cut and still terminated, and nothing is written when the
// room is 0. So a value far outside its usual range (a Host reporting 1e300 Hz, NaN, an
// infinite level) can never run past the end of a display line's buffer. The bars write
// their cells only, never a terminator, and likewise never a cell at or beyond `room`.
#pragma once

#include <cstddef>
#include <cstdint>

// Glyph codes of the surface's character set that the bars are built from.
constexpr char kBarEmptyCell = 0x2D; // a dash
constexpr char kBarFullCell = 0x1F;
// Partial cells filled 1, 2, 3 and 4 fifths, on a bar that grows to the right (the level bar
// and the right half of the pan bar) and on one that grows to the left (left half of the pan
// bar).
constexpr char kBarFifthsGrowingRight[4] = {4, 5, 6, 7};
constexpr char kBarFifthsGrowingLeft[4] = {3, 2, 1, 8};
// The two halves of the pan bar's centre mark.
constexpr char kPanCentreLeft = 0x7E;
constexpr char kPanCentreRight = 0x7F;

constexpr size_t kLevelBarCells = 10;
// The pan bar occupies destination[1] to destination[10]; destination[0] is left alone.
constexpr size_t kPanBarFirstCell = 1;
constexpr size_t kPanBarLastCell = 10;

// The level in dB: "-oo  " below -299 dB, one decimal with a plus sign above 0 dB ("+3.0"),
// whole dB in two columns otherwise (" 0", "-6", "-0" just below 0).
void FormatLevel(char* destination, size_t room, double level);

// Ten cells on the level thresholds -300, -200, -60, -30, -15, -6, 0, 3, 6, 9 and 14 dB: full
// cells up to the level, one partial cell in fifths, then empty cells. Any level is drawn
// safely: NaN and levels below -300 dB give ten empty cells, +inf ten full ones.
void DrawLevelBar(char* destination, size_t room, double level);

// The pan from -100 (hard left) to 100 (hard right): " 0 ", "LFT", "RGT", "L%2d", "R%2d".
// Any 16-bit value is shown, -32768 as "L32768".
void FormatPan(char* destination, size_t room, int16_t pan);

// Cells 1 to 10: dashes with the centre mark on cells 5 and 6, and the pan's side filled from
// the centre outwards in fifths of a cell (four pan units a fifth, at least one fifth for any
// non-zero pan, at most the whole half).
void DrawPanBar(char* destination, size_t room, int16_t pan);

// The EQ frequency in Hz: unscaled with two decimals when precise ("250.00Hz"), else "250Hz",
// "2.5kH" (below 10 kHz) or "12kHz". Returns the number printed, in Hz or in kHz as the text
// shows it, for the bar drawn beside it; a NaN or infinite frequency is printed as the C
// library prints it and returned as it is (the bar draws any value safely).
double FormatFrequency(char* destination, size_t room, double hz, bool precise);

// The EQ gain in dB: whole dB above +10 dB unless precise ("12dB"), one decimal otherwise
// ("-3.0dB", "-12.0dB").
void FormatGain(char* destination, size_t room, double db, bool precise);

// The EQ Q with one decimal ("0.7", "10.0").
void FormatQ(char* destination, size_t room, double q);
