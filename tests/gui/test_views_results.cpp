// The views of results: the table and its export, the graph with its
// options, the mesh view and the views of the linear system.
#include "GuiTestUtil.h"

#include "app/RegIniFile.h"
#include "app/TbOptionForm.h"
#include "domains/ElDomain.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "views/GrOptionForm.h"
#include "views/GraphForm.h"
#include "views/MeshForm.h"
#include "views/QtCanvas.h"
#include "views/SLAEForms.h"
#include "solvers/Matrises.h"
#include "views/TableForm.h"

#include <QSpinBox>

namespace {

TSystemSource Diagonal(int n) {
    TSystemSource s;
    for (int i = 0; i < n; ++i) {
        s.Rows.push_back({zem::TListItem{static_cast<std::size_t>(i), 2}});
        s.Free.push_back(-1);
        s.Names.push_back("x(" + std::to_string(i) + ")");
    }
    return s;
}

bool IsRed(QRgb c) { return qRed(c) == 255 && qGreen(c) == 0 && qBlue(c) == 0; }

}  // namespace

TEST(TableView, ResultTableOfACalculatedTankSelectsTheLargestDeflection) {
    TViewsFixture f;
    f.Calculate();
    TElemForm* e = f.OpenEditor();
    e->TableItemClick(true, 0);
    TTableForm* t = f.Views->TableForm;
    ASSERT_TRUE(t->isVisible());
    EXPECT_EQ(t->Selector(), 100);
    ASSERT_EQ(t->Grid->RowCount(), 6) << "five nodes of mesh_x=4 and the header";
    EXPECT_EQ(t->Grid->Cell(0, 1), QString::fromStdString(zem::RealToStrExp(11, 4, 10))) << "the top node first";
    double largest = 0;
    const int row = RowOfLargest(t->Grid, largest);
    EXPECT_GT(std::fabs(largest), 0.0);
    EXPECT_EQ(t->Grid->CurrentCell(), (zem::TCellPos{1, row})) << "\"&MinMax\" ran when the table was filled";
    t->MinItemClick();
    t->MinMaxItem->trigger();
    EXPECT_EQ(t->Grid->CurrentCell(), (zem::TCellPos{1, row}));

    // The number format ("&Числа", stored digits 11 and 4 by default): 5
    // significant digits, at least 2 exponent digits.
    int width = 0;
    QTimer::singleShot(0, [&] {
        width = f.Main->TbOptionForm->WidthEdit->value();
        f.Main->TbOptionForm->WidthEdit->setValue(5);
        f.Main->TbOptionForm->DecimalsEdit->setValue(2);
        f.Main->TbOptionForm->accept();
    });
    t->FormatItemClick();
    EXPECT_EQ(width, 11);
    EXPECT_EQ(f.Main->Store().ReadInteger("Digits", "Width", 0), 5);
    EXPECT_EQ(t->Grid->Cell(0, 1), QStringLiteral("1.0000E+01"));
    EXPECT_EQ(zem::HintNumberFormat()(10), "1.0000E+01") << "the graph hints follow";
    EXPECT_EQ(t->Grid->CurrentCell(), (zem::TCellPos{1, row}));

    // "&Сохранить" writes the export under the document's name.
    TDialogScript script;
    f.Main->ShowChild(f.Window);
    script.SaveNames.push_back(f.Path(QStringLiteral("w.txt")));
    t->SaveItemClick();
    EXPECT_TRUE(script.ProposedNames.value(0).endsWith(QStringLiteral("tank.txt")));
    EXPECT_EQ(zem::ReadTextFile(f.Path(QStringLiteral("w.txt")).toStdString()).size(), 4u) << "five nodes, four steps";

    // The initial data: the hydrostatic pressure, largest at the bottom.
    e->TableItemClick(false, 0);
    EXPECT_EQ(t->windowTitle(), QStringLiteral("Исходные (Радиальная нагрузка, Pa)"));
    EXPECT_EQ(t->Grid->CurrentCell(), (zem::TCellPos{1, 5}));
}

