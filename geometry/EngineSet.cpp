#include "geometry/EngineSet.h"

#include <utility>

namespace velmora {

TEngineSet::TEngineSet() {
    for (auto& evaluator : evaluators) evaluator.AttachTo(&area);
    for (auto& derivatives : partials) derivatives.AttachTo(&area);
}

void TEngineSet::Build(const std::array<std::string, 4>& texts, TFormulaCompiler& parser) {
    TEngineSetsBuild build({this});
    for (int i = 0; i < 4; ++i) {
        parser.ParseNewText(texts[static_cast<std::size_t>(i)], "uv", "");
        build.Coordinate(i, parser, texts[static_cast<std::size_t>(i)]);
    }
    build.Commit();
}

TEngineSetsBuild::TEngineSetsBuild(std::vector<TEngineSet*> sets) : sets_(std::move(sets)) {
    for (TEngineSet* set : sets_) set->area.Open();
}

TEngineSetsBuild::~TEngineSetsBuild() {
    for (TEngineSet* set : sets_) set->area.Abandon();
}

void TEngineSetsBuild::Coordinate(int i, const TFormulaCompiler& parsed, const std::string& text) {
    const auto k = static_cast<std::size_t>(i);
    for (TEngineSet* set : sets_) set->evaluators[k].Build(parsed);
    for (TEngineSet* set : sets_) set->partials[k].ParseNewText(text, "uv", "", {.compile = true, .withPartials = true});
    programs_[k] = {parsed.Program(), parsed.Table(), parsed.Variables()};
    read_[k] = true;
}

void TEngineSetsBuild::Commit() {
    // Every set's code is mapped first: when one mapping fails, no set takes
    // its new code and every set keeps the code it had.
    std::vector<std::shared_ptr<const CodeMapping>> published;
    published.reserve(sets_.size());
    for (TEngineSet* set : sets_) published.push_back(set->area.Publish());  // on failure the destructor abandons
    for (std::size_t i = 0; i < sets_.size(); ++i) sets_[i]->area.Install(published[i]);
    for (TEngineSet* set : sets_)
        for (std::size_t k = 0; k < 4; ++k)
            if (read_[k]) set->programs[k] = programs_[k];
}

}  // namespace velmora
