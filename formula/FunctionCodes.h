// The one-letter codes of the functions of the formula languages, as they
// stand in reduced forms, encoded texts and postfix programs (and so in what
// the engines emit and in the texts they encode), and the unary minus, which
// the code generators treat as one more function.
#pragma once

#include <cstdint>

namespace velmora {

enum class Fn : uint8_t {
    UnaryMinus = '#',
    Cos = 'A',
    Sin = 'B',
    Exp = 'C',
    Square = 'D',
    Sqrt = 'E',
    Ln = 'F',
    Tan = 'G',
    Sinh = 'H',
    Cosh = 'I',
    Tanh = 'J',
    ArcSin = 'K',
    ArcCos = 'L',
    ArcTan = 'M',
    Abs = 'N',
    Cot = 'O',
    ArcCosh = 'P',
    ArcTanh = 'Q',
    ArcSinh = 'R',
    Integral = 'S',
    // Codes of the symbolic engine alone: its rewriting of minus signs,
    // quotients and integer powers produces them, and "SGN", "INV", "CHS",
    // "CUBE", "QUAD" spell them.
    Sign = 'T',
    Reciprocal = 'U',
    ChangeSign = 'V',
    Cube = 'W',
    FourthPower = 'X',
    // Codes that only the symbolic engine's derivative texts contain: the
    // derivatives of ln and abs as the formula language's derivative code
    // takes them. 1/x for x > 0 and 0 where ln is clamped; -1 for x < 0 and
    // 1 otherwise (abs has the derivative 1 at 0).
    DerivativeOfLn = 'Y',
    DerivativeOfAbs = 'Z',
};

constexpr uint8_t Code(Fn f) { return static_cast<uint8_t>(f); }
constexpr Fn AsFn(uint8_t byte) { return static_cast<Fn>(byte); }

}  // namespace velmora
