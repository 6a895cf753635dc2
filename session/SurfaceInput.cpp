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

const char* FieldName(int field) {
    static const char* const kNames[kInputFields] = {"x(u,v)", "y(u,v)", "z(u,v)", "w(u,v)",
                                                     "uMin",   "uMax",   "vMin",   "vMax"};
    return field >= 0 && field < kInputFields ? kNames[field] : "";
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

std::string TooLong(TInputField field) {
    return std::string(FieldName(field)) + " is longer than the limit of " + std::to_string(kMaxFieldLength) +
           " characters";
}

std::string NotFiniteValues(TInputField field) {
    return std::string("The values of ") + FieldName(field) + " are not finite numbers on the domain";
}

}  // namespace readmsg

}  // namespace velmora
