// "Решение СЛАУ": the progress window of calculations.
//
// One instance for the whole program. It is the progress of the calculation
// (zem::TProgress through TProgressLog, whose bookkeeping is guarded by a
// mutex): the worker thread calls its operations, which record the new state
// and post one queued update to the window; the update runs on the
// user-interface thread and shows the state of that moment. The worker never
// touches a widget and never waits for the user interface. The running flag
// is atomic; closing the window (or its "Остановить", Esc) during a
// calculation asks
// "Вы действительно хотите прервать расчет?" and on OK clears it, so that
// the worker stops at its next progress step.
#pragma once

#include "platform/progress.h"

#include <QWidget>
#include <atomic>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

class TSLProgrForm : public QWidget, public zem::TProgressLog {
    Q_OBJECT
public:
    explicit TSLProgrForm(QWidget* parent = nullptr, Clock clock = {});

    // --- Called from the worker thread (or any thread). ---
    // Every change of the record posts an update of the window; a start
    // also shows the window and restarts its clock, a finish stops it.
    void StartCalculation(std::size_t n) override;
    void FinishCalculation(const std::string& message) override;
    // Hides the window (the queue does so when it is empty).
    void PostClose();

    // --- User-interface thread. ---
    // Brings the displays up to date with the recorded state.
    void UpdateView();
    // Each timer tick: the elapsed time.
    void SetTime();
    void InfoItemClick();
    bool InfoMode() const;
    void SetInfoMode(bool on);

    QWidget* Panel1 = nullptr;
    QLabel* StepNameLabel = nullptr;
    QLabel* ProgressLabel = nullptr;
    QLabel* TimeLabel = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* StopBtn = nullptr;
    QWidget* Panel2 = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QTimer* Timer = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* InfoItem = nullptr;

protected:
    void Changed() override { PostUpdate(); }
    void closeEvent(QCloseEvent* event) override;
    // Esc: "Остановить".
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PostUpdate();
    void FitHeight();

    std::atomic<bool> updatePending_{false};
    std::atomic<bool> showRequested_{false};
    // Bumped by StartCalculation, so that the update knows the log was
    // cleared even when it sees more lines than before.
    std::atomic<unsigned> generation_{0};
    // From StartCalculation to FinishCalculation.
    std::atomic<bool> clockRunning_{false};
    unsigned shownGeneration_ = 0;
    int shownLines_ = 0;
};
