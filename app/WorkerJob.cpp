#include "app/WorkerJob.h"

#include "platform/Platform.h"

#include <QMetaObject>

#include <exception>
#include <utility>

namespace velmora {

TWorkerJob::~TWorkerJob() { Wait(); }

bool TWorkerJob::Start(std::function<void()> work, std::function<void()> done) {
    if (running_) return false;
    const unsigned run = ++run_;
    done_ = std::move(done);
    running_ = true;
    try {
        thread_ = StartThread([this, run, work = std::move(work)] {
            try {
                work();
            } catch (...) {
                // The work reports its own failures; nothing may leave the thread.
            }
            QMetaObject::invokeMethod(this, [this, run] { Finish(run); }, Qt::QueuedConnection);
        });
    } catch (const std::exception&) {
        running_ = false;
        done_ = {};
        return false;
    }
    return true;
}

void TWorkerJob::Finish(unsigned run) {
    if (run != run_ || !running_) return;
    if (thread_.joinable()) thread_.join();
    running_ = false;
    const std::function<void()> done = std::move(done_);
    done_ = {};
    if (done) done();
}

void TWorkerJob::Wait() {
    if (thread_.joinable()) thread_.join();
    if (running_) ++run_;
    running_ = false;
    done_ = {};
}

}  // namespace velmora
