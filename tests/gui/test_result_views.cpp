// The views of results: the table with its exports, curves with their
// approximations, colour maps and the mesh, the linear system, the PDF report
// and the answers of the results page.
#include "GuiTestUtil.h"

#include "app/QtText.h"
#include "app/TbOptionForm.h"
#include "domains/ElDomain.h"
#include "platform/numtext.h"
#include "solvers/Matrises.h"
#include "views/GrOptionForm.h"
#include "views/MeshForm.h"
#include "views/PlotForm.h"
#include "views/QtCanvas.h"
#include "views/ReadableNumbers.h"
#include "views/ReportWriter.h"
#include "views/ResultField.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineSeries>
#include <QRegularExpression>
#include <QSpinBox>

namespace {

// Adds to the problem a copy with its mesh doubled Times times, calculated.
void AddApproximation(zem::TProblem& problem, int times) {
    auto copy = problem.Clone();
    for (int k = 0; k < times; ++k) copy->DoubleMesh();
    zem::TProgressLog log;
    copy->Calculate(2, false, log);
    problem.Approximations().push_back({"Приближение " + std::to_string(times), std::move(copy)});
}

// A cell of the table as the element wrote it (the grid may show it rounded).
double Cell(const TTableForm* t, int col, int row) { return static_cast<double>(zem::StrToReal(t->Table().Text(col, row))); }

void ExpectNear(double value, double expected) { EXPECT_NEAR(value, expected, 1e-9 * std::fabs(expected) + 1e-300); }

// Saves the view as PNG and SVG; both files must hold a picture.
template <class View>
void ExpectPicturesSaved(View* view, QSize size) {
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("p.png"), QStringLiteral("p.svg")}) {
        EXPECT_TRUE(view->SavePicture(dir.filePath(name), size)) << name;
        EXPECT_GT(QFileInfo(dir.filePath(name)).size(), 1000) << name;
    }
}

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

