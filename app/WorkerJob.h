// One piece of work that would pause the window - drawing and writing a
// printed page or a figure file - run on a thread of its own; its end comes
// back to the GUI thread as a queued call. The caller keeps whatever the work
// reads unchanged until then (the watch blocks the commands that change it).
#pragma once

#include <QObject>

#include <functional>
#include <thread>

namespace velmora {

class TWorkerJob : public QObject {
public:
    TWorkerJob() = default;
    // Waits for the work; its end is not handled.
    ~TWorkerJob() override;

    // Runs work() on a new thread, then done() on the GUI thread. False, and
    // nothing runs, when the thread could not be started or a job runs.
    bool Start(std::function<void()> work, std::function<void()> done);
    // A job has started and its end has not been handled.
    bool Running() const { return running_; }
    // Waits for the work; its end is not handled.
    void Wait();

private:
    void Finish(unsigned run);

    std::function<void()> done_;
    bool running_ = false;
    unsigned run_ = 0;
    std::jthread thread_;
};

}  // namespace velmora
