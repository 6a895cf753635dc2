// TEvaluatorBytes_64: native code for a parsed formula that yields its value
// (`ff`), its value and first derivative along a direction (`vv`), and its value
// with first and second derivative along a curve (`aa`), by forward propagation
// of derivatives through the postfix program.
#pragma once

#include "formula/FunctionParserBytes_64_XE2.h"
#include "platform/CompiledFunction.h"
#include "platform/ExecutableMemory.h"
#include "platform/VelmoraTypes.h"

#include <array>
#include <cstdint>
#include <vector>

namespace velmora {

class TEvaluatorBytes_64 {
public:
    TEvaluatorBytes_64() = default;  // Create
    TEvaluatorBytes_64(const TEvaluatorBytes_64&) = delete;
    TEvaluatorBytes_64& operator=(const TEvaluatorBytes_64&) = delete;

    // Copies the parser's program and constants and generates ff, vv and aa.
    // On failure (VelmoraError with the engine's message) the evaluator keeps
    // the program and code it had before.
    void Build(const TFunctionParserBytes_64& theF);
    // The same from the parts of a parsed formula: the postfix program, the
    // constant table (with its working slots) and the layout marks.
    void BuildFrom(const ByteArray& program, const std::vector<double>& table, int32_t variables,
                   int32_t parameters, int32_t firstDerivativeMark, int32_t secondDerivativeMark);

    // Before the first successful Build these return zeros.
    // args = (x1..xn, d1..dn): returns (f, f').
    Vector2 FirstD(const double* args);
    // args = (x1..xn, d1..dn, e1..en): returns (f, f', f'').
    Vector3 SecondD(const double* args);
    // Value only.
    double Value(const double* args) const { return ff.Assigned() ? ff(args, argNum) : 0.0; }

    Vector2 gradF(const Vector2& x);
    Vector3 gradF(const Vector3& x);
    void DiffAndHessian(const Vector2& x, double& f, Vector2& df, Matrix2& hess);
    void DiffAndHessian(const Vector3& x, Vector3& df, Matrix3& hess);
    void UpdateParameters(const std::vector<double>& pars);

    // ---- state ---------------------------------------------------------------
    std::vector<double> data;
    int32_t endFD = 0, endVD = 0;
    int32_t vaNum = 0;  // endVD - endFD: the deepest stack level of the program
    int32_t argNum = 0, parNum = 0;
    int32_t lastIntegral1 = -1, lastIntegral2 = -1;
    int32_t lengthActorList = 0;
    ByteArray actorList;
    ExecutableBlock ffBlock, vvBlock, aaBlock;
    int32_t ffBlockLength = 0, vvBlockLength = 0, aaBlockLength = 0;
    RealFunction ff, vv, aa;
};

using FourEvaluators = std::array<TEvaluatorBytes_64, 4>;

}  // namespace velmora