TEST(ResultTable, SelectsTheLargestValueFormatsAndExports) {
    TViewsFixture f;
    TElemForm* e = f.SolvedEditor();
    e->TableItemClick(true, 0);
    TTableForm* t = f.Views->TableForm;
    ASSERT_TRUE(t->isVisible());
    ASSERT_EQ(t->Grid->RowCount(), 6) << "five nodes of mesh_x=4 and the header";
    double largest = 0;
    const int row = RowOfLargest(t->Grid, largest);
    EXPECT_GT(std::fabs(largest), 0.0);
    EXPECT_EQ(t->Grid->CurrentCell(), (zem::TCellPos{1, row})) << "\"&MinMax\" ran when the table was filled";
    const int rows = t->Grid->RowCount();
    // The clipboard: the header and every node.
    t->CopyItem->trigger();
    const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(copied.size(), rows);
    EXPECT_EQ(copied[0], QStringLiteral("x, м\tw, м")) << "the columns carry their units";
    EXPECT_EQ(copied[1], Q(t->Table().Text(0, 1) + '\t' + t->Table().Text(1, 1))) << "the copy keeps every digit";
    // CSV from the bottom up, in full precision: the values read back exactly
    // to the field's. "&Сохранить" proposes the document's name.
    TDialogScript script;
    f.Main->ShowChild(f.Window);
    script.SaveNames = {f.Path(QStringLiteral("w.csv")), f.Path(QStringLiteral("w.txt"))};
    t->CsvItem->trigger();
    const QStringList lines =
        QString::fromUtf8(FileBytes(f.Path(QStringLiteral("w.csv")))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), rows);
    EXPECT_EQ(lines[0], QStringLiteral("\"x, м\",\"w, м\"")) << "a header with commas is quoted";
    const TResultField w = ResultField(f.Root(), 0);
    for (int k = 1; k < rows; ++k) {
        const QStringList cells = lines[k].split(QLatin1Char(','));
        ASSERT_EQ(cells.size(), 2);
        EXPECT_EQ(zem::StrToReal(Std(cells[1])), w.Blocks[0].V[static_cast<std::size_t>(k - 1)]);
        EXPECT_NEAR(static_cast<double>(zem::StrToReal(Std(cells[0]))), Cell(t, 0, rows - k), 1e-9);
    }
    t->SaveItemClick();
    EXPECT_TRUE(script.ProposedNames.value(1).endsWith(QStringLiteral("tank.txt")));
    EXPECT_EQ(zem::ReadTextFile(f.Path(QStringLiteral("w.txt")).toStdString()).size(), 4u) << "five nodes, four steps";
    // "&Числа": 5 significant digits, at least 2 exponent digits; stored, and
    // the graph hints follow.
    QTimer::singleShot(0, [&] {
        f.Main->TbOptionForm->WidthEdit->setValue(5);
        f.Main->TbOptionForm->DecimalsEdit->setValue(2);
        f.Main->TbOptionForm->accept();
    });
    t->FormatItemClick();
    EXPECT_EQ(f.Main->Store().ReadInteger("Digits", "Width", 0), 5);
    // Readable numbers by default; the program's format one click away, and
    // remembered for the next tables.
    ASSERT_TRUE(t->ReadableItem->isChecked());
    EXPECT_EQ(t->Grid->Cell(0, 1), QStringLiteral("10.0")) << "the tank's top";
    const TReadableFormat readable = ReadableFormat(LargestOf(w).Value, SmallestOf(w).Value, 4);
    for (int r = 1; r < rows; ++r) EXPECT_EQ(Std(t->Grid->Cell(1, r)), readable.Text(w.Blocks[0].V[static_cast<std::size_t>(rows - 1 - r)])) << r;
    t->ReadableItem->trigger();
    EXPECT_EQ(t->Grid->Cell(0, 1), QStringLiteral("1.0000E+01")) << "the stored format";
    EXPECT_EQ(t->Grid->Cell(1, 2), Q(t->Table().Text(1, 2)));
    EXPECT_FALSE(f.Main->Store().ReadBool("Digits", "Readable", true));
    t->ReadableItem->trigger();
    EXPECT_TRUE(f.Main->Store().ReadBool("Digits", "Readable", false));
    EXPECT_EQ(zem::HintNumberFormat()(10), "1.0000E+01");
    EXPECT_EQ(t->Grid->CurrentCell(), (zem::TCellPos{1, row}));
    // The initial data: the hydrostatic pressure, largest at the bottom.
    e->TableItemClick(false, 0);
    EXPECT_EQ(t->windowTitle(), QStringLiteral("Исходные (Радиальная нагрузка, Па) — tank.zem"));
    EXPECT_EQ(t->Grid->CurrentCell(), (zem::TCellPos{1, 5}));
}

TEST(ResultTable, ExportResamplesOntoTheSmallestSteps) {
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
    // y = 0 to 1: one line; y = 1 to 3: two lines (dy = 1); two values each.
    auto row = [](double a, double b) { return zem::RealToStrExp(4, 8, a) + "\t" + zem::RealToStrExp(4, 8, b) + "\t"; };
    EXPECT_EQ(ResampleTable(t), (std::vector<std::string>{row(0, 1), row(10, 11), row(20, 21)}));
    // One value column with span labels and a joint at the same height.
    t.SetSize(2, 5);
    const char* labels[] = {"Span2: 2", "1: Span2", "Span1: 1", "0: Span1"};
    for (int r = 1; r <= 4; ++r) {
        t.SetText(0, r, labels[r - 1]);
        t.SetCell(1, r, 5 - r);
    }
    EXPECT_EQ(ResampleTable(t), (std::vector<std::string>{zem::RealToStrExp(4, 8, 1) + "\t", zem::RealToStrExp(4, 8, 3) + "\t"}))
        << "the joint rows give no line";
    t.SetText(1, 2, "x");
    EXPECT_THROW(ResampleTable(t), zem::ZemError);
}

