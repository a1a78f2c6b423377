// The problem window: a new problem from the type dialog checked and solved
// through the queue, the type selector, reading a file with and without its
// results, rejected texts and the settings command.
#include "GuiTestUtil.h"

#include "problem/FileNames.h"
#include "domains/ElDomain.h"

#include <QStatusBar>
#include <QThread>

TEST(ProblemForm, NewProblemCheckedAndSolvedThroughTheQueue) {
    TProblemFixture f;
    TPbTypeForm& types = f.Types();
    // "&Новая задача": Cancel makes nothing; a double click on CylSym chooses it.
    QTimer::singleShot(0, &types, [&] { types.reject(); });
    f.Main().NewProblemItem->trigger();
    EXPECT_TRUE(f.Main().Children().isEmpty());
    QTimer::singleShot(0, &types, [&] {
        types.ListBox->setCurrentRow(0);
        types.ListBoxDblClick();
    });
    f.Main().NewProblemItem->trigger();
    auto* w = qobject_cast<TProblemForm*>(f.Main().ActiveChild());
    ASSERT_TRUE(w);
    EXPECT_EQ(MemoLines(w->ObjectMemo), Lines(zem::PrintObject(zem::TProblem(0, "Noname1"))));
    EXPECT_EQ(MemoLines(w->CalculMemo),
              (QStringList{"CalcType= simple", "RealType= EXTENDED", "SLAEMethod= Метод Гаусса. Ленточная матрица",
                           "IsSLAEError", "SaveResult"}))
        << "a new problem takes the stored defaults, and the method and real type that suit its size";
    EXPECT_EQ(MenuBarTitles(f.Main()).size(), 7) << "its menus join the menu bar while it is active";
    // "&Выполнить": the typed text and the file are saved, the dialog
    // confirms, the queue runs it on the worker and the window takes the
    // result on the GUI thread.
    const QString good = MemoText(w->ObjectMemo).replace(QStringLiteral("t=0.01"), QStringLiteral("t=0.02"));
    TypeInto(w->ObjectMemo, good);
    QThread* refreshed = nullptr;
    ProblemFormHooks(f.Main()).RefreshViews = [&](TProblemForm&) { refreshed = QThread::currentThread(); };
    f.Script.SaveNames.push_back(f.Path(QStringLiteral("Shell.zem")));
    TCalculForm& dialog = f.Calc();
    QTimer::singleShot(0, &dialog, [&] { dialog.accept(); });
    w->SolveItem->trigger();
    EXPECT_EQ(ListTexts(f.Turn().WaitingListBox), QStringList{"Shell.zem"});
    EXPECT_FALSE(w->SolveItem->isEnabled()) << "the window leaves its problem alone meanwhile";
    TSLProgrForm& progress = *f.Main().ProgressForm;
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_TRUE(f.Script.Messages.isEmpty()) << f.Script.Messages;
    EXPECT_EQ(refreshed, qApp->thread());
    EXPECT_TRUE(w->Problem->Calculated());
    EXPECT_FALSE(w->IsModified()) << "the result was saved";
    // The log follows the mesh guard's warning: the default mesh is graded
    // for the default wall, twice as thin as this one.
    const QStringList process = MemoLines(w->ProcessMemo);
    ASSERT_GE(process.size(), 2);
    EXPECT_TRUE(process[0].startsWith(QStringLiteral("Предупреждение: сетка mesh_x слишком редка"))) << process[0];
    EXPECT_EQ(process[1], QStringLiteral("Метод Гаусса. Ленточная матрица"));
    EXPECT_TRUE(process.contains(QStringLiteral("Порядок системы: 81")));
    EXPECT_TRUE(QFile::exists(f.Path(QStringLiteral("Shell.res"))));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !progress.isVisible(); }, 5000)) << "an empty queue closes it";
    w->close();
    EXPECT_EQ(MenuBarTitles(f.Main()).size(), 4);
    // Reopened, the window finds its text and results.
    w = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    EXPECT_EQ(MemoText(w->ObjectMemo), good);
    EXPECT_TRUE(w->Problem->Calculated());
    EXPECT_EQ(MemoLines(w->ProcessMemo), process);
    w->ResDataMemo->setPlainText(QStringLiteral("w;\ndwx:"));
    w->ResultCalcItemClick();
    const QStringList answers = MemoLines(w->ResultMemo);
    ASSERT_EQ(answers.size(), 2);
    EXPECT_TRUE(answers[0].startsWith(QStringLiteral("w = 0.")) && answers[1].startsWith(QStringLiteral("dwx = ")));
    w->close();
}

