// wsprintfA: the printf subset Windows offers (no floating point), cut to its 1024-character
// buffer.
//
// Conversions: %c %d %i %u %x %X %s %p, with the flags '-', '0' and '#', a width, a precision
// and the size prefixes 'h' and 'l' ('l' is 32 bits, as LONG and DWORD are on Windows). "%%"
// gives '%'; any other character after '%' is written as it is, consuming no argument.
#include "windows_api.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace {

// Windows' buffer for wsprintfA: 1024 characters, the terminator included.
constexpr size_t kBufferSize = 1024;
constexpr const char* kNullText = "(null)";

// Writes into the caller's buffer and silently drops what no longer fits, keeping room for the
// terminator.
class BoundedOutput {
public:
    explicit BoundedOutput(char* buffer) : destination(buffer) {}

    void Put(char c) {
        if (length < kBufferSize - 1)
            destination[length++] = c;
    }
    void Repeat(char c, size_t count) {
        for (size_t i = 0; i < count && !Full(); ++i)
            Put(c);
    }
    void Write(const char* text, size_t count) {
        for (size_t i = 0; i < count && !Full(); ++i)
            Put(text[i]);
    }
    bool Full() const { return length == kBufferSize - 1; }
    int Finish() {
        destination[length] = '\0';
        return static_cast<int>(length);
    }

private:
    char* destination;
    size_t length = 0;
};

enum class ArgumentSize { Default, Short, Long };

