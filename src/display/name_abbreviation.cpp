#include "display/name_abbreviation.h"

#include <cstddef>
#include <cstring>

namespace {

// The characters given up to make a name fit, class by class; within a class the rightmost
// goes first, so the ends of words are thinned before their beginnings. Digits and anything
// else outside these classes go only by the final cut. The letter y is not a vowel here.
constexpr const char* kRemovalClasses[] = {
    " -_:=+.;^~'`!@#$%&*(){}[]|\\/?", // blank and punctuation
    "aeiou",
    "AEIOU",
    "abcdefghijklmnopqrstuvwxyz",
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
};
constexpr size_t kMostPaddingBlanks = 6;

bool IsDisplayable(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

// Removes every byte the display cannot show, keeping the order of the rest; returns the new
// length.
size_t RemoveUndisplayable(char* text) {
    size_t kept = 0;
    for (const char* read = text; *read != '\0'; ++read) {
        if (IsDisplayable(*read)) {
            text[kept++] = *read;
        }
    }
    text[kept] = '\0';
    return kept;
}

// Removes the rightmost character of `characters` from the first `length` characters of
// `text` (terminated at `length`); false when there is none.
bool RemoveRightmostOf(char* text, size_t length, const char* characters) {
    for (size_t index = length; index-- > 0;) {
        if (std::strchr(characters, text[index]) != nullptr) {
            std::memmove(text + index, text + index + 1, length - index);
            return true;
        }
    }
    return false;
}

} // namespace

void AbbreviateName(char* text, int width) {
    if (text == nullptr || RemoveUndisplayable(text) == 0) {
        return;
    }
    char* tail = text + 1;
    size_t length = std::strlen(tail);
    const size_t fitted = width > 1 ? static_cast<size_t>(width - 1) : 0;
    if (length < fitted) {
        const size_t missing = fitted - length;
        const size_t blanks = missing < kMostPaddingBlanks ? missing : kMostPaddingBlanks;
        std::memset(tail + length, ' ', blanks);
        tail[length + blanks] = '\0';
        return;
    }
    for (const char* characters : kRemovalClasses) {
        while (length > fitted && RemoveRightmostOf(tail, length, characters)) {
            --length;
        }
    }
    tail[fitted] = '\0';
}
