#include "evaluator/ReferenceEvaluator.h"

#include "evaluator/DerivativeCodeGen.h"
#include "formula/FunctionCodes.h"

#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kLog2e = std::numbers::log2e;

using Jet = ReferenceEvaluator::Jet;

// f(u) with derivative factors g1 = f'(u), g2 = f''(u): the chain rule.
Jet Chain(const Jet& u, double f, double g1, double g2) {
    return {f, g1 * u.d1, g2 * u.d1 * u.d1 + g1 * u.d2};
}

// A clamp: the value without derivatives.
Jet Flat(double f) { return {f, 0, 0}; }

// e^u as the formulas compute it: 1e100 / 1e-100 when |u log2 e| > 230.
double Exponential(double u) {
    const double t = u * kLog2e;
    if (!(std::fabs(t) <= 230)) return (t > 0 || std::isnan(t)) ? 1e100 : 1e-100;
    return std::exp(u);
}

bool ExponentialClamped(double u) { return !(std::fabs(u * kLog2e) <= 230); }

}  // namespace

void ReferenceEvaluator::Load(const ByteArray& actorList, const std::vector<double>& data, int argNum) {
    const int depth = DerivativeCodeGen::CheckProgram(actorList, argNum, data.size());
    program_ = actorList;
    data_ = data;
    argNum_ = argNum;
    stack_.assign(static_cast<std::size_t>(depth), Jet{});
}

void ReferenceEvaluator::Load(const TFormulaCompiler& parser) {
    Load(parser.Program(), parser.Table(), parser.Variables());
}

void ReferenceEvaluator::UpdateParameters(const std::vector<double>& pars, int parNum) {
    if (pars.empty() || pars.size() > static_cast<std::size_t>(parNum)) return;
    for (std::size_t i = 0; i < pars.size() && 6 + i < data_.size(); ++i) data_[6 + i] = pars[i];
}

double ReferenceEvaluator::Value(const double* x) { return Run(x, nullptr, nullptr, true).v; }

bool ReferenceEvaluator::MayLeaveDomain() const {
    const std::size_t n = program_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t b = program_[i];
        if (b == kTokenPrefix) {
            i += 3;
        } else if (b == '/') {
            return true;
        } else if (b != '1' && b != 'p' && b != '+' && b != '-' && b != '*') {
            // A function: every function whose domain is not all numbers.
            if (!InDomain(b, 1e300) || !InDomain(b, -1e300) || !InDomain(b, 0)) return true;
        }
    }
    return false;
}

std::optional<double> ReferenceEvaluator::DefinedValue(const double* x) {
    bool outside = false;
    const double v = Run(x, nullptr, nullptr, true, &outside).v;
    if (outside || !std::isfinite(v)) return std::nullopt;
    return v;
}

Vector3 ReferenceEvaluator::Derivatives(const double* args) {
    const Jet r = Run(args, args + argNum_, args + 2 * argNum_, false);
    return {r.v, r.d1, r.d2};
}

Vector2 ReferenceEvaluator::FirstDerivative(const double* args) {
    const Jet r = Run(args, args + argNum_, nullptr, false);
    return {r.v, r.d1};
}

ReferenceEvaluator::Jet ReferenceEvaluator::Run(const double* x, const double* d, const double* e, bool valueOnly,
                                                bool* outside) {
    std::size_t top = 0;  // number of values on the stack
    const std::size_t n = program_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t b = program_[i];
        if (b == kTokenPrefix) {
            const int index = program_[i + 2] * 256 + program_[i + 3];
            Jet j;
            if (program_[i + 1] == kTokenVariable) {
                j.v = x[index - 1];
                if (d) j.d1 = d[index - 1];
                if (e) j.d2 = e[index - 1];
            } else {
                j.v = data_[static_cast<std::size_t>(index)];
            }
            stack_[top++] = j;
            i += 3;
        } else if (b == '1') {
            stack_[top++] = Jet{1, 0, 0};
        } else if (b == 'p') {
            stack_[top++] = Jet{kPi, 0, 0};
        } else if (b == '+' || b == '-' || b == '*' || b == '/') {
            --top;
            if (outside && b == '/' && !ValidDivisor(stack_[top].v)) *outside = true;
            stack_[top - 1] = Operator(b, stack_[top - 1], stack_[top]);
        } else {
            if (outside && !InDomain(b, stack_[top - 1].v)) *outside = true;
            stack_[top - 1] = Function(b, stack_[top - 1], valueOnly);
        }
    }
    return stack_[0];
}

ReferenceEvaluator::Jet ReferenceEvaluator::Operator(uint8_t op, const Jet& a, const Jet& b) {
    switch (op) {
        case '+': return {a.v + b.v, a.d1 + b.d1, a.d2 + b.d2};
        case '-': return {a.v - b.v, a.d1 - b.d1, a.d2 - b.d2};
        case '*': return {a.v * b.v, a.d1 * b.v + a.v * b.d1, a.d2 * b.v + 2 * a.d1 * b.d1 + a.v * b.d2};
        default: {
            if (b.v == 0 || std::isnan(b.v)) return {0, 0, 0};
            const double q = a.v / b.v;
            return {q, (a.d1 - q * b.d1) / b.v,
                    (a.d2 - q * b.d2) / b.v + 2 * (q * b.d1 * b.d1 - a.d1 * b.d1) / (b.v * b.v)};
        }
    }
}

