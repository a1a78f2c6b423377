// Results an engineer takes away: curves of a calculated tank with its
// approximations, the colour map's legend and hints, the table's clipboard
// text and CSV, pictures, the PDF report and the answers of the results page.
#include "GuiTestUtil.h"

#include "app/QtText.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "solvers/Matrises.h"
#include "views/GrOptionForm.h"
#include "views/GraphForm.h"
#include "views/PlotForm.h"
#include "views/QtCanvas.h"
#include "views/ReportWriter.h"
#include "views/ResultField.h"
#include "views/TableForm.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineSeries>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <gmock/gmock.h>

namespace {

// Adds to the problem a copy with its mesh doubled Times times, calculated.
void AddApproximation(zem::TProblem& problem, int times, const std::string& text) {
    auto copy = problem.Clone();
    for (int k = 0; k < times; ++k) copy->DoubleMesh();
    zem::TProgressLog log;
    copy->Calculate(2, false, log);
    problem.Approximations().push_back({text, std::move(copy)});
}

double Cell(const TTableForm* t, int col, int row) { return static_cast<double>(zem::StrToReal(Std(t->Grid->Cell(col, row)))); }

QStringList ReadLines(const QString& name) {
    QFile file(name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Wind as well as the liquid, on a mesh fine enough for a picture.
void WindOnAFineMesh(TViewsFixture& f) {
    ChangeElements(*f.Window->Problem, [&] {
        auto set = [&](const char* section, const char* key, const std::string& text) {
            auto& list = dynamic_cast<zem::TElemList&>(f.Root().Item(f.Root().IndexOfKey(section)));
            list.Item(list.IndexOfKey(key)).SetText(text);
        };
        set("LOADS", "Wind", "[0, 2000]");
        set("MESH", "mesh_x", "40");
        set("MESH", "mesh_y", "48");
    });
}

}  // namespace

TEST(ResultPlot, CurvesOfATankFollowItsTableAndOverlayTheApproximations) {
    TViewsFixture f;
    f.Calculate();
    TElemForm* e = f.OpenEditor();
    e->TableItemClick(true, 0);
    TTableForm* t = f.Views->TableForm;
    EXPECT_EQ(t->windowTitle(), QStringLiteral("Результаты (w, m)"));
    TPlotForm* p = f.Views->PlotForm;
    p->ShowPlot(f.Views->RefTo(f.Root()), 0);
    ASSERT_TRUE(p->isVisible());
    ASSERT_EQ(p->Curves().size(), 1u);
    const TCurve w = p->Curves()[0].Curve;
    const int nodes = t->Grid->RowCount() - 1;
    ASSERT_EQ(static_cast<int>(w.X.size()), nodes) << "one point per node";
    // The table lists the last node first; the curve runs from the bottom.
    for (int r = 1; r <= nodes; ++r) {
        const std::size_t k = static_cast<std::size_t>(nodes - r);
        EXPECT_NEAR(static_cast<double>(w.X[k]), Cell(t, 0, r), 1e-9);
        EXPECT_NEAR(static_cast<double>(w.V[k]), Cell(t, 1, r), 1e-9 * std::fabs(Cell(t, 1, r)) + 1e-300);
    }
    EXPECT_EQ(p->Chart->series().size(), 1);
    EXPECT_EQ(dynamic_cast<QLineSeries*>(p->Chart->series()[0])->count(), nodes);
    EXPECT_FALSE(p->DirectionBox->isEnabled()) << "a line has no circumferential direction";

    // Three approximations, each on a mesh twice as dense: four curves that
    // share the ends of the tank and draw closer together.
    zem::TProblem& problem = *f.Window->Problem;
    for (int k = 1; k <= 3; ++k) AddApproximation(problem, k, "Приближение " + std::to_string(k));
    p->Refill();
    ASSERT_EQ(p->Curves().size(), 4u);
    EXPECT_EQ(p->Chart->series().size(), 4);
    for (std::size_t c = 1; c < 4; ++c) {
        const TCurve& a = p->Curves()[c].Curve;
        EXPECT_EQ(a.X.size(), static_cast<std::size_t>(4 * (1 << c) + 1));
        EXPECT_DOUBLE_EQ(static_cast<double>(a.X.back()), static_cast<double>(w.X.back()));
        EXPECT_TRUE(p->Curves()[c].Name.endsWith(QStringLiteral("Приближение %1").arg(c)));
    }
    auto topGap = [&](std::size_t a, std::size_t b) {
        // The value at mid-height, where every mesh has a node.
        const TCurve& ca = p->Curves()[a].Curve;
        const TCurve& cb = p->Curves()[b].Curve;
        return std::fabs(static_cast<double>(ca.V[ca.V.size() / 2] - cb.V[cb.V.size() / 2]));
    };
    EXPECT_LT(topGap(2, 3), topGap(1, 2)) << "denser meshes differ less";
    p->ApproxBox->setChecked(false);
    EXPECT_EQ(p->Curves().size(), 1u);

    // A second field on the right axis.
    p->SecondBox->setCurrentIndex(5);  // M1
    ASSERT_EQ(p->Curves().size(), 2u);
    EXPECT_TRUE(p->Curves()[1].Right);
    EXPECT_EQ(p->Curves()[1].Curve.X.size(), w.X.size());

    // Pictures.
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("plot.png"), QStringLiteral("plot.svg")}) {
        const QString file = dir.filePath(name);
        EXPECT_TRUE(p->SavePicture(file, QSize(640, 400)));
        EXPECT_GT(QFileInfo(file).size(), 1000) << name.toStdString();
    }

