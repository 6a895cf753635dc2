#include "evaluator/FEvaluatorBytes_64_XE2.h"

#include "evaluator/DerivativeCodeGen.h"
#include "formula/X87Emitter.h"
#include "platform/VelmoraError.h"

#include <algorithm>
#include <utility>

namespace velmora {

namespace {

// Variables are loaded with 8-bit displacements by the value-only code.
constexpr int kMaxVariables = 16;

// Upper bound of the length of the value-only code: the accounting of the
// emitter with the longest form of every operand load (six bytes).
int32_t EstimateValueCodeSize(const ByteArray& list) {
    X87SizeEstimate est(1);
    est.Add(kPrologueSize);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const uint8_t b = list[i];
        if (b == kTokenPrefix) {
            est.Operand(6);
            i += 3;
        } else if (b == '1' || b == 'p') {
            est.Operand(2);
        } else if (b == '+' || b == '-' || b == '*' || b == '/') {
            est.ReloadIfNeeded();
            if (b == '/') {
                est.EnsureFree(1);
                est.Add(16);
            } else {
                est.Add(2);
            }
            est.BinaryOperatorDone();
        } else if (b == '^') {
            throw VelmoraError(kUndigestedPowerMessage);
        } else {
            const int need = X87CodeGen::FunctionNeed(b);
            if (need < 0) throw VelmoraError(kFailedAnalysisMessage);
            est.EnsureFree(need);
            est.Add(X87CodeGen::FunctionSize(b));
        }
    }
    est.Add(kEpilogueSize);
    return static_cast<int32_t>(est.size);
}

// The value-only function, instruction for instruction the parser's own.
const void* GenerateValueCode(const ByteArray& list, const std::vector<double>& table, ExecutableBlock& block,
                              int32_t& length) {
    length = EstimateValueCodeSize(list);
    block.Allocate(static_cast<std::size_t>(length));
    X87CodeGen gen;
    gen.Begin(block.Data(), length, 1);
    gen.Prologue(table.data());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const uint8_t b = list[i];
        if (b == kTokenPrefix) {
            const int index = list[i + 2] * 256 + list[i + 3];
            switch (list[i + 1]) {
                case kTokenVariable: gen.PushVariable(index); break;
                case kTokenParameter: gen.PushParameterSlot(index); break;
                case kTokenLiteral: gen.PushTableSlot(index); break;
                default: throw VelmoraError(kFailedAnalysisMessage);
            }
            i += 3;
        } else if (b == '1') {
            gen.PushOne();
        } else if (b == 'p') {
            gen.PushPi();
        } else if (b == '+' || b == '-' || b == '*' || b == '/') {
            gen.Operator(b);
        } else {
            gen.Function(b);
        }
    }
    gen.Epilogue();
    block.MakeExecutable();
    return block.Data();
}

}  // namespace

void TEvaluatorBytes_64::Build(const TFunctionParserBytes_64& theF) {
    BuildFrom(theF.actorList, theF.data, theF.argNum, theF.parNum, theF.endFD, theF.endVD);
    lastIntegral1 = theF.lastIntegral1;
    lastIntegral2 = theF.lastIntegral2;
}

void TEvaluatorBytes_64::BuildFrom(const ByteArray& program, const std::vector<double>& table, int32_t variables,
                                   int32_t parameters, int32_t firstDerivativeMark, int32_t secondDerivativeMark) {
    // Everything is built aside and swapped in at the end, so that a refused
    // program leaves the previous one working.
    if (variables < 0 || variables > kMaxVariables) throw VelmoraError(kFailedAnalysisMessage);
    ByteArray list = program;
    std::vector<double> newData = table;
    const int32_t fd = std::max<int32_t>(firstDerivativeMark, 0);
    const int32_t vd = std::max<int32_t>(secondDerivativeMark, fd);
    // The results are written to data[endFD+1] and data[endVD+1].
    if (newData.size() < static_cast<std::size_t>(vd) + 2) newData.resize(static_cast<std::size_t>(vd) + 2, 0.0);
    const int maxDepth = DerivativeCodeGen::CheckProgram(list, variables, newData.size());

    ExecutableBlock newFf, newVv, newAa;
    int32_t ffLength = 0, vvLength = 0, aaLength = 0;
    const void* ffEntry = GenerateValueCode(list, newData, newFf, ffLength);
    const DerivativeProgram source{&list, &newData, variables, fd, vd};
    const void* vvEntry = DerivativeCodeGen(source, 2).Generate(newVv, vvLength);
    const void* aaEntry = DerivativeCodeGen(source, 3).Generate(newAa, aaLength);

    data = std::move(newData);  // the buffer, whose address is in the code, moves along
    actorList = std::move(list);
    lengthActorList = static_cast<int32_t>(actorList.size());
    argNum = variables;
    parNum = parameters;
    endFD = fd;
    endVD = vd;
    vaNum = std::max(vd - fd, static_cast<int32_t>(maxDepth));
    ffBlock = std::move(newFf);
    vvBlock = std::move(newVv);
    aaBlock = std::move(newAa);
    ffBlockLength = ffLength;
    vvBlockLength = vvLength;
    aaBlockLength = aaLength;
    ff.code = ffEntry;
    vv.code = vvEntry;
    aa.code = aaEntry;
    ff.ctx = vv.ctx = aa.ctx = this;
}

Vector2 TEvaluatorBytes_64::FirstD(const double* args) {
    if (!vv.Assigned()) return {0, 0};
    const double f = vv(args, 2 * argNum);
    return {f, data[static_cast<std::size_t>(endFD) + 1]};
}

Vector3 TEvaluatorBytes_64::SecondD(const double* args) {
    if (!aa.Assigned()) return {0, 0, 0};
    const double f = aa(args, 3 * argNum);
    return {f, data[static_cast<std::size_t>(endFD) + 1], data[static_cast<std::size_t>(endVD) + 1]};
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

Vector2 TEvaluatorBytes_64::gradF(const Vector2& x) {
    Vector2 g{};
    for (int i = 0; i < 2; ++i) {
        const double d[2] = {i == 0 ? 1.0 : 0.0, i == 1 ? 1.0 : 0.0};
        g[i] = FirstD(ArgumentArray(argNum, x.data(), d, 2).a)[1];
    }
    return g;
}

Vector3 TEvaluatorBytes_64::gradF(const Vector3& x) {
    Vector3 g{};
    for (int i = 0; i < 3; ++i) {
        const double d[3] = {i == 0 ? 1.0 : 0.0, i == 1 ? 1.0 : 0.0, i == 2 ? 1.0 : 0.0};
        g[i] = FirstD(ArgumentArray(argNum, x.data(), d, 3).a)[1];
    }
    return g;
}

void TEvaluatorBytes_64::DiffAndHessian(const Vector2& x, double& f, Vector2& df, Matrix2& hess) {
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

void TEvaluatorBytes_64::DiffAndHessian(const Vector3& x, Vector3& df, Matrix3& hess) {
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

void TEvaluatorBytes_64::UpdateParameters(const std::vector<double>& pars) {
    if (pars.empty() || pars.size() > static_cast<std::size_t>(parNum)) return;
    for (std::size_t i = 0; i < pars.size() && 6 + i < data.size(); ++i) data[6 + i] = pars[i];
}

}  // namespace velmora
