// TJetEvaluator: native code for a parsed formula that yields its value
// (`ff`), its value and first derivative along a direction (`vv`), its value
// with first and second derivative along a curve (`aa`), by forward
// propagation of derivatives through the postfix program; and, for formulas in
// up to three variables, its value with all first and second partial
// derivatives in one pass (`hh`).
//
// A build stages the code of the four functions and publishes it in one
// mapping: of the evaluator's own, or of its engine set's code area while the
// set is built. The evaluator keeps its previous table and code until the new
// code is published.
#pragma once

#include "formula/FormulaCompiler.h"
#include "platform/CodeArea.h"
#include "platform/CompiledFunction.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace velmora {

// A value with its first and second partial derivatives in (u, v).
struct TSecondOrderJet {
    double f = 0, fu = 0, fv = 0, fuu = 0, fuv = 0, fvv = 0;
};

// The four compiled functions of an evaluator.
enum class JetFunction : uint8_t {
    Value,             // ff: the value
    FirstAlongCurve,   // vv: value and first derivative along a direction
    SecondAlongCurve,  // aa: value, first and second derivative along a curve
    Jet,               // hh: value, gradient and Hessian (formulas in 1 to 3 variables)
};

class TJetEvaluator final : public CodeAreaMember {
public:
    TJetEvaluator() = default;  // without code: FirstD and SecondD answer zeros

    // Generates ff, vv, aa and hh from the parser's program, reading a copy of
    // its constants: the parser may parse again without affecting them. On
    // failure (VelmoraError with the engine's message) the evaluator keeps
    // the code it had before.
    void Build(const TFormulaCompiler& theF);
    // The same from the parts of a parsed formula: the postfix program, the
    // constant table (with its working slots) and its layout: the last slot
    // of the literals and the depth of the evaluation stack.
    void BuildFrom(const ByteArray& program, const std::vector<double>& table, int32_t variables,
                   int32_t parameters, int32_t lastConstantSlot, int32_t stackDepth);

    // Before the first successful Build these return zeros.
    // args = (x1..xn, d1..dn): returns (f, f').
    Vector2 FirstD(const double* args);
    // args = (x1..xn, d1..dn, e1..en): returns (f, f', f'').
    Vector3 SecondD(const double* args);
    // Value only.
    double Value(const double* args) const {
        const RealFunction& ff = Function(JetFunction::Value);
        return ff.Assigned() ? ff(args, argNum) : 0.0;
    }
    // uv = (u, v) of a formula in two variables: the value and its partial
    // derivatives of first and second order, from one pass.
    TSecondOrderJet SecondOrderJet(const double* uv);
    // Where the jet function leaves the derivatives of its last call: the
    // gradient, then the Hessian row by row, upper triangle (empty without
    // jet code).
    std::span<const double> JetDerivatives() const;

    Vector2 gradF(const Vector2& x);
    Vector3 gradF(const Vector3& x);
    void DiffAndHessian(const Vector2& x, double& f, Vector2& df, Matrix2& hess);
    void DiffAndHessian(const Vector3& x, Vector3& df, Matrix3& hess);
    void UpdateParameters(const std::vector<double>& pars);

    // A compiled function (unassigned before the first build, and hh for
    // formulas in more than three variables) and its bytes.
    const RealFunction& Function(JetFunction which) const { return functions_[static_cast<std::size_t>(which)]; }
    std::span<const uint8_t> FunctionCode(JetFunction which) const;

    // ---- publication of the code (CodeAreaMember) -----------------------------
    const StagedCode& Staged() const override { return pending_.code; }
    void Install(const std::shared_ptr<const CodeMapping>& mapping, const uint8_t* code) noexcept override;
    void Discard() noexcept override;

private:
    const std::shared_ptr<const CodeMapping>& CurrentMapping() const override { return mapping_; }
    void Forget() noexcept override;

    // The evaluator's own copy of the constant table, with the results of
    // vv and aa in data[endFD+1] and data[endVD+1] (endVD = endFD + the
    // depth of the stack) and those of hh from data[jetSlot].
    std::vector<double> data;
    int32_t endFD = 0, endVD = 0;
    int32_t argNum = 0, parNum = 0;
    int32_t jetSlot = 0, jetDerivatives = 0;
    std::array<RealFunction, 4> functions_{};  // ff, vv, aa, hh in the order of JetFunction
    std::array<int32_t, 4> lengths_{};         // of their code

    // What a build has prepared, until its code is published.
    struct Pending {
        StagedCode code;
        std::vector<double> data;
        int32_t argNum = 0, parNum = 0, endFD = 0, endVD = 0, jetSlot = 0, jetDerivatives = 0;
        std::array<int64_t, 4> entry{-1, -1, -1, -1};  // of ff, vv, aa, hh in the code
        std::array<int32_t, 4> length{};
    };
    Pending pending_;
    std::shared_ptr<const CodeMapping> mapping_;  // where the current code lives
};

using FourJetEvaluators = std::array<TJetEvaluator, 4>;

}  // namespace velmora
