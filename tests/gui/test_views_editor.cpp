// The element editor and the list editor over real problems of the type
// catalogue.
#include "test_views.h"

#include "elements/ElComp.h"
#include "elements/ElLists.h"
#include "platform/errors.h"
#include "views/MemoForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QApplication>
#include <gtest/gtest.h>

namespace {

bool PageShown(TElemForm* e, QWidget* sheet) { return e->PageControl->isTabVisible(e->PageControl->indexOf(sheet)); }

QStringList Titles(const QMenu* menu) {
    QStringList list;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->isVisible()) list << a->text();
    return list;
}

TListForm* ListEditorOf(TChildForm* window) {
    for (TChildForm* d : window->Dependents)
        if (auto* list = dynamic_cast<TListForm*>(d)) return list;
    return nullptr;
}

void PressKey(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

}  // namespace

TEST(ElementEditor, ShowsTheSectionsOfTheRootElementAndItsMenus) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->windowTitle(), QStringLiteral("tank"));
    EXPECT_EQ(e->ParentForm, f.Window);
    EXPECT_TRUE(e->DataMemo->toPlainText().startsWith(QStringLiteral("{PARAMS={R=10.0,")));
    EXPECT_FALSE(PageShown(e, e->ElementSheet)) << "a cylinder has no sub-elements";
    EXPECT_TRUE(PageShown(e, e->BoundSheet));
    ASSERT_EQ(e->ParamGrid->rowCount(), 5);
    EXPECT_EQ(e->ParamGrid->item(0, 0)->text(), QStringLiteral("R"));
    EXPECT_EQ(GridValue(e->ParamGrid, 0), QStringLiteral("10.0"));
    EXPECT_EQ(Titles(e->TableInitialItem), QStringList{QStringLiteral("Радиальная нагрузка")});
    EXPECT_EQ(Titles(e->GraphResultItem).size(), 8);
    EXPECT_FALSE(e->TableResultItem->isEnabled());

    // The information panel follows the page and the row.
    e->PageControl->setCurrentWidget(e->ParameterSheet);
    SelectRow(e->ParamGrid, QStringLiteral("t"));
    EXPECT_EQ(e->TypeLabel->text(), QStringLiteral("Real"));
    EXPECT_FALSE(e->HintLabel->text().isEmpty());

    // Opening the tables menu of an unsolved problem leaves the results off;
    // once solved they are on.
    e->ResultsItemClick();
    EXPECT_FALSE(e->TableResultItem->isEnabled());
    f.Calculate();
    e->ResultsItemClick();
    EXPECT_TRUE(e->TableResultItem->isEnabled());
    EXPECT_TRUE(e->GraphResultItem->isEnabled());
}

TEST(ElementEditor, AppliedGridEditChangesTheElementTextAndRefreshesTheFamily) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    const int shown = f.Window->ShowCount;
    e->PageControl->setCurrentWidget(e->ParameterSheet);
    SetGridValue(e->ParamGrid, QStringLiteral("R"), QStringLiteral("12.5"));
    EXPECT_TRUE(e->GridsChanged);
    EXPECT_TRUE(e->IsModified());
    // Not applied yet: the element and the "Объект" page keep the old text.
    EXPECT_EQ(f.Item("PARAMS", "R"), "10.0");
    EXPECT_TRUE(e->DataMemo->toPlainText().contains(QStringLiteral("R=10.0")));

    e->SaveData();
    EXPECT_EQ(f.Item("PARAMS", "R"), "12.5");
    EXPECT_NE(f.Root().Text().find("R=12.5"), std::string::npos);
    EXPECT_TRUE(e->DataMemo->toPlainText().contains(QStringLiteral("R=12.5")));
    EXPECT_FALSE(e->IsModified());
    EXPECT_GT(f.Window->ShowCount, shown) << "the problem window shows the new text";
    EXPECT_FALSE(f.Window->Problem->Calculated());
    // The domain was set up afresh with the new radius.
    double r = 0;
    f.Root().Params().GetReal("R", r);
    EXPECT_DOUBLE_EQ(r, 12.5);
}

TEST(ElementEditor, BadGridValueIsReportedAndTheElementKeepsItsText) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    const std::string before = f.Root().Text();
    SetGridValue(e->ParamGrid, QStringLiteral("H"), QStringLiteral("7"));
    SetGridValue(e->ParamGrid, QStringLiteral("t"), QStringLiteral("abc"));
    EXPECT_THROW(e->SaveData(), zem::ZemError);
    EXPECT_EQ(f.Root().Text(), before) << "all or nothing";
    EXPECT_EQ(f.Item("PARAMS", "t"), "0.01");
    EXPECT_TRUE(e->GridsChanged) << "the edits stay to be mended";
    SetGridValue(e->ParamGrid, QStringLiteral("t"), QStringLiteral("0.02"));
    e->SaveData();
    EXPECT_EQ(f.Item("PARAMS", "H"), "7");
    EXPECT_EQ(f.Item("PARAMS", "t"), "0.02");
}

