#include "FuzzInput.h"

#include "CheckedCall.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velmora::fuzz {

void InitializeFuzzing() {
    if (!test::InstallCheckedCalls()) Fail("this build calls compiled code without checking it (VELMORA_CHECKED_CALLS)");
}

std::vector<std::string> Lines(const uint8_t* data, std::size_t size, std::size_t count) {
    std::vector<std::string> lines(count);
    std::size_t line = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' && line + 1 < count) {
            ++line;
        } else {
            lines[line] += static_cast<char>(data[i]);
        }
    }
    return lines;
}

std::vector<double> Numbers(const std::string& line, std::size_t count, double limit, const std::vector<double>& fallback) {
    std::vector<double> values = fallback;
    values.resize(count, 0.0);
    const char* p = line.c_str();
    for (std::size_t k = 0; k < count && *p != '\0'; ++k) {
        while (*p == ' ' || *p == ',' || *p == '\t') ++p;
        char* end = nullptr;
        const double x = std::strtod(p, &end);
        if (end == p) break;
        p = end;
        if (std::isfinite(x) && std::fabs(x) <= limit) values[k] = x;
    }
    return values;
}

std::string Written(const std::vector<double>& values) {
    std::string out;
    for (const double x : values) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", x);
        if (!out.empty()) out += ' ';
        out += buffer;
    }
    return out;
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "FINDING: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace velmora::fuzz