    // A new calculation refills the open plot.
    p->ApproxBox->setChecked(true);
    f.Views->RefreshViewsFor(f.Window, problem);
    EXPECT_EQ(p->Curves().size(), 8u) << "both fields with their three approximations";
    f.Views->ForgetProblem(&problem);
    EXPECT_TRUE(p->Curves().empty());
}

TEST(ResultPlot, StepsOfAStepppedShellFollowOneAnotherUpTheAxis) {
    TViewsFixture f("CompCylSym");
    f.Calculate();
    const TResultField w = ResultField(f.Root(), 0);
    ASSERT_GE(w.Blocks.size(), 2u);
    const TCurve c = AlongAxis(w, 0);
    for (std::size_t k = 1; k < c.X.size(); ++k) EXPECT_GE(c.X[k], c.X[k - 1]) << k;
    EXPECT_EQ(w.Blocks[1].Offset, w.Blocks[0].Offset + w.Blocks[0].ExtentX);
    // The CSV has the span, the coordinate and the value.
    const std::vector<std::string> csv = FieldCsv(w);
    EXPECT_EQ(csv.size(), w.NodeCount() + 1);
    EXPECT_EQ(csv[0], "Участок,x, m,w, m");
}

TEST(ResultPlot, SurfaceCurvesGoAlongAndAroundInDegrees) {
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

TEST(ResultMap, LegendHintsAndPictureDrawnOffTheWindowThread) {
    TViewsFixture f("CylTech");
    f.Calculate();
    TElemForm* e = f.OpenEditor();
    e->GraphItemClick(true, 2);  // w
    TGraphForm* g = f.Views->GraphForm;
    ASSERT_TRUE(g->isVisible());
    EXPECT_EQ(g->Field().Name, "w");
    EXPECT_EQ(g->Field().Unit, "m");

    // The legend's bands: contiguous, each painted in the colour the map
    // gives its values, reaching the field's extremes.
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
    EXPECT_LE(bands.front().Low, SmallestOf(g->Field()).Value);
    EXPECT_GE(bands.back().High, LargestOf(g->Field()).Value);

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
    EXPECT_TRUE(hint.contains(QStringLiteral("x = ")) && hint.contains(QStringLiteral("θ = ")) &&
                hint.contains(QStringLiteral("w = ")))
        << hint.toStdString();
    EXPECT_TRUE(g->HintAt(QPoint(2, 2)).isEmpty());

    // The window paints what the worker drew from its own copies: the same
    // picture as drawn here.
    (void)g->PaintBox->grab();
    g->WaitForPicture();
    ASSERT_FALSE(g->CachedPicture().isNull());
    EXPECT_EQ(g->CachedPicture().size(), size);
    EXPECT_TRUE(g->CachedPicture() == g->RenderPicture(size));
    // A problem that goes while the worker draws leaves it its own copies.
    g->PaintBox->resize(size + QSize(10, 10));
    (void)g->PaintBox->grab();
    f.Views->ForgetProblem(f.Window->Problem.get());
    g->WaitForPicture();
    EXPECT_TRUE(g->Field().Empty());

    QTemporaryDir dir;
    e->GraphItemClick(true, 2);
    for (const QString& name : {QStringLiteral("map.png"), QStringLiteral("map.svg")}) {
        const QString file = dir.filePath(name);
        EXPECT_TRUE(g->SavePicture(file, size));
        EXPECT_GT(QFileInfo(file).size(), 1000) << name.toStdString();
    }
}

TEST(ResultTable, ClipboardAndCsvCarryHeadersCoordinatesAndEveryNode) {
    TViewsFixture f;
    f.Calculate();
    TElemForm* e = f.OpenEditor();
    e->TableItemClick(true, 0);
    TTableForm* t = f.Views->TableForm;
    const int rows = t->Grid->RowCount();

    t->CopyItem->trigger();
    const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(copied.size(), rows) << "the header and every node";
    EXPECT_EQ(copied[0], QStringLiteral("Коорд.\tЗначение"));
    EXPECT_EQ(copied[1], t->Grid->Cell(0, 1) + QLatin1Char('\t') + t->Grid->Cell(1, 1));

    TDialogScript script;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("w.csv"));
    script.SaveNames.push_back(file);
    t->CsvItem->trigger();
    const QStringList lines = ReadLines(file);
    ASSERT_EQ(lines.size(), rows) << "one line per node and a header";
    EXPECT_EQ(lines[0], QStringLiteral("x, m,w, m"));
    // The CSV runs from the bottom; the table lists the top first. Full
    // precision: the values agree with the table to its digits and read back
    // exactly to the field's.
    const TResultField w = ResultField(f.Root(), 0);
    for (int k = 1; k < rows; ++k) {
        const QStringList cells = lines[k].split(QLatin1Char(','));
        ASSERT_EQ(cells.size(), 2);
        const zem::Extended value = zem::StrToReal(Std(cells[1]));
        EXPECT_EQ(value, w.Blocks[0].V[static_cast<std::size_t>(k - 1)]);
        EXPECT_NEAR(static_cast<double>(value), Cell(t, 1, rows - k), 1e-9 * std::fabs(Cell(t, 1, rows - k)) + 1e-300);
        EXPECT_NEAR(static_cast<double>(zem::StrToReal(Std(cells[0]))), Cell(t, 0, rows - k), 1e-9);
    }
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
    auto has = [&](const QString& text) {
        return std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.contains(text); });
    };
    EXPECT_TRUE(has(QStringLiteral("Тип задачи: CylSym")));
    EXPECT_TRUE(has(QStringLiteral("Граничные условия")));
    EXPECT_TRUE(has(QStringLiteral("Расчет закончен")));
    EXPECT_TRUE(has(QStringLiteral("w, m:  max ")));
    EXPECT_TRUE(has(QStringLiteral("M1, N·m/m:  max ")));

    TPlotForm* p = f.Views->PlotForm;
    p->ShowPlot(f.Views->RefTo(f.Root()), 0);
    input.Pictures.emplace_back(p->windowTitle(), p->RenderPicture(QSize(800, 500)));
    input.Pictures.emplace_back(QStringLiteral("map"), QImage(QSize(400, 300), QImage::Format_RGB32));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tank.pdf"));
    const int pages = WriteReport(file, input);
    EXPECT_GE(pages, 3);
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))), pages);

    // A report that cannot be written leaves the file that was there.
    const QString blocked = dir.filePath(QStringLiteral("no/such/dir/r.pdf"));
    EXPECT_THROW(WriteReport(blocked, input), zem::ZemError);
}

