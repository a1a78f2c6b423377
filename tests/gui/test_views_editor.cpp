// The element editor and the list editor over real problems of the type
// catalogue, and the editor opened from the program's problem window, whose
// views refresh when the queue hands a calculated problem back.
#include "GuiTestUtil.h"

#include "elements/ElComp.h"
#include "views/MemoForm.h"

#include <QKeyEvent>
#include <QTabWidget>

namespace {

bool PageShown(TElemForm* e, QWidget* sheet) { return e->PageControl->isTabVisible(e->PageControl->indexOf(sheet)); }

void PressKey(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Keys as the user types them, then Return: to the widget with the focus
// (the cell's editor once it is open); the grid takes the value once the
// event loop has run.
void TypeKeys(QWidget* grid, const QString& text) {
    auto target = [grid] { return QApplication::focusWidget() ? QApplication::focusWidget() : grid; };
    for (QChar c : text) QTest::keyClick(target(), c.toLatin1());
    QTest::keyClick(target(), Qt::Key_Return);
    QTest::qWait(1);
}

QPoint CellCenter(QTableWidget* grid, int row, int col) { return grid->visualRect(grid->model()->index(row, col)).center(); }

}  // namespace

TEST(ElementEditor, TypingIntoACellEditsThatCell) {
    TViewsFixture f;
    f.Main->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.Main.get()));
    TElemForm* e = f.OpenEditor();
    f.Main->ShowChild(e);
    e->PageControl->setCurrentWidget(e->ParameterSheet);
    QTableWidget* grid = e->ParamGrid;
    const int t = RowOf(grid, QStringLiteral("t"));
    const std::string others = f.Item("PARAMS", "mu");
    // Clicking the selected thickness cell and typing: the first key too
    // goes into that cell, never to a search for a cell starting with "0".
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCenter(grid, t, 1));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCenter(grid, t, 1));
    TypeKeys(grid, QStringLiteral("0.012"));
    EXPECT_EQ(GridValue(grid, t), QStringLiteral("0.012"));
    e->SaveData();
    EXPECT_EQ(f.Item("PARAMS", "t"), "0.012");
    EXPECT_EQ(f.Item("PARAMS", "mu"), others);
    // Typing on the name of a row edits the row's value.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCenter(grid, t, 0));
    TypeKeys(grid, QStringLiteral("0.02"));
    EXPECT_EQ(grid->item(t, 0)->text(), QStringLiteral("t"));
    EXPECT_EQ(GridValue(grid, t), QStringLiteral("0.02"));
    // A value that does not parse is named on applying.
    SetGridValue(grid, QStringLiteral("t"), QStringLiteral("abc"));
    EXPECT_THAT(MessageOf([&] { e->SaveData(); }), ::testing::StartsWith("t = abc: "));
}

