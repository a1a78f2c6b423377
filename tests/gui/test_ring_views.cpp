// The ring's results in the program's views: its table goes once round the
// ring (the top row repeats node 0) and its colour map is drawn.
#include "GuiTestUtil.h"

#include "domains/ElDomain.h"
#include "views/GrOptionForm.h"
#include "views/GraphForm.h"
#include "views/TableForm.h"

TEST(RingViews, TableAndColourMapOfACalculatedRing) {
    TViewsFixture f("Ring");
    f.Root().SetText("{LOADS={t=[0, 0, 1000]}, MESH={mesh=8}}");
    f.Calculate();
    TElemForm* e = f.OpenEditor();
    e->TableItemClick(true, 2);  // w
    TTableForm* t = f.Views->TableForm;
    ASSERT_TRUE(t->isVisible());
    EXPECT_EQ(t->Selector(), 102);
    ASSERT_EQ(t->Grid->RowCount(), 10) << "nodes 0 ... 8 and the header";
    EXPECT_EQ(t->Grid->Cell(1, 1), t->Grid->Cell(1, 9)) << "node 8 is node 0 again";
    EXPECT_NE(t->Grid->Cell(1, 1), t->Grid->Cell(1, 3));

    e->GraphItemClick(true, 2);
    TGraphForm* g = f.Views->GraphForm;
    ASSERT_TRUE(g->isVisible());
    const QImage image = g->Render(QSize(120, 405));
    int colours = 0;
    QRgb last = 0;
    for (int y = 5; y < 400; ++y)
        if (image.pixel(60, y) != last) last = image.pixel(60, y), ++colours;
    EXPECT_GT(colours, 3) << "cos 2 theta takes several colour levels";
}
