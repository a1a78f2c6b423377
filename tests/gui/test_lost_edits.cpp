// Work that must not be lost: an applied edit keeps the window unsaved
// whatever command finds the problem uncalculated, a run that is cancelled
// leaves the file alone, results of another text are never taken, a file is
// open in one window only, the question before closing names what changed,
// and a refused value never blocks undo.
#include "GuiTestUtil.h"

#include "platform/files.h"
#include "problem/FileNames.h"

#include <QLineEdit>

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The question the window asks before it closes (answered "Не сохранять");
// empty when it asks none.
QString QuestionOnClose(TProblemFixture& f, TChildForm* w) {
    f.Script.Questions.clear();
    w->close();
    return f.Script.Questions.value(0);
}

// Runs the problem of W through the dialog, confirmed or cancelled.
void RunProblem(TProblemFixture& f, TProblemForm* w, bool confirm) {
    TCalculForm& dialog = f.Calc();
    QTimer::singleShot(0, &dialog, [&dialog, confirm] { confirm ? dialog.accept() : dialog.reject(); });
    w->SolveItem->trigger();
}

}  // namespace

TEST(LostEdits, AnAppliedEditStaysUnsavedWhenTheProblemIsFoundUncalculated) {
    TProblemFixture f;
    InstallViews(f.Main());
    TProblemForm* w = f.OpenCylinder(QStringLiteral("Shell.zem"), 8);
    ASSERT_TRUE(w);
    EXPECT_FALSE(w->IsModified());
    const QByteArray onDisk = FileBytes(f.Path(QStringLiteral("Shell.zem")));
    // The mesh halved in the element editor and applied.
    w->MElementItem->trigger();
    auto* e = DependentOf<TElemForm>(w);
    ASSERT_TRUE(e);
    SetGridValue(e->MeshGrid, QStringLiteral("mesh_x"), QStringLiteral("4"));
    e->ApplyItem->trigger();
    ASSERT_FALSE(e->IsModified());
    ASSERT_TRUE(w->IsModified());
    // Every command that takes the object text and then finds the problem
    // uncalculated (or only checks it) leaves the window unsaved.
    for (QAction* command : {w->PlotItem, w->CheckItem, w->PlotItem}) {
        f.Script.Messages.clear();
        command->trigger();
        EXPECT_EQ(f.Script.Messages.size(), 1) << command->text();
        EXPECT_TRUE(w->IsModified()) << command->text() << ": " << f.Script.Messages.value(0);
    }
    f.Main().ShowChild(w);
    f.Main().FileMenuClick();
    EXPECT_TRUE(f.Main().SaveItem->isEnabled());
    EXPECT_EQ(FileBytes(f.Path(QStringLiteral("Shell.zem"))), onDisk);
    EXPECT_EQ(QuestionOnClose(f, w),
              QStringLiteral("Shell.zem:\nДанные были изменены. Желаете сохранить?\nИзменено: текст объекта."));
}

