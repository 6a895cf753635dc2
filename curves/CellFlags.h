// The fine grid of flags over the rectangle of a zero-set trace: a flag marks
// a cell that a traced curve has crossed, so that no piece of the zero set is
// traced twice and a pass that runs into its own trail ends.
#pragma once

#include "platform/VelmoraTypes.h"

#include <array>

namespace velmora {

class TCellFlags {
public:
    // Cells per side at the most; indices 0 .. kMaxCells hold flags.
    static constexpr int kMaxCells = 464;

    // Cells of cellSize from minCorner, every flag cleared.
    void Reset(const Vector2& minCorner, const Vector2& cellSize);
    // The cell of a point; points left of or below minCorner have negative indices.
    void CellOf(const Vector2& p, int& a, int& b) const;
    // False, and setting ignored, outside the grid.
    bool Flagged(int a, int b) const;
    void Set(int a, int b, bool value);
    // Flags (a, b) and the cells on the straight walk from it to (a1, b1); true
    // when one of those after (a, b) was flagged already.
    bool MarkCellLine(int a, int b, int a1, int b1);

private:
    static bool InGrid(int a, int b) { return a >= 0 && b >= 0 && a <= kMaxCells && b <= kMaxCells; }

    // First index: u cell, second: v cell.
    std::array<std::array<bool, kMaxCells + 1>, kMaxCells + 1> flags_{};
    Vector2 minCorner_{}, cellSize_{};
};

}  // namespace velmora