struct Conversion {
    bool leftAlign = false;
    bool zeroPad = false;
    bool alternate = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    ArgumentSize size = ArgumentSize::Default;
    char type = '\0';
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a decimal number; anything wider than the buffer pads the same as the buffer's size.
size_t ParseCount(const char*& cursor) {
    size_t value = 0;
    for (; IsDigit(*cursor); ++cursor) {
        value = value * 10 + static_cast<size_t>(*cursor - '0');
        if (value > kBufferSize)
            value = kBufferSize;
    }
    return value;
}

// Parses what follows a '%'; `cursor` ends on the conversion character (or the terminator).
Conversion ParseConversion(const char*& cursor) {
    Conversion conversion;
    for (;; ++cursor) {
        if (*cursor == '-')
            conversion.leftAlign = true;
        else if (*cursor == '0')
            conversion.zeroPad = true;
        else if (*cursor == '#')
            conversion.alternate = true;
        else
            break;
    }
    conversion.width = ParseCount(cursor);
    if (*cursor == '.') {
        ++cursor;
        conversion.hasPrecision = true;
        conversion.precision = ParseCount(cursor);
    }
    if (*cursor == 'l') {
        conversion.size = ArgumentSize::Long;
        ++cursor;
    } else if (*cursor == 'h') {
        conversion.size = ArgumentSize::Short;
        ++cursor;
    }
    conversion.type = *cursor;
    return conversion;
}

void PadField(BoundedOutput& output, const Conversion& conversion, size_t contentLength) {
    if (conversion.width > contentLength)
        output.Repeat(' ', conversion.width - contentLength);
}

void WriteText(BoundedOutput& output, const Conversion& conversion, const char* text) {
    if (text == nullptr)
        text = kNullText;
    // The precision bounds how far the text is read: it need not be terminated within it.
    size_t length = 0;
    while ((!conversion.hasPrecision || length < conversion.precision) && text[length] != '\0')
        ++length;
    if (!conversion.leftAlign)
        PadField(output, conversion, length);
    output.Write(text, length);
    if (conversion.leftAlign)
        PadField(output, conversion, length);
}

void WriteNumber(BoundedOutput& output, const Conversion& conversion, uint64_t magnitude,
                 bool negative) {
    const bool hex = conversion.type == 'x' || conversion.type == 'X' || conversion.type == 'p';
    const char* digitSet = conversion.type == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
    char digits[24];
    size_t digitCount = 0;
    for (uint64_t rest = magnitude; rest != 0; rest /= hex ? 16u : 10u)
        digits[digitCount++] = digitSet[rest % (hex ? 16u : 10u)];
    // Without a precision a zero is one digit; with a precision of zero it is none, as in C.
    const size_t minimumDigits = conversion.hasPrecision ? conversion.precision : 1;
    const size_t zeros = minimumDigits > digitCount ? minimumDigits - digitCount : 0;

    const char* prefix = "";
    if (negative)
        prefix = "-";
    else if (conversion.alternate && hex && magnitude != 0)
        prefix = conversion.type == 'x' ? "0x" : "0X";
    size_t prefixLength = 0;
    while (prefix[prefixLength] != '\0')
        ++prefixLength;

    const size_t length = prefixLength + zeros + digitCount;
    const size_t fill = conversion.width > length ? conversion.width - length : 0;
    const bool fillWithZeros =
        conversion.zeroPad && !conversion.leftAlign && !conversion.hasPrecision;
    if (!conversion.leftAlign && !fillWithZeros)
        output.Repeat(' ', fill);
    output.Write(prefix, prefixLength);
    output.Repeat('0', zeros + (fillWithZeros ? fill : 0));
    while (digitCount > 0)
        output.Put(digits[--digitCount]);
    if (conversion.leftAlign)
        output.Repeat(' ', fill);
}

void WriteSigned(BoundedOutput& output, const Conversion& conversion, va_list& arguments) {
    int32_t value = va_arg(arguments, int32_t);
    if (conversion.size == ArgumentSize::Short)
        value = static_cast<int16_t>(value);
    const int64_t wide = value;
    WriteNumber(output, conversion, static_cast<uint64_t>(wide < 0 ? -wide : wide), wide < 0);
}

void WriteUnsigned(BoundedOutput& output, const Conversion& conversion, va_list& arguments) {
    uint32_t value = va_arg(arguments, uint32_t);
    if (conversion.size == ArgumentSize::Short)
        value = static_cast<uint16_t>(value);
    WriteNumber(output, conversion, value, false);
}

// A pointer is printed as hexadecimal digits for its full width.
void WritePointer(BoundedOutput& output, Conversion conversion, va_list& arguments) {
    const void* pointer = va_arg(arguments, const void*);
    conversion.hasPrecision = true;
    conversion.precision = 2 * sizeof(void*);
    WriteNumber(output, conversion, reinterpret_cast<uintptr_t>(pointer), false);
}

void WriteCharacter(BoundedOutput& output, const Conversion& conversion, va_list& arguments) {
    const char character[1] = {static_cast<char>(va_arg(arguments, int))};
    if (!conversion.leftAlign)
        PadField(output, conversion, 1);
    output.Write(character, 1);
    if (conversion.leftAlign)
        PadField(output, conversion, 1);
}

void WriteConversion(BoundedOutput& output, const Conversion& conversion, va_list& arguments) {
    switch (conversion.type) {
    case 'd':
    case 'i':
        WriteSigned(output, conversion, arguments);
        break;
    case 'u':
    case 'x':
    case 'X':
        WriteUnsigned(output, conversion, arguments);
        break;
    case 'p':
        WritePointer(output, conversion, arguments);
        break;
    case 's':
        WriteText(output, conversion, va_arg(arguments, const char*));
        break;
    case 'c':
        WriteCharacter(output, conversion, arguments);
        break;
    default:
        output.Put(conversion.type);
        break;
    }
}

int Format(char* destination, const char* format, va_list& arguments) {
    BoundedOutput output(destination);
    for (const char* cursor = format; *cursor != '\0' && !output.Full(); ++cursor) {
        if (*cursor != '%') {
            output.Put(*cursor);
            continue;
        }
        ++cursor;
        const Conversion conversion = ParseConversion(cursor);
        if (conversion.type == '\0')
            break;
        WriteConversion(output, conversion, arguments);
    }
    return output.Finish();
}

} // namespace

extern "C" {

int CDECL wsprintfA(LPSTR destination, LPCSTR format, ...) {
    if (destination == nullptr)
        return 0;
    if (format == nullptr) {
        destination[0] = '\0';
        return 0;
    }
    va_list arguments;
    va_start(arguments, format);
    const int written = Format(destination, format, arguments);
    va_end(arguments);
    return written;
}

} // extern "C"