TEST(ResultPlot, CurvesFollowTheTableAndOverlayTheApproximations) {
    TViewsFixture f;
    f.SolvedEditor()->TableItemClick(true, 0);
    TTableForm* t = f.Views->TableForm;
    TPlotForm* p = f.Views->PlotForm;
    p->ShowPlot(f.Views->RefTo(f.Root()), 0);
    ASSERT_TRUE(p->isVisible());
    ASSERT_EQ(p->Curves().size(), 1u);
    const TCurve w = p->Curves()[0].Curve;
    const int nodes = t->Grid->RowCount() - 1;
    ASSERT_EQ(static_cast<int>(w.X.size()), nodes);
    // The table lists the last node first; the curve runs from the bottom.
    for (int r = 1; r <= nodes; ++r) {
        EXPECT_NEAR(static_cast<double>(w.X[static_cast<std::size_t>(nodes - r)]), Cell(t, 0, r), 1e-9);
        ExpectNear(static_cast<double>(w.V[static_cast<std::size_t>(nodes - r)]), Cell(t, 1, r));
    }
    EXPECT_EQ(dynamic_cast<QLineSeries*>(p->Chart->series().value(0))->count(), nodes) << "the chart draws the curve";
    EXPECT_FALSE(p->DirectionBox->isEnabled()) << "a line has no circumferential direction";
    // Three approximations on meshes twice as dense each: curves that share
    // the ends of the tank and draw closer together.
    zem::TProblem& problem = *f.Window->Problem;
    for (int k = 1; k <= 3; ++k) AddApproximation(problem, k);
    p->Refill();
    ASSERT_EQ(p->Curves().size(), 4u);
    for (std::size_t c = 1; c < 4; ++c) {
        EXPECT_EQ(p->Curves()[c].Curve.X.size(), static_cast<std::size_t>(4 * (1 << c) + 1));
        EXPECT_DOUBLE_EQ(static_cast<double>(p->Curves()[c].Curve.X.back()), static_cast<double>(w.X.back()));
    }
    auto midGap = [&](std::size_t a, std::size_t b) {  // at mid-height every mesh has a node
        const TCurve& ca = p->Curves()[a].Curve;
        const TCurve& cb = p->Curves()[b].Curve;
        return std::fabs(static_cast<double>(ca.V[ca.V.size() / 2] - cb.V[cb.V.size() / 2]));
    };
    EXPECT_LT(midGap(2, 3), midGap(1, 2)) << "denser meshes differ less";
    p->ApproxBox->setChecked(false);
    EXPECT_EQ(p->Curves().size(), 1u);
    p->SetExtraFields({4});  // M1, on an axis of its own
    ASSERT_EQ(p->Curves().size(), 2u);
    EXPECT_EQ(p->Curves()[1].Axis, 1);
    EXPECT_EQ(p->Curves()[1].Curve.X.size(), w.X.size());
    ExpectPicturesSaved(p, QSize(640, 400));
    // A new calculation refills the open plot; a problem that goes empties it.
    p->ApproxBox->setChecked(true);
    f.Views->RefreshViewsFor(f.Window, problem);
    EXPECT_EQ(p->Curves().size(), 8u) << "both fields with their three approximations";
    f.Views->ForgetProblem(&problem);
    EXPECT_TRUE(p->Curves().empty());
}

TEST(ResultPlot, SteppedShellsRunUpTheAxisAndSurfacesGoAround) {
    {
        TViewsFixture f("CompCylSym");
        f.Calculate();
        const TResultField w = ResultField(f.Root(), 0);
        ASSERT_GE(w.Blocks.size(), 2u);
        const TCurve c = AlongAxis(w, 0);
        for (std::size_t k = 1; k < c.X.size(); ++k) EXPECT_GE(c.X[k], c.X[k - 1]) << k;
        EXPECT_EQ(FieldCsv(w).at(0), "Участок,\"x, м\",\"w, м\"");
        // For spreadsheets set up for Russian: ';' and a decimal comma, no
        // quotes needed.
        const std::vector<std::string> ru = FieldCsv(w, ';', true);
        EXPECT_EQ(ru.at(0), "Участок;x, м;w, м");
        EXPECT_EQ(ru.at(2).find('.'), std::string::npos) << ru.at(2);
        EXPECT_EQ(std::count(ru.at(2).begin(), ru.at(2).end(), ';'), 2) << ru.at(2);
    }
    TViewsFixture f("CylTech");
    f.Calculate();
    TPlotForm* p = f.Views->PlotForm;
    p->ShowPlot(f.Views->RefTo(f.Root()), 2);  // w
    const TResultField w = ResultField(f.Root(), 2);
    ASSERT_TRUE(w.Surface());
    EXPECT_TRUE(p->DirectionBox->isEnabled());
    EXPECT_EQ(p->Curves()[0].Curve.X.size(), static_cast<std::size_t>(AxisNodeCount(w)));
    p->DirectionBox->setCurrentIndex(1);
    const TCurve around = p->Curves()[0].Curve;
    ASSERT_EQ(around.X.size(), static_cast<std::size_t>(AroundNodeCount(w)));
    EXPECT_EQ(around.X.front(), 0);
    EXPECT_LT(around.X.back(), 360.0);
    EXPECT_GT(around.X.back(), 180.0) << "angles in degrees";
    p->NodeSpin->setValue(AxisNodeCount(w) - 1);
    EXPECT_EQ(p->Curves()[0].Curve.V, AroundAt(w, AxisNodeCount(w) - 1).V);
}

