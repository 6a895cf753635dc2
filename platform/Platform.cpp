#include "platform/Platform.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace velmora {

namespace {
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

}  // namespace velmora
