// The tool windows of the main window: owned by it, above it but never above
// dialogs, placed beside the problem they show, named after it and gone with
// it; the place the user gives a kind of window is kept.
#include "GuiTestUtil.h"

#include "views/MeshForm.h"
#include "views/PlotForm.h"

#include <QMdiArea>

TEST(ToolWindows, OwnedPlacedBesideTheProblemNamedAfterItAndGoneWithIt) {
    TViewsFixture f;
    TMainForm& main = *f.Main;
    main.setGeometry(0, 0, 780, 580);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    f.Window->setGeometry(0, 0, 200, 150);
    TElemForm* editor = f.SolvedEditor();
    ASSERT_TRUE(editor);
    TTurnForm turn(&main);
    TViews& v = *f.Views;
    const std::vector<QWidget*> tools{v.TableForm, v.GraphForm, v.PlotForm, v.MeshForm, v.SLAEForm, v.GrSLAEForm, &turn};
    for (QWidget* w : tools) {
        SCOPED_TRACE(w->metaObject()->className());
        EXPECT_EQ(w->parentWidget(), &main);
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::Tool));
        EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "would cover dialogs and other programs";
    }

    // From the editor (the active child) the table shows beside its problem
    // window, not over it nor at the screen's corner.
    main.ShowChild(editor);
    editor->TableItemClick(true, 0);
    editor->GraphItemClick(true, 0);
    const QRect problem(main.MdiArea->viewport()->mapToGlobal(f.Window->frameGeometry().topLeft()),
                        f.Window->frameGeometry().size());
    for (QWidget* w : {static_cast<QWidget*>(v.TableForm), static_cast<QWidget*>(v.GraphForm)}) {
        SCOPED_TRACE(w->metaObject()->className());
        ASSERT_TRUE(w->isVisible());
        EXPECT_FALSE(w->frameGeometry().intersects(problem)) << "covers its problem window";
        EXPECT_NE(w->frameGeometry().topLeft(), QPoint(0, 0));
        EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral(" — tank.zem"))) << w->windowTitle();
    }
    EXPECT_NE(v.TableForm->frameGeometry().topLeft(), v.GraphForm->frameGeometry().topLeft())
        << "two kinds of window on one spot";

    // The place the user gives a kind of window is stored when it closes and
    // kept when it shows again.
    v.TableForm->move(420, 260);
    const QPoint moved = v.TableForm->pos();
    v.TableForm->close();
    EXPECT_EQ(main.Store().ReadString(QStringLiteral("COMMON"), QStringLiteral("TableForm"), QString()),
              PlacementText(v.TableForm));
    editor->TableItemClick(true, 1);
    EXPECT_EQ(v.TableForm->pos(), moved);

    // Closing the problem window takes its result windows with it.
    f.Window->close();
    QTRY_VERIFY(!v.TableForm->isVisible());
    EXPECT_FALSE(v.GraphForm->isVisible());
    EXPECT_FALSE(v.TableForm->Ref().Refers());
    EXPECT_EQ(v.TableForm->Table().RowCount(), 0) << "no stale data left to show";
    EXPECT_EQ(v.TableForm->windowTitle(), QStringLiteral("Таблица"));
}