TEST(ElementEditor, ObjectTextEditedAsAWholeIsReadIntoTheElement) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    QString text = e->DataMemo->toPlainText();
    text.replace(QStringLiteral("H=10.0"), QStringLiteral("H=6"));
    e->DataMemo->setPlainText(text);
    e->DataMemo->document()->setModified(true);
    e->SaveData();
    EXPECT_EQ(f.Item("PARAMS", "H"), "6");
    EXPECT_EQ(GridValue(e->ParamGrid, 1), QStringLiteral("6"));
    EXPECT_FALSE(e->IsModified());
}

TEST(ElementEditor, BusyProblemRefusesEdits) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    SetGridValue(e->ParamGrid, QStringLiteral("R"), QStringLiteral("3"));
    f.Window->Busy = true;
    try {
        e->SaveData();
        ADD_FAILURE() << "no error";
    } catch (const zem::ZemError& err) {
        EXPECT_STREQ(err.what(), kProblemBusyText);
    }
    EXPECT_EQ(f.Item("PARAMS", "R"), "10.0");
}

TEST(ListEditor, OpensOnABracketedValueAndAppliesItsRows) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    e->PageControl->setCurrentWidget(e->MeshSheet);
    // A single number opens nothing.
    SelectRow(e->MeshGrid, QStringLiteral("mesh_x"));
    e->OpenItemClick();
    EXPECT_EQ(ListEditorOf(e), nullptr);

    // A list of fractions with a [count, share] pair: three rows.
    SetGridValue(e->MeshGrid, QStringLiteral("mesh_x"), QStringLiteral("0.5, [2, 0.5]"));
    e->OpenItemClick();
    TListForm* l = ListEditorOf(e);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->windowTitle(), QStringLiteral("tank.mesh_x"));
    EXPECT_EQ(f.Item("MESH", "mesh_x"), "[0.5, [2, 0.5]]") << "the typed list was applied first";
    ASSERT_EQ(l->Grid->rowCount(), 2);
    EXPECT_EQ(l->Grid->item(0, 0)->text(), QStringLiteral("0.5"));
    EXPECT_EQ(l->Grid->item(1, 0)->text(), QStringLiteral("2, 0.5"));
    EXPECT_EQ(l->Grid->verticalHeaderItem(1)->text(), QStringLiteral("2"));

    // Applying unchanged rows gives the same list, the pair bracketed.
    l->ApplyItemClick();
    EXPECT_EQ(f.Item("MESH", "mesh_x"), "[0.5, [2, 0.5]]");

    // Rows inserted, emptied and deleted; empty rows are skipped.
    l->Grid->setCurrentCell(0, 0);
    l->SpanGridInsRowItemClick();
    ASSERT_EQ(l->Grid->rowCount(), 3);
    EXPECT_EQ(l->Grid->item(1, 0)->text(), QStringLiteral("0.5"));
    l->Grid->item(0, 0)->setText(QStringLiteral("0.25"));
    l->Grid->item(1, 0)->setText(QStringLiteral("0.25"));
    l->Grid->item(2, 0)->setText(QString());
    l->Grid->insertRow(3);
    l->Grid->setItem(3, 0, new QTableWidgetItem(QStringLiteral("[1, 0.5]")));
    EXPECT_TRUE(l->IsModified());
    l->ApplyItemClick();
    EXPECT_EQ(f.Item("MESH", "mesh_x"), "[0.25, 0.25, [1, 0.5]]");
    EXPECT_GE(e->DataMemo->toPlainText().indexOf(QStringLiteral("mesh_x=[0.25, 0.25, [1, 0.5]]")), 0)
        << "the element editor above shows the change";

    l->Grid->setCurrentCell(0, 0);
    l->SpanGridDeletePasteItemClick();
    l->SpanGridDeletePasteItemClick();
    ASSERT_EQ(l->Grid->rowCount(), 1);
    l->SpanGridDeletePasteItemClick();
    EXPECT_EQ(l->Grid->rowCount(), 1) << "the only row stays";
    EXPECT_EQ(l->Grid->item(0, 0)->text(), QStringLiteral("1, 0.5"));

    // Down on a filled last row appends a row; Up on the empty last row takes it away.
    l->Grid->setCurrentCell(0, 0);
    PressKey(l->Grid, Qt::Key_Down);
    EXPECT_EQ(l->Grid->rowCount(), 2);
    l->Grid->setCurrentCell(1, 0);
    PressKey(l->Grid, Qt::Key_Up);
    EXPECT_EQ(l->Grid->rowCount(), 1);

    // "&Расчет" applies and runs the problem window's "&Выполнить".
    l->Grid->item(0, 0)->setText(QStringLiteral("8"));
    l->SolveItemClick();
    EXPECT_EQ(f.Window->SolveCount, 1);
    EXPECT_TRUE(f.Window->SolvedWithWindow);
    EXPECT_EQ(f.Item("MESH", "mesh_x"), "8");
}

