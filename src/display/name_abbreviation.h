// Shortens a track name to the width of its display field by dropping the least telling
// characters first (punctuation, then vowels, then other letters, each from the right), or
// pads a short name with a few blanks.
#pragma once

// Fits the terminated string `text` to `width` characters, in place. Bytes of 0x80 and above
// are removed first; the first remaining character is always kept, so a width below 1 is
// treated as 1. Padding appends at most 6 blanks and never goes past `width`.
//
// The buffer must hold max(strlen(text), width) + 1 bytes: the routine writes nothing beyond
// that. A null text or an empty one is left as it is.
void AbbreviateName(char* text, int width);