TEST(LostEdits, ARunIsSavedOnlyOnceConfirmedAndForeignResultsAreRefused) {
    TProblemFixture f;
    const QString zem = f.Path(QStringLiteral("Shell.zem")), res = f.Path(QStringLiteral("Shell.res"));
    TProblemForm* w = f.OpenCylinder(QStringLiteral("Shell.zem"), 8);
    ASSERT_TRUE(w);
    const QByteArray good = FileBytes(zem);
    TypeInto(w->ObjectMemo, MemoText(w->ObjectMemo).replace(QStringLiteral("t=0.01"), QStringLiteral("t=0.02")));
    // Cancel: nothing written, nothing queued, the edit still unsaved.
    RunProblem(f, w, false);
    EXPECT_EQ(FileBytes(zem), good);
    EXPECT_TRUE(f.Turn().Turn().Waiting().empty());
    EXPECT_TRUE(w->IsModified());
    // Confirmed: written, calculated, results beside it.
    RunProblem(f, w, true);
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_TRUE(f.Script.Messages.isEmpty()) << f.Script.Messages;
    EXPECT_NE(FileBytes(zem), good);
    ASSERT_TRUE(w->Problem->Calculated());
    EXPECT_FALSE(w->IsModified());
    const QByteArray results = FileBytes(res), solved = FileBytes(zem);
    w->close();

    // Which results files the window takes on opening: its own, never one
    // cut short or of another text (each refusal of the reader: the problem
    // tests).
    const QByteArray otherText = QByteArray(solved).replace("t=0.02", "t=0.03");
    struct TCase {
        const char* what;
        QByteArray problem, results;
        QString message;  // empty: loads silently
    };
    const std::vector<TCase> cases = {
        {"its own", solved, results, {}},
        {"a file cut short", solved, results.left(25), QStringLiteral("файл короче ожидаемого")},
        {"the file edited since", otherText, results, QStringLiteral("результаты получены для другого текста задачи")},
    };
    for (const TCase& c : cases) {
        WriteBytes(zem, c.problem);
        WriteBytes(res, c.results);
        f.Script.Messages.clear();
        w = f.Open(QStringLiteral("Shell.zem"));
        ASSERT_TRUE(w) << c.what;
        EXPECT_EQ(w->Problem->Calculated(), c.message.isEmpty()) << c.what;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(f.Script.Messages.isEmpty()) << c.what << ": " << f.Script.Messages;
        } else {
            ASSERT_EQ(f.Script.Messages.size(), 1) << c.what;
            EXPECT_TRUE(f.Script.Messages[0].startsWith(QStringLiteral("Ошибка загрузки файла Shell.res")))
                << f.Script.Messages[0];
            EXPECT_TRUE(f.Script.Messages[0].contains(c.message)) << f.Script.Messages[0];
        }
        EXPECT_FALSE(w->IsModified()) << c.what << ": opening is no change";
        w->close();
    }
    EXPECT_EQ(FileBytes(res), results) << "a refused results file stays as it was";
}

TEST(LostEdits, AFileOpensInOneWindowOnly) {
    TProblemFixture f;
    f.WriteCylinder(QStringLiteral("Shell.zem"));
    f.WriteCylinder(QStringLiteral("Other.zem"));
    TProblemForm* w = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    TypeInto(w->DescriptMemo, QStringLiteral("typed, not saved"));
    TProblemForm* other = f.Open(QStringLiteral("Other.zem"));
    ASSERT_NE(other, w);
    ASSERT_EQ(f.Main().ActiveChild(), other);
    // Again, by another spelling of the same path: the open window comes
    // forward with what was typed in it.
    QDir(f.F.Dir()).mkdir(QStringLiteral("sub"));
    EXPECT_EQ(f.Open(QStringLiteral("sub\\..\\Shell.zem")), w);
    EXPECT_EQ(f.Open(QStringLiteral("Shell.zem")), w);
    EXPECT_EQ(f.Main().ActiveChild(), w);
    EXPECT_EQ(f.Main().Children().size(), 2);
    EXPECT_EQ(MemoText(w->DescriptMemo), QStringLiteral("typed, not saved"));
    EXPECT_EQ(f.Main().RecentFiles().value(0), QStringLiteral("Shell.zem"));
    // Nor can another window be saved over it.
    f.Script.SaveNames.push_back(f.Path(QStringLiteral("Shell.zem")));
    EXPECT_FALSE(f.Main().SaveChildAs(other));
    EXPECT_TRUE(f.Script.Messages.value(0).contains(QStringLiteral("Файл открыт в другом окне"))) << f.Script.Messages;
    EXPECT_EQ(other->windowTitle(), QStringLiteral("Other.zem"));
}

