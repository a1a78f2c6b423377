// The approximation window: filled after a mesh selection, deleting, saving
// and opening approximations.
#include "GuiTestUtil.h"

#include "views/ApproxForm.h"

TEST(ApproxForm, MeshSelectionListsItsStagesThatAreDeletedSavedAndOpened) {
    TProblemFixture f;
    InstallViews(f.Main());  // their refresh after a calculation goes with the approximations'
    // A cylinder of 16 steps whose mesh selection refines three times.
    TProblemForm* w = f.OpenCylinder(QStringLiteral("shell.zem"), 16,
                    {"CalcType= choose", "AutoMode", "Prec= 2.5", "PrecChar= w", "PrecList= mesh_x", "SaveResult"});
    ASSERT_TRUE(w);
    w->ApproxSaveItem->setChecked(false);  // the entries keep their captions
    w->ApproxItem->trigger();
    TApproxForm& a = DirectChild<TApproxForm>(f.Main());
    ASSERT_TRUE(a.isVisible());
    // The open window is filled again after the calculation, the last selected.
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    ASSERT_EQ(ListTexts(a.ListBox), (QStringList{"Приближение 1", "Приближение 2", "Приближение 3"}));
    EXPECT_EQ(a.ListBox->currentRow(), 2);
    const auto& list = w->Problem->Approximations();
    EXPECT_EQ(MemoLines(a.Memo), Lines(zem::PrintObject(*list[2].Problem)));
    // Deleting the middle one selects the one that took its place.
    a.ListBox->setCurrentRow(1);
    f.Script.Answers = {true};
    a.DeleteItemClick();
    EXPECT_EQ(f.Script.Questions, QStringList{"Желаете удалить данное приближение?"});
    EXPECT_EQ(ListTexts(a.ListBox), (QStringList{"Приближение 1", "Приближение 3"}));
    EXPECT_EQ(a.ListBox->currentRow(), 1);
    ASSERT_EQ(list.size(), 2u);
    // Opening one never saved asks for a file first; Cancel opens nothing.
    const int windows = f.Main().Children().size();
    a.OpenItemClick();
    ASSERT_EQ(f.Script.ProposedNames.size(), 1);
    EXPECT_TRUE(f.Script.ProposedNames[0].endsWith(QStringLiteral("shell_02.zem")));
    EXPECT_EQ(f.Main().Children().size(), windows);
    f.Script.SaveNames = {f.Path(QStringLiteral("fine.zem"))};
    a.OpenItemClick();
    auto* opened = qobject_cast<TProblemForm*>(f.Main().ActiveChild());
    ASSERT_TRUE(opened && opened->windowTitle() == QStringLiteral("fine.zem"));
    EXPECT_EQ(opened->Problem->Root().Text(), list[1].Problem->Root().Text());
    EXPECT_TRUE(opened->Problem->Calculated()) << "its results were saved beside it";
    EXPECT_EQ(MemoLines(opened->CalculMemo), MemoLines(w->CalculMemo));
    // Delete all; the window of a closed problem empties.
    f.Script.Answers = {true};
    a.AllDeleteItemClick();
    EXPECT_EQ(f.Script.Questions.last(), QStringLiteral("Вы действительно желаете удалить все приближения?"));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(w->IsModified()) << "the deletion is to be saved";
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_EQ(a.ListBox->count(), 3);
    w->ObjectMemo->document()->setModified(false);
    w->close();
    QTest::qWait(1);
    EXPECT_EQ(a.ListBox->count(), 0);
    EXPECT_TRUE(MemoText(a.Memo).isEmpty());
}

TEST(ApproxForm, SavedApproximationsOpenDirectly) {
    TProblemFixture f;
    TProblemForm* w = f.OpenCylinder(QStringLiteral("tank.zem"), 16, {"CalcType= astim", "AutoMode", "AstimList= w", "SaveResult"});
    ASSERT_TRUE(w);
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    w->ApproxItem->trigger();
    TApproxForm& a = DirectChild<TApproxForm>(f.Main());
    ASSERT_EQ(ListTexts(a.ListBox), QStringList{"tank_01.zem"}) << "saved beside the problem after the calculation";
    a.OpenItemClick();
    EXPECT_TRUE(f.Script.ProposedNames.isEmpty()) << "no file is asked for";
    EXPECT_EQ(f.Main().ActiveChild()->windowTitle(), QStringLiteral("tank_01.zem"));
}
