// The worker thread of calculations.
#pragma once

#include "platform/progress.h"

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace zem {

// Runs one procedure on its own thread. Creating it sets the progress's
// running flag, so the calculation counts as running from that moment;
// stopping is cooperative (clear the flag, the procedure's next progress
// step raises EBreakCalcule). The owner keeps the object until the
// procedure has returned: the destructor waits for it.
class TSLThread {
public:
    TSLThread(TProgress& progress, std::function<void()> proc);
    ~TSLThread();
    TSLThread(const TSLThread&) = delete;
    TSLThread& operator=(const TSLThread&) = delete;

    // Waits for the procedure; an exception that escaped it is raised here
    // (once).
    void Join();
    bool Finished() const { return finished_.load(std::memory_order_acquire); }

private:
    std::function<void()> proc_;
    std::exception_ptr error_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace zem