TEST(LostEdits, TheQuestionBeforeClosingComesOnlyForWhatIsSavedAndNamesIt) {
    TProblemFixture f;
    InstallViews(f.Main());
    f.WriteCylinder(QStringLiteral("Shell.zem"));
    // What the file does not hold is no change: the report of a run, values
    // computed, the object shown again unchanged, an editor opened.
    TProblemForm* w = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    w->ProcessMemo->setPlainText(QStringLiteral("Расчет закончен"));
    w->ResultMemo->setPlainText(QStringLiteral("w = 1"));
    w->ShowData();
    w->MElementItem->trigger();
    ASSERT_TRUE(DependentOf<TElemForm>(w));
    EXPECT_FALSE(w->IsModified());
    EXPECT_EQ(QuestionOnClose(f, w), QString());
    // Each part of the file, alone and together, is named.
    struct TCase {
        std::function<void(TProblemForm*)> change;
        QString named;
    };
    const std::vector<TCase> cases = {
        {[](TProblemForm* p) { QTest::keyClicks(p->DescriptMemo, QStringLiteral("Tank")); }, QStringLiteral("описание")},
        {[](TProblemForm* p) { QTest::keyClicks(p->ResDataMemo, QStringLiteral("w;")); }, QStringLiteral("запросы результатов")},
        {[](TProblemForm* p) {
             QTest::keyClicks(p->CalculMemo, QStringLiteral("AutoMode"));
             QTest::keyClick(p->CalculMemo, Qt::Key_Return);
         },
         QStringLiteral("установки расчета")},
        {[](TProblemForm* p) {
             QTest::keyClicks(p->DescriptMemo, QStringLiteral("x"));
             QTest::keyClicks(p->ObjectMemo, QStringLiteral(" "));
         },
         QStringLiteral("текст объекта, описание")},
    };
    for (const TCase& c : cases) {
        w = f.Open(QStringLiteral("Shell.zem"));
        ASSERT_TRUE(w);
        c.change(w);
        EXPECT_EQ(QuestionOnClose(f, w), QStringLiteral("Shell.zem:\nДанные были изменены. Желаете сохранить?\nИзменено: ") +
                                            c.named + QLatin1Char('.'));
    }
    // Typed and then taken back is no change either.
    w = f.Open(QStringLiteral("Shell.zem"));
    QTest::keyClicks(w->DescriptMemo, QStringLiteral("x"));
    QTest::keyClick(w->DescriptMemo, Qt::Key_Backspace);
    EXPECT_FALSE(w->IsModified());
    w->close();
}

TEST(LostEdits, ARefusedValueIsShownBesideItsCellAndNeverBlocksUndo) {
    TViewsFixture f("CylSym");
    f.Main->show();
    f.Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.Main.get()));
    TElemForm* e = f.OpenEditor();
    ASSERT_TRUE(e);
    e->PageControl->setCurrentWidget(e->ParameterSheet);
    const std::string radius = f.Item("PARAMS", "R");
    const QString thickness = GridValue(e->ParamGrid, RowOf(e->ParamGrid, QStringLiteral("t")));
    SetGridValue(e->ParamGrid, QStringLiteral("R"), QStringLiteral("12"));
    e->ApplyItem->trigger();
    const std::string valid = f.Root().Text();
    // A letter typed into the thickness: refused as the cell is left, with
    // the message under that cell, before anything is applied.
    const int row = RowOf(e->ParamGrid, QStringLiteral("t"));
    e->ParamGrid->setFocus();
    e->ParamGrid->setCurrentCell(row, 1);
    QTest::keyClicks(e->ParamGrid, QStringLiteral("0"));
    auto* editor = e->ParamGrid->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor) << "typing edits the value";
    QTest::keyClicks(editor, QStringLiteral(".0x1"));
    EXPECT_FALSE(e->CellError->isVisible()) << "not while typing";
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(GridValue(e->ParamGrid, row), QStringLiteral("0.0x1"));
    ASSERT_TRUE(e->CellError->isVisible());
    EXPECT_TRUE(e->CellError->text().startsWith(QStringLiteral("t = 0.0x1: "))) << e->CellError->text();
    const QRect cell = e->ParamGrid->visualRect(e->ParamGrid->model()->index(row, 1));
    EXPECT_LE(std::abs(e->CellError->geometry().top() - cell.bottom()), 2) << "just under the cell";
    EXPECT_EQ(f.Root().Text(), valid) << "nothing applied";
    // Ctrl+Z goes back to the last valid state.
    QTest::keyClick(e->ParamGrid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f.Root().Text(), valid);
    EXPECT_EQ(GridValue(e->ParamGrid, row), thickness);
    EXPECT_FALSE(e->CellError->isVisible());
    EXPECT_FALSE(e->IsModified());
    EXPECT_TRUE(e->CanUndo()) << "the step before stays";
    e->UndoItem->trigger();
    EXPECT_EQ(f.Item("PARAMS", "R"), radius);
    // A value corrected in its cell takes the message away.
    SetGridValue(e->ParamGrid, QStringLiteral("mu"), QStringLiteral("abc"));
    EXPECT_TRUE(e->CellError->isVisible());
    SetGridValue(e->ParamGrid, QStringLiteral("mu"), QStringLiteral("0.25"));
    EXPECT_FALSE(e->CellError->isVisible());
}
