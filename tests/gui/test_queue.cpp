// The queue window with real calculations on the worker: the list commands
// while an entry runs, stops through the progress window and the main window
// going, and problem windows that close while their runs wait.
#include "GuiTestUtil.h"

#include "calc/Turn.h"
#include "solvers/SLCLass.h"

namespace {

// A saved cylinder window whose lines run without the dialog. A slow one is
// left to the Gauss-Seidel iteration on a fine mesh, which keeps the worker
// busy far longer than any test waits (a stop ends it at the next sweep).
TProblemForm* AutoWindow(TProblemFixture& f, const QString& name, bool slow) {
    TProblemForm* w = f.NewProblem("CylSym");
    TypeInto(w->ObjectMemo, QString::fromStdString(TProblemFixture::CylinderText(slow ? 3000 : 8)));
    const QString method = QString::fromStdString(zem::SLAEMethodNames()[slow ? 9 : 0]);
    TypeInto(w->CalculMemo, QStringLiteral("AutoMode\nCalcType= simple\nSLAEMethod= ") + method +
                                QStringLiteral("\nSaveResult"));
    f.SaveAs(w, name);
    return w;
}

}  // namespace

TEST(Queue, ListCommandsWhileAnEntryRuns) {
    TProblemFixture f;
    TTurnForm& turn = f.Turn();
    QListWidget* waiting = turn.WaitingListBox;
    TProblemForm* big = AutoWindow(f, QStringLiteral("Big.zem"), true);
    TProblemForm* small = AutoWindow(f, QStringLiteral("Small.zem"), false);
    f.WriteCylinder(QStringLiteral("File.zem"));
    big->SolveItem->trigger();
    small->SolveItem->trigger();
    ASSERT_TRUE(turn.Turn().Running());
    EXPECT_TRUE(waiting->item(0)->font().bold()) << "the running entry shows in bold";
    small->TurnSolveItem->trigger();
    EXPECT_EQ(f.Script.Messages, QStringList{"Файл с таким именем в очереди уже есть!"});
    // The running entry is out of reach: not deleted, dragged away or passed.
    waiting->setCurrentRow(0);
    turn.DeleteItemClick(waiting);
    EXPECT_TRUE(f.Script.Questions.isEmpty());
    EXPECT_FALSE(turn.CanDropOnWaiting(waiting, 1));
    waiting->setCurrentRow(1);
    EXPECT_FALSE(turn.CanDropOnWaiting(waiting, 0));
    // "&Вставить" with no entry selected appends; dragging within the list.
    waiting->setCurrentRow(-1);
    f.Script.OpenNames.push_back(f.Path(QStringLiteral("File.zem")));
    turn.WInsertItem->trigger();
    EXPECT_EQ(ListTexts(waiting), (QStringList{"Big.zem", "Small.zem", "File.zem"}));
    EXPECT_EQ(waiting->currentRow(), 2);
    turn.DropOnWaiting(waiting, 1);
    EXPECT_EQ(ListTexts(waiting), (QStringList{"Big.zem", "File.zem", "Small.zem"}));
    // The small window goes while its run waits: the file is still run.
    small->close();
    EXPECT_EQ(turn.Turn().Waiting()[2].Window, nullptr);
    // The big window goes while it runs: asked, stopped, dropped.
    f.Script.Answers.push_back(true);
    big->close();
    EXPECT_EQ(f.Script.Questions.last(), QStringLiteral("Вы действительно хотите прервать расчет?"));
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_EQ(ListTexts(turn.ReadyListBox), (QStringList{"File.zem", "Small.zem"}));
    EXPECT_FALSE(QFile::exists(f.Path(QStringLiteral("Big.res"))));
    EXPECT_TRUE(QFile::exists(f.Path(QStringLiteral("Small.res"))));
    // A finished entry dragged back waits again and leaves the finished list.
    turn.ReadyListBox->setCurrentRow(0);
    turn.DropOnWaiting(turn.ReadyListBox, -1);
    EXPECT_EQ(ListTexts(turn.ReadyListBox), QStringList{"Small.zem"});
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_EQ(ListTexts(turn.ReadyListBox), (QStringList{"Small.zem", "File.zem"}));
}

