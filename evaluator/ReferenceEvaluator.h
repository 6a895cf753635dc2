// A plain interpreter of the postfix program of a parsed formula: the value
// with the clamps of the value-only compiled code, and the value with its
// first and second derivative along a curve with the clamps of the derivative
// code. It needs no executable memory and serves as the independent oracle of
// the compiled evaluator and as a portable fallback.
#pragma once

#include "formula/FormulaCompiler.h"
#include "formula/CodeBuffer.h"
#include "platform/VelmoraTypes.h"

#include <cmath>

#include <optional>
#include <vector>

namespace velmora {

class ReferenceEvaluator {
public:
    ReferenceEvaluator() = default;

    // Takes a copy of the program and table; throws VelmoraError like Build
    // ("Undigested power symbol", "I did fail in analysing the function.").
    void Load(const ByteArray& actorList, const std::vector<double>& data, int argNum);
    void Load(const TFormulaCompiler& parser);

    // Value at x (argNum values), with the clamps of the value-only code.
    double Value(const double* x);
    // The value at x where the formula has one: none where an operation
    // leaves its domain (a division by zero, the root or logarithm of a
    // number out of range, arcsin of 2, cot of 0, ...), where an exponential
    // overflows, or where the value is not finite. The clamps give such
    // points a number; the formula itself has none there.
    std::optional<double> DefinedValue(const double* x);
    // The loaded program holds an operation that can leave its domain (a
    // quotient, a root, a logarithm, an exponential, ...); without one the
    // formula has a value wherever that value is finite.
    bool MayLeaveDomain() const;
    // args = (x, d, e), argNum each: (f, f', f'') along the curve with c(0) = x,
    // c'(0) = d, c''(0) = e, with the clamps of the derivative code.
    Vector3 Derivatives(const double* args);
    // args = (x, d): (f, f').
    Vector2 FirstDerivative(const double* args);

    // Parameters: the same rule as TJetEvaluator::UpdateParameters.
    void UpdateParameters(const std::vector<double>& pars, int parNum);

    const std::vector<double>& Data() const { return data_; }
    int ArgNum() const { return argNum_; }

    // One stack value: value, first and second derivative.
    struct Jet {
        double v = 0, d1 = 0, d2 = 0;
    };
    // The operations, exposed for tests of single functions.
    static Jet Function(uint8_t code, const Jet& u, bool valueOnly);
    static Jet Operator(uint8_t op, const Jet& a, const Jet& b);
    // u lies in the domain of the function `code` (without overflow for the
    // exponentials); b is a divisor a quotient has.
    static bool InDomain(uint8_t code, double u);
    static bool ValidDivisor(double b) { return b != 0 && std::isfinite(b); }

private:
    // With outside given, it is set when an operation leaves its domain.
    Jet Run(const double* x, const double* d, const double* e, bool valueOnly, bool* outside = nullptr);

    ByteArray program_;
    std::vector<double> data_;
    int argNum_ = 0;
    std::vector<Jet> stack_;  // kept between calls: no allocation per evaluation
};

}  // namespace velmora