TEST(ProblemForm, WithoutItsResultsFileTheProblemIsUnsolvedWithoutAMessage) {
    // (A results file refused on opening: the lost-edits tests.)
    TProblemFixture f;
    f.WriteCylinder(QStringLiteral("Shell.zem"));
    TProblemForm* w = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    EXPECT_TRUE(f.Script.Messages.isEmpty());
    EXPECT_FALSE(w->Problem->Calculated());
    // The results calculator does nothing on an unsolved problem.
    w->ResDataMemo->setPlainText(QStringLiteral("w;"));
    w->ResultMemo->setPlainText(QStringLiteral("old"));
    w->ResultCalcItemClick();
    EXPECT_EQ(MemoText(w->ResultMemo), QStringLiteral("old"));
    // A file that is not a problem file: the window does not stay, the
    // message says why, and the file does not become a recent one.
    zem::WriteTextFile(f.Path(QStringLiteral("Bad.zem")).toStdString(), {"something else"});
    f.Open(QStringLiteral("Bad.zem"));
    EXPECT_EQ(f.Script.Messages, QStringList{"Ошибка чтения файла Bad.zem\nНеизвестный формат файла: первая строка \"something else\" вместо \"[ZEM CAD 2]\""});
    EXPECT_EQ(f.Main().Children().size(), 1);
    EXPECT_FALSE(f.Main().RecentFiles().contains(QStringLiteral("Bad.zem")));
}

