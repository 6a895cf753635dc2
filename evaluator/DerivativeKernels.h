// The elementary functions of the formula language with their first and second
// derivatives, as called by the compiled derivative functions.
//
// A kernel replaces the argument u in t[0] by the value and the derivative
// factors of its function at u: t[0] = f(u), t[1] = g1 = f'(u),
// t[2] = g2 = f''(u); the compiled code applies the chain rule. Outside the
// domain of a function the kernel writes its clamp value with g1 = g2 = 0.
// Kernels are plain functions without state: any number of threads may call
// them at once.
#pragma once

#include <cstdint>

namespace velmora {

using DerivativeKernel = void (*)(double* t);

// The kernel of a function code "A".."R" other than the square and the
// absolute value (inlined by the code generator); nullptr for any other byte.
DerivativeKernel KernelFor(uint8_t code);

// t[0] = u in; t[0] = sin u, t[1] = cos u out: the one call behind every sine
// and cosine of the same argument.
void SineAndCosine(double* t);

// The exponential of the formulas is clamped when |u log2 e| > 230, that test
// being made in 64-bit-mantissa arithmetic; it holds exactly when |u| is at
// least this double (about 159.42).
double ExpClampThreshold();

// e^u with that clamp: 1e100 above, 1e-100 below (and 1e100 for NaN).
double ClampedExp(double u);

}  // namespace velmora
