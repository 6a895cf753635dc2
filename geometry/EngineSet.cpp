#include "geometry/EngineSet.h"

namespace velmora {

void TEngineSet::Build(const std::array<std::string, 4>& texts, TFunctionParserBytes_64& parser) {
    for (int i = 0; i < 4; ++i) {
        parser.ParseNewText(texts[i], "uv", "", false, true);
        sds[i].Build(parser);
        spds[i].ParseNewText(texts[i], "uv", "", true, true);
    }
}

}  // namespace velmora
