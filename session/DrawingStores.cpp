#include "session/DrawingStores.h"

#include <algorithm>

namespace velmora {

TColor ExtremalsCurveColour(int cl, TColor pickerColour) {
    switch (cl) {
        case 1: return 0xDD00DD;
        case 2: return 0xFF8800;
        case 3: return 0x00DD00;
        case 4: return 0x0000FF;
        default: return pickerColour;
    }
}

void TDrawingStores::InitializeLoci() {
    for (int i = 0; i < kLociCount; ++i) {
        loci_[i].assign(kLocusRoom, wireKnot{});
        lociData_[i].last = -1;
    }
}

bool TDrawingStores::BeginLocus(TLocusKind kind) {
    if (!IsInvariantKind(kind)) return false;
    lociOption_ = kind;
    const int k = static_cast<int>(kind);
    loci_[k].assign(kLocusRoom, wireKnot{});
    lociData_[k].last = -1;
    return true;
}

void TDrawingStores::AddLocusSegment(const Vector2& currentX, int key) {
    const int kind = static_cast<int>(lociOption_);
    wireKnots& knots = loci_[kind];
    const int k = ++lociData_[kind].last;
    if (k >= static_cast<int>(knots.size())) knots.resize(k + kLocusGrowth);
    knots[k] = {static_cast<uint8_t>(key), currentX};
}

std::vector<std::vector<Vector2>> TDrawingStores::LocusPieces(TLocusKind kind) const {
    std::vector<std::vector<Vector2>> pieces;
    if (!IsInvariantKind(kind)) return pieces;
    const auto index = static_cast<std::size_t>(kind);
    const wireKnots& knots = loci_[index];
    const int last = std::min(lociData_[index].last, static_cast<int>(knots.size()) - 1);
    for (int k = 0; k <= last; ++k) {
        if (knots[k].key == 1 || pieces.empty()) pieces.emplace_back();
        pieces.back().push_back(knots[k].pos);
    }
    return pieces;
}

void TDrawingStores::InitializeLines() {
    coordLines_.last = -1;
    coordLines_.pts.clear();
    lines_.last = -1;
    lines_.cc.clear();
}

void TDrawingStores::AddLineSegment(const Vector2& point, uint8_t key, TColor newCurveColour) {
    if (key == 1 || lines_.last < 0) {
        const int n = ++lines_.last;
        if (n >= static_cast<int>(lines_.cc.size())) lines_.cc.resize(n + kCurvesGrowth);
        Curve& fresh = lines_.cc[n];
        fresh.c = newCurveColour;
        fresh.last = -1;
    }
    Curve& curve = lines_.cc[lines_.last];
    const int k = ++curve.last;
    if (k >= static_cast<int>(curve.pts.size())) curve.pts.resize(k + kPointsGrowth);
    curve.pts[k] = point;
}

void TDrawingStores::AddLineSegmentExtremals(const Vector2& point, uint8_t key, int cl, TColor pickerColour) {
    AddLineSegment(point, key, ExtremalsCurveColour(cl, pickerColour));
}

bool TDrawingStores::EraseLastLine() {
    if (lines_.last < 0 || static_cast<int>(lines_.cc.size()) < lines_.last + 1) return false;
    Curve& curve = lines_.cc[lines_.last];
    curve.last = -1;
    curve.pts.clear();
    curve.pts.shrink_to_fit();
    --lines_.last;
    return true;
}

const Curve* TDrawingStores::CurrentCurve() const {
    if (lines_.last < 0 || lines_.last >= static_cast<int>(lines_.cc.size())) return nullptr;
    return &lines_.cc[lines_.last];
}

void TDrawingStores::AddCoordinatePoint(const Vector2& param) {
    const int k = ++coordLines_.last;
    if (k >= static_cast<int>(coordLines_.pts.size())) coordLines_.pts.resize(k + kCoordGrowth);
    coordLines_.pts[k] = param;
}

}  // namespace velmora
