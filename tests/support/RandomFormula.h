// Random formula texts in u and v over the whole language: every function
// under its various spellings, the four operators, integer and general powers,
// unary minus, literals with either decimal point, implicit products and
// nestings deep enough to spill the x87 register stack.
#pragma once

#include <random>
#include <string>

namespace velmora::test {

class RandomFormula {
public:
    explicit RandomFormula(uint64_t seed) : rng_(seed) {}
    // A formula of nesting depth at most `depth`.
    std::string Next(int depth);

private:
    std::string Node(int depth);
    std::string Leaf();
    std::string FunctionName();
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

    std::mt19937_64 rng_;
};

}  // namespace velmora::test
