#include "python/ParallelWork.h"

#include "platform/Platform.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace velmora::python {

namespace {
constexpr std::chrono::milliseconds kSlice{50};
// Points handed to a worker at a time: large enough that taking the next
// range costs nothing, small enough that the workers end together and a stop
// is seen within a few milliseconds.
constexpr std::size_t kPointsPerRange = 2048;
}  // namespace

void TCompletion::Done() {
    {
        std::lock_guard lock(mutex_);
        --remaining_;
    }
    changed_.notify_all();
}

bool TCompletion::WaitFor(std::chrono::milliseconds slice) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, slice, [this] { return remaining_ <= 0; });
}

void AwaitCompletion(TCompletion& completion, const TInterruptCheck& interrupted, const std::function<void()>& stop) {
    while (!completion.WaitFor(kSlice)) {
        if (interrupted && interrupted()) {
            stop();
            while (!completion.WaitFor(kSlice)) {
            }
            throw TInterrupted{};
        }
    }
}

void RunTasks(std::vector<TTask> tasks, const TInterruptCheck& interrupted) {
    if (tasks.empty()) return;
    std::stop_source stop;
    std::mutex errorMutex;
    std::exception_ptr error;
    TCompletion completion(static_cast<int>(tasks.size()));
    std::vector<std::jthread> threads;
    threads.reserve(tasks.size());
    const auto run = [&](std::size_t i) {
        try {
            tasks[i](stop.get_token());
        } catch (...) {
            std::lock_guard lock(errorMutex);
            if (!error) error = std::current_exception();
            stop.request_stop();
        }
        completion.Done();
    };
    try {
        for (std::size_t i = 0; i < tasks.size(); ++i) threads.push_back(StartThread([&run, i] { run(i); }));
    } catch (...) {
        // The threads started so far end at once and are joined.
        stop.request_stop();
        threads.clear();
        throw;
    }
    AwaitCompletion(completion, interrupted, [&] { stop.request_stop(); });
    threads.clear();
    if (error) std::rethrow_exception(error);
}

void ForEachPoint(const std::vector<TEngineSet*>& sets, std::size_t n, const TPointRangeBody& body,
                  const TInterruptCheck& interrupted) {
    if (n == 0 || sets.empty()) return;
    const std::size_t ranges = (n + kPointsPerRange - 1) / kPointsPerRange;
    const std::size_t workers = std::min(sets.size(), ranges);
    std::atomic<std::size_t> next{0};
    std::vector<TTask> tasks;
    for (std::size_t k = 0; k < workers; ++k)
        tasks.push_back([&, set = sets[k]](std::stop_token stop) {
            const TLocalGeometry surface(*set);
            while (!stop.stop_requested()) {
                const std::size_t first = next.fetch_add(kPointsPerRange, std::memory_order_relaxed);
                if (first >= n) return;
                body(surface, first, std::min(first + kPointsPerRange, n));
            }
        });
    RunTasks(std::move(tasks), interrupted);
}

}  // namespace velmora::python
