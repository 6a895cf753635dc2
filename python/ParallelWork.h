// How the module's work runs: on threads of its own, one per engine set for
// grids, while the thread that called from Python waits without holding
// Python's lock and now and then asks whether Ctrl+C was pressed. An
// interruption asks every worker to stop through its std::stop_token and
// waits until all have ended, so that nothing is left running.
#pragma once

#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <stop_token>
#include <vector>

namespace velmora::python {

// Asked between the slices of a wait: true when the work is to be abandoned
// (the module's check takes Python's lock and runs its signal handlers).
using TInterruptCheck = std::function<bool()>;

// Thrown once interrupted work has ended; the reason (a pending
// KeyboardInterrupt) is the interrupt check's to keep.
struct TInterrupted {};

// Counts the workers of one job down to zero.
class TCompletion {
public:
    explicit TCompletion(int workers) : remaining_(workers) {}
    void Done();
    // True once every worker is done; waits at most `slice` for it.
    bool WaitFor(std::chrono::milliseconds slice);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int remaining_;
};

// Waits until `completion` is done, asking `interrupted` every 50 ms. When it
// answers true, calls `stop` (which asks the workers to end), waits until
// they have, and throws TInterrupted.
void AwaitCompletion(TCompletion& completion, const TInterruptCheck& interrupted, const std::function<void()>& stop);

using TTask = std::function<void(std::stop_token)>;

// Runs each task on a thread of its own and waits for all of them (as
// AwaitCompletion). An exception of a task asks the others to stop and is
// rethrown once all have ended; so is a failure to start a thread.
void RunTasks(std::vector<TTask> tasks, const TInterruptCheck& interrupted);

// Calls body(surface, first, last) for consecutive ranges [first, last) that
// cover [0, n), on one thread per engine set of `sets` (no more threads than
// ranges), each thread with a surface object bound to its own set.
using TPointRangeBody = std::function<void(const TLocalGeometry& surface, std::size_t first, std::size_t last)>;
void ForEachPoint(const std::vector<TEngineSet*>& sets, std::size_t n, const TPointRangeBody& body,
                  const TInterruptCheck& interrupted);

}  // namespace velmora::python
