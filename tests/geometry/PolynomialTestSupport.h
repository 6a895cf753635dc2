// Polynomials built from known roots, for the root-finder and discriminant tests.
#pragma once

#include <vector>

namespace velmora::testing {

// a (x - r1)(x - r2)... with the coefficients listed from the highest power down.
inline std::vector<double> FromRoots(double a, const std::vector<double>& roots) {
    std::vector<double> c{a};
    for (double r : roots) {
        c.push_back(0);
        for (std::size_t i = c.size() - 1; i > 0; --i) c[i] -= r * c[i - 1];
    }
    return c;
}

}  // namespace velmora::testing
