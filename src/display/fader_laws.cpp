#include "display/fader_laws.h"

namespace {

constexpr LawPoint kLevelLawPoints[] = {
    {-300.0, 0},  {-211.0, 2},  {-162.0, 10}, {-137.0, 19}, {-102.0, 49},
    {-84.0, 79},  {-72.0, 111}, {-63.0, 140}, {-54.0, 176}, {-48.0, 208},
    {-42.0, 243}, {-36.0, 287}, {-24.0, 415}, {-18.0, 475}, {-15.0, 513},
    {-12.0, 556}, {-9.0, 603},  {-6.0, 657},  {-3.0, 712},  {0.0, 769},
    {3.0, 826},   {6.0, 885},   {9.0, 935},   {12.0, 982},  {15.0, 1022},
};

constexpr LawPoint kPanLawPoints[] = {
    {-100.0, 0}, {-80.0, 47}, {-60.0, 167}, {-40.0, 269}, {-20.0, 388},  {0.0, 504},
    {20.0, 617}, {40.0, 727}, {60.0, 842},  {80.0, 957},  {100.0, 1022},
};

template <size_t N>
constexpr bool IsStrictlyOrdered(const LawPoint (&points)[N]) {
    for (size_t i = 1; i < N; ++i) {
        if (!(points[i - 1].value < points[i].value &&
              points[i - 1].position < points[i].position)) {
            return false;
        }
    }
    return N >= 2;
}
static_assert(IsStrictlyOrdered(kLevelLawPoints), "the level law must rise in both columns");
static_assert(IsStrictlyOrdered(kPanLawPoints), "the pan law must rise in both columns");

const LawPoint& First(const FaderLaw& law) {
    return law.points[0];
}
const LawPoint& Last(const FaderLaw& law) {
    return law.points[law.count - 1];
}

} // namespace

const FaderLaw LevelLaw = {kLevelLawPoints, sizeof kLevelLawPoints / sizeof kLevelLawPoints[0]};
const FaderLaw PanLaw = {kPanLawPoints, sizeof kPanLawPoints / sizeof kPanLawPoints[0]};

double PositionToValue(const FaderLaw& law, int position) {
    if (position <= First(law).position) {
        return First(law).value;
    }
    if (position >= Last(law).position) {
        return Last(law).value;
    }
    size_t i = 1;
    while (law.points[i].position <= position) {
        ++i;
    }
    const LawPoint& a = law.points[i - 1];
    const LawPoint& b = law.points[i];
    return a.value + static_cast<double>(position - a.position) / (b.position - a.position) *
                         (b.value - a.value);
}

int ValueToPosition(const FaderLaw& law, double value) {
    // Written so that NaN, which fails every comparison, takes the first position.
    if (!(value > First(law).value)) {
        return First(law).position;
    }
    if (value >= Last(law).value) {
        return Last(law).position;
    }
    size_t i = 1;
    while (law.points[i].value <= value) {
        ++i;
    }
    const LawPoint& a = law.points[i - 1];
    const LawPoint& b = law.points[i];
    // Lies between a.position and b.position, so the truncation is always defined.
    return static_cast<int>((value - a.value) / (b.value - a.value) * (b.position - a.position) +
                            a.position);
}
