#include "text_layout.h"

#include <algorithm>
#include <sstream>

namespace sim {

namespace {

bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

} // namespace

int Columns(const std::string& text) {
    return static_cast<int>(std::count_if(text.begin(), text.end(), StartsCharacter));
}

std::string Cut(const std::string& text, int width) {
    std::string cut;
    int columns = 0;
    for (char byte : text) {
        if (StartsCharacter(byte)) {
            if (columns == width)
                break;
            ++columns;
        }
        cut += byte;
    }
    return cut;
}

std::string Pad(const std::string& text, int width) {
    const std::string cut = Cut(text, width);
    return cut + std::string(static_cast<size_t>(std::max(0, width - Columns(cut))), ' ');
}

std::vector<std::string> Wrap(const std::string& text, int width) {
    std::vector<std::string> lines;
    if (width <= 0)
        return lines;
    std::istringstream words(text);
    std::string word, line;
    while (words >> word) {
        if (!line.empty() && Columns(line) + 1 + Columns(word) <= width) {
            line += " " + word;
            continue;
        }
        if (!line.empty())
            lines.push_back(line);
        while (Columns(word) > width) {
            const std::string piece = Cut(word, width);
            lines.push_back(piece);
            word.erase(0, piece.size());
        }
        line = word;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace sim