TEST(ElementEditor, GridAndTextEditsChangeTheElementAllOrNothing) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    const int shown = f.Window->ShowCount;
    SetGridValue(e->ParamGrid, QStringLiteral("R"), QStringLiteral("12.5"));
    EXPECT_TRUE(e->IsModified());
    EXPECT_EQ(f.Item("PARAMS", "R"), "10.0") << "not applied yet";
    e->SaveData();
    EXPECT_EQ(f.Item("PARAMS", "R"), "12.5");
    EXPECT_FALSE(e->IsModified());
    EXPECT_GT(f.Window->ShowCount, shown) << "the problem window shows the new text";
    // A bad value: nothing applied, the edits stay to be mended.
    const std::string before = f.Root().Text();
    SetGridValue(e->ParamGrid, QStringLiteral("H"), QStringLiteral("7"));
    SetGridValue(e->ParamGrid, QStringLiteral("t"), QStringLiteral("abc"));
    EXPECT_THROW(e->SaveData(), zem::ZemError);
    EXPECT_EQ(f.Root().Text(), before);
    EXPECT_TRUE(e->GridsChanged);
    SetGridValue(e->ParamGrid, QStringLiteral("t"), QStringLiteral("0.02"));
    e->SaveData();
    EXPECT_EQ(f.Item("PARAMS", "H"), "7");
    // The text edited as a whole reaches the element and the grid.
    TypeInto(e->DataMemo, e->DataMemo->toPlainText().replace(QStringLiteral("H=7"), QStringLiteral("H=6")));
    e->SaveData();
    EXPECT_EQ(f.Item("PARAMS", "H"), "6");
    EXPECT_EQ(GridValue(e->ParamGrid, 1), QStringLiteral("6"));
    // The solve commands apply the edits first and go to the problem window.
    SetGridValue(e->ParamGrid, QStringLiteral("E"), QStringLiteral("2e11"));
    e->TurnSolveItem->trigger();
    EXPECT_EQ(f.Item("PARAMS", "E"), "2e11");
    EXPECT_EQ(f.Window->SolveCount, 1);
    EXPECT_FALSE(f.Window->SolvedWithWindow);
    // A problem being calculated refuses edits.
    SetGridValue(e->ParamGrid, QStringLiteral("R"), QStringLiteral("3"));
    f.Window->Busy = true;
    EXPECT_EQ(MessageOf([&] { e->SaveData(); }), kProblemBusyText);
    EXPECT_EQ(f.Item("PARAMS", "R"), "12.5");
}

TEST(ListEditor, OpensOnABracketedValueAndAppliesItsRows) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    e->PageControl->setCurrentWidget(e->MeshSheet);
    SelectRow(e->MeshGrid, QStringLiteral("mesh_x"));
    e->OpenItemClick();
    EXPECT_EQ(DependentOf<TListForm>(e), nullptr) << "a single number opens nothing";
    // A list of fractions with a [count, share] pair: two rows.
    SetGridValue(e->MeshGrid, QStringLiteral("mesh_x"), QStringLiteral("0.5, [2, 0.5]"));
    e->OpenItemClick();
    TListForm* l = DependentOf<TListForm>(e);
    ASSERT_TRUE(l);
    QTableWidget* g = l->Grid;
    EXPECT_EQ(f.Item("MESH", "mesh_x"), "[0.5, [2, 0.5]]") << "the typed list was applied first";
    ASSERT_EQ(g->rowCount(), 2);
    EXPECT_EQ(g->item(1, 0)->text(), QStringLiteral("2, 0.5"));
    l->ApplyItemClick();
    EXPECT_EQ(f.Item("MESH", "mesh_x"), "[0.5, [2, 0.5]]") << "unchanged rows give the same list";
    // Rows inserted, emptied and deleted; empty rows are skipped.
    g->setCurrentCell(0, 0);
    l->SpanGridInsRowItemClick();
    ASSERT_EQ(g->rowCount(), 3);
    g->item(0, 0)->setText(QStringLiteral("0.25"));
    g->item(1, 0)->setText(QStringLiteral("0.25"));
    g->item(2, 0)->setText(QString());
    g->insertRow(3);
    g->setItem(3, 0, new QTableWidgetItem(QStringLiteral("[1, 0.5]")));
    l->ApplyItemClick();
    EXPECT_EQ(f.Item("MESH", "mesh_x"), "[0.25, 0.25, [1, 0.5]]");
    EXPECT_TRUE(e->DataMemo->toPlainText().contains(QStringLiteral("mesh_x=[0.25, 0.25, [1, 0.5]]")))
        << "the element editor above shows the change";
    g->setCurrentCell(0, 0);
    for (int i = 0; i < 3; ++i) l->SpanGridDeletePasteItemClick();
    ASSERT_EQ(g->rowCount(), 1) << "the only row stays";
    EXPECT_EQ(g->item(0, 0)->text(), QStringLiteral("1, 0.5"));
    // Down on a filled last row appends a row; Up on the empty last row takes it away.
    g->setCurrentCell(0, 0);
    PressKey(g, Qt::Key_Down);
    EXPECT_EQ(g->rowCount(), 2);
    g->setCurrentCell(1, 0);
    PressKey(g, Qt::Key_Up);
    EXPECT_EQ(g->rowCount(), 1);
    // "&Расчет" applies and runs the problem window's "&Выполнить".
    g->item(0, 0)->setText(QStringLiteral("8"));
    l->SolveItemClick();
    EXPECT_TRUE(f.Window->SolvedWithWindow);
    EXPECT_EQ(f.Item("MESH", "mesh_x"), "8");
}

