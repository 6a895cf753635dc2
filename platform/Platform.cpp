#include "platform/Platform.h"

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

namespace velmora {

namespace {
std::atomic<ThreadStartHook> threadStartHook{nullptr};
std::mutex beepMutex;
std::function<void(int, int)>& BeepHandler() {
    static std::function<void(int, int)> handler;
    return handler;
}
}  // namespace

int LogicalProcessorCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

void Beep(int frequencyHz, int durationMs) {
    std::function<void(int, int)> handler;
    {
        std::lock_guard<std::mutex> lock(beepMutex);
        handler = BeepHandler();
    }
    if (handler) handler(frequencyHz, durationMs);
}

void SetBeepHandler(std::function<void(int, int)> handler) {
    std::lock_guard<std::mutex> lock(beepMutex);
    BeepHandler() = std::move(handler);
}

std::jthread StartThread(std::function<void()> body) {
    const ThreadStartHook hook = threadStartHook.load(std::memory_order_acquire);
    if (hook != nullptr && !hook())
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "thread start refused");
    return std::jthread(std::move(body));
}

void SetThreadStartHook(ThreadStartHook hook) { threadStartHook.store(hook, std::memory_order_release); }

}  // namespace velmora
