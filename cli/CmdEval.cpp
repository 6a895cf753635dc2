// velmora4-cli eval: the value of one formula in u and v, and its first and
// second derivative along a curve through each given point.
//   velmora4-cli eval 'FORMULA' --at U,V [--at U,V ...] [--dir DU,DV] [--acc EU,EV]
// One JSON object per point: {"u","v","value","d1","d2"}; the value is that of
// the parser's compiled function, d1 and d2 those of the derivative evaluator
// for the curve with velocity --dir (default 1,0) and acceleration --acc
// (default 0,0).
#include "cli/CliCommon.h"
#include "cli/Registry.h"
#include "evaluator/JetEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"

#include <memory>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

struct EvalOptions {
    std::string formula;
    std::vector<std::string> at;
    std::vector<std::string> dir;
    std::vector<std::string> acc;
};

// The last occurrence of a pair option, or the default.
Vector2 LastPair(const std::vector<std::string>& given, Vector2 fallback) {
    return given.empty() ? fallback : ParsePair(given.back());
}

void RunEval(const EvalOptions& options) {
    TFormulaCompiler parser;
    TJetEvaluator evaluator;
    try {
        parser.ParseNewText(options.formula, "uv", "", {.compile = true});
        evaluator.Build(parser);
    } catch (const VelmoraError& e) {
        FailWithEngineMessage(e.what());
    }
    const Vector2 d = LastPair(options.dir, {1, 0});
    const Vector2 e = LastPair(options.acc, {0, 0});
    for (const std::string& point : options.at) {
        const Vector2 x = ParsePair(point);
        const double args[6] = {x[0], x[1], d[0], d[1], e[0], e[1]};
        const double value = parser.Evaluate(args);
        const Vector3 r = evaluator.SecondD(args);
        JsonLine().Number("u", x[0]).Number("v", x[1]).Number("value", value).Number("d1", r[1]).Number("d2", r[2]).Print();
    }
}

const SubcommandRegistrar evalCommand(1, [](CLI::App& app) {
    auto options = std::make_shared<EvalOptions>();
    CLI::App* cmd = app.add_subcommand(
        "eval", "value of a formula in u, v and its first and second derivative along a curve, at points");
    cmd->add_option("formula", options->formula, "the formula, in the variables u and v")->required();
    AddPairOption(cmd, "--at", options->at, "a point U,V (repeat for several points)")->required();
    AddPairOption(cmd, "--dir", options->dir, "velocity DU,DV of the curve (default 1,0)");
    AddPairOption(cmd, "--acc", options->acc, "acceleration EU,EV of the curve (default 0,0)");
    cmd->callback([options] { RunEval(*options); });
});

}  // namespace
}  // namespace velmora::cli