TEST(ResultPage, RequestsAreAnsweredWithValuesUnitsAndPlaces) {
    TViewsFixture f;
    f.Calculate();
    const TResultField w = ResultField(f.Root(), 0);
    std::vector<std::string> out;
    ComputeResultExpressions(f.Root(), {"w; max M1;", "w(0); foo:", ""}, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_THAT(out[0], ::testing::StartsWith("w = "));
    EXPECT_THAT(out[0], ::testing::HasSubstr(" m при x = "));
    EXPECT_THAT(out[0], ::testing::HasSubstr("; max M1 = "));
    EXPECT_THAT(out[0], ::testing::HasSubstr("N·m/m"));
    EXPECT_THAT(out[1], ::testing::HasSubstr("foo = Неизвестная величина foo"));
    // At a node the value is the node's (w is 0 at the clamped bottom).
    EXPECT_THAT(out[1], ::testing::StartsWith("w(0) = " + zem::RealToStrGen(6, 2, w.Blocks[0].V[0])));
    // Between nodes the value is interpolated.
    const zem::Extended mid = (w.Blocks[0].X[1] + w.Blocks[0].X[2]) / 2;
    const std::string expected = zem::RealToStrGen(6, 2, (w.Blocks[0].V[1] + w.Blocks[0].V[2]) / 2);
    EXPECT_EQ(EvaluateRequest(f.Root(), "w(" + zem::RealToStrGen(18, 2, mid) + ")"), expected + " m");
    EXPECT_THROW(EvaluateRequest(f.Root(), "w(1000)"), zem::ZemError);
    EXPECT_THROW(ComputeResultExpressions(f.Root(), {"w; M1"}, out), zem::ZemError) << "text after the last separator";
}

// Pictures for the documentation, taken only when ZEM_SCREENSHOTS names a
// directory: the plot with three approximations, the colour map of a shell
// and the report, each window held on the screen for ZEM_SCREENSHOT_HOLD
// seconds so that the screen can be captured from outside.
TEST(ResultScreens, DocumentationPictures) {
    const QString dir = qEnvironmentVariable("ZEM_SCREENSHOTS");
    if (dir.isEmpty()) GTEST_SKIP() << "ZEM_SCREENSHOTS not set";
    const int hold = qEnvironmentVariableIntValue("ZEM_SCREENSHOT_HOLD");
    const QString phase = qEnvironmentVariable("ZEM_SCREENSHOT_PHASE");
    if (phase == QStringLiteral("plot")) {
        TViewsFixture f;
        f.Calculate();
        for (int k = 1; k <= 3; ++k) AddApproximation(*f.Window->Problem, k, "Приближение " + std::to_string(k));
        TPlotForm* p = f.Views->PlotForm;
        p->setParent(nullptr);
        p->ShowPlot(f.Views->RefTo(f.Root()), 4);  // M1
        p->setGeometry(20, 20, 900, 600);
        QTest::qWait(hold * 1000);
        p->RenderPicture(QSize(900, 560)).save(dir + QStringLiteral("/plot_approximations.png"));
    } else if (phase == QStringLiteral("map")) {
        TViewsFixture f("CylTech");
        WindOnAFineMesh(f);
        f.Calculate();
        f.OpenEditor()->GraphItemClick(true, 2);
        TGraphForm* g = f.Views->GraphForm;
        g->setParent(nullptr);
        g->setGeometry(20, 20, 900, 600);
        g->show();
        QTest::qWait(hold * 1000);
        g->WaitForPicture();
        g->RenderPicture(g->PaintBox->size()).save(dir + QStringLiteral("/colour_map.png"));
    } else if (phase == QStringLiteral("report")) {
        TViewsFixture f("CylTech");
        WindOnAFineMesh(f);
        f.Calculate();
        TReportInput input;
        input.Title = QStringLiteral("cyltech.zem");
        input.Problem = f.Window->Problem.get();
        input.Calculation = {"SLAEMethod = 2"};
        input.Process = {"Расчет закончен"};
        f.OpenEditor()->GraphItemClick(true, 2);
        input.Pictures.emplace_back(f.Views->GraphForm->windowTitle(), f.Views->GraphForm->RenderPicture(QSize(900, 600)));
        WriteReport(dir + QStringLiteral("/report.pdf"), input);
    }
}
