// velmora4-cli partials: a formula in u and v and all its partial derivatives
// up to the third order, from the symbolic engine's compiled blocks. The
// formula is read as a coordinate of the window is: the formula language must
// take it too.
//   velmora4-cli partials 'FORMULA' --at U,V [--at U,V ...]
// One JSON object per point: {"u","v","f","fu","fv","fuu","fuv","fvv","fuuu",
// "fuuv","fuvv","fvvv"}.
//
// velmora4-cli const: the value of a formula without variables (a domain
// bound such as "2 pi" or "cos(pi/sqrt(5))").
//   velmora4-cli const 'TEXT'   ->   {"value": ...}
#include "cli/CliCommon.h"
#include "cli/Registry.h"
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"
#include "symbolic/SymbolicPartials.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

struct PartialsOptions {
    std::string formula;
    std::vector<std::string> at;
};

void RunPartials(const PartialsOptions& options) {
    auto derivs = std::make_unique<TSymbolicPartials>();
    try {
        // The formula language first, as "Enter" reads a coordinate: the
        // symbolic engine alone would also take its own spellings (sgn, inv ...).
        TFormulaCompiler language;
        language.ParseNewText(options.formula, "uv", "");
        derivs->ParseNewText(options.formula, "uv", "", {.compile = true, .withPartials = true});
    } catch (const VelmoraError& e) {
        FailWithEngineMessage(e.what());
    }
    static constexpr std::array<std::array<int, 3>, 10> kIndexes{
        {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}, {1, 2, 0}, {2, 2, 0}, {1, 1, 1}, {1, 1, 2}, {1, 2, 2}, {2, 2, 2}}};
    static constexpr std::array<const char*, 10> kNames{"f",   "fu",   "fv",   "fuu",  "fuv",
                                                        "fvv", "fuuu", "fuuv", "fuvv", "fvvv"};
    for (const std::string& point : options.at) {
        const Vector2 x = ParsePair(point);
        JsonLine line;
        line.Number("u", x[0]).Number("v", x[1]);
        for (std::size_t b = 0; b < kIndexes.size(); ++b)
            line.Number(kNames[b], derivs->EvaluateFF(kIndexes[b][0], kIndexes[b][1], kIndexes[b][2], x.data()));
        line.Print();
    }
}

void RunConst(const std::string& text) {
    double value = 0;
    try {
        value = EvaluateConstantFormula(text);
    } catch (const VelmoraError& e) {
        FailWithEngineMessage(e.what());
    }
    JsonLine().Number("value", value).Print();
}

const SubcommandRegistrar partialsCommand(3, [](CLI::App& app) {
    auto options = std::make_shared<PartialsOptions>();
    CLI::App* cmd = app.add_subcommand(
        "partials", "a formula in u, v and its partial derivatives up to the third order, at points");
    cmd->add_option("formula", options->formula, "the formula, in the variables u and v")->required();
    AddPairOption(cmd, "--at", options->at, "a point U,V (repeat for several points)")->required();
    cmd->callback([options] { RunPartials(*options); });
});

const SubcommandRegistrar constCommand(4, [](CLI::App& app) {
    auto text = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("const", "the value of a formula without variables, such as a domain bound");
    cmd->add_option("text", *text, "the formula, e.g. \"2 pi\"")->required();
    cmd->callback([text] { RunConst(*text); });
});

}  // namespace
}  // namespace velmora::cli
