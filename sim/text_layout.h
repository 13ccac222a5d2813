// Plain text for fixed-width places (terminal panels, the drawing's text boxes): widths count
// columns, one per UTF-8 character.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sim {

int Columns(const std::string& text);
// The first `width` columns of `text`.
std::string Cut(const std::string& text, int width);
// `text` cut or filled with blanks to exactly `width` columns.
std::string Pad(const std::string& text, int width);
// `text` in lines of at most `width` columns, broken between words; a word longer than the
// width is cut into pieces.
std::vector<std::string> Wrap(const std::string& text, int width);

} // namespace sim