TEST(ResultMap, ColourMapMeshAndMeshViewOfATank) {
    TViewsFixture f;
    TElemForm* e = f.SolvedEditor();
    e->GraphItemClick(true, 0);
    TGraphForm* g = f.Views->GraphForm;
    ASSERT_TRUE(g->isVisible());
    const auto values = f.Root().ResultValues(0);
    const auto& w = dynamic_cast<const zem::TLineItem&>(*values);
    std::size_t at = 0;
    const zem::Extended largest = std::fabs(w.MaxItem(at)) >= std::fabs(w.MinItem(at)) ? w.MaxItem(at) : w.MinItem(at);
    // From the clamped bottom (w = 0: white) up; the largest deflection takes
    // its level of the automatic step max|w| / 80.
    const QImage image = g->Render(QSize(120, 405));
    EXPECT_EQ(image.pixel(60, 405 - 7), qRgb(255, 255, 255));
    const zem::TColor top = f.Views->GrOptionForm->ColorFor(largest, std::fabs(largest) / 80);
    EXPECT_NE(top, zem::clWhite);
    bool found = false;
    for (int y = 5; y < 400 && !found; ++y) found = image.pixel(60, y) == ToQColor(top).rgb();
    EXPECT_TRUE(found) << "the colour of the largest deflection";
    g->MeshItem->trigger();
    EXPECT_EQ(g->Render(QSize(120, 405)).pixel(60, 5), qRgb(0, 0, 0)) << "the mesh over the map";
    // The mesh view: the outline and the three inner node lines; it keeps a
    // placement of its own.
    e->GraphMeshItem->trigger();
    TMeshForm* m = f.Views->MeshForm;
    ASSERT_TRUE(m->isVisible());
    const QImage mesh = m->Render(QSize(100, 205));
    EXPECT_EQ(mesh.pixel(50, 5), qRgb(0, 0, 0));
    int lines = 0;
    for (int y = 8; y < 197; ++y) lines += mesh.pixel(50, y) == qRgb(0, 0, 0);
    EXPECT_EQ(lines, 3);
}