TEST(ElementEditor, MemoFieldEditsAValueLineByLine) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    e->PageControl->setCurrentWidget(e->LoadSheet);
    SelectRow(e->LoadGrid, QStringLiteral("Gidr"));
    TMemoForm* memo = f.Views->MemoForm;
    QString shown;
    QTimer::singleShot(0, [&] {
        shown = memo->Memo->toPlainText();
        memo->Memo->setPlainText(QStringLiteral("9000\n4"));
        memo->accept();
    });
    e->MemoItemClick();
    EXPECT_EQ(shown, QStringLiteral("10000"));
    EXPECT_EQ(GridValue(e->LoadGrid, 1), QStringLiteral("9000, 4"));
    e->SaveData();
    EXPECT_EQ(f.Item("LOADS", "Gidr"), "[9000, 4]");
}

TEST(ElementEditor, SpansOfASteppedCylinderAreAddedAndDeleted) {
    TViewsFixture f("CompCylSym");
    TElemForm* e = f.OpenEditor();
    auto& comp = dynamic_cast<zem::TElComp&>(f.Root());
    ASSERT_TRUE(PageShown(e, e->ElementSheet));
    EXPECT_FALSE(PageShown(e, e->MeshSheet)) << "the compound has no mesh items";
    // A span with its own height, then a new span inserted before it.
    e->PageControl->setCurrentWidget(e->ElementSheet);
    const std::string span = "{PARAMS={H=3}, MESH={mesh_x=6}}";
    SetGridValue(e->ElemGrid, QStringLiteral("Span2"), QString::fromStdString(span));
    e->SaveData();
    e->ElemGrid->setCurrentCell(1, 1);
    e->ElAddItemClick();
    ASSERT_EQ(comp.ChildCount(), 3);
    EXPECT_EQ(comp.Child(2).Text(), span) << "the values after the row moved down";
    EXPECT_NE(f.Root().Text().find("Span3={PARAMS={H=3}"), std::string::npos);
    EXPECT_EQ(f.Window->Problem->Domains().size(), 3u);
    // A sub-element editor, then the span in front of it deleted.
    e->ElemGrid->setCurrentCell(2, 1);
    e->OpenItemClick();
    auto* sub = DependentOf<TElemForm>(e);
    ASSERT_TRUE(sub);
    EXPECT_FALSE(PageShown(sub, sub->BoundSheet)) << "a span has no boundary conditions";
    e->ElemGrid->setCurrentCell(1, 1);
    e->ElDeleteItemClick();
    ASSERT_EQ(comp.ChildCount(), 2);
    EXPECT_EQ(comp.Child(1).Text(), span);
    QApplication::processEvents();
    EXPECT_TRUE(e->Dependents.isEmpty()) << "the editor of the span that went closes";
    // Down on the last filled row adds a span; the one span left cannot be deleted.
    e->ElemGrid->setFocus();
    e->ElemGrid->setCurrentCell(1, 1);
    PressKey(e->ElemGrid, Qt::Key_Down);
    EXPECT_EQ(comp.ChildCount(), 3);
    e->ElemGrid->setCurrentCell(0, 1);
    for (int i = 0; i < 3; ++i) e->ElDeleteItemClick();
    EXPECT_EQ(comp.ChildCount(), 1);
    EXPECT_EQ(e->ElemGrid->rowCount(), 1);
}

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