bool ReferenceEvaluator::InDomain(uint8_t code, double u) {
    if (std::isnan(u)) return false;
    switch (AsFn(code)) {
        case Fn::Sqrt: return u >= 0;
        case Fn::Ln: return u > 0;
        case Fn::ArcSin:
        case Fn::ArcCos: return std::fabs(u) <= 1;
        case Fn::ArcCosh: return u >= 1;
        case Fn::ArcTanh: return std::fabs(u) < 1;
        case Fn::Cot: return std::sin(u) != 0;
        // An exponential beyond its clamp has no value of its size; a tiny
        // one (the clamp 1e-100) is as good as its value.
        case Fn::Exp:
        case Fn::Sinh:
        case Fn::Cosh: return !ExponentialClamped(u) || (code == Code(Fn::Exp) && u < 0);
        default: return true;
    }
}

ReferenceEvaluator::Jet ReferenceEvaluator::Function(uint8_t code, const Jet& j, bool valueOnly) {
    const double u = j.v;
    switch (AsFn(code)) {
        case Fn::UnaryMinus: return {-j.v, -j.d1, -j.d2};
        case Fn::Cos: return Chain(j, std::cos(u), -std::sin(u), -std::cos(u));
        case Fn::Sin: return Chain(j, std::sin(u), std::cos(u), -std::sin(u));
        case Fn::Exp: {
            const double ex = Exponential(u);
            return Chain(j, ex, ex, ex);
        }
        case Fn::Square: return Chain(j, u * u, 2 * u, 2);
        case Fn::Sqrt:
            if (!(u > 0)) return Flat(0);
            return Chain(j, std::sqrt(u), 1 / (2 * std::sqrt(u)), -1 / (4 * u * std::sqrt(u)));
        case Fn::Ln:
            if (!(u > 0)) return Flat(-230);
            return Chain(j, std::log(u), 1 / u, -1 / (u * u));
        case Fn::Tan: {
            const double t = std::tan(u);
            return Chain(j, t, 1 + t * t, 2 * t * (1 + t * t));
        }
        case Fn::Sinh:
        case Fn::Cosh: {
            double s = std::sinh(u), c = std::cosh(u);
            if (ExponentialClamped(u)) {
                const double ex = Exponential(u);
                s = (ex - 1 / ex) / 2;
                c = (ex + 1 / ex) / 2;
            }
            return code == Code(Fn::Sinh) ? Chain(j, s, c, s) : Chain(j, c, s, c);
        }
        case Fn::Tanh: {
            double t = std::tanh(u);
            if (ExponentialClamped(u)) t = u > 0 ? 1 : -1;
            return Chain(j, t, 1 - t * t, -2 * t * (1 - t * t));
        }
        case Fn::ArcSin:
            if (valueOnly && std::fabs(u) == 1) return Flat(std::asin(u));
            if (!(std::fabs(u) < 1)) return Flat(u > 0 ? kPi / 2 : -kPi / 2);
            return Chain(j, std::asin(u), 1 / std::sqrt(1 - u * u), u / std::pow(1 - u * u, 1.5));
        case Fn::ArcCos:
            if (valueOnly && std::fabs(u) == 1) return Flat(std::acos(u));
            if (!(std::fabs(u) < 1)) return Flat(u > 0 ? 0 : kPi);
            return Chain(j, std::acos(u), -1 / std::sqrt(1 - u * u), -u / std::pow(1 - u * u, 1.5));
        case Fn::ArcTan: return Chain(j, std::atan(u), 1 / (1 + u * u), -2 * u / ((1 + u * u) * (1 + u * u)));
        case Fn::Abs:
            if (valueOnly) return Flat(std::fabs(u));
            if (u < 0) return {-j.v, -j.d1, -j.d2};
            return j;
        case Fn::Cot: {
            const double s = std::sin(u);
            if (s == 0 || std::isnan(s)) return Flat(0);
            const double c = std::cos(u) / s;
            return Chain(j, c, -(1 + c * c), 2 * c * (1 + c * c));
        }
        case Fn::ArcCosh:
            if (!(u > 1)) return Flat(0);
            return Chain(j, std::acosh(u), 1 / std::sqrt(u * u - 1), -u / std::pow(u * u - 1, 1.5));
        case Fn::ArcTanh:
            if (!(std::fabs(u) < 1)) {
                if (valueOnly) return Flat(u < 0 ? -230 : 230);
                return Flat(u >= 0 ? 1e100 : -1e100);
            }
            return Chain(j, std::atanh(u), 1 / (1 - u * u), 2 * u / ((1 - u * u) * (1 - u * u)));
        case Fn::ArcSinh: return Chain(j, std::asinh(u), 1 / std::sqrt(u * u + 1), -u / std::pow(u * u + 1, 1.5));
        default: return j;  // not reached: Load refuses other bytes
    }
}

}  // namespace velmora