TEST(ResultMap, LegendHintsAndPictureDrawnOffTheWindowThread) {
    TViewsFixture f("CylTech");
    TElemForm* e = f.SolvedEditor();
    e->GraphItemClick(true, 2);  // w
    TGraphForm* g = f.Views->GraphForm;
    // The legend's bands: contiguous, each in the colour the map gives its
    // values, reaching the field's extremes.
    const zem::TPalette& palette = f.Views->GrOptionForm->Palette();
    const std::vector<TLegendBand> bands = LegendBands(g->Field(), palette);
    ASSERT_GE(bands.size(), 3u);
    const zem::Extended step = AutoLevelStep(g->Field(), palette);
    for (std::size_t k = 0; k < bands.size(); ++k) {
        EXPECT_EQ(bands[k].Color, palette.ColorFor((bands[k].Low + bands[k].High) / 2, step)) << k;
        if (k > 0) {
            EXPECT_EQ(bands[k].Low, bands[k - 1].High) << k;
        }
    }
    EXPECT_EQ(bands.front().Low, SmallestOf(g->Field()).Value);
    EXPECT_EQ(bands.back().High, LargestOf(g->Field()).Value);
    // The framed picture shows each band's colour in the legend.
    const QSize size(640, 420);
    const QImage picture = g->RenderPicture(size);
    const TGraphLayout lay = GraphLayout(size);
    ASSERT_TRUE(lay.Framed);
    const int n = static_cast<int>(bands.size());
    for (int k : {0, n / 2, n - 1}) {
        const int y = lay.Legend.bottom() - static_cast<int>((k + 0.5) * lay.Legend.height() / n);
        EXPECT_EQ(picture.pixel(lay.Legend.left() + 9, y), ToQColor(bands[static_cast<std::size_t>(k)].Color).rgb()) << k;
    }
    // The hint names coordinates, field and unit; outside the map none.
    g->resize(size);
    g->PaintBox->resize(size);
    const QString hint = g->HintAt(lay.Map.center());
    for (const char* part : {"x = ", "θ = ", "w = ", " м"}) EXPECT_TRUE(hint.contains(QString::fromUtf8(part))) << hint;
    EXPECT_TRUE(g->HintAt(QPoint(2, 2)).isEmpty());
    // The window paints what the worker drew from its own copies.
    (void)g->PaintBox->grab();
    g->WaitForPicture();
    EXPECT_TRUE(g->CachedPicture() == g->RenderPicture(size));
    // A problem that goes while the worker draws leaves it its own copies.
    g->PaintBox->resize(size + QSize(10, 10));
    (void)g->PaintBox->grab();
    f.Views->ForgetProblem(f.Window->Problem.get());
    g->WaitForPicture();
    EXPECT_TRUE(g->Field().Empty());
    e->GraphItemClick(true, 2);
    ExpectPicturesSaved(g, size);
}

TEST(ResultMap, RingTableGoesOnceRoundAndItsMapHasLevels) {
    TViewsFixture f("Ring");
    f.Root().SetText("{LOADS={t=[0, 0, 1000]}, MESH={mesh=8}}");
    TElemForm* e = f.SolvedEditor();
    e->TableItemClick(true, 2);  // w
    TTableForm* t = f.Views->TableForm;
    t->ReadableItemClick(false);  // every digit of the arc length
    ASSERT_EQ(t->Grid->RowCount(), 10) << "nodes 0 ... 8 and the header";
    EXPECT_EQ(t->Grid->Cell(0, 0), QStringLiteral("s, м"));
    EXPECT_EQ(t->Grid->Cell(1, 0), QStringLiteral("θ, °"));
    // Column 1 holds the angle, arc length / R in degrees, beside the arc
    // length; the values follow.
    const double r = 10;  // the default radius
    for (int row : {1, 9}) {
        const double s = static_cast<double>(zem::StrToReal(Std(t->Grid->Cell(0, row))));
        EXPECT_NEAR(static_cast<double>(zem::StrToReal(Std(t->Grid->Cell(1, row)))), s / r * 180 / M_PI, 1e-3) << row;
    }
    EXPECT_EQ(t->Grid->Cell(2, 1), t->Grid->Cell(2, 9)) << "node 8 is node 0 again";
    EXPECT_NE(t->Grid->Cell(2, 1), t->Grid->Cell(2, 3));
    EXPECT_EQ(t->Grid->Cell(2, 1), QString::fromStdString(t->Table().Text(1, 1)));
    EXPECT_EQ(t->Grid->CurrentCell().Col, 2) << "\"&MinMax\" lands on a value cell";
    EXPECT_EQ(t->Table().ColCount(), 2) << "the export and the copy read the element's table";
    e->GraphItemClick(true, 2);
    const QImage image = f.Views->GraphForm->Render(QSize(120, 405));
    int colours = 0;
    QRgb last = 0;
    for (int y = 5; y < 400; ++y)
        if (image.pixel(60, y) != last) last = image.pixel(60, y), ++colours;
    EXPECT_GT(colours, 3) << "cos 2 theta takes several colour levels";
}

