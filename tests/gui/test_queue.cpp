// The queue window with real calculations on the worker: a problem solved for
// its window, the progress window on the way, the list commands while an
// entry runs, stops, and problem windows that close while their runs wait.
#include "ProblemTestUtil.h"

#include "calc/Turn.h"
#include "problem/Problems.h"
#include "views/ProgressForm.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

// A saved cylinder window whose lines run without the dialog; a big mesh
// with the full-matrix method keeps the worker busy for many seconds.
TProblemForm* AutoWindow(TProblemFixture& f, const QString& name, int mesh) {
    TProblemForm* w = f.NewProblem("CylSym");
    TypeInto(w->ObjectMemo, QString::fromStdString(TProblemFixture::CylinderText(mesh)));
    TypeInto(w->CalculMemo, QStringLiteral("AutoMode\nCalcType= simple\nSaveResult"));
    f.SaveAs(w, name);
    return w;
}

}  // namespace

TEST(Queue, SolvesAProblemForItsWindowOnTheWorker) {
    TProblemFixture f;
    TProblemForm* w = f.NewProblem("CylSym");
    ASSERT_TRUE(w);
    QThread* refreshed = nullptr;
    ProblemFormHooks().RefreshViews = [&](TProblemForm&) { refreshed = QThread::currentThread(); };

    // "&Выполнить": the file is saved, the dialog confirms, the queue runs it.
    f.Script.SaveNames.push_back(f.Path(QStringLiteral("Shell.zem")));
    TCalculForm& dialog = f.Calc();
    bool runUse = false;
    QTimer::singleShot(0, &dialog, [&] {
        runUse = dialog.OKButton->text() == QStringLiteral("Расчет") &&
                 dialog.windowTitle() == QStringLiteral("Расчет: Shell.zem");
        dialog.accept();
    });
    w->SolveItem->trigger();
    EXPECT_TRUE(runUse);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Shell.zem"));
    EXPECT_EQ(Texts(f.Turn().WaitingListBox), QStringList{"Shell.zem"});
    EXPECT_TRUE(w->Busy());
    EXPECT_FALSE(w->SolveItem->isEnabled()) << "the window leaves its problem alone meanwhile";
    EXPECT_TRUE(w->ObjectMemo->isReadOnly());
    TSLProgrForm& progress = *f.Main().ProgressForm;
    EXPECT_EQ(progress.Caption(), "Решение СЛАУ: Shell.zem");

    ASSERT_TRUE(f.WaitIdle());
    EXPECT_FALSE(w->Busy());
    EXPECT_TRUE(f.Script.Messages.isEmpty()) << f.Script.Messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(refreshed, qApp->thread()) << "the window takes the result on the user-interface thread";
    EXPECT_TRUE(w->Problem->Calculated());
    EXPECT_FALSE(w->IsModified()) << "the result was saved";
    // The progress window showed the stages and the log that the process
    // page now holds.
    const QString log = progress.Memo->toPlainText();
    EXPECT_NE(log.indexOf(QStringLiteral("Порядок системы")), -1) << log.toStdString();
    const QStringList process = MemoLines(w->ProcessMemo);
    ASSERT_FALSE(process.isEmpty());
    EXPECT_EQ(process.last(), QString(47, QLatin1Char('-')));
    EXPECT_EQ(process.first(), QStringLiteral("Метод Гауcса"));
    EXPECT_TRUE(process.contains(QStringLiteral("Порядок системы: 9")));
    EXPECT_TRUE(QFile::exists(f.Path(QStringLiteral("Shell.res"))));
    EXPECT_EQ(Texts(f.Turn().ReadyListBox), QStringList{"Shell.zem"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !progress.isVisible(); }, 5000)) << "an empty queue closes it";

    // Reopened, the window finds its results.
    w->close();
    TProblemForm* again = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->Problem->Calculated());
    EXPECT_EQ(MemoLines(again->ProcessMemo), process);
}

