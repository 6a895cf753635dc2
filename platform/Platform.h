// Small services of the host system that the engine needs without knowing the
// windowing toolkit: processor count and the tone the engine may sound.
#pragma once

#include <functional>
#include <thread>

namespace velmora {

// Number of logical processors (at least 1).
int LogicalProcessorCount();

// Sounds a tone of the given frequency and duration through the handler that
// the program installed (the window installs its own); by default it is silent.
void Beep(int frequencyHz, int durationMs);
void SetBeepHandler(std::function<void(int frequencyHz, int durationMs)> handler);

// Starts a thread running `body`, joined when the returned object is
// destroyed. Throws std::system_error when the system refuses the thread - or
// when the start hook does (tests make starts fail through it; nullptr
// removes it, and it is installed process-wide).
std::jthread StartThread(std::function<void()> body);
using ThreadStartHook = bool (*)();
void SetThreadStartHook(ThreadStartHook hook);

}  // namespace velmora
