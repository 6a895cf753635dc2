#include "session/SurfaceInput.h"

namespace velmora {

const TInputTexts& DefaultSurfaceTexts() {
    static const TInputTexts texts = {
        "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)",   "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
        "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)", "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)",
        "0",                                           "2 pi",
        "0",                                           "2.2"};
    return texts;
}

std::pair<std::size_t, std::size_t> TrimRange(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) < 33) ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) < 33) --last;
    return {first, last};
}

std::string TrimInput(std::string_view text) {
    const auto [first, last] = TrimRange(text);
    return std::string(text.substr(first, last - first));
}

namespace readmsg {

std::string NotFinite(TInputField bound) {
    const char* which = (bound == uMinField || bound == vMinField) ? "minimum" : "maximum";
    const char axis = (bound == uMinField || bound == uMaxField) ? 'u' : 'v';
    return std::string("The ") + which + " of '" + axis + "' is not a finite number";
}

std::string NoScale(char axis) {
    return std::string("The bounds of '") + axis + "' are too close together or too far apart";
}

}  // namespace readmsg

}  // namespace velmora
