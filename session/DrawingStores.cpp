#include "session/DrawingStores.h"

#include <utility>

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
    ++revision_;
    for (wireKnots& knots : loci_) knots.clear();
}

bool TDrawingStores::BeginLocus(TLocusKind kind) {
    if (!IsInvariantKind(kind)) return false;
    ++revision_;
    lociOption_ = kind;
    loci_[static_cast<std::size_t>(kind)].clear();
    return true;
}

void TDrawingStores::AddLocusSegment(const Vector2& currentX, int key) {
    ++revision_;
    loci_[static_cast<std::size_t>(lociOption_)].push_back({static_cast<uint8_t>(key), currentX});
}

void TDrawingStores::SetLocus(TLocusKind kind, wireKnots knots) {
    if (!IsInvariantKind(kind)) return;
    ++revision_;
    lociOption_ = kind;
    loci_[static_cast<std::size_t>(kind)] = std::move(knots);
}

std::vector<std::vector<Vector2>> TDrawingStores::LocusPieces(TLocusKind kind) const {
    std::vector<std::vector<Vector2>> pieces;
    if (!IsInvariantKind(kind)) return pieces;
    for (const wireKnot& knot : loci_[static_cast<std::size_t>(kind)]) {
        if (knot.key == 1 || pieces.empty()) pieces.emplace_back();
        pieces.back().push_back(knot.pos);
    }
    return pieces;
}

void TDrawingStores::InitializeLines() {
    ++revision_;
    coordLines_.clear();
    lines_.clear();
}

void TDrawingStores::AddLineSegment(const Vector2& point, uint8_t key, TColor newCurveColour) {
    ++revision_;
    if (key == 1 || lines_.empty()) lines_.push_back({newCurveColour, {}});
    lines_.back().pts.push_back(point);
}

void TDrawingStores::AddLineSegmentExtremals(const Vector2& point, uint8_t key, int cl, TColor pickerColour) {
    AddLineSegment(point, key, ExtremalsCurveColour(cl, pickerColour));
}

bool TDrawingStores::EraseLastLine() {
    if (lines_.empty()) return false;
    ++revision_;
    lines_.pop_back();
    return true;
}

void TDrawingStores::AddCoordinatePoint(const Vector2& param) {
    ++revision_;
    coordLines_.push_back(param);
}

}  // namespace velmora
