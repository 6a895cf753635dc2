// The calling convention of every compiled formula. The generated code reads
// the address of its argument array from RDX. On x86-64 System V the third
// integer argument travels in RDX, so the entry is declared with the array
// third; on Windows x64 it would be (ctx, args, lastIndex).
#pragma once

#include <cstdint>

namespace velmora {

using CompiledEntry = double (*)(const void* ctx, intptr_t lastIndex, const double* args);

#ifdef VELMORA_CHECKED_CALLS
// Builds for fuzzing may route every call into compiled code through a
// function that calls the entry itself and checks that it kept the calling
// convention; the fuzz targets install one. Null: direct calls.
using CompiledCallThrough = double (*)(CompiledEntry entry, const void* ctx, intptr_t lastIndex, const double* args);
inline CompiledCallThrough compiledCallThrough = nullptr;
#endif

// A compiled formula: code address plus a context pointer that the code ignores.
struct RealFunction {
    const void* code = nullptr;
    const void* ctx = nullptr;

    bool Assigned() const { return code != nullptr; }

    // `count` is the number of doubles in `args`; the code receives count - 1
    // as the index of the last argument, as an open array would pass it.
    double operator()(const double* args, intptr_t count) const {
        auto entry = reinterpret_cast<CompiledEntry>(const_cast<void*>(code));
#ifdef VELMORA_CHECKED_CALLS
        if (compiledCallThrough != nullptr) return compiledCallThrough(entry, ctx, count - 1, args);
#endif
        return entry(ctx, count - 1, args);
    }
};

}  // namespace velmora