TEST(Queue, StoppedCalculationIsDroppedAndTheQueueGoesOn) {
    TProblemFixture f;
    TProblemForm* big = AutoWindow(f, QStringLiteral("Big.zem"), true);
    TProblemForm* small = AutoWindow(f, QStringLiteral("Small.zem"), false);
    big->SolveItem->trigger();
    small->SolveItem->trigger();
    TSLProgrForm& progress = *f.Main().ProgressForm;
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress.Running() && progress.isVisible(); }, 10000));
    // Text typed while a run waits is what that run calculates.
    TypeInto(small->ObjectMemo, MemoText(small->ObjectMemo).replace(QStringLiteral("mesh_x=8"), QStringLiteral("mesh_x=6")));
    // The user closes the progress window: Cancel goes on, OK stops.
    f.Script.Answers = {false, true};
    EXPECT_FALSE(progress.close());
    EXPECT_TRUE(progress.Running());
    progress.close();
    EXPECT_EQ(f.Script.Questions, QStringList(2, QStringLiteral("Вы действительно хотите прервать расчет?")));
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_FALSE(big->Busy());
    EXPECT_FALSE(big->Problem->Calculated());
    EXPECT_EQ(MemoLines(big->ProcessMemo).last(), QStringLiteral("Расчет прерван"));
    EXPECT_FALSE(MemoText(big->ProcessMemo).contains(QStringLiteral("Общее время"))) << "a stopped run has no total time";
    EXPECT_TRUE(small->Problem->Calculated());
    EXPECT_TRUE(MemoLines(small->ProcessMemo).contains(QStringLiteral("Порядок системы: 11"))) << "mesh_x=6 was solved";
    EXPECT_EQ(ListTexts(f.Turn().ReadyListBox), QStringList{"Small.zem"});
    EXPECT_TRUE(f.Script.Messages.isEmpty()) << "a dropped run shows no message";
    // The main window going while a run goes joins the worker before the windows go.
    big->SolveItem->trigger();
    ASSERT_TRUE(f.Turn().Turn().Running());
    f.F.Main.reset();
    EXPECT_FALSE(QFile::exists(f.Path(QStringLiteral("Big.res"))));
}

TEST(Queue, OpeningAWaitingFileCalculatesItInTheNewWindow) {
    TProblemFixture f;
    TTurnForm& turn = f.Turn();
    TProblemForm* big = AutoWindow(f, QStringLiteral("Big.zem"), true);
    f.WriteCylinder(QStringLiteral("File.zem"));
    big->SolveItem->trigger();
    ASSERT_TRUE(turn.Turn().Running());
    turn.AddToQueue(QStringLiteral("File.zem"), nullptr);
    // A double click on the waiting file opens it; the window joins the entry.
    QListWidget* waiting = turn.WaitingListBox;
    turn.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&turn));
    const QPoint at = waiting->visualItemRect(waiting->item(1)).center();
    QTest::mouseClick(waiting->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(waiting->viewport(), Qt::LeftButton, {}, at);
    auto* opened = qobject_cast<TProblemForm*>(f.Main().ActiveChild());
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->windowTitle(), QStringLiteral("File.zem"));
    ASSERT_EQ(turn.Turn().Waiting().size(), 2u);
    EXPECT_EQ(turn.Turn().Waiting()[1].Window, opened);
    // Once the long run is stopped (asked of the progress window once it
    // shows the run), the file is calculated in that window, which shows the
    // report and writes it with the file.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Main().ProgressForm->isVisible(); }, 10000));
    f.Script.Answers = {true};
    f.Main().ProgressForm->close();
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_TRUE(opened->Problem->Calculated());
    EXPECT_FALSE(opened->IsModified());
    const QStringList stored = Lines(zem::ReadTextFile(f.Path(QStringLiteral("File.zem")).toStdString()));
    EXPECT_TRUE(stored.join(QLatin1Char(10)).contains(QStringLiteral("Порядок системы: "))) << "the report is in the file";
    opened->close();
    big->close();
}
