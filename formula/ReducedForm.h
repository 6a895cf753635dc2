// The reduced form of a formula: one entry per token. Tokens that are one byte
// in the postfix program (brackets, operators, "#", "1", "p", function codes)
// keep their byte value; operand tokens (variable, parameter, literal) carry
// their kind and 16-bit index in one entry, so that no scan can mistake an
// index byte for a bracket or an operator.
#pragma once

#include "formula/FunctionCodes.h"

#include <cstdint>
#include <vector>

namespace velmora {

using ReducedToken = uint32_t;
using ReducedForm = std::vector<ReducedToken>;

inline constexpr ReducedToken MakeOperandToken(uint8_t kind, uint16_t index) {
    return 0xFF000000u | (static_cast<uint32_t>(kind) << 16) | index;
}
inline constexpr bool IsOperandToken(ReducedToken t) { return (t >> 24) == 0xFF; }
inline constexpr uint8_t OperandKind(ReducedToken t) { return static_cast<uint8_t>(t >> 16); }
inline constexpr uint16_t OperandIndex(ReducedToken t) { return static_cast<uint16_t>(t); }
inline constexpr bool IsFunctionCode(ReducedToken t) { return t >= Code(Fn::Cos) && t <= Code(Fn::Integral); }

}  // namespace velmora
