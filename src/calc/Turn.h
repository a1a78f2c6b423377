// The queue of calculations: problem files waiting to be calculated, the
// files already calculated, and the worker that runs them one at a time.
//
// Threads: every operation of TTurn runs on the thread that owns it (the
// user-interface thread of the program). The waiting and finished lists are
// touched only there, so they need no lock. Each entry is run on a worker
// thread (TSLThread) that sees nothing but its TTurnJob and the progress;
// when it ends it hands the job back through Post, and the owner's thread
// completes the entry and starts the next one.
//
// An entry is a problem file (its path relative to the start directory, in
// stored form) and, when a problem window asked for the run, that window. The
// window lends its problem to the job for the time of the run (BeginRun) and
// takes it back with the report (EndRun); a file without a window is read,
// calculated and written back on its own.
//
// While an entry runs it stays at position 0 of the waiting list and is out
// of reach of the list commands: nothing is inserted before it, moved into or
// out of its place, or deleted there.
#pragma once

#include "platform/progress.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zem {

class TProblem;
class TSLThread;

// One run handed to the worker.
struct TTurnJob {
    std::string FileName;                  // full path, stored form
    std::shared_ptr<TProblem> Problem;     // the window's problem; null: the file runs on its own
    std::vector<std::string> Calculation;  // the window's calculation lines
    std::vector<std::string> Process;      // the report of the run
    bool Ok = false;
    std::string Error;  // the message of the failure when not Ok
};

// The window that asked for a run. Both calls come on the owner's thread.
class TTurnWindow {
public:
    virtual ~TTurnWindow() = default;
    // Puts the problem and a copy of the calculation lines into the job. From
    // here to EndRun the window leaves its problem alone. A throw drops the
    // entry.
    virtual void BeginRun(TTurnJob& job) = 0;
    // The run is over (Job.Ok tells how); the problem is the window's again.
    virtual void EndRun(TTurnJob& job) = 0;
};

struct TTurnEntry {
    std::string Text;  // relative path, stored form
    TTurnWindow* Window = nullptr;
};

// True when two entry texts name the same file: equal but for the case of
// Latin and Cyrillic letters.
bool SameEntryText(const std::string& a, const std::string& b);

// Runs one job on the calling thread: with a problem, the calculation its
// lines describe; without, the file from disk to disk. Never throws: a
// failure leaves Ok false with its message in Error, and the log lines
// written so far in Process.
void RunTurnJob(TTurnJob& job, const std::string& startDir, TProgress& progress);

// The progress the worker reports to: everything goes on to the progress
// window, and a stop asked for by the queue itself (Abort) is never lost,
// even when it comes between two solutions of one calculation, when the
// window's running flag is about to be set again.
class TTurnProgress : public TProgress {
public:
    explicit TTurnProgress(TProgress& target) : target_(target) {}

    void Abort() { abort_.store(true, std::memory_order_release); }
    void Reset() { abort_.store(false, std::memory_order_release); }
    bool Aborted() const { return abort_.load(std::memory_order_acquire); }

    void StartCalculation(std::size_t n) override;
    void AddLine(const std::string& text) override { target_.AddLine(text); }
    void BeginStage(const std::string& name) override { target_.BeginStage(name); }
    void SetStageLabel(const std::string& text) override { target_.SetStageLabel(text); }
    void SetMaximum(std::size_t maximum) override { target_.SetMaximum(maximum); }
    void FinishCalculation(const std::string& message) override;
    void SetCaption(const std::string& caption) override { target_.SetCaption(caption); }
    std::string Caption() const override { return target_.Caption(); }
    std::vector<std::string> Lines() const override { return target_.Lines(); }

protected:
    // Raises EBreakCalcule after Abort, or when the window's flag was cleared.
    void Step(std::size_t position) override;

private:
    TProgress& target_;
    std::atomic<bool> abort_{false};
};

class TTurn {
public:
    // Runs F later on the owner's thread; drops it when the owner is gone.
    using TPost = std::function<void(std::function<void()>)>;

    // StartDir: the directory the entry texts are relative to (stored form).
    // Progress: the progress window; the queue sets its caption.
    TTurn(std::string startDir, TProgress& progress, TPost post);
    // Shutdown.
    ~TTurn();
    TTurn(const TTurn&) = delete;
    TTurn& operator=(const TTurn&) = delete;

    const std::vector<TTurnEntry>& Waiting() const { return waiting_; }
    const std::vector<std::string>& Ready() const { return ready_; }
    // An entry is being calculated: Waiting()[0].
    bool Running() const { return static_cast<bool>(job_); }
    // The running entry's place, which the list commands leave alone.
    bool Fixed(int pos) const { return pos == 0 && Running(); }

    // Appends the entry and starts the worker when it is idle. Gives the
    // entry's position. Raises "Файл с таким именем в очереди уже есть!" when
    // the text is waiting already.
    int AddToQueue(const std::string& text, TTurnWindow* window);
    // The same check; inserts at Pos, but never before position 1 while an
    // entry runs (an empty list takes it at 0); a position outside the list
    // (-1: nothing selected, or a drop below the last entry) appends.
    int InsertInQueue(int pos, const std::string& text);
    // False for the running entry and positions outside the list.
    bool DeleteWaiting(int pos);
    // Moves entry From to position To; false when either is the running
    // entry's place (or outside the list).
    bool MoveWaiting(int from, int to);
    // Removes finished entry Pos and gives its text.
    std::string TakeReady(int pos);

    // Stops the running entry and waits for the worker: the entry is
    // dropped (unless it finished first), its window gets EndRun, and the
    // next entry starts later. Nothing happens when the queue is idle.
    void Stop();
    // The waiting entry with this text gets Window, so that its run goes
    // through the window (which then shows the result). False when no such
    // entry waits, or it is the running one (it runs without a window).
    bool AttachWindow(const std::string& text, TTurnWindow* window);
    // The window goes: a run of it in progress is stopped without calling
    // the window back; its waiting entries stay as plain files.
    void ForgetWindow(TTurnWindow* window);
    // Stops and waits like Stop, without calling any window back, and starts
    // nothing any more.
    void Shutdown();

    // Called after the lists changed, and when the queue has run empty.
    std::function<void()> OnChange;
    // Called when the running entry ends, before OnChange: its text, whether
    // it was calculated, and the reason when not.
    std::function<void(const std::string& text, bool ok, const std::string& error)> OnDone;
    std::function<void()> OnIdle;

private:
    int FindWaiting(const std::string& text) const;
    void CheckNew(const std::string& text) const;
    void StartNext();
    void JobDone(std::uint64_t id);
    // Joins the worker and ends the running entry; Notify: call its window.
    void Complete(bool notify);
    void Changed();

    std::string startDir_;
    TProgress& progress_;
    TTurnProgress jobProgress_;
    TPost post_;
    std::vector<TTurnEntry> waiting_;
    std::vector<std::string> ready_;
    std::unique_ptr<TTurnJob> job_;
    std::unique_ptr<TSLThread> thread_;
    std::uint64_t jobId_ = 0;
    bool shut_ = false;
};

}  // namespace zem
