#include "display/value_format.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Levels below this show as minus infinity.
constexpr double kLevelTextFloor = -299.0;
constexpr const char* kMinusInfinityText = "-oo  ";

// The level bar's thresholds in dB: cell i is full from threshold i + 1 on; thresholds i and
// i + 1 bound its partial fill.
constexpr double kLevelBarThresholds[kLevelBarCells + 1] = {
    -300.0, -200.0, -60.0, -30.0, -15.0, -6.0, 0.0, 3.0, 6.0, 9.0, 14.0};
constexpr int kFifthsPerCell = 5;

constexpr int kPanHardLeft = -100;
constexpr int kPanHardRight = 100;
constexpr const char* kPanCentreText = " 0 ";
constexpr const char* kPanHardLeftText = "LFT";
constexpr const char* kPanHardRightText = "RGT";
// Pan units per fifth of a cell, and the most fifths one half of the bar holds.
constexpr int kPanUnitsPerFifth = 4;
constexpr int kPanMostFifths = 25;
constexpr size_t kPanCentreLeftCell = 5;
constexpr size_t kPanCentreRightCell = 6;

constexpr double kHzPerKilohertz = 1000.0;
// From here on the kilohertz text drops its decimal.
constexpr double kWholeKilohertzFrom = 10000.0;
// Gains above this lose their decimal unless shown precisely.
constexpr double kWholeGainAbove = 10.0;

// Copies `cells` to destination[first...], leaving out every cell at or beyond `room`.
void PutCells(char* destination, size_t room, size_t first, const char* cells, size_t count) {
    for (size_t cell = first; cell < first + count && cell < room; ++cell) {
        destination[cell] = cells[cell - first];
    }
}

// The glyph of the partial cell at the first cell that is not full, or an empty cell when the
// level fills none of its fifths. The quotient is tested before it is truncated, so NaN and
// infinite levels cannot reach a conversion to int.
char PartialLevelCell(double level, size_t cell) {
    const double lower = kLevelBarThresholds[cell];
    const double fifth = (kLevelBarThresholds[cell + 1] - lower) / kFifthsPerCell;
    const double fifths = (level - lower) / fifth;
    if (!(fifths >= 1.0 && fifths < kFifthsPerCell + 1)) {
        return kBarEmptyCell;
    }
    const int whole = static_cast<int>(fifths);
    return whole == kFifthsPerCell ? kBarFullCell : kBarFifthsGrowingRight[whole - 1];
}

// Fills one half of the pan bar with `fifths` fifths of a cell, from its own half of the
// centre mark outwards.
void FillPanHalf(char* cells, bool rightward, int fifths) {
    size_t cell = rightward ? kPanCentreRightCell : kPanCentreLeftCell;
    for (int full = 0; full < fifths / kFifthsPerCell; ++full) {
        cells[cell] = kBarFullCell;
        cell = rightward ? cell + 1 : cell - 1;
    }
    const int rest = fifths % kFifthsPerCell;
    if (rest != 0) {
        cells[cell] = (rightward ? kBarFifthsGrowingRight : kBarFifthsGrowingLeft)[rest - 1];
    }
}

} // namespace

void FormatLevel(char* destination, size_t room, double level) {
    if (level < kLevelTextFloor) {
        std::snprintf(destination, room, "%s", kMinusInfinityText);
    } else if (level > 0.0) {
        std::snprintf(destination, room, "+%2.1f", level);
    } else {
        std::snprintf(destination, room, "%2.0f", level);
    }
}

void DrawLevelBar(char* destination, size_t room, double level) {
    char cells[kLevelBarCells];
    size_t full = 0;
    while (full < kLevelBarCells && level >= kLevelBarThresholds[full + 1]) {
        cells[full++] = kBarFullCell;
    }
    if (full < kLevelBarCells) {
        for (size_t cell = full; cell < kLevelBarCells; ++cell) {
            cells[cell] = kBarEmptyCell;
        }
        cells[full] = PartialLevelCell(level, full);
    }
    PutCells(destination, room, 0, cells, kLevelBarCells);
}

void FormatPan(char* destination, size_t room, int16_t pan) {
    const int value = pan; // widened, so that -32768 can be negated
    if (value == 0) {
        std::snprintf(destination, room, "%s", kPanCentreText);
    } else if (value == kPanHardLeft) {
        std::snprintf(destination, room, "%s", kPanHardLeftText);
    } else if (value == kPanHardRight) {
        std::snprintf(destination, room, "%s", kPanHardRightText);
    } else if (value < 0) {
        std::snprintf(destination, room, "L%2d", -value);
    } else {
        std::snprintf(destination, room, "R%2d", value);
    }
}

void DrawPanBar(char* destination, size_t room, int16_t pan) {
    constexpr size_t kCells = kPanBarLastCell + 1;
    char cells[kCells];
    for (size_t cell = kPanBarFirstCell; cell < kCells; ++cell) {
        cells[cell] = kBarEmptyCell;
    }
    cells[kPanCentreLeftCell] = kPanCentreLeft;
    cells[kPanCentreRightCell] = kPanCentreRight;
    const int value = pan;
    if (value != 0) {
        int fifths = std::abs(value) / kPanUnitsPerFifth;
        fifths = fifths < 1 ? 1 : (fifths > kPanMostFifths ? kPanMostFifths : fifths);
        FillPanHalf(cells, value > 0, fifths);
    }
    PutCells(destination, room, kPanBarFirstCell, cells + kPanBarFirstCell,
             kCells - kPanBarFirstCell);
}

double FormatFrequency(char* destination, size_t room, double hz, bool precise) {
    if (precise) {
        std::snprintf(destination, room, "%3.2fHz", hz);
        return hz;
    }
    if (hz < kHzPerKilohertz) {
        std::snprintf(destination, room, "%3.0fHz", hz);
        return hz;
    }
    const double khz = hz / kHzPerKilohertz;
    if (hz < kWholeKilohertzFrom) {
        std::snprintf(destination, room, "%2.1fkH", khz);
    } else {
        std::snprintf(destination, room, "%2.0fkHz", khz);
    }
    return khz;
}

void FormatGain(char* destination, size_t room, double db, bool precise) {
    if (db > kWholeGainAbove && !precise) {
        std::snprintf(destination, room, "%2.0fdB", db);
    } else {
        std::snprintf(destination, room, "%2.1fdB", db);
    }
}

void FormatQ(char* destination, size_t room, double q) {
    std::snprintf(destination, room, "%2.1f", q);
}
