// Observing executable memory from tests: the protection of the mapping that
// holds an address (from /proc/self/maps), and a recorder that counts the
// mapping, protection and unmapping calls through the platform's hook and can
// make the calls of one kind fail.
#pragma once

#include "platform/ExecutableMemory.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace velmora::test {

// Calls visit(from, to, perms) for each mapping of the process ("rw-p", "r-xp", ...)
// until it answers true.
template <typename Visit>
void VisitMappings(Visit visit) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream in(line);
        std::string range, perms;
        in >> range >> perms;
        const auto dash = range.find('-');
        const uintptr_t from = std::stoull(range.substr(0, dash), nullptr, 16);
        const uintptr_t to = std::stoull(range.substr(dash + 1), nullptr, 16);
        if (visit(from, to, perms)) return;
    }
}

// Protection flags of the mapping holding `address`, or "" when unmapped.
inline std::string ProtectionOf(const void* address) {
    const auto a = reinterpret_cast<uintptr_t>(address);
    std::string found;
    VisitMappings([&](uintptr_t from, uintptr_t to, const std::string& perms) {
        if (a < from || a >= to) return false;
        found = perms;
        return true;
    });
    return found;
}

// True when some mapping of the process is writable and executable at once.
inline bool AnyWritableExecutableMapping() {
    bool found = false;
    VisitMappings([&](uintptr_t, uintptr_t, const std::string& perms) {
        found = perms.size() >= 3 && perms[1] == 'w' && perms[2] == 'x';
        return found;
    });
    return found;
}

// While alive, counts every call of executable memory (from any thread) and
// refuses the calls of the kind given to Refuse.
class MemoryCallRecorder {
public:
    MemoryCallRecorder() {
        for (auto& c : counts_) c.store(0);
        refused_.store(-1);
        SetMemoryCallHook(&Hook);
    }
    ~MemoryCallRecorder() { SetMemoryCallHook(nullptr); }
    MemoryCallRecorder(const MemoryCallRecorder&) = delete;
    MemoryCallRecorder& operator=(const MemoryCallRecorder&) = delete;

    int Count(MemoryCall call) const { return counts_[static_cast<std::size_t>(call)].load(); }
    int ProtectionChanges() const { return Count(MemoryCall::MakeReadExecute) + Count(MemoryCall::MakeReadWrite); }
    void Reset() {
        for (auto& c : counts_) c.store(0);
    }
    void Refuse(MemoryCall call) { refused_.store(static_cast<int>(call)); }
    void RefuseNothing() { refused_.store(-1); }

private:
    static bool Hook(MemoryCall call, std::size_t) {
        counts_[static_cast<std::size_t>(call)].fetch_add(1);
        return refused_.load() != static_cast<int>(call);
    }
    static inline std::array<std::atomic<int>, 4> counts_{};
    static inline std::atomic<int> refused_{-1};
};

}  // namespace velmora::test
