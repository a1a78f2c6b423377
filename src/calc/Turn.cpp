#include "calc/Turn.h"

#include "calc/Calcul.h"
#include "calc/RunFile.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "solvers/SLProgr.h"

#include <algorithm>

namespace zem {
namespace {

// The lower-case form of Latin and Cyrillic letters in UTF-8; other bytes
// stay as they are.
std::string Folded(const std::string& s) {
    std::string r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 'A' && c <= 'Z') {
            r += static_cast<char>(c + ('a' - 'A'));
        } else if (c == 0xD0 && i + 1 < s.size()) {
            const auto d = static_cast<unsigned char>(s[i + 1]);
            ++i;
            if (d >= 0x90 && d <= 0x9F) {  // А..П -> а..п (D0 B0..D0 BF)
                r += '\xD0';
                r += static_cast<char>(d + 0x20);
            } else if (d >= 0xA0 && d <= 0xAF) {  // Р..Я -> р..я (D1 80..D1 8F)
                r += '\xD1';
                r += static_cast<char>(d - 0x20);
            } else if (d >= 0x80 && d <= 0x8F) {  // Ѐ..Џ -> ѐ..џ (D1 90..D1 9F)
                r += '\xD1';
                r += static_cast<char>(d + 0x10);
            } else {
                r += '\xD0';
                r += static_cast<char>(d);
            }
        } else {
            r += static_cast<char>(c);
        }
    }
    return r;
}

}  // namespace

bool SameEntryText(const std::string& a, const std::string& b) { return Folded(a) == Folded(b); }

void RunTurnJob(TTurnJob& job, const std::string& startDir, TProgress& progress) {
    job.Ok = false;
    job.Error.clear();
    try {
        if (job.Problem)
            CalculateBySettings(job.FileName, *job.Problem, job.Process, job.Calculation, progress);
        else
            RunFile(TPbData(startDir), job.FileName, progress);
        job.Ok = true;
        return;
    } catch (const std::exception& e) {
        job.Error = ErrorMessage(e);
    } catch (...) {
        job.Error = "Неизвестная ошибка";
    }
    // The report of a failed run: what the log holds, then why it stopped.
    for (const std::string& line : progress.Lines()) job.Process.push_back(line);
    job.Process.push_back(job.Error);
}

// --- TTurnProgress. ------------------------------------------------------------

void TTurnProgress::StartCalculation(std::size_t n) {
    if (Aborted()) throw EBreakCalcule();
    target_.StartCalculation(n);
    SetRunning(true);
}

void TTurnProgress::FinishCalculation(const std::string& message) {
    target_.FinishCalculation(message);
    SetRunning(false);
}

void TTurnProgress::Step(std::size_t position) {
    if (Aborted()) throw EBreakCalcule();
    target_.StepProgress(position);
}

// --- TTurn. --------------------------------------------------------------------

TTurn::TTurn(std::string startDir, TProgress& progress, TPost post)
    : startDir_(std::move(startDir)), progress_(progress), jobProgress_(progress), post_(std::move(post)) {}

TTurn::~TTurn() { Shutdown(); }

void TTurn::Changed() {
    if (OnChange) OnChange();
}

int TTurn::FindWaiting(const std::string& text) const {
    for (std::size_t i = 0; i < waiting_.size(); ++i)
        if (SameEntryText(waiting_[i].Text, text)) return static_cast<int>(i);
    return -1;
}

void TTurn::CheckNew(const std::string& text) const {
    if (FindWaiting(text) >= 0) throw ZemError("Файл с таким именем в очереди уже есть!");
}

int TTurn::AddToQueue(const std::string& text, TTurnWindow* window) {
    CheckNew(text);
    waiting_.push_back(TTurnEntry{text, window});
    const int pos = static_cast<int>(waiting_.size()) - 1;
    Changed();
    StartNext();
    return pos;
}

int TTurn::InsertInQueue(int pos, const std::string& text) {
    CheckNew(text);
    const int count = static_cast<int>(waiting_.size());
    if (pos < 0 || pos > count) pos = count;
    if (pos == 0 && count > 0) pos = 1;  // never before the head
    waiting_.insert(waiting_.begin() + pos, TTurnEntry{text, nullptr});
    Changed();
    StartNext();
    return pos;
}