TEST(ProblemForm, EveryTextCountsAsAChangeAndBadValuesAreNamed) {
    TProblemFixture f;
    TProblemForm* w = f.OpenCylinder(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    // The description and the result requests are the user's work too.
    for (QPlainTextEdit* memo : {w->DescriptMemo, w->ResDataMemo}) {
        EXPECT_FALSE(w->IsModified());
        QTest::keyClicks(memo, QStringLiteral("w;"));
        EXPECT_TRUE(w->IsModified());
        f.Main().SaveItem->trigger();
        EXPECT_FALSE(w->IsModified());
    }
    EXPECT_TRUE(Lines(zem::ReadTextFile(f.Path(QStringLiteral("Shell.zem")).toStdString())).contains(QStringLiteral("w;")));
    // A bad value on save names the parameter and leaves the file alone.
    const auto before = zem::ReadTextFile(f.Path(QStringLiteral("Shell.zem")).toStdString());
    TypeInto(w->ObjectMemo, MemoText(w->ObjectMemo).replace(QStringLiteral("t=0.01"), QStringLiteral("t=0.0x1")));
    f.Main().SaveItem->trigger();
    ASSERT_EQ(f.Script.Messages.size(), 1);
    EXPECT_TRUE(f.Script.Messages[0].startsWith(QStringLiteral("t: "))) << f.Script.Messages[0].toStdString();
    EXPECT_EQ(zem::ReadTextFile(f.Path(QStringLiteral("Shell.zem")).toStdString()), before);
    f.Script.Answers = {false};
    w->close();
}

TEST(ProblemForm, RunFailureStaysShownUntilTheNextRun) {
    TProblemFixture f;
    TProblemForm* w = f.OpenCylinder(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w);
    // A run the calculation cannot do: a message box at the window, and the
    // failed state below its pages.
    const auto run = [&](const char* lines) {
        TypeInto(w->CalculMemo, QString::fromUtf8(lines));
        f.Turn().AddToQueue(QStringLiteral("Shell.zem"), w);
        EXPECT_TRUE(f.WaitIdle());
        QTest::qWait(0);
    };
    run("CalcType= choose\nPrec= half");
    ASSERT_EQ(f.Script.Messages.size(), 1) << MemoText(w->ProcessMemo);
    EXPECT_TRUE(f.Script.Messages[0].startsWith(QStringLiteral("Расчет Shell.zem не выполнен:\n")));
    EXPECT_EQ(w->RunState(), TProblemForm::TRunState::Failed);
    EXPECT_TRUE(w->StatusLabel->text().startsWith(QStringLiteral("Расчет не выполнен: ")));
    EXPECT_TRUE(f.Main().statusBar()->currentMessage().startsWith(QStringLiteral("Shell.zem: Расчет не выполнен")));
    // The next run that finishes says so.
    run("CalcType= simple");
    EXPECT_EQ(f.Script.Messages.size(), 1);
    EXPECT_EQ(w->RunState(), TProblemForm::TRunState::Done);
    EXPECT_EQ(w->StatusLabel->text(), QStringLiteral("Расчет завершен"));
    EXPECT_EQ(f.Main().statusBar()->currentMessage(), QStringLiteral("Shell.zem: Расчет завершен"));
    // A selection whose stages ran out before the accepted error: written,
    // but the status says the accuracy was not reached.
    run("AutoMode\nCalcType= choose\nPrec= 1e-12\nPrecChar= w\nPrecList= mesh_x\n"
        "SLAEMethod= Метод Гаусса. Ленточная матрица");
    EXPECT_EQ(f.Script.Messages.size(), 1);
    EXPECT_EQ(w->RunState(), TProblemForm::TRunState::Unfinished);
    EXPECT_EQ(f.Main().statusBar()->currentMessage(),
              QStringLiteral("Shell.zem: Расчет завершен: Подбор остановлен: выполнено этапов 12"));
}

TEST(ProblemForm, SaveAsTakesTheResultsAlong) {
    TProblemFixture f;
    TProblemForm* w = f.OpenCylinder(QStringLiteral("Shell.zem"), 8, {"CalcType= astim", "AstimList= w", "SaveResult"});
    ASSERT_TRUE(w);
    f.Turn().AddToQueue(QStringLiteral("Shell.zem"), w);
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_EQ(w->Problem->Approximations().size(), 1u);
    w->close();
    // Reopened, its approximation is read from its file unsolved; the copy
    // still gets both results files.
    w = f.Open(QStringLiteral("Shell.zem"));
    ASSERT_TRUE(w && w->Problem->Calculated());
    f.Script.SaveNames.push_back(f.Path(QStringLiteral("Copy.zem")));
    f.Main().SaveAsItem->trigger();
    EXPECT_TRUE(QFile::exists(f.Path(QStringLiteral("Copy.res"))));
    const std::string approx = zem::TPbData::ApproxFileName(zem::StoredPath(f.Path(QStringLiteral("Copy.zem")).toStdString()), 0);
    EXPECT_TRUE(zem::FileCanOpen(zem::ChangeFileExtension(approx, "res"))) << approx;
    w->close();
    w = f.Open(QStringLiteral("Copy.zem"));
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->Problem->Calculated()) << "the copy opens with its results";
    EXPECT_TRUE(f.Script.Messages.isEmpty()) << f.Script.Messages;
}

TEST(ProblemForm, AnotherTypeTakesOverWhatTheTwoShare) {
    TProblemFixture f;
    TProblemForm* w = f.NewProblem("CylSym");
    ASSERT_TRUE(f.SaveAs(w, QStringLiteral("Shell.zem")));
    w->TypeComboBox->setCurrentIndex(0);
    w->TypeComboBoxClick();
    EXPECT_FALSE(w->IsModified()) << "the type it has already: nothing changes";
    TypeInto(w->ObjectMemo, MemoText(w->ObjectMemo).replace(QStringLiteral("t=0.01"), QStringLiteral("t=0.03")));
    w->ApplyObjectText();
    w->TypeComboBox->setCurrentIndex(2);
    w->TypeComboBoxClick();
    EXPECT_EQ(w->Problem->Root().GetTypeName(), "CompCylSym");
    EXPECT_TRUE(MemoText(w->ObjectMemo).contains(QStringLiteral("t=0.03")));
    EXPECT_TRUE(MemoText(w->ObjectMemo).contains(QStringLiteral("Span2")));
    EXPECT_TRUE(w->IsModified());
}

