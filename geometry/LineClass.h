// The families of lines a click on the main panel traces, and the number of
// half-branches started from the clicked point for each.
#pragma once

namespace velmora {

// The values are the Tags of the Foliations menu items and the line classes of
// the direction fields.
enum class TLineClass : int {
    CoordinateLines = 0,
    Curvature = 1,
    Asymptotic = 2,
    MeanCurvature = 3,
    Principal = 4,
    ExtremalNormalDeviation = 5,
    ExtremalLateralDeviation = 6,
    StrongPrincipal = 7,
};

inline constexpr int kLineClassCount = 8;

// The class of a menu Tag (or any stored number); values outside 0..7 name no
// class, and the direction fields answer none for them.
constexpr TLineClass LineClassOfTag(int tag) { return static_cast<TLineClass>(tag); }

// Classes 1 to 4 have direction fields given by quadratic forms.
constexpr bool IsLowDegree(TLineClass c) { return c >= TLineClass::Curvature && c <= TLineClass::Principal; }
// Classes 5 to 7 are the roots of quartics and a quintic.
constexpr bool IsHigherDegree(TLineClass c) {
    return c >= TLineClass::ExtremalNormalDeviation && c <= TLineClass::StrongPrincipal;
}
// The two extremal deviation families, whose directions are minima or maxima.
constexpr bool IsExtremalDeviation(TLineClass c) {
    return c == TLineClass::ExtremalNormalDeviation || c == TLineClass::ExtremalLateralDeviation;
}

// Half-branches traced from a clicked point (two per direction and sense):
// curvature lines have two orthogonal pairs of directions, so four directions
// and eight half-branches; asymptotic, mean curvature and principal lines two
// directions; the extremal deviation fields up to four directions and the
// strong principal field up to five (the window then counts the directions
// actually found at the pointer).
constexpr int HalfBranches(TLineClass c) {
    switch (c) {
        case TLineClass::CoordinateLines: return 0;
        case TLineClass::Curvature:
        case TLineClass::ExtremalNormalDeviation:
        case TLineClass::ExtremalLateralDeviation: return 8;
        case TLineClass::StrongPrincipal: return 10;
        default: return 4;
    }
}

}  // namespace velmora