TEST(ElementEditor, MemoFieldEditsAValueLineByLine) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    e->PageControl->setCurrentWidget(e->LoadSheet);
    SelectRow(e->LoadGrid, QStringLiteral("Gidr"));
    QString shown;
    QTimer::singleShot(0, [&] {
        shown = f.Views->MemoForm->Memo->toPlainText();
        f.Views->MemoForm->Memo->setPlainText(QStringLiteral("9000\n4"));
        f.Views->MemoForm->accept();
    });
    e->MemoItemClick();
    EXPECT_EQ(shown, QStringLiteral("10000"));
    EXPECT_EQ(GridValue(e->LoadGrid, 1), QStringLiteral("9000, 4"));
    EXPECT_TRUE(e->GridsChanged);
    e->SaveData();
    EXPECT_EQ(f.Item("LOADS", "Gidr"), "[9000, 4]");
}

TEST(ElementEditor, SpansOfASteppedCylinderAreAddedAndDeleted) {
    TViewsFixture f("CompCylSym");
    TElemForm* e = f.OpenEditor();
    auto& comp = dynamic_cast<zem::TElComp&>(f.Root());
    ASSERT_TRUE(PageShown(e, e->ElementSheet));
    EXPECT_FALSE(PageShown(e, e->MeshSheet)) << "the compound has no mesh items";
    ASSERT_EQ(e->ElemGrid->rowCount(), 2);
    EXPECT_TRUE(e->ElAddItem->isVisible());

    // A span with its own height, then a new span inserted before it.
    e->PageControl->setCurrentWidget(e->ElementSheet);
    SetGridValue(e->ElemGrid, QStringLiteral("Span2"), QStringLiteral("{PARAMS={H=3}, MESH={mesh_x=6}}"));
    e->SaveData();
    e->ElemGrid->setCurrentCell(1, 1);
    e->ElAddItemClick();
    ASSERT_EQ(comp.ChildCount(), 3);
    ASSERT_EQ(e->ElemGrid->rowCount(), 3);
    EXPECT_EQ(e->ElemGrid->item(2, 0)->text(), QStringLiteral("Span3"));
    EXPECT_EQ(comp.Child(2).Text(), "{PARAMS={H=3}, MESH={mesh_x=6}}") << "the values after the row moved down";
    EXPECT_NE(f.Root().Text().find("Span3={PARAMS={H=3}"), std::string::npos);
    EXPECT_EQ(f.Window->Problem->Domains().size(), 3u);

    // A sub-element editor, then the span in front of it deleted.
    e->ElemGrid->setCurrentCell(2, 1);
    e->OpenItemClick();
    ASSERT_EQ(e->Dependents.size(), 1);
    auto* sub = dynamic_cast<TElemForm*>(e->Dependents.first());
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->windowTitle(), QStringLiteral("tank.Span3"));
    EXPECT_FALSE(PageShown(sub, sub->BoundSheet)) << "a span has no boundary conditions";

    e->ElemGrid->setCurrentCell(1, 1);
    e->ElDeleteItemClick();
    ASSERT_EQ(comp.ChildCount(), 2);
    EXPECT_EQ(comp.Child(1).Text(), "{PARAMS={H=3}, MESH={mesh_x=6}}");
    QApplication::processEvents();
    EXPECT_TRUE(e->Dependents.isEmpty()) << "the editor of the span that went closes";

    // Down on the last filled row adds a span; one span row cannot be deleted.
    e->ElemGrid->setFocus();
    e->ElemGrid->setCurrentCell(1, 1);
    PressKey(e->ElemGrid, Qt::Key_Down);
    EXPECT_EQ(comp.ChildCount(), 3);
    e->ElemGrid->setCurrentCell(0, 1);
    e->ElDeleteItemClick();
    e->ElDeleteItemClick();
    EXPECT_EQ(comp.ChildCount(), 1);
    e->ElDeleteItemClick();
    EXPECT_EQ(comp.ChildCount(), 1);
    EXPECT_EQ(e->ElemGrid->rowCount(), 1);
}

TEST(ElementEditor, SolveCommandsGoToTheProblemWindow) {
    TViewsFixture f;
    TElemForm* e = f.OpenEditor();
    SetGridValue(e->ParamGrid, QStringLiteral("E"), QStringLiteral("2e11"));
    e->TurnSolveItem->trigger();
    EXPECT_EQ(f.Item("PARAMS", "E"), "2e11") << "edits applied first";
    EXPECT_EQ(f.Window->SolveCount, 1);
    EXPECT_FALSE(f.Window->SolvedWithWindow);
    e->SolveItem->trigger();
    EXPECT_TRUE(f.Window->SolvedWithWindow);
}
