// The progress window: updates from a worker thread reach the widgets only
// through the event loop (stopping a calculation is driven by the queue tests).
#include "GuiTestUtil.h"

#include <QProgressBar>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// A clock the test moves by hand.
struct TFakeClock {
    std::atomic<long> seconds{0};
    zem::TProgressLog::Clock Clock() {
        return [this] { return std::chrono::steady_clock::time_point(std::chrono::seconds(seconds.load())); };
    }
};

// Counts the queued calls that reach a window and whether any ran off its thread.
class TQueuedCallCounter : public QObject {
public:
    int Calls = 0;
    bool OffThread = false;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MetaCall) {
            ++Calls;
            OffThread = OffThread || QThread::currentThread() != watched->thread();
        }
        return false;
    }
};

}  // namespace

TEST(ProgressForm, WorkerUpdatesArePostedAndShownByTheEventLoop) {
    TFakeClock clock;
    TSLProgrForm form(nullptr, clock.Clock());
    TQueuedCallCounter counter;
    form.installEventFilter(&counter);
    std::thread worker([&] {
        form.StartCalculation(11);
        form.AddLine("Порядок системы: 11");
        form.BeginStage("Прямой ход");
        clock.seconds = 3;
        for (int i = 0; i < 5; ++i) form.StepProgress();
        form.AddLine("Ширина ленты: 3");
    });
    worker.join();
    // Nothing has reached the widgets yet: the worker only posted.
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Memo->toPlainText().isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(counter.Calls, 1) << "updates waiting for the event loop are merged into one";
    EXPECT_FALSE(counter.OffThread);
    EXPECT_TRUE(form.isVisible()) << "a calculation start shows the window";
    EXPECT_EQ(form.StepNameLabel->text(), QStringLiteral("Прямой ход"));
    EXPECT_EQ(form.ProgressLabel->text(), QStringLiteral("50 %"));
    EXPECT_EQ(form.TimeLabel->text(), QStringLiteral("00:03"));
    EXPECT_TRUE(form.Timer->isActive());
    EXPECT_EQ(form.Memo->toPlainText(),
              QStringLiteral("Порядок системы: 11\nЭтап расчета: 00:00\nШирина ленты: 3"));
    std::thread([&] {
        clock.seconds = 5;
        form.FinishCalculation("Решение получено");
    }).join();
    QApplication::processEvents();
    const QStringList lines = form.Memo->toPlainText().split('\n');
    EXPECT_EQ(lines.mid(3), (QStringList{"Прямой ход: 00:05", "Общее время решения СЛАУ: 00:05", QString(47, '-')}));
    EXPECT_FALSE(form.Timer->isActive());
    EXPECT_FALSE(form.Running());
    // The next calculation clears the log, however many lines it brings.
    std::thread([&] {
        form.StartCalculation(3);
        for (int i = 0; i < 8; ++i) form.AddLine("строка");
    }).join();
    QApplication::processEvents();
    EXPECT_EQ(form.Memo->blockCount(), 8);
}

TEST(ProgressForm, StopButtonAndEscapeAskLikeClosing) {
    TDialogScript script;
    TSLProgrForm form;
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.SetRunning(true);
    // Esc, then the button: Cancel keeps the calculation and the window, OK
    // stops it (the worker raises at its next step).
    script.Answers = {false, true};
    QTest::keyClick(form.Memo, Qt::Key_Escape);  // from the log, which has the focus
    EXPECT_TRUE(form.Running());
    EXPECT_TRUE(form.isVisible());
    QTest::mouseClick(form.StopBtn, Qt::LeftButton);
    EXPECT_FALSE(form.Running());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(script.Questions,
              QStringList(2, QStringLiteral("Вы действительно хотите прервать расчет?")));
    EXPECT_THROW(form.StepProgress(), zem::EBreakCalcule);
    // Idle, the button just hides the window.
    form.show();
    QTest::mouseClick(form.StopBtn, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(script.Questions.size(), 2);
}
