// The compiled engines of one thread: the four derivative evaluators and the
// four symbolic-derivative objects of the coordinates x, y, z, w. The window
// owns one set for the main thread and one per background worker; no set is
// ever used by two threads. A set must not move once built (its code embeds
// the addresses of its tables).
//
// All the code of a set lives in one mapping: while the set is built its
// engines stage their code, and the build ends by publishing it, made
// read+execute by one protection change.
#pragma once

#include "evaluator/JetEvaluator.h"
#include "formula/FormulaCompiler.h"
#include "platform/CodeArea.h"
#include "symbolic/SymbolicPartials.h"

#include <array>
#include <string>
#include <vector>

namespace velmora {

// The parsed program of a coordinate (postfix program, constant table and the
// number of variables), kept for the interpreter that tells where a formula
// is undefined. Empty before the first read.
struct TCoordinateProgram {
    ByteArray program;
    std::vector<double> table;
    int32_t variables = 0;

    bool Empty() const { return program.empty(); }
};

struct TEngineSet {
    FourJetEvaluators evaluators;  // x, y, z, w: value, first and second derivatives
    FourSymbolicPartials partials;        // x, y, z, w: partial derivatives up to order three
    std::array<TCoordinateProgram, 4> programs;  // x, y, z, w as last read
    TCodeArea area;      // the code of all eight

    TEngineSet();
    TEngineSet(const TEngineSet&) = delete;
    TEngineSet& operator=(const TEngineSet&) = delete;

    // Parses and compiles the four coordinate texts (variables "uv") with the
    // given parser; throws the first engine error.
    void Build(const std::array<std::string, 4>& texts, TFormulaCompiler& parser);
};

// A build of several sets from the same four formulas, as "Enter" does: each
// formula is parsed once, and every set gets its evaluator and its symbolic
// object of that coordinate; Commit publishes the code of each set in one
// mapping, for all sets or (when a mapping fails) for none. A build that is
// not committed leaves every engine with the code and table it had.
class TEngineSetsBuild {
public:
    explicit TEngineSetsBuild(std::vector<TEngineSet*> sets);
    TEngineSetsBuild(const TEngineSetsBuild&) = delete;
    TEngineSetsBuild& operator=(const TEngineSetsBuild&) = delete;
    ~TEngineSetsBuild();

    // Coordinate i (0..3) of every set: the evaluators from the parsed formula,
    // the symbolic objects from its text (variables "uv").
    void Coordinate(int i, const TFormulaCompiler& parsed, const std::string& text);
    void Commit();

private:
    std::vector<TEngineSet*> sets_;
    std::array<TCoordinateProgram, 4> programs_;  // taken by the sets on Commit
    std::array<bool, 4> read_{};
};

}  // namespace velmora