TEST(Queue, ListCommandsWhileAnEntryRuns) {
    TProblemFixture f;
    TTurnForm& turn = f.Turn();
    TProblemForm* big = AutoWindow(f, QStringLiteral("Big.zem"), 3000);
    TProblemForm* small = AutoWindow(f, QStringLiteral("Small.zem"), 8);
    f.WriteCylinder(QStringLiteral("File.zem"));
    big->SolveItem->trigger();
    small->SolveItem->trigger();
    ASSERT_TRUE(turn.Turn().Running());
    EXPECT_EQ(Texts(turn.WaitingListBox), (QStringList{"Big.zem", "Small.zem"}));
    EXPECT_TRUE(turn.WaitingListBox->item(0)->font().bold()) << "the running entry shows in bold";

    // A file that waits already.
    small->TurnSolveItem->trigger();
    EXPECT_EQ(f.Script.Messages, QStringList{"Файл с таким именем в очереди уже есть!"});

    // The running entry is out of reach.
    turn.WaitingListBox->setCurrentRow(0);
    turn.DeleteItemClick(turn.WaitingListBox);
    EXPECT_TRUE(f.Script.Questions.isEmpty());
    EXPECT_FALSE(turn.CanDropOnWaiting(turn.WaitingListBox, 1)) << "it cannot be dragged away";
    turn.WaitingListBox->setCurrentRow(1);
    EXPECT_FALSE(turn.CanDropOnWaiting(turn.WaitingListBox, 0)) << "nothing is dropped before it";

    // "&Вставить" with no entry selected appends; with the head selected it
    // puts the file second.
    turn.WaitingListBox->setCurrentRow(-1);
    f.Script.OpenNames.push_back(f.Path(QStringLiteral("File.zem")));
    turn.WInsertItem->trigger();
    EXPECT_EQ(Texts(turn.WaitingListBox), (QStringList{"Big.zem", "Small.zem", "File.zem"}));
    EXPECT_EQ(turn.WaitingListBox->currentRow(), 2);
    f.WriteCylinder(QStringLiteral("Second.zem"));
    turn.WaitingListBox->setCurrentRow(0);
    f.Script.OpenNames.push_back(f.Path(QStringLiteral("Second.zem")));
    turn.WInsertItem->trigger();
    EXPECT_EQ(Texts(turn.WaitingListBox), (QStringList{"Big.zem", "Second.zem", "Small.zem", "File.zem"}));

    // Dragging within the list, and deleting a waiting entry.
    turn.WaitingListBox->setCurrentRow(3);
    turn.DropOnWaiting(turn.WaitingListBox, 1);
    EXPECT_EQ(Texts(turn.WaitingListBox), (QStringList{"Big.zem", "File.zem", "Second.zem", "Small.zem"}));
    EXPECT_EQ(turn.WaitingListBox->currentRow(), 1);
    turn.WaitingListBox->setCurrentRow(2);
    f.Script.Answers.push_back(true);
    turn.WDeleteItem->trigger();
    EXPECT_EQ(f.Script.Questions, QStringList{"Вы действительно желаете удалить текущую позицию?"});
    EXPECT_EQ(Texts(turn.WaitingListBox), (QStringList{"Big.zem", "File.zem", "Small.zem"}));

    // The small window goes while its run waits: the file is still run.
    small->close();
    EXPECT_EQ(turn.Turn().Waiting()[2].Window, nullptr);

    // The big window goes while it runs: asked, stopped, dropped.
    f.Script.Answers.push_back(true);
    big->close();
    EXPECT_EQ(f.Script.Questions.last(), QStringLiteral("Вы действительно хотите прервать расчет?"));
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_EQ(Texts(turn.ReadyListBox), (QStringList{"File.zem", "Small.zem"}));
    EXPECT_FALSE(QFile::exists(f.Path(QStringLiteral("Big.res"))));
    EXPECT_TRUE(QFile::exists(f.Path(QStringLiteral("Small.res"))));

    // A finished entry dragged back waits again and leaves the finished list.
    turn.ReadyListBox->setCurrentRow(0);
    EXPECT_TRUE(turn.CanDropOnWaiting(turn.ReadyListBox, -1));
    turn.DropOnWaiting(turn.ReadyListBox, -1);
    EXPECT_EQ(Texts(turn.ReadyListBox), QStringList{"Small.zem"});
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_EQ(Texts(turn.ReadyListBox), (QStringList{"Small.zem", "File.zem"}));
}

TEST(Queue, StoppedCalculationIsDroppedAndTheQueueGoesOn) {
    TProblemFixture f;
    TProblemForm* big = AutoWindow(f, QStringLiteral("Big.zem"), 3000);
    TProblemForm* small = AutoWindow(f, QStringLiteral("Small.zem"), 8);
    big->SolveItem->trigger();
    small->SolveItem->trigger();
    TSLProgrForm& progress = *f.Main().ProgressForm;
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress.Running() && progress.isVisible(); }, 10000));

    // The user closes the progress window and confirms.
    f.Script.Answers.push_back(true);
    progress.close();
    EXPECT_EQ(f.Script.Questions, QStringList{"Вы действительно хотите прервать расчет?"});
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_FALSE(big->Busy());
    EXPECT_FALSE(big->Problem->Calculated());
    EXPECT_EQ(MemoLines(big->ProcessMemo).last(), QStringLiteral("Расчет прерван"));
    EXPECT_TRUE(small->Problem->Calculated());
    EXPECT_EQ(Texts(f.Turn().ReadyListBox), QStringList{"Small.zem"});
    EXPECT_TRUE(f.Script.Messages.isEmpty()) << "a dropped run shows no message";
}

TEST(Queue, MainWindowGoingStopsTheWorker) {
    TProblemFixture f;
    TProblemForm* big = AutoWindow(f, QStringLiteral("Big.zem"), 3000);
    big->SolveItem->trigger();
    ASSERT_TRUE(f.Turn().Turn().Running());
    f.F.Main.reset();  // joins the worker before the windows go
    EXPECT_FALSE(QFile::exists(f.Path(QStringLiteral("Big.res"))));
}
