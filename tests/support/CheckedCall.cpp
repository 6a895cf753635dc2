#include "CheckedCall.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace velmora::test {

namespace {

// What the trampoline records; the offsets are those its code uses.
struct CallRecord {
    uint16_t controlBefore;  // 0
    uint16_t controlAfter;   // 2
    uint32_t mxcsrBefore;    // 4
    uint32_t mxcsrAfter;     // 8
    uint32_t pad0;           // 12
    uint64_t rspBefore;      // 16
    uint64_t rspAfter;       // 24
    uint64_t rbx, rbp, r12, r13, r14, r15;  // 32 .. 72, after the call
    uint8_t environment[28];                // 80: the x87 environment after the call (tag word at 88)
    uint8_t pad1[4];
};
static_assert(offsetof(CallRecord, rspBefore) == 16 && offsetof(CallRecord, rbx) == 32 &&
              offsetof(CallRecord, r15) == 72 && offsetof(CallRecord, environment) == 80);

// The markers the trampoline puts into the callee-saved registers.
constexpr uint64_t kMarkRbx = 0x0B0B0B0B1B1B1B1Bull, kMarkRbp = 0x0B0B0B0B2B2B2B2Bull;
constexpr uint64_t kMarkR12 = 0x0C0C0C0C1C1C1C1Cull, kMarkR13 = 0x0D0D0D0D1D1D1D1Dull;
constexpr uint64_t kMarkR14 = 0x0E0E0E0E1E1E1E1Eull, kMarkR15 = 0x0F0F0F0F1F1F1F1Full;

}  // namespace

}  // namespace velmora::test

// rdi = entry, rsi = context, rdx = index of the last argument, rcx = the
// arguments, r8 = the record. The callee sees (context, index, arguments).
extern "C" double velmora_checked_call(velmora::CompiledEntry entry, const void* ctx, intptr_t lastIndex,
                                       const double* args, velmora::test::CallRecord* record);
asm(R"(
    .text
    .globl velmora_checked_call
    .type velmora_checked_call, @function
velmora_checked_call:
    .intel_syntax noprefix
    push rbp
    mov rbp, rsp
    push rbx
    push r12
    push r13
    push r14
    push r15
    push r8
    fnstcw word ptr [r8]
    stmxcsr dword ptr [r8 + 4]
    movabs rbx, 0x0B0B0B0B1B1B1B1B
    movabs rbp, 0x0B0B0B0B2B2B2B2B
    movabs r12, 0x0C0C0C0C1C1C1C1C
    movabs r13, 0x0D0D0D0D1D1D1D1D
    movabs r14, 0x0E0E0E0E1E1E1E1E
    movabs r15, 0x0F0F0F0F1F1F1F1F
    mov [r8 + 16], rsp
    mov rax, rdi
    mov rdi, rsi
    mov rsi, rdx
    mov rdx, rcx
    call rax
    mov r8, [rsp]
    mov [r8 + 24], rsp
    mov [r8 + 32], rbx
    mov [r8 + 40], rbp
    mov [r8 + 48], r12
    mov [r8 + 56], r13
    mov [r8 + 64], r14
    mov [r8 + 72], r15
    fnstcw word ptr [r8 + 2]
    stmxcsr dword ptr [r8 + 8]
    fnstenv [r8 + 80]
    fldcw word ptr [r8]
    ldmxcsr dword ptr [r8 + 4]
    add rsp, 8
    pop r15
    pop r14
    pop r13
    pop r12
    pop rbx
    pop rbp
    ret
    .att_syntax prefix
    .size velmora_checked_call, . - velmora_checked_call
)");

namespace velmora::test {

double CallChecking(CompiledEntry entry, const void* ctx, intptr_t lastIndex, const double* args,
                    std::string& violation) {
    CallRecord r{};
    const double result = velmora_checked_call(entry, ctx, lastIndex, args, &r);
    violation.clear();
    auto note = [&](bool kept, const char* what) {
        if (kept) return;
        if (!violation.empty()) violation += ", ";
        violation += what;
    };
    note(r.rspAfter == r.rspBefore, "rsp");
    note(r.rbx == kMarkRbx, "rbx");
    note(r.rbp == kMarkRbp, "rbp");
    note(r.r12 == kMarkR12, "r12");
    note(r.r13 == kMarkR13, "r13");
    note(r.r14 == kMarkR14, "r14");
    note(r.r15 == kMarkR15, "r15");
    note(r.controlAfter == r.controlBefore, "the x87 control word");
    // Of MXCSR only the control bits: the exception flags (bits 0 to 5) are sticky status.
    note((r.mxcsrAfter & ~0x3Fu) == (r.mxcsrBefore & ~0x3Fu), "MXCSR");
    const unsigned tags = r.environment[8] | (r.environment[9] << 8);
    note(tags == 0xFFFF, "an empty x87 stack");
    if (!violation.empty()) violation = "the compiled code did not keep " + violation;
    return result;
}

double CheckedCall(CompiledEntry entry, const void* ctx, intptr_t lastIndex, const double* args) {
    std::string violation;
    const double result = CallChecking(entry, ctx, lastIndex, args, violation);
    if (!violation.empty()) {
        std::fprintf(stderr, "Calling convention broken by the code at %p: %s\n", reinterpret_cast<void*>(entry),
                     violation.c_str());
        std::abort();
    }
    return result;
}

bool InstallCheckedCalls() {
#ifdef VELMORA_CHECKED_CALLS
    compiledCallThrough = &CheckedCall;
    return true;
#else
    return false;
#endif
}

}  // namespace velmora::test