TEST(TableView, ExportResamplesOntoTheSmallestSteps) {
    zem::TTableModel t;
    t.SetNumberFormat([](zem::Extended x) { return zem::RealToStrGen(15, 0, x); });
    // Rows at y = 3, 1, 0 (top first), columns at x = 0, 1, 2.
    t.SetSize(4, 4);
    const double ys[] = {3, 1, 0};
    for (int r = 1; r <= 3; ++r) {
        t.SetCell(0, r, ys[r - 1]);
        for (int c = 1; c <= 3; ++c) t.SetCell(c, r, 10 * ys[r - 1] + (c - 1));
        t.SetCell(r, 0, r - 1);
    }
    const std::vector<std::string> lines = ResampleTable(t);
    // y = 0 to 1: one line; y = 1 to 3: two lines (dy = 1); two values each.
    auto row = [](double a, double b) { return zem::RealToStrExp(4, 8, a) + "\t" + zem::RealToStrExp(4, 8, b) + "\t"; };
    EXPECT_EQ(lines, (std::vector<std::string>{row(0, 1), row(10, 11), row(20, 21)}));

    // One value column (a line domain, a stepped element with its span
    // labels and a joint at the same height): one value per line.
    t.SetSize(2, 5);
    t.SetText(0, 0, "Коорд.");
    t.SetText(1, 0, "Значение");
    const char* labels[] = {"Span2: 2", "1: Span2", "Span1: 1", "0: Span1"};
    for (int r = 1; r <= 4; ++r) {
        t.SetText(0, r, labels[r - 1]);
        t.SetCell(1, r, 5 - r);
    }
    const std::vector<std::string> single = ResampleTable(t);
    EXPECT_EQ(single, (std::vector<std::string>{zem::RealToStrExp(4, 8, 1) + "\t", zem::RealToStrExp(4, 8, 3) + "\t"}))
        << "the joint rows give no line";

    t.SetText(1, 2, "x");
    EXPECT_THROW(ResampleTable(t), zem::ZemError);
}

TEST(GraphView, OptionsHoldTheTwoPalettesAndTheMeshSwitch) {
    TViewsFixture f;
    TGrOptionForm* o = f.Views->GrOptionForm;
    ASSERT_EQ(o->MinusBox->count(), 80);
    EXPECT_EQ(o->MinusBox->item(0)->data(Qt::UserRole).toUInt(), zem::clWhite);
    EXPECT_EQ(o->MinusBox->item(40)->data(Qt::UserRole).toUInt(), zem::RGBColor(0, 255, 255));
    EXPECT_EQ(o->ColorFor(0.5, 0.5), zem::clWhite) << "a value equal to the step is white";
    EXPECT_EQ(o->ColorFor(-1.2, 0.5), o->Palette().Minus()[1]);

    // Cancel gives back what the dialog had; OK keeps the new level count.
    QTimer::singleShot(0, [&] {
        o->SpinEdit->setValue(21);
        o->RebuildPalettes();
        o->MeshCheckBox->setChecked(true);
        o->reject();
    });
    EXPECT_FALSE(o->Execute());
    EXPECT_EQ(o->LevelCount(), 80);
    EXPECT_FALSE(o->MeshVisible());
    QTimer::singleShot(0, [&] {
        o->SpinEdit->setValue(21);
        o->accept();
    });
    EXPECT_TRUE(o->Execute());
    EXPECT_EQ(o->PlusBox->count(), 21);
}

TEST(GraphView, ColourMapOfACalculatedTank) {
    TViewsFixture f;
    f.Calculate();
    TElemForm* e = f.OpenEditor();
    e->GraphItemClick(true, 0);
    TGraphForm* g = f.Views->GraphForm;
    ASSERT_TRUE(g->isVisible());
    const auto values = f.Root().ResultValues(0);
    const auto& w = dynamic_cast<const zem::TLineItem&>(*values);
    std::size_t at = 0;
    const zem::Extended largest = std::fabs(w.MaxItem(at)) >= std::fabs(w.MinItem(at)) ? w.MaxItem(at) : w.MinItem(at);

    // Bands from the bottom (clamped, w = 0: white) to the top; the largest
    // deflection takes its level of the automatic step max|w| / 80.
    const QImage image = g->Render(QSize(120, 405));
    EXPECT_EQ(image.pixel(60, 405 - 7), qRgb(255, 255, 255)) << "w = 0 at the clamped bottom";
    const zem::TColor top = f.Views->GrOptionForm->ColorFor(largest, std::fabs(largest) / 80);
    bool found = false;
    for (int y = 5; y < 400 && !found; ++y) found = image.pixel(60, y) == ToQColor(top).rgb();
    EXPECT_TRUE(found) << "the colour of the largest deflection";
    EXPECT_NE(top, zem::clWhite);

    // The hint names the value under the mouse; outside the drawing none.
    g->resize(120, 405);
    g->PaintBox->resize(120, 405);
    EXPECT_FALSE(g->HintAt(QPoint(60, 200)).isEmpty());
    EXPECT_TRUE(g->HintAt(QPoint(1, 1)).isEmpty());

    // The mesh over the map: black lines.
    g->MeshItem->trigger();
    EXPECT_TRUE(f.Views->GrOptionForm->MeshVisible());
    EXPECT_EQ(g->Render(QSize(120, 405)).pixel(60, 5), qRgb(0, 0, 0));

    // The mesh view: the outline and the inner node lines of mesh_x=4; it
    // keeps a placement of its own.
    e->GraphMeshItem->trigger();
    TMeshForm* m = f.Views->MeshForm;
    ASSERT_TRUE(m->isVisible());
    const QImage mesh = m->Render(QSize(100, 205));
    EXPECT_EQ(mesh.pixel(50, 5), qRgb(0, 0, 0));
    int lines = 0;
    for (int y = 8; y < 197; ++y) lines += mesh.pixel(50, y) == qRgb(0, 0, 0);
    EXPECT_EQ(lines, 3);
    m->close();
    EXPECT_FALSE(f.Main->Store().ReadString(QStringLiteral("COMMON"), QStringLiteral("MeshForm"), {}).isEmpty());
}