TEST(SystemViews, PatternTableAndRefreshOfTheSystem) {
    TViewsFixture f;
    TSLAEForm* s = f.Views->SLAEForm;
    ASSERT_TRUE(s->ShowRows(f.Window, Diagonal(7)));
    EXPECT_EQ(s->Grid->Cell(3, 3), QString::fromStdString(zem::RealToStrExp(11, 4, 2)));
    EXPECT_TRUE(s->Grid->Cell(4, 3).isEmpty());
    // 7 x 7 cells of 20 pixels inside the 5-pixel margin: red exactly on the
    // diagonal, the free terms not drawn.
    const QImage image = f.Views->GrSLAEForm->Render(QSize(150, 150));
    int red = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 150; ++x) red += IsRed(image.pixel(x, y));
    EXPECT_EQ(red, 7 * 20 * 20);
    for (int r = 0; r < 7; ++r) EXPECT_TRUE(IsRed(image.pixel(5 + 20 * r + 10, 5 + 20 * r + 10))) << r;
    s->ShowRows(f.Window, {});
    EXPECT_EQ(f.Views->GrSLAEForm->Render(QSize(50, 50)).pixel(25, 25), qRgb(255, 255, 255)) << "no unknowns";
    // A new format, or a refresh after a calculation, takes the rows from the
    // problem again.
    f.Window->Problem->BuildEquations();
    ASSERT_TRUE(s->ShowSystem(f.Window, *f.Window->Problem));
    EXPECT_EQ(s->Grid->Cell(0, 1), QStringLiteral("1: ") + QString::fromStdString(f.Window->Problem->Equations().Name(0)));
    QTimer::singleShot(0, [&] { f.Main->TbOptionForm->accept(); });
    s->FormatItemClick();
    EXPECT_EQ(f.Window->SystemCount, 1);
    f.Views->RefreshViewsFor(f.Window, *f.Window->Problem);
    EXPECT_EQ(f.Window->SystemCount, 2);
    // Too many unknowns for a table: a message and the pattern only, where
    // cells far below a pixel still show.
    TDialogScript script;
    const int n = TSLAEForm::kMaxTableUnknowns + 1;
    EXPECT_FALSE(s->ShowRows(f.Window, Diagonal(n)));
    ASSERT_EQ(script.Messages.size(), 1);
    EXPECT_TRUE(script.Messages[0].contains(QString::number(n)));
    const QImage large = f.Views->GrSLAEForm->Render(QSize(110, 110));
    for (int i = 0; i < 100; i += 7) EXPECT_TRUE(IsRed(large.pixel(5 + i, 5 + i))) << i;
    EXPECT_FALSE(IsRed(large.pixel(5 + 90, 5 + 10)));
}

TEST(ResultReport, PdfHasTheTextPagesAndOnePagePerPicture) {
    TViewsFixture f;
    f.Calculate();
    TReportInput input;
    input.Title = QStringLiteral("tank.zem");
    input.Problem = f.Window->Problem.get();
    input.Calculation = {"SLAEMethod = 2"};
    input.Process = {"Расчет закончен"};
    const std::vector<QString> lines = ReportLines(input);
    for (const char* text : {"Тип задачи: CylSym", "Граничные условия", "Расчет закончен", "w, м:  max ", "M1, Н·м/м:  max "})
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(QString::fromUtf8(text)); }))
            << text;
    TPlotForm* p = f.Views->PlotForm;
    p->ShowPlot(f.Views->RefTo(f.Root()), 0);
    input.Pictures.emplace_back(p->windowTitle(), p->RenderPicture(QSize(800, 500)));
    input.Pictures.emplace_back(QStringLiteral("map"), QImage(QSize(400, 300), QImage::Format_RGB32));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tank.pdf"));
    const int pages = WriteReport(file, input);
    EXPECT_GE(pages, 3);
    const QByteArray bytes = FileBytes(file);
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))), pages);
    EXPECT_THROW(WriteReport(dir.filePath(QStringLiteral("no/such/dir/r.pdf")), input), zem::ZemError);
}
