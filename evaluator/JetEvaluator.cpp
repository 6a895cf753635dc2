#include "evaluator/JetEvaluator.h"

#include "evaluator/DerivativeCodeGen.h"
#include "formula/X87Emitter.h"
#include "platform/VelmoraError.h"

#include <algorithm>
#include <utility>

namespace velmora {

namespace {

// Variables are loaded with 8-bit displacements by the value-only code.
constexpr int kMaxVariables = 16;

// The value-only function, instruction for instruction the parser's own, in a
// piece of exactly its length.
std::size_t StageValueCode(const ByteArray& list, int argNum, const std::vector<double>& table, StagedCode& code,
                           int32_t& length) {
    X87CodeGen gen;
    gen.Begin(1);
    EmitValueFunction(gen, list, argNum, table.data());
    length = gen.Length();
    const std::size_t offset = code.Reserve(static_cast<std::size_t>(length));
    gen.Code().PlaceAt(code.At(offset), 0);
    return offset;
}

// The derivative function of one layout, staged after the others.
std::size_t StageDerivativeCode(const DerivativeProgram& source, const DerivativeLayout& layout, StagedCode& code,
                                int32_t& length) {
    const std::size_t before = code.Size();
    const std::size_t entry = DerivativeCodeGen(source, layout).Generate(code);
    length = static_cast<int32_t>(code.Size() - before);
    return entry;
}

}  // namespace

void TJetEvaluator::Build(const TFormulaCompiler& theF) {
    BuildFrom(theF.Program(), theF.Table(), theF.Variables(), theF.Parameters(), theF.LastConstantSlot(),
              theF.StackDepth());
}

void TJetEvaluator::BuildFrom(const ByteArray& program, const std::vector<double>& table, int32_t variables,
                              int32_t parameters, int32_t lastConstantSlot, int32_t stackDepth) {
    // Everything is prepared aside and takes over when the code is published,
    // so that a refused program leaves the previous one working.
    Discard();
    if (variables < 0 || variables > kMaxVariables) throw VelmoraError(kFailedAnalysisMessage);
    Pending p;
    p.data = table;
    p.endFD = std::max<int32_t>(lastConstantSlot, 0);
    p.endVD = p.endFD + std::max<int32_t>(stackDepth, 0);
    // The results are written to data[endFD+1] and data[endVD+1], and those of
    // hh after the table.
    if (p.data.size() < static_cast<std::size_t>(p.endVD) + 2) p.data.resize(static_cast<std::size_t>(p.endVD) + 2, 0.0);
    const bool jet = variables >= 1 && variables <= kMaxJetVariables;
    p.jetSlot = static_cast<int32_t>(p.data.size());
    if (jet) p.jetDerivatives = DerivativeLayout::Jet(variables, 0).channels - 1;
    p.data.resize(p.data.size() + static_cast<std::size_t>(p.jetDerivatives), 0.0);
    DerivativeCodeGen::CheckProgram(program, variables, p.data.size());
    p.argNum = variables;
    p.parNum = parameters;

    const DerivativeProgram source{&program, &p.data, variables};
    p.entry[0] = static_cast<int64_t>(StageValueCode(program, variables, p.data, p.code, p.length[0]));
    p.entry[1] = static_cast<int64_t>(
        StageDerivativeCode(source, DerivativeLayout::Curve(1, p.endFD + 1, 0), p.code, p.length[1]));
    p.entry[2] = static_cast<int64_t>(
        StageDerivativeCode(source, DerivativeLayout::Curve(2, p.endFD + 1, p.endVD + 1), p.code, p.length[2]));
    if (jet)
        p.entry[3] = static_cast<int64_t>(
            StageDerivativeCode(source, DerivativeLayout::Jet(variables, p.jetSlot), p.code, p.length[3]));
    pending_ = std::move(p);  // the table's buffer, whose address is in the code, moves along
    PublishOrEnlist();
}

void TJetEvaluator::Install(const std::shared_ptr<const CodeMapping>& mapping, const uint8_t* code) noexcept {
    Pending& p = pending_;
    data = std::move(p.data);
    argNum = p.argNum;
    parNum = p.parNum;
    endFD = p.endFD;
    endVD = p.endVD;
    jetSlot = p.jetSlot;
    jetDerivatives = p.jetDerivatives;
    for (std::size_t k = 0; k < functions_.size(); ++k) {
        functions_[k] = RealFunction{p.entry[k] < 0 ? nullptr : code + p.entry[k], this};
        lengths_[k] = p.length[k];
    }
    mapping_ = mapping;
    Discard();
}

void TJetEvaluator::Discard() noexcept { pending_ = Pending{}; }

void TJetEvaluator::Forget() noexcept {
    functions_.fill(RealFunction{});
    mapping_.reset();
}

std::span<const uint8_t> TJetEvaluator::FunctionCode(JetFunction which) const {
    const RealFunction& f = Function(which);
    if (!f.Assigned()) return {};
    return {static_cast<const uint8_t*>(f.code), static_cast<std::size_t>(lengths_[static_cast<std::size_t>(which)])};
}

std::span<const double> TJetEvaluator::JetDerivatives() const {
    if (!Function(JetFunction::Jet).Assigned()) return {};
    return {data.data() + jetSlot, static_cast<std::size_t>(jetDerivatives)};
}

Vector2 TJetEvaluator::FirstD(const double* args) {
    const RealFunction& vv = Function(JetFunction::FirstAlongCurve);
    if (!vv.Assigned()) return {0, 0};
    const double f = vv(args, 2 * argNum);
    return {f, data[static_cast<std::size_t>(endFD) + 1]};
}

Vector3 TJetEvaluator::SecondD(const double* args) {
    const RealFunction& aa = Function(JetFunction::SecondAlongCurve);
    if (!aa.Assigned()) return {0, 0, 0};
    const double f = aa(args, 3 * argNum);
    return {f, data[static_cast<std::size_t>(endFD) + 1], data[static_cast<std::size_t>(endVD) + 1]};
}

TSecondOrderJet TJetEvaluator::SecondOrderJet(const double* uv) {
    const RealFunction& hh = Function(JetFunction::Jet);
    if (!hh.Assigned() || argNum != 2) return {};
    const double f = hh(uv, argNum);
    const double* d = data.data() + jetSlot;
    return {f, d[0], d[1], d[2], d[3], d[4]};
}

namespace {
// The compiled code reads 3 * argNum arguments; the helpers below lay out x
// and d in that order for any argNum up to kMaxVariables (e = 0).

struct ArgumentArray {
    double a[3 * kMaxVariables] = {};
    ArgumentArray(int n, const double* x, const double* d, int dim) {
        for (int i = 0; i < dim && i < n; ++i) {
            a[i] = x[i];
            a[n + i] = d[i];
        }
    }
};
}  // namespace

Vector2 TJetEvaluator::gradF(const Vector2& x) {
    Vector2 g{};
    for (int i = 0; i < 2; ++i) {
        const double d[2] = {i == 0 ? 1.0 : 0.0, i == 1 ? 1.0 : 0.0};
        g[i] = FirstD(ArgumentArray(argNum, x.data(), d, 2).a)[1];
    }
    return g;
}

Vector3 TJetEvaluator::gradF(const Vector3& x) {
    Vector3 g{};
    for (int i = 0; i < 3; ++i) {
        const double d[3] = {i == 0 ? 1.0 : 0.0, i == 1 ? 1.0 : 0.0, i == 2 ? 1.0 : 0.0};
        g[i] = FirstD(ArgumentArray(argNum, x.data(), d, 3).a)[1];
    }
    return g;
}

void TJetEvaluator::DiffAndHessian(const Vector2& x, double& f, Vector2& df, Matrix2& hess) {
    const double du[2] = {1, 0}, dv[2] = {0, 1}, duv[2] = {1, 1};
    const Vector3 ra = SecondD(ArgumentArray(argNum, x.data(), du, 2).a);
    const Vector3 rb = SecondD(ArgumentArray(argNum, x.data(), dv, 2).a);
    const Vector3 rc = SecondD(ArgumentArray(argNum, x.data(), duv, 2).a);
    f = ra[0];
    df = {ra[1], rb[1]};
    hess[0][0] = ra[2];
    hess[1][1] = rb[2];
    hess[0][1] = hess[1][0] = (rc[2] - ra[2] - rb[2]) / 2;
}

void TJetEvaluator::DiffAndHessian(const Vector3& x, Vector3& df, Matrix3& hess) {
    auto along = [&](int i, int j) {
        double d[3] = {0, 0, 0};
        d[i] = 1;
        d[j] = 1;
        return SecondD(ArgumentArray(argNum, x.data(), d, 3).a);
    };
    for (int i = 0; i < 3; ++i) {
        const Vector3 r = along(i, i);
        df[i] = r[1];
        hess[i][i] = r[2];
    }
    const int pairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};
    for (const auto& p : pairs) {
        const Vector3 r = along(p[0], p[1]);
        hess[p[0]][p[1]] = hess[p[1]][p[0]] = (r[2] - hess[p[0]][p[0]] - hess[p[1]][p[1]]) / 2;
    }
}

void TJetEvaluator::UpdateParameters(const std::vector<double>& pars) {
    if (pars.empty() || pars.size() > static_cast<std::size_t>(parNum)) return;
    for (std::size_t i = 0; i < pars.size() && 6 + i < data.size(); ++i) data[6 + i] = pars[i];
}

}  // namespace velmora
