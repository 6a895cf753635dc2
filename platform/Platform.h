// Small services of the host system that the engine needs without knowing the
// windowing toolkit: processor count and the tone the engine may sound.
#pragma once

#include <functional>

namespace velmora {

// Number of logical processors (at least 1).
int LogicalProcessorCount();

// Sounds a tone of the given frequency and duration through the handler that
// the program installed (the window installs its own); by default it is silent.
void Beep(int frequencyHz, int durationMs);
void SetBeepHandler(std::function<void(int frequencyHz, int durationMs)> handler);

}  // namespace velmora