TEST(SystemViews, PatternOfADiagonalSystem) {
    TViewsFixture f;
    TSLAEForm* s = f.Views->SLAEForm;
    ASSERT_TRUE(s->ShowRows(f.Window, Diagonal(7)));
    EXPECT_EQ(s->Grid->Cell(8, 0), QStringLiteral("B"));
    EXPECT_EQ(s->Grid->Cell(0, 3), QStringLiteral("3: x(2)"));
    EXPECT_EQ(s->Grid->Cell(3, 3), QString::fromStdString(zem::RealToStrExp(11, 4, 2)));
    EXPECT_TRUE(s->Grid->Cell(4, 3).isEmpty());

    // 7 x 7 cells of 20 pixels inside the 5-pixel margin: red exactly on the diagonal.
    const QImage image = f.Views->GrSLAEForm->Render(QSize(150, 150));
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(IsRed(image.pixel(5 + 20 * c + 10, 5 + 20 * r + 10)), r == c) << r << "," << c;
    int red = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 150; ++x) red += IsRed(image.pixel(x, y));
    EXPECT_EQ(red, 7 * 20 * 20) << "the free terms are not drawn";

    // No unknowns: a white picture.
    s->ShowRows(f.Window, {});
    const QImage empty = f.Views->GrSLAEForm->Render(QSize(50, 50));
    for (int y = 0; y < 50; ++y) EXPECT_EQ(empty.pixel(y, y), qRgb(255, 255, 255));

    // The tank's system: a new format, or a refresh after a calculation,
    // takes the rows from the problem again.
    f.Window->Problem->BuildEquations();
    ASSERT_TRUE(s->ShowSystem(f.Window, *f.Window->Problem));
    EXPECT_EQ(s->Grid->Cell(0, 1), QStringLiteral("1: ") + QString::fromStdString(f.Window->Problem->Equations().Name(0)));
    QTimer::singleShot(0, [&] { f.Main->TbOptionForm->accept(); });
    s->FormatItemClick();
    EXPECT_EQ(f.Window->SystemCount, 1);
    f.Views->RefreshViewsFor(f.Window, *f.Window->Problem);
    EXPECT_EQ(f.Window->SystemCount, 2);
}

TEST(SystemViews, LargeSystemShowsOnlyThePattern) {
    TViewsFixture f;
    TDialogScript script;
    const int n = TSLAEForm::kMaxTableUnknowns + 1;
    EXPECT_FALSE(f.Views->SLAEForm->ShowRows(f.Window, Diagonal(n)));
    ASSERT_EQ(script.Messages.size(), 1);
    EXPECT_TRUE(script.Messages[0].contains(QString::number(n)));
    EXPECT_TRUE(f.Views->GrSLAEForm->isVisible());
    // Cells far below a pixel still show.
    const QImage image = f.Views->GrSLAEForm->Render(QSize(110, 110));
    for (int i = 0; i < 100; i += 7) EXPECT_TRUE(IsRed(image.pixel(5 + i, 5 + i))) << i;
    EXPECT_FALSE(IsRed(image.pixel(5 + 90, 5 + 10)));
}
