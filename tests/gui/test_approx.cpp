// The approximation window: filled after a mesh selection, deleting, saving
// and opening approximations, and its panel.
#include "ProblemTestUtil.h"

#include "app/RegIniFile.h"
#include "elements/Elements.h"
#include "platform/cp1251.h"
#include "problem/PbData.h"
#include "problem/Problems.h"
#include "views/ApproxForm.h"

#include <QFile>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TApproxForm& ApproxForm(TProblemFixture& f) {
    return *f.Main().findChild<TApproxForm*>(QString(), Qt::FindDirectChildrenOnly);
}

QStringList Entries(const TApproxForm& form) {
    QStringList texts;
    for (int i = 0; i < form.ListBox->count(); ++i) texts << form.ListBox->item(i)->text();
    return texts;
}

// A cylinder of 16 steps whose mesh selection refines three times before the
// deflection changes by less than 2.5 %.
void WriteChooser(TProblemFixture& f, const QString& name, const std::vector<std::string>& calc) {
    std::vector<std::string> lines = {"[ZEM CAD 2]", "CylSym", "#OBJECT", TProblemFixture::CylinderText(16),
                                      "#CALCULATION"};
    lines.insert(lines.end(), calc.begin(), calc.end());
    zem::WriteTextFile(f.Path(name).toStdString(), lines);
}

}  // namespace

TEST(ApproxForm, MeshSelectionListsItsStagesThatAreDeletedSavedAndOpened) {
    TProblemFixture f;
    WriteChooser(f, QStringLiteral("shell.zem"),
                 {"CalcType= choose", "AutoMode", "Prec= 2.5", "PrecChar= w", "PrecList= mesh_x", "SaveResult"});
    TProblemForm* w = f.Open(QStringLiteral("shell.zem"));
    ASSERT_TRUE(w);
    w->ApproxSaveItem->setChecked(false);  // the entries keep their captions
    w->ApproxItem->trigger();
    TApproxForm& a = ApproxForm(f);
    ASSERT_TRUE(a.isVisible());
    EXPECT_EQ(a.windowTitle(), QStringLiteral("Приближения: shell.zem"));
    EXPECT_EQ(a.ListBox->count(), 0);

    // The open window is filled again after the calculation.
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_EQ(Entries(a), (QStringList{"Приближение 1", "Приближение 2", "Приближение 3"}));
    EXPECT_EQ(a.ListBox->currentRow(), 2);
    const auto& list = w->Problem->Approximations();
    QStringList last;
    for (const std::string& line : zem::PrintObject(*list[2].Problem)) last << QString::fromStdString(line);
    EXPECT_EQ(MemoLines(a.Memo), last);
    a.ListBox->setCurrentRow(-1);
    EXPECT_TRUE(MemoText(a.Memo).isEmpty()) << "no selection, no text";

    // Deleting the middle one selects the one that took its place.
    a.ListBox->setCurrentRow(1);
    f.Script.Answers = {true};
    a.DeleteItemClick();
    EXPECT_EQ(f.Script.Questions, QStringList{"Желаете удалить данное приближение?"});
    EXPECT_EQ(Entries(a), (QStringList{"Приближение 1", "Приближение 3"}));
    EXPECT_EQ(a.ListBox->currentRow(), 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].Text, "Приближение 3");

    // Opening one never saved asks for a file first; Cancel opens nothing.
    const int windows = f.Main().Children().size();
    a.OpenItemClick();
    ASSERT_EQ(f.Script.ProposedNames.size(), 1);
    EXPECT_TRUE(f.Script.ProposedNames[0].endsWith(QStringLiteral("shell_02.zem")));
    EXPECT_EQ(f.Main().Children().size(), windows);
    f.Script.SaveNames = {f.Path(QStringLiteral("fine.zem"))};
    a.OpenItemClick();
    auto* opened = qobject_cast<TProblemForm*>(f.Main().ActiveChild());
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->windowTitle(), QStringLiteral("fine.zem"));
    EXPECT_EQ(opened->Problem->Root().Text(), list[1].Problem->Root().Text());
    EXPECT_TRUE(opened->Problem->Calculated()) << "its results were saved beside it";
    EXPECT_EQ(MemoLines(opened->CalculMemo), MemoLines(w->CalculMemo));
    EXPECT_TRUE(MemoLines(opened->ProcessMemo).isEmpty());

    // Delete all: nothing without a selection, then everything.
    f.Script.Questions.clear();
    a.ListBox->setCurrentRow(-1);
    a.AllDeleteItemClick();
    EXPECT_TRUE(f.Script.Questions.isEmpty());
    a.ListBox->setCurrentRow(0);
    f.Script.Answers = {true};
    a.AllDeleteItemClick();
    EXPECT_EQ(f.Script.Questions, QStringList{"Вы действительно желаете удалить все приближения?"});
    EXPECT_EQ(a.ListBox->count(), 0);
    EXPECT_TRUE(list.empty());

    // The window of a closed problem empties.
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_EQ(a.ListBox->count(), 3);
    w->ObjectMemo->document()->setModified(false);
    w->close();
    QTest::qWait(1);
    EXPECT_EQ(a.ListBox->count(), 0);
    EXPECT_TRUE(MemoText(a.Memo).isEmpty());
}

TEST(ApproxForm, SavedApproximationsOpenDirectlyAndThePanelIsKept) {
    TProblemFixture f;
    WriteChooser(f, QStringLiteral("tank.zem"), {"CalcType= astim", "AutoMode", "AstimList= w", "SaveResult"});
    TProblemForm* w = f.Open(QStringLiteral("tank.zem"));
    ASSERT_TRUE(w);
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    w->ApproxItem->trigger();
    TApproxForm& a = ApproxForm(f);
    ASSERT_EQ(Entries(a), QStringList{"tank_01.zem"}) << "saved beside the problem after the calculation";
    a.OpenItemClick();
    EXPECT_TRUE(f.Script.ProposedNames.isEmpty()) << "no file is asked for";
    auto* opened = qobject_cast<TProblemForm*>(f.Main().ActiveChild());
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->windowTitle(), QStringLiteral("tank_01.zem"));

    // The boundary: dragged from the panel's bottom strip, kept 50 pixels
    // from either edge, written to the store when the window closes.
    a.resize(300, 400);
    a.SetPanelHeight(10);
    EXPECT_EQ(a.PanelHeight(), 50);
    a.SetPanelHeight(1000);
    EXPECT_EQ(a.PanelHeight(), 350);
    QTest::mousePress(a.Panel, Qt::LeftButton, {}, QPoint(20, 348));
    QTest::mouseRelease(a.Panel, Qt::LeftButton, {}, QPoint(20, 200));
    EXPECT_EQ(a.PanelHeight(), 200);
    QTest::mousePress(a.Panel, Qt::LeftButton, {}, QPoint(20, 100));
    QTest::mouseRelease(a.Panel, Qt::LeftButton, {}, QPoint(20, 120));
    EXPECT_EQ(a.PanelHeight(), 200) << "only the bottom strip drags";
    a.resize(300, 220);
    EXPECT_EQ(a.PanelHeight(), 170);
    a.close();
    EXPECT_EQ(f.Main().Store().ReadInteger(QStringLiteral("ApproxForm"), QStringLiteral("PanelHeight"), 0), 170);
    EXPECT_FALSE(f.Main().Store().ReadString(QStringLiteral("ApproxForm"), QStringLiteral("WinOptions"), {}).isEmpty());
}
