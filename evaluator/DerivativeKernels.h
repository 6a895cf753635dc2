// The elementary functions of the formula language with their first and second
// derivatives, as called by the compiled derivative functions.
//
// A kernel works in place on the value and derivatives (u, u', u'') of its
// argument, stored contiguously (two doubles for first derivatives, three for
// second), and replaces them with (f(u), g1 u', g2 u'^2 + g1 u''), where
// g1 = f'(u) and g2 = f''(u). Outside the domain of a function the kernel
// writes its clamp value with zero derivatives. Kernels are plain functions
// without state: any number of threads may call them at once.
#pragma once

#include <cstdint>

namespace velmora {

using DerivativeKernel = void (*)(double* triple);

// The kernel of function code 'A'..'R' (without 'D', 'N': those are inlined)
// for `channels` = 2 (value and first derivative) or 3 (and second derivative);
// nullptr for any other byte.
DerivativeKernel KernelFor(uint8_t code, int channels);

// The exponential of the formulas is clamped when |u log2 e| > 230, that test
// being made in 64-bit-mantissa arithmetic; it holds exactly when |u| is at
// least this double (about 159.42).
double ExpClampThreshold();

// e^u with that clamp: 1e100 above, 1e-100 below (and 1e100 for NaN).
double ClampedExp(double u);

}  // namespace velmora
