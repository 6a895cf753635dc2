// The inputs of the fuzz targets are text: lines of formulas, then a line of
// numbers (a point, directions), so that a seed can be read and written by
// hand. Every target calls compiled code through the calling-convention check
// and ends the process with a message on any disagreement it finds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::fuzz {

// Installs the checked calls into compiled code; a build without them ends.
void InitializeFuzzing();

// The input split at line feeds (a missing line is empty).
std::vector<std::string> Lines(const uint8_t* data, std::size_t size, std::size_t count);

// The numbers of a line, separated by blanks or commas: at most `count`, each
// finite and within +-limit, and `fallback` for the ones missing.
std::vector<double> Numbers(const std::string& line, std::size_t count, double limit, const std::vector<double>& fallback);

// The numbers written with 17 significant digits, separated by blanks.
std::string Written(const std::vector<double>& values);

// Reports a finding on standard error and ends the process (libFuzzer keeps the input).
[[noreturn]] void Fail(const std::string& what);

}  // namespace velmora::fuzz
