// After a mesh selection the table, the curves, the colour map and the mesh
// view show the selected approximation and name its mesh; with another calculation type
// they go back to the problem's own mesh.
#include "GuiTestUtil.h"

#include "domains/ElDomain.h"
#include "views/GraphForm.h"
#include "views/MeshForm.h"
#include "views/PlotForm.h"

TEST(SelectedMeshViews, ResultViewsShowTheSelectedApproximationAndSaySo) {
    TProblemFixture f;
    TViews& views = InstallViews(f.Main());
    const QString band = QStringLiteral("SLAEMethod= ") + QString::fromStdString(zem::SLAEMethodNames()[2]);
    TProblemForm* w = f.OpenCylinder(QStringLiteral("tank.zem"), 8, {"CalcType= simple"});
    ASSERT_TRUE(w);
    w->ApproxSaveItem->setChecked(false);
    TypeInto(w->ObjectMemo, QStringLiteral("{PARAMS={R=6, H=9, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={w_bot=0, dw_bot=0, "
                                           "Q1_top=0, M1_top=0}, LOADS={Gidr=9810}, MESH={mesh_x=8}}"));
    TypeInto(w->CalculMemo, QStringLiteral("AutoMode\nCalcType= choose\nPrec= 1\nPrecChar= M1\nPrecList= mesh_x\n"
                                           "ErrorNorma= uniform\n") + band);
    w->SolveItem->trigger();
    ASSERT_TRUE(f.WaitIdle());
    const auto& list = w->Problem->Approximations();
    ASSERT_GE(list.size(), 2u) << "a selection of at least two stages";
    const int own = w->Problem->Domains()[0]->Domain->StepCount(0) + 1;
    const int selected = list.back().Problem->Domains()[0]->Domain->StepCount(0) + 1;
    ASSERT_GT(selected, own);
    const QString mesh = QStringLiteral("Результаты на сетке приближения %1 (%2)")
                             .arg(list.size())
                             .arg(QString::fromStdString(list.back().Text));

    auto& root = dynamic_cast<zem::TElement&>(w->Problem->Root());
    auto expectShown = [&](int nodes, bool named, const char* what) {
        SCOPED_TRACE(what);
        root.ShowResultTable(0);
        TTableForm* t = views.TableForm;
        EXPECT_EQ(t->Grid->RowCount(), nodes + 1) << "the nodes and the header";
        EXPECT_EQ(t->windowTitle().contains(mesh), named) << t->windowTitle().toStdString();
        root.ShowResultGraph(0);
        EXPECT_EQ(views.GraphForm->windowTitle().contains(mesh), named);
        // The curves window opens from the problem window, then follows it.
        if (views.PlotForm->isVisible()) views.PlotForm->Refill();
        else w->PlotItem->trigger();
        ASSERT_FALSE(views.PlotForm->Curves().empty());
        EXPECT_EQ(static_cast<int>(views.PlotForm->Curves().front().Curve.V.size()), nodes);
        EXPECT_EQ(views.PlotForm->windowTitle().contains(mesh), named);
        // The mesh view draws the mesh the results were found on.
        views.MeshForm->ShowMesh(views.RefTo(root));
        auto* drawn = dynamic_cast<zem::TDmElement*>(views.MeshForm->Ref().Element());
        ASSERT_TRUE(drawn && drawn->Domain);
        EXPECT_EQ(drawn->Domain->StepCount(0) + 1, nodes);
        EXPECT_EQ(views.MeshForm->windowTitle().contains(mesh), named) << views.MeshForm->windowTitle().toStdString();
        views.MeshForm->close();
    };
    expectShown(selected, true, "after the selection");
    // The same element of the problem's own mesh once the calculation lines
    // no longer ask for a selection.
    TypeInto(w->CalculMemo, QStringLiteral("CalcType= simple\n") + band);
    expectShown(own, false, "a simple calculation");
}
