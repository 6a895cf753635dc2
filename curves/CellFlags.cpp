#include "curves/CellFlags.h"

#include <algorithm>
#include <cstdlib>

namespace velmora {

namespace {

// Trunc(x) for x >= 0, Trunc(x) - 1 below zero; huge arguments saturate far
// outside every grid instead of overflowing the integer.
int CellIndex(double x) {
    if (!(x == x)) return -1000000;
    x = std::clamp(x, -1e9, 1e9);
    const int t = static_cast<int>(x);
    return x >= 0 ? t : t - 1;
}

}  // namespace

void TCellFlags::Reset(const Vector2& minCorner, const Vector2& cellSize) {
    minCorner_ = minCorner;
    cellSize_ = cellSize;
    for (auto& row : flags_) row.fill(false);
}

void TCellFlags::CellOf(const Vector2& p, int& a, int& b) const {
    a = CellIndex((p[0] - minCorner_[0]) / cellSize_[0]);
    b = CellIndex((p[1] - minCorner_[1]) / cellSize_[1]);
}

bool TCellFlags::Flagged(int a, int b) const { return InGrid(a, b) && flags_[a][b]; }

void TCellFlags::Set(int a, int b, bool value) {
    if (InGrid(a, b)) flags_[a][b] = value;
}

bool TCellFlags::MarkCellLine(int a, int b, int a1, int b1) {
    Set(a, b, true);
    if (a == a1 && b == b1) return false;
    bool met = false;
    auto visit = [&](int ca, int cb) {
        if (Flagged(ca, cb))
            met = true;
        else
            Set(ca, cb, true);
    };
    const int da = a1 - a, db = b1 - b;
    if (std::abs(da) < std::abs(db)) {
        const int sign = db > 0 ? 1 : -1;
        for (int e = sign;; e += sign) {
            visit(RoundHalfEven(a + static_cast<double>(da) / db * e), b + e);
            if (b + e == b1) break;
        }
    } else {
        const int sign = da > 0 ? 1 : -1;
        for (int e = sign;; e += sign) {
            visit(a + e, RoundHalfEven(b + static_cast<double>(db) / da * e));
            if (a + e == a1) break;
        }
    }
    return met;
}

}  // namespace velmora
