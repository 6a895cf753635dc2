// Runs x87 code written by X87CodeGen without executing it: every instruction
// is decoded and carried out on a model of the register stack, the frame and
// the flags, with the same floating-point operation (the arithmetic in 64-bit
// mantissa precision, the transcendental instructions issued themselves), so
// the result is bit for bit the result of the code. The symbolic engine folds
// its constant programs this way, without mapping executable memory for each.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// The value the function at `code` (`length` bytes, from its prologue to its
// `ret`) returns for the argument array `args`. Throws VelmoraError for an
// instruction X87CodeGen does not write.
double RunX87Code(const uint8_t* code, std::size_t length, const double* args);

}  // namespace velmora
