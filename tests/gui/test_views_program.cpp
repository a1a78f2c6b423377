// The views with the program's problem window: the element editor opened on
// "&Объект", the system table on "СЛА&У", and the views refreshed when the
// queue hands a calculated problem back.
#include "ProblemTestUtil.h"

#include "elements/Elements.h"
#include "platform/numtext.h"
#include "problem/Problems.h"
#include "views/ElementForm.h"
#include "views/SLAEForms.h"
#include "views/TableForm.h"
#include "views/ViewForm.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <cmath>
#include <gtest/gtest.h>

namespace {

double LargestMagnitude(const TStringGrid* grid) {
    double largest = 0;
    for (int r = 1; r < grid->RowCount(); ++r)
        largest = std::max(largest, std::fabs(static_cast<double>(zem::StrToReal(grid->Cell(1, r).toStdString()))));
    return largest;
}

}  // namespace

TEST(ViewsInProgram, EditorTablesAndRefreshThroughTheProblemWindow) {
    TProblemFixture f;
    TViews& views = InstallViews(f.Main());
    TProblemForm* w = f.NewProblem("CylSym");
    ASSERT_TRUE(w);
    TypeInto(w->CalculMemo, QStringLiteral("AutoMode\nCalcType= simple\nSaveResult"));
    ASSERT_TRUE(f.SaveAs(w, QStringLiteral("Tank.zem")));

    // "&Объект" opens the editor of the root element.
    w->MElementItem->trigger();
    ASSERT_EQ(w->Dependents.size(), 1);
    auto* e = dynamic_cast<TElemForm*>(w->Dependents.first());
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Element(), &w->Problem->Root());

    // An applied edit reaches the problem window's text.
    e->ParamGrid->item(1, 1)->setText(QStringLiteral("8"));
    e->SaveData();
    EXPECT_TRUE(MemoText(w->ObjectMemo).contains(QStringLiteral("H=8")));

    // "СЛА&У" fills the system table of this window.
    w->TableSLAEItem->trigger();
    ASSERT_TRUE(views.SLAEForm->isVisible());
    EXPECT_EQ(views.SLAEForm->Owner(), w);
    EXPECT_EQ(views.SLAEForm->Grid->RowCount(), static_cast<int>(w->Problem->UnknownCount()) + 1);

    // A result table before the calculation shows zeros; the queue's
    // calculation refreshes it.
    e->TableItemClick(true, 0);
    EXPECT_EQ(LargestMagnitude(views.TableForm->Grid), 0.0);
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    EXPECT_TRUE(w->Problem->Calculated());
    EXPECT_GT(LargestMagnitude(views.TableForm->Grid), 0.0);
    EXPECT_EQ(views.TableForm->windowTitle(), QStringLiteral("Результаты (w)"));

    // The window goes with its problem; the views let go of it.
    w->Discard();
    EXPECT_EQ(views.TableForm->Ref().Element(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // gone while the main window lives
    ViewLinks() = {};
}
