#include "platform/progress.h"

#include "platform/errors.h"

#include <cmath>
#include <cstdio>

namespace zem {

std::string ElapsedText(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const std::int64_t s = seconds % 60, m = seconds / 60 % 60, h = seconds / 3600;
    char buf[48];
    if (h != 0)
        std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(h), static_cast<long long>(m),
                      static_cast<long long>(s));
    else
        std::snprintf(buf, sizeof buf, "%02lld:%02lld", static_cast<long long>(m), static_cast<long long>(s));
    return buf;
}

void TProgress::StepProgress(std::size_t position) {
    if (!Running() || StopRequested()) throw EBreakCalcule();
    Step(position);
}

void TProgress::CheckStop() const {
    if (StopRequested()) throw EBreakCalcule();
}

TProgressLog::TProgressLog(Clock clock) : clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return std::chrono::steady_clock::now(); };
}

std::int64_t TProgressLog::Elapsed() const {
    if (!timing_) return stoppedAt_;
    return std::chrono::duration_cast<std::chrono::seconds>(clock_() - start_).count();
}

std::string TProgressLog::PercentText() const {
    // Bar position over its maximum, in whole percent.
    const long percent = maximum_ == 0 ? 0 : std::lround(100.0 * double(position_) / double(maximum_));
    return std::to_string(percent) + " %";
}

void TProgressLog::StartCalculation(std::size_t n) {
    {
        std::lock_guard lock(mutex_);
        start_ = clock_();
        timing_ = true;
        stoppedAt_ = 0;
        stageStart_ = 0;
        maximum_ = n > 0 ? n - 1 : 0;
        position_ = 0;
        lines_.clear();
    }
    SetRunning(true);
    Changed();
}

void TProgressLog::AddLine(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(text);
    }
    Changed();
}

void TProgressLog::BeginStage(const std::string& name) {
    {
        std::lock_guard lock(mutex_);
        const std::int64_t now = Elapsed();
        lines_.push_back(stageName_ + ": " + ElapsedText(now - stageStart_));
        stageStart_ = now;
        stageName_ = name;
        position_ = 0;
    }
    Changed();
}

void TProgressLog::SetStageLabel(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        stageName_ = text;
    }
    Changed();
}

void TProgressLog::SetMaximum(std::size_t maximum) {
    {
        std::lock_guard lock(mutex_);
        maximum_ = maximum;
        if (position_ > maximum_) position_ = maximum_;
    }
    Changed();
}

void TProgressLog::Step(std::size_t position) {
    {
        std::lock_guard lock(mutex_);
        // The bar stays within 0..maximum, as a progress bar does.
        position_ = position == 0 ? position_ + 1 : position;
        if (position_ > maximum_) position_ = maximum_;
    }
    Changed();
}

void TProgressLog::FinishCalculation(const std::string& message) {
    BeginStage(message);
    {
        std::lock_guard lock(mutex_);
        stoppedAt_ = Elapsed();
        timing_ = false;
        lines_.push_back("Общее время решения СЛАУ: " + ElapsedText(stoppedAt_));
        lines_.push_back(std::string(47, '-'));
    }
    SetRunning(false);
    Changed();
}

void TProgressLog::SetCaption(const std::string& caption) {
    {
        std::lock_guard lock(mutex_);
        caption_ = caption;
    }
    Changed();
}

std::string TProgressLog::Caption() const {
    std::lock_guard lock(mutex_);
    return caption_;
}

std::vector<std::string> TProgressLog::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

TProgressSnapshot TProgressLog::Snapshot() const {
    std::lock_guard lock(mutex_);
    TProgressSnapshot s;
    s.caption = caption_;
    s.stageName = stageName_;
    s.percentText = PercentText();
    s.position = position_;
    s.maximum = maximum_;
    s.timeText = ElapsedText(Elapsed());
    s.lines = lines_;
    s.running = Running();
    return s;
}

std::string TProgressLog::Hint() const {
    std::lock_guard lock(mutex_);
    std::string hint;
    for (std::size_t i = 0; i < lines_.size(); ++i) hint += (i ? "\r" : "") + lines_[i];
    return hint;
}

}  // namespace zem