TEST(ProblemForm, SettingsCommandRewritesTheCalculationLines) {
    TProblemFixture f;
    TProblemForm* w = f.NewProblem("CylSym");
    TCalculForm& dialog = f.Calc();
    QTimer::singleShot(0, &dialog, [&] {
        dialog.AstRadioButton->setChecked(true);
        dialog.AstListBox->item(0)->setCheckState(Qt::Checked);
        dialog.accept();
    });
    w->MDataCalculItem->trigger();
    EXPECT_EQ(MemoLines(w->CalculMemo), (QStringList{"CalcType= astim", "AstimList= w", "ErrorNorma= semisqr",
                                                     "RealType= EXTENDED", "SLAEMethod= Метод Гаусса. Ленточная матрица", "IsSLAEError",
                                                     "SaveResult"}));
}

namespace {

// What the settings dialog offers for the window's problem, read while it is open.
QStringList DialogLists(TProblemFixture& f, TProblemForm* w) {
    TCalculForm& dialog = f.Calc();
    QStringList seen;
    QTimer::singleShot(0, &dialog, [&] {
        seen = ListTexts(dialog.AstListBox) + QStringList{QStringLiteral("|")} + ListTexts(dialog.PrecListBox);
        dialog.reject();
    });
    w->MDataCalculItem->trigger();
    return seen;
}

}  // namespace

// A rejected text leaves the problem as it was: the settings dialog opened
// afterwards reads every span's mesh, so a span lost to the rejected text
// would show up here (under the address sanitizer as a use after free).
TEST(ProblemForm, RejectedSpanMeshLeavesTheSteppedCylinderReadable) {
    TProblemFixture f;
    TProblemForm* w = f.NewProblem("CompCylTech");
    ASSERT_TRUE(w);
    const std::string text = w->Problem->Root().Text();
    const std::size_t spans = w->Problem->Domains().size();
    const QStringList offered = DialogLists(f, w);
    ASSERT_GT(spans, 1u);
    ASSERT_FALSE(offered.isEmpty());
    const QStringList calcLines = MemoLines(w->CalculMemo);
    const QString good = MemoText(w->ObjectMemo);
    const QString bad = QString(good).replace(QStringLiteral("mesh_x=96"), QStringLiteral("mesh_x=abc"));
    ASSERT_NE(bad, good) << "the default text names the span mesh";
    TypeInto(w->ObjectMemo, bad);
    w->CheckItem->trigger();
    ASSERT_EQ(f.Script.Messages.size(), 1);
    EXPECT_NE(f.Script.Messages[0], QStringLiteral("Ошибок не найдено !"));
    EXPECT_TRUE(f.Script.Messages[0].contains(QStringLiteral("mesh_x"))) << f.Script.Messages[0];
    EXPECT_EQ(DialogLists(f, w), offered);
    EXPECT_EQ(f.Script.Messages.size(), 1) << f.Script.Messages;
    EXPECT_EQ(w->Problem->Root().Text(), text);
    ASSERT_EQ(w->Problem->Domains().size(), spans);
    for (zem::TDmElement* dm : w->Problem->Domains()) EXPECT_EQ(dm->Domain->StepCount(0), 96);
    EXPECT_EQ(MemoLines(w->CalculMemo), calcLines);
    EXPECT_EQ(MemoText(w->ObjectMemo), bad) << "the text stays to be mended";
    // Mended, the text is taken.
    TypeInto(w->ObjectMemo, good);
    w->CheckItem->trigger();
    EXPECT_EQ(f.Script.Messages.value(1), QStringLiteral("Ошибок не найдено !"));
}
