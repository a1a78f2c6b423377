// Progress of a calculation: stages, a bar, elapsed time, a log, a caption and
// the running flag through which the user stops the calculation.
//
// TProgress is what the calculation calls; the progress window of the
// desktop program, the batch runner and the tests implement it. All
// operations but the running flag are called from the thread that runs the
// calculation. The running flag may be cleared from any thread; the next
// StepProgress then raises EBreakCalcule ("Расчет прерван"), which unwinds the
// calculation (stopping is cooperative).
//
// TProgressLog is the complete bookkeeping (labels, bar, times, log) behind a
// mutex, so that another thread (the window's timer, a test) can read a
// consistent snapshot while the calculation runs.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zem {

// "mm:ss", or "hh:mm:ss" when the hours are not 0 (03:07, 01:03:07).
std::string ElapsedText(std::int64_t seconds);

class TProgress {
public:
    virtual ~TProgress() = default;

    // Set by the calculation (and the worker thread) when it starts, cleared
    // by FinishCalculation or by whoever stops the calculation.
    // False once a stop was requested, whatever SetRunning says since.
    bool Running() const noexcept {
        return running_.load(std::memory_order_acquire) && !stopRequested_.load(std::memory_order_acquire);
    }
    void SetRunning(bool on) noexcept { running_.store(on, std::memory_order_release); }

    // A stop that holds for the whole run (a signal to the batch runner):
    // unlike a cleared running flag, no new calculation, solver thread or
    // log sets it back. May be called from any thread.
    void RequestStop() noexcept {
        stopRequested_.store(true, std::memory_order_release);
        SetRunning(false);
    }
    bool StopRequested() const noexcept { return stopRequested_.load(std::memory_order_acquire); }
    // Raises EBreakCalcule when a stop was requested; called between the
    // stages of a run, where no progress step comes.
    virtual void CheckStop() const;

    // Starts a calculation of N rows: bar maximum N-1, time 00:00, empty log,
    // Running set.
    virtual void StartCalculation(std::size_t n) = 0;
    // Appends a line to the log.
    virtual void AddLine(const std::string& text) = 0;
    // Logs the stage that ends ("<label>: <its duration>") and shows Name.
    virtual void BeginStage(const std::string& name) = 0;
    // Sets the stage label without logging (a running iteration shows its
    // sweep and residual there).
    virtual void SetStageLabel(const std::string& text) = 0;
    virtual void SetMaximum(std::size_t maximum) = 0;
    // Raises EBreakCalcule when Running is cleared or a stop was requested;
    // then position 0 advances the bar by one, any other position sets it.
    void StepProgress(std::size_t position = 0);
    // Ends the calculation: stage Message, total time line, 47 hyphens,
    // Running cleared.
    virtual void FinishCalculation(const std::string& message) = 0;

    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Caption() const = 0;
    // The log lines written since StartCalculation.
    virtual std::vector<std::string> Lines() const = 0;

protected:
    virtual void Step(std::size_t position) = 0;

private:
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
};

// What a progress display shows at one moment.
struct TProgressSnapshot {
    std::string caption;
    std::string stageName;    // "Этап расчета" before the first stage
    std::string percentText;  // "0 %"
    std::size_t position = 0;
    std::size_t maximum = 99;
    std::string timeText;  // "00:00"
    std::vector<std::string> lines;
    bool running = false;
};

class TProgressLog : public TProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Clock gives the current time (the steady clock unless a test supplies
    // its own).
    explicit TProgressLog(Clock clock = {});

    void StartCalculation(std::size_t n) override;
    void AddLine(const std::string& text) override;
    void BeginStage(const std::string& name) override;
    void SetStageLabel(const std::string& text) override;
    void SetMaximum(std::size_t maximum) override;
    void FinishCalculation(const std::string& message) override;
    void SetCaption(const std::string& caption) override;
    std::string Caption() const override;
    std::vector<std::string> Lines() const override;

    TProgressSnapshot Snapshot() const;
    // The log as the window's hint: lines joined by a carriage return.
    std::string Hint() const;

protected:
    void Step(std::size_t position) override;
    // Called after every change of the record (outside the mutex, on the
    // thread that made the change), so that a display can follow it.
    virtual void Changed() {}

private:
    // Whole seconds since StartCalculation; the clock stops at
    // FinishCalculation. Called with the mutex held.
    std::int64_t Elapsed() const;
    std::string PercentText() const;

    Clock clock_;
    mutable std::mutex mutex_;
    std::string caption_ = "Решение СЛАУ";
    std::string stageName_ = "Этап расчета";
    std::size_t position_ = 0;
    std::size_t maximum_ = 99;
    std::vector<std::string> lines_;
    std::chrono::steady_clock::time_point start_{};
    std::int64_t stageStart_ = 0;
    std::int64_t stoppedAt_ = 0;
    bool timing_ = false;
};

}  // namespace zem