bool TTurn::DeleteWaiting(int pos) {
    if (pos < 0 || pos >= static_cast<int>(waiting_.size()) || Fixed(pos)) return false;
    waiting_.erase(waiting_.begin() + pos);
    Changed();
    return true;
}

bool TTurn::MoveWaiting(int from, int to) {
    const int count = static_cast<int>(waiting_.size());
    if (from < 0 || from >= count || to < 0 || to >= count || Fixed(from) || Fixed(to)) return false;
    if (from == to) return true;
    TTurnEntry e = waiting_[static_cast<std::size_t>(from)];
    waiting_.erase(waiting_.begin() + from);
    waiting_.insert(waiting_.begin() + to, e);
    Changed();
    return true;
}

std::string TTurn::TakeReady(int pos) {
    if (pos < 0 || pos >= static_cast<int>(ready_.size())) return {};
    std::string text = ready_[static_cast<std::size_t>(pos)];
    ready_.erase(ready_.begin() + pos);
    Changed();
    return text;
}

// --- The runner. -----------------------------------------------------------------

void TTurn::StartNext() {
    while (!shut_ && !job_ && !waiting_.empty()) {
        // 1. The head: its file, caption, and the window's problem when it asked.
        TTurnEntry& head = waiting_.front();
        auto job = std::make_unique<TTurnJob>();
        job->FileName = ToAbsolutePath(startDir_, head.Text);
        progress_.SetCaption("Решение СЛАУ: " + NativePath(head.Text));
        if (head.Window) {
            try {
                head.Window->BeginRun(*job);
            } catch (...) {
                // A window that cannot lend its problem: the entry is dropped.
                waiting_.erase(waiting_.begin());
                Changed();
                continue;
            }
        }
        // 2. The worker runs it and hands it back through Post.
        job_ = std::move(job);
        jobProgress_.Reset();
        const std::uint64_t id = ++jobId_;
        TTurnJob* running = job_.get();
        thread_ = std::make_unique<TSLThread>(jobProgress_, [this, running, id] {
            RunTurnJob(*running, startDir_, jobProgress_);
            post_([this, id] { JobDone(id); });
        });
        return;
    }
    if (!shut_ && !job_ && waiting_.empty() && OnIdle) OnIdle();
}

void TTurn::JobDone(std::uint64_t id) {
    if (!job_ || id != jobId_) return;  // stopped and completed already
    Complete(true);
    StartNext();
}

void TTurn::Complete(bool notify) {
    thread_.reset();  // joins; the worker has handed the job back or been stopped
    std::unique_ptr<TTurnJob> job = std::move(job_);
    TTurnEntry head = waiting_.front();
    waiting_.erase(waiting_.begin());
    if (job->Ok && std::none_of(ready_.begin(), ready_.end(),
                                [&](const std::string& r) { return SameEntryText(r, head.Text); }))
        ready_.push_back(head.Text);
    if (OnDone) OnDone(head.Text, job->Ok, job->Ok ? std::string() : job->Error.empty() ? "Расчет прерван" : job->Error);
    if (notify && head.Window) {
        try {
            head.Window->EndRun(*job);
        } catch (...) {
            // The window reports its own troubles; the queue goes on.
        }
    }
    Changed();
}

void TTurn::Stop() {
    if (!job_) return;
    jobProgress_.Abort();
    Complete(true);
    post_([this] { StartNext(); });
}

void TTurn::ForgetWindow(TTurnWindow* window) {
    if (!window) return;
    bool changed = false;
    if (job_ && waiting_.front().Window == window) {
        waiting_.front().Window = nullptr;
        jobProgress_.Abort();
        Complete(false);
        post_([this] { StartNext(); });
        changed = true;
    }
    for (TTurnEntry& e : waiting_)
        if (e.Window == window) {
            e.Window = nullptr;
            changed = true;
        }
    if (changed) Changed();
}

bool TTurn::AttachWindow(const std::string& text, TTurnWindow* window) {
    const int pos = FindWaiting(text);
    if (pos < 0 || Fixed(pos) || !window) return false;
    waiting_[static_cast<std::size_t>(pos)].Window = window;
    Changed();
    return true;
}

void TTurn::Shutdown() {
    shut_ = true;
    if (!job_) return;
    jobProgress_.Abort();
    thread_.reset();
    job_.reset();
}

}  // namespace zem
