// A call into compiled code that checks the calling convention of x86-64
// System V around it: the callee-saved registers rbx, rbp, r12 to r15 and the
// stack pointer come back unchanged, the x87 register stack is empty, and the
// x87 control word and the control bits of MXCSR are what they were. A small assembly trampoline
// loads marker values into the callee-saved registers, calls, and records what
// it finds afterwards.
#pragma once

#include "platform/CompiledFunction.h"

#include <cstdint>
#include <string>

namespace velmora::test {

// Calls `entry` as the engines do (context, index of the last argument,
// arguments); `violation` receives what the callee did not keep, or "".
double CallChecking(CompiledEntry entry, const void* ctx, intptr_t lastIndex, const double* args,
                    std::string& violation);

// The same, ending the process with a message on a violation.
double CheckedCall(CompiledEntry entry, const void* ctx, intptr_t lastIndex, const double* args);

// Routes every call of a RealFunction through CheckedCall. False when this
// build has no such route (it is compiled with VELMORA_CHECKED_CALLS).
bool InstallCheckedCalls();

}  // namespace velmora::test
