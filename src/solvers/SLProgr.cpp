#include "solvers/SLProgr.h"

#include <utility>

namespace zem {

TSLThread::TSLThread(TProgress& progress, std::function<void()> proc) : proc_(std::move(proc)) {
    progress.SetRunning(true);
    thread_ = std::thread([this] {
        try {
            proc_();
        } catch (...) {
            error_ = std::current_exception();
        }
        finished_.store(true, std::memory_order_release);
    });
}

TSLThread::~TSLThread() {
    if (thread_.joinable()) thread_.join();
}

void TSLThread::Join() {
    if (thread_.joinable()) thread_.join();
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

}  // namespace zem
