// The code of one block of the symbolic engine: a postfix program of its
// reduced alphabet (operands 0xFF k: variable k when 1 <= k <= the number of
// variables, otherwise the table slot k; "0", "1", "p"; "+", "-", "*", "/";
// the powers "^" and "~"; function letters) compiled into an x87 function of
// the formula language's calling convention, reading a constant table of
// kTableSlots doubles whose fixed part InitialSymbolicTable() gives.
#pragma once

#include "formula/X87Emitter.h"

#include <array>
#include <cstdint>
#include <string>

namespace velmora {

inline constexpr int kSymbolicTableSlots = 254;
using SymbolicTable = std::array<double, kSymbolicTableSlots>;

// The table before a parse: the clamp values of the formula language in slots
// 0 to 5, pi/2 in 6, the parameters from 12 (zero), 1..5, -1..-5, 1/2..1/5 and
// -1/2..-1/5 in 23 to 40; the constants of a parse follow from 41.
SymbolicTable InitialSymbolicTable();

// The block of the value keeps the formula language's clamps; in the blocks
// of derivatives arctanh outside (-1, 1) is +-1e100, as in the derivative
// code of the formula language.
enum class SymbolicBlock : uint8_t { Value, Derivative };

// The size the code of a program is estimated at (exact but for the operand
// loads, counted at 6 bytes). Throws kFailedAnalysisMessage for a symbol that
// is not in the tables and kTooManyPendingMessage past the spill frame.
int32_t EstimateSymbolicBlockSize(const std::string& program, SymbolicBlock kind);

// Writes the code of `program` into gen, from gen.Begin on; the table's
// address is built into the code. Throws as the estimate does.
void EmitSymbolicBlock(X87CodeGen& gen, const std::string& program, int argNum, const double* table,
                       SymbolicBlock kind);

}  // namespace velmora
