#include "formula/FormulaCompiler.h"

#include "platform/VelmoraError.h"

#include <algorithm>

namespace velmora {

namespace {

bool IsPlotLetter(char c) { return c >= 'P' && c <= 'Z'; }

std::string AsciiUpper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

TFormulaCompiler::TFormulaCompiler() : data(32, 0.0) {
    // Clamp values read by the compiled code: -230 and 230 bound logarithms and
    // exponents, +-1e100 and +-1e-100 replace overflowing and vanishing results.
    data[0] = -230.0;
    data[1] = 1e100;
    data[2] = -1e100;
    data[3] = 1e-100;
    data[4] = -1e-100;
    data[5] = 230.0;
}

const std::vector<WrittenFunction>& TFormulaCompiler::functionNames() {
    using enum Fn;
    static const std::vector<WrittenFunction> names = {
        {"COS", Code(Cos)}, {"SIN", Code(Sin)}, {"SEN", Code(Sin)}, {"EXP", Code(Exp)},
        {"SQR", Code(Square)}, {"SQRT", Code(Sqrt)}, {"LN", Code(Ln)}, {"LOG", Code(Ln)},
        {"TG", Code(Tan)}, {"TAN", Code(Tan)}, {"SH", Code(Sinh)}, {"SINH", Code(Sinh)},
        {"CH", Code(Cosh)}, {"COSH", Code(Cosh)}, {"TH", Code(Tanh)}, {"TANH", Code(Tanh)},
        {"ARCSEN", Code(ArcSin)}, {"ASEN", Code(ArcSin)}, {"ARCSIN", Code(ArcSin)}, {"ASIN", Code(ArcSin)},
        {"ARCCOS", Code(ArcCos)}, {"ACOS", Code(ArcCos)}, {"ARCOS", Code(ArcCos)}, {"ARCTG", Code(ArcTan)},
        {"ARCTAN", Code(ArcTan)}, {"ATAN", Code(ArcTan)}, {"ABS", Code(Abs)}, {"COTG", Code(Cot)},
        {"COTAN", Code(Cot)}, {"COT", Code(Cot)}, {"ARGCH", Code(ArcCosh)}, {"ACOSH", Code(ArcCosh)},
        {"ARGCOSH", Code(ArcCosh)}, {"ARCCOSH", Code(ArcCosh)}, {"ARCTANH", Code(ArcTanh)}, {"ARGTANH", Code(ArcTanh)},
        {"ARGTH", Code(ArcTanh)}, {"ATANH", Code(ArcTanh)}, {"ARCSINH", Code(ArcSinh)}, {"ASINH", Code(ArcSinh)},
        {"ARGSH", Code(ArcSinh)}, {"ARGSINH", Code(ArcSinh)}, {"INT", Code(Integral)}, {"INTEGRAL", Code(Integral)},
    };
    return names;
}

uint8_t TFormulaCompiler::FunctionCode(const std::string& name) {
    for (const WrittenFunction& f : functionNames())
        if (name == f.t) return f.by;
    return '?';
}

double TFormulaCompiler::Evaluate(const double* args) const {
    if (!Fv.Assigned()) throw VelmoraError(kNotCompiledMessage);
    return Fv(args, argNum);
}

void TFormulaCompiler::UpdateParameters(const std::vector<double>& values) {
    if (values.empty() || values.size() > static_cast<std::size_t>(parNum)) return;
    std::copy(values.begin(), values.end(), data.begin() + 6);
}

void TFormulaCompiler::ParseNewText(const std::string& text, const std::string& vars, const std::string& pars,
                                    const FormulaParseOptions& options, const std::vector<double>& /*minCorner*/,
                                    const std::vector<double>& /*maxCorner*/) {
    // The previous code refers to the table as it was; it is unusable from here
    // until this parse generates new code.
    Fv = RealFunction{};
    Discard();

    rawText = text;
    allowedVars.clear();

    // Variables: the letters p to z, their positions are their numbers.
    if (!vars.empty()) {
        allowedVars = AsciiUpper(vars);
        argNum = static_cast<int32_t>(allowedVars.size());
        if (!std::all_of(allowedVars.begin(), allowedVars.end(), IsPlotLetter))
            throw VelmoraError(kBadVariablesMessage);
    } else {
        argNum = 0;
    }

    // Parameters: data slots 6 .. endParam, zero until set.
    allowedPars = pars;
    parNum = static_cast<int32_t>(allowedPars.size());
    if (!allowedPars.empty()) {
        allowedPars = AsciiUpper(allowedPars);
        for (char c : allowedPars)
            if (allowedVars.find(c) != std::string::npos || !IsPlotLetter(c))
                throw VelmoraError(kBadParameterSetMessage);
        // A parameter token holds its slot in one byte.
        if (parNum + 5 > 255) throw VelmoraError(kBadParameterSetMessage);
    }
    allVars = allowedVars + allowedPars;
    endParam = static_cast<uint16_t>(parNum + 5);
    if (data.size() < static_cast<std::size_t>(endParam) + 1) data.resize(endParam + 20);
    std::fill(data.begin() + 6, data.begin() + endParam + 1, 0.0);
    endFD = endParam;

    NormalizeText();
    if (uFormula.empty()) throw VelmoraError(kReducesToNothingMessage);

    // Text to tokens, checked, integer powers expanded, then to postfix.
    ReducedForm reduced = ReduceFormula(options.allowIntegrals);
    uFormula.clear();
    CheckSyntax(reduced);
    ExpandIntegerPowers(reduced);
    actorList = ToPostfix(reduced);

    // The working slots of the derivative code follow the literals, one
    // first and one second derivative per level of the evaluation stack.
    vaNum = DeepestStackLevel(actorList);
    if (static_cast<int64_t>(endFD) + 2 * static_cast<int64_t>(vaNum) + 1 > kMaxDataSlots)
        throw VelmoraError(kFormulaTooLongMessage);
    data.resize(static_cast<std::size_t>(endFD) + 2 * static_cast<std::size_t>(vaNum) + 1);
    std::fill(data.begin() + endFD + 1, data.end(), 0.0);

    if (options.compile) GenerateCode();
}

}  // namespace velmora
