// The views with the program's problem window: the element editor opened on
// "&Объект" and the views refreshed when the
// queue hands a calculated problem back.
#include "GuiTestUtil.h"

TEST(ViewsInProgram, EditorAndRefreshThroughTheProblemWindow) {
    TProblemFixture f;
    TViews& views = InstallViews(f.Main());
    TProblemForm* w = f.NewProblem("CylSym");
    TypeInto(w->CalculMemo, QStringLiteral("AutoMode\nCalcType= simple\nSaveResult"));
    ASSERT_TRUE(f.SaveAs(w, QStringLiteral("Tank.zem")));
    // "&Объект" opens the editor of the root element; an applied edit
    // reaches the problem window's text.
    w->MElementItem->trigger();
    ASSERT_EQ(w->Dependents.size(), 1);
    auto* e = dynamic_cast<TElemForm*>(w->Dependents.first());
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Element(), &w->Problem->Root());
    SetGridValue(e->ParamGrid, QStringLiteral("H"), QStringLiteral("8"));
    e->SaveData();
    EXPECT_TRUE(MemoText(w->ObjectMemo).contains(QStringLiteral("H=8")));
    // Before any calculation there are no results to show (not zeros); the
    // queue's calculation refreshes an open table and graph.
    EXPECT_THROW(e->TableItemClick(true, 0), zem::ZemError);
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    e->TableItemClick(true, 0);
    e->GraphItemClick(true, 0);
    double largest = 0;
    const zem::TObject* oldGraph = views.GraphForm->Data();
    SetGridValue(e->ParamGrid, QStringLiteral("H"), QStringLiteral("9"));
    e->SaveData();
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_TRUE(w->Problem->Calculated());
    const int row = RowOfLargest(views.TableForm->Grid, largest);
    EXPECT_GT(std::fabs(largest), 0.0);
    EXPECT_EQ(views.TableForm->Grid->CurrentCell(), (zem::TCellPos{1, row})) << "the selection ran again";
    EXPECT_NE(views.GraphForm->Data(), oldGraph) << "the graph took new data";
    // The window goes with its problem; the views let go of it.
    w->Discard();
    EXPECT_EQ(views.TableForm->Ref().Element(), nullptr);
    EXPECT_TRUE(views.GraphForm->HintAt(QPoint(50, 50)).isEmpty());
    (void)views.GraphForm->Render(QSize(100, 100));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // gone while the main window lives
}
