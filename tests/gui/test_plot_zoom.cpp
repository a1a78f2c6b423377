// Reading a curve closely: zoom and pan with the wheel, a dragged rectangle and
// the keys, exact ranges typed in, the generator drawn upwards, the extremes
// labelled.
#include "GuiTestUtil.h"

#include "views/PlotForm.h"
#include "views/PlotZoom.h"
#include "views/ResultField.h"
#include "app/QtText.h"
#include "platform/numtext.h"

#include <QChartView>
#include <QLineEdit>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>

namespace {

QValueAxis* Visible(QChart* chart, Qt::Orientation o) {
    for (QAbstractAxis* a : chart->axes(o))
        if (a->isVisible()) return qobject_cast<QValueAxis*>(a);
    return nullptr;
}

struct TRange {
    double Lo, Hi;
};
TRange RangeOf(QChart* chart, Qt::Orientation o) {
    const QValueAxis* a = Visible(chart, o);
    return {a->min(), a->max()};
}

// The widget point of the viewport at the fractions Fx, Fy of the plot area
// (Fy from the bottom).
QPoint At(TPlotForm* p, double fx, double fy) {
    const QRectF area = p->Chart->plotArea();
    const QPointF scene = p->Chart->mapToScene(QPointF(area.left() + fx * area.width(), area.bottom() - fy * area.height()));
    return p->ChartView->mapFromScene(scene);
}

QPointF ValueAt(TPlotForm* p, QPoint widget) { return p->Chart->mapToValue(p->Chart->mapFromScene(p->ChartView->mapToScene(widget))); }

void Wheel(TPlotForm* p, QPoint at, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent e(at, p->ChartView->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(p->ChartView->viewport(), &e);
}

}  // namespace

TEST(PlotZoom, WheelRectangleKeysAndTypedRangesMoveTheViewAndHomeRestoresIt) {
    TViewsFixture f;
    f.Calculate();
    TPlotForm* p = f.Views->PlotForm;
    p->ShowPlot(f.Views->RefTo(f.Root()), 0);
    p->resize(800, 560);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(p));
    QChart* chart = p->Chart;
    const TRange x0 = RangeOf(chart, Qt::Horizontal), y0 = RangeOf(chart, Qt::Vertical);
    const double w0 = x0.Hi - x0.Lo, h0 = y0.Hi - y0.Lo;

    // The wheel zooms about the point under the mouse: that point keeps its value.
    const QPoint near = At(p, 0.1, 0.3);
    const QPointF before = ValueAt(p, near);
    Wheel(p, near, 240);  // two notches
    TRange x = RangeOf(chart, Qt::Horizontal), y = RangeOf(chart, Qt::Vertical);
    EXPECT_NEAR(x.Hi - x.Lo, w0 / 1.5625, 1e-9 * w0);
    EXPECT_NEAR(y.Hi - y.Lo, h0 / 1.5625, 1e-9 * h0);
    const QPointF after = ValueAt(p, near);
    EXPECT_NEAR(after.x(), before.x(), 0.01 * w0);
    EXPECT_NEAR(after.y(), before.y(), 0.01 * h0);
    EXPECT_TRUE(p->Zoom->Zoomed());
    // With Ctrl only the horizontal axis, with Shift only the vertical one.
    Wheel(p, near, -120, Qt::ControlModifier);
    EXPECT_NEAR(RangeOf(chart, Qt::Vertical).Hi, y.Hi, 1e-12 * h0);
    EXPECT_NEAR(RangeOf(chart, Qt::Horizontal).Hi - RangeOf(chart, Qt::Horizontal).Lo, (x.Hi - x.Lo) * 1.25, 1e-9 * w0);
    x = RangeOf(chart, Qt::Horizontal);
    Wheel(p, near, 120, Qt::ShiftModifier);
    EXPECT_NEAR(RangeOf(chart, Qt::Horizontal).Lo, x.Lo, 1e-12 * w0);

    // Keys: the arrows pan by a tenth of what is seen, Home returns the whole curve.
    p->ChartView->setFocus();
    x = RangeOf(chart, Qt::Horizontal), y = RangeOf(chart, Qt::Vertical);
    QTest::keyClick(p->ChartView, Qt::Key_Right);
    EXPECT_NEAR(RangeOf(chart, Qt::Horizontal).Lo, x.Lo + 0.1 * (x.Hi - x.Lo), 1e-9 * w0);
    QTest::keyClick(p->ChartView, Qt::Key_Down);
    EXPECT_NEAR(RangeOf(chart, Qt::Vertical).Hi, y.Hi - 0.1 * (y.Hi - y.Lo), 1e-9 * h0);
    QTest::keyClick(p->ChartView, Qt::Key_Home);
    EXPECT_EQ(RangeOf(chart, Qt::Horizontal).Lo, x0.Lo);
    EXPECT_EQ(RangeOf(chart, Qt::Vertical).Hi, y0.Hi);
    EXPECT_FALSE(p->Zoom->Zoomed());

    // A rectangle dragged with the mouse becomes the view.
    const QPoint a = At(p, 0.05, 0.8), b = At(p, 0.25, 0.4);
    const QPointF va = ValueAt(p, a), vb = ValueAt(p, b);
    QTest::mousePress(p->ChartView->viewport(), Qt::LeftButton, {}, a);
    QTest::mouseMove(p->ChartView->viewport(), b);
    QTest::mouseRelease(p->ChartView->viewport(), Qt::LeftButton, {}, b);
    x = RangeOf(chart, Qt::Horizontal), y = RangeOf(chart, Qt::Vertical);
    EXPECT_NEAR(x.Lo, va.x(), 0.01 * w0);
    EXPECT_NEAR(x.Hi, vb.x(), 0.01 * w0);
    EXPECT_NEAR(y.Lo, vb.y(), 0.01 * h0);
    EXPECT_NEAR(y.Hi, va.y(), 0.01 * h0);
    // A click without a drag zooms nothing.
    QTest::mouseClick(p->ChartView->viewport(), Qt::LeftButton, {}, a);
    EXPECT_EQ(RangeOf(chart, Qt::Horizontal).Lo, x.Lo);

    // Typed ranges, the decimal comma too; a bad or empty range turns red and
    // changes nothing, the button returns the whole curve.
    TPlotZoom* z = p->Zoom;
    EXPECT_EQ(z->HorFrom->text().toDouble(), static_cast<double>(QString::number(x.Lo, 'g', 6).toDouble()))
        << "the entries show the visible range";
    auto type = [](QLineEdit* e, const char* text) {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, QString::fromUtf8(text));
        QTest::keyClick(e, Qt::Key_Return);
    };
    type(z->HorFrom, "0,5");
    type(z->HorTo, "1.5");
    EXPECT_DOUBLE_EQ(RangeOf(chart, Qt::Horizontal).Lo, 0.5);
    EXPECT_DOUBLE_EQ(RangeOf(chart, Qt::Horizontal).Hi, 1.5);
    for (const char* bad : {"abc", "2", ""}) {  // not a number; above the upper end; nothing
        type(z->HorFrom, bad);
        EXPECT_DOUBLE_EQ(RangeOf(chart, Qt::Horizontal).Lo, 0.5) << bad;
        EXPECT_FALSE(z->HorFrom->styleSheet().isEmpty()) << bad;
    }
    QTest::mouseClick(z->ResetButton, Qt::LeftButton);
    EXPECT_EQ(RangeOf(chart, Qt::Horizontal).Hi, x0.Hi);
    EXPECT_TRUE(z->HorFrom->styleSheet().isEmpty());
}

TEST(PlotZoom, TheGeneratorGoesUpwardsWithItsExtremesLabelledAndItsNodesMarked) {
    TViewsFixture f;
    f.Calculate();
    TPlotForm* p = f.Views->PlotForm;
    p->ShowPlot(f.Views->RefTo(f.Root()), 4);  // M1: extremes of both signs
    const TCurve c = p->Curves().front().Curve;
    auto marks = [&] {
        std::vector<QScatterSeries*> out;
        for (QAbstractSeries* s : p->Chart->series())
            if (auto* m = qobject_cast<QScatterSeries*>(s)) out.push_back(m);
        return out;
    };
    for (bool up : {false, true}) {
        p->UpBox->setChecked(up);
        const auto* line = qobject_cast<QLineSeries*>(p->Chart->series().value(0));
        ASSERT_TRUE(line);
        // Upwards the coordinate is the ordinate and the field the abscissa.
        EXPECT_EQ(line->at(3), up ? QPointF(static_cast<double>(c.V[3]), static_cast<double>(c.X[3]))
                                  : QPointF(static_cast<double>(c.X[3]), static_cast<double>(c.V[3])));
        const TRange coord = RangeOf(p->Chart, up ? Qt::Vertical : Qt::Horizontal);
        EXPECT_DOUBLE_EQ(coord.Lo, static_cast<double>(c.X.front()));
        EXPECT_DOUBLE_EQ(coord.Hi, static_cast<double>(c.X.back()));
        const auto [lo, hi] = std::minmax_element(c.V.begin(), c.V.end());
        const auto m = marks();
        ASSERT_EQ(m.size(), 2u);
        for (std::size_t k = 0; k < 2; ++k) {
            const auto it = k == 0 ? hi : lo;
            const double v = static_cast<double>(*it), xk = static_cast<double>(c.X[static_cast<std::size_t>(it - c.V.begin())]);
            EXPECT_EQ(m[k]->at(0), up ? QPointF(v, xk) : QPointF(xk, v));
            EXPECT_TRUE(m[k]->pointLabelsFormat().startsWith((k == 0 ? QStringLiteral("max = ") : QStringLiteral("min = ")) +
                                                             Q(zem::RealToStrGen(5, 1, *it))))
                << Std(m[k]->pointLabelsFormat());
        }
    }
    // Markers at the nodes; a refill keeps them, the zoom too while they change.
    p->Zoom->Pan(0.3, 0);
    p->MarkersBox->setChecked(true);
    EXPECT_TRUE(p->Zoom->Zoomed());
    p->Refill();
    EXPECT_TRUE(qobject_cast<QLineSeries*>(p->Chart->series().value(0))->pointsVisible());
}

TEST(PlotZoom, FurtherFieldsGetTheirColourLegendAndAnAxisPerUnit) {
    TViewsFixture f;  // the tank: w [м], dwx, N2 [Н/м], Q1 [Н/м], M1 [Н·м/м], ...
    f.Calculate();
    TPlotForm* p = f.Views->PlotForm;
    p->ShowPlot(f.Views->RefTo(f.Root()), 2);  // N2
    p->resize(800, 560);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(p));
    p->SetExtraFields({0, 3, 4, 2});  // w, Q1, M1 and N2 again (the main one: left out)
    struct TExpected {
        const char* Legend;
        int Field, Axis;
    };
    const TExpected expected[] = {{"N2, Н/м", 2, 0}, {"w, м", 0, 1}, {"Q1, Н/м", 3, 0}, {"M1, Н·м/м", 4, 2}};
    ASSERT_EQ(p->Curves().size(), std::size(expected));
    ASSERT_EQ(p->ValueAxes().size(), 3u);
    const QList<QAbstractSeries*> series = p->Chart->series();
    QList<QColor> colours;
    for (std::size_t k = 0; k < std::size(expected); ++k) {
        const TPlotForm::TPlotCurve& c = p->Curves()[k];
        EXPECT_EQ(c.Name, QString::fromUtf8(expected[k].Legend));
        EXPECT_EQ(c.Axis, expected[k].Axis) << expected[k].Legend;
        EXPECT_EQ(c.Curve.V, AlongAxis(ResultField(f.Root(), expected[k].Field), 0).V) << expected[k].Legend;
        auto* line = qobject_cast<QLineSeries*>(series.value(static_cast<int>(k)));
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->name(), c.Name) << "the legend names the field with its unit";
        EXPECT_TRUE(line->attachedAxes().contains(p->ValueAxes()[static_cast<std::size_t>(c.Axis)])) << c.Name.toStdString();
        // Each axis spans its own curves: a deflection is not flattened on a force's axis.
        const QValueAxis* axis = p->ValueAxes()[static_cast<std::size_t>(c.Axis)];
        const auto [lo, hi] = std::minmax_element(c.Curve.V.begin(), c.Curve.V.end());
        EXPECT_LE(axis->min(), static_cast<double>(*lo));
        EXPECT_GE(axis->max(), static_cast<double>(*hi));
        if (c.Axis > 0) EXPECT_GT(static_cast<double>(*hi - *lo), 0.5 * (axis->max() - axis->min())) << c.Name.toStdString();
        EXPECT_FALSE(colours.contains(line->color())) << c.Name.toStdString();
        colours << line->color();
    }
    EXPECT_EQ(p->ValueAxes()[0]->titleText(), QStringLiteral("N2, Q1, Н/м"));
    EXPECT_EQ(p->ValueAxes()[1]->titleText(), QStringLiteral("w, м"));
    EXPECT_EQ(p->ValueAxes()[0]->alignment(), Qt::AlignLeft);
    EXPECT_EQ(p->ValueAxes()[2]->alignment(), Qt::AlignRight);
    EXPECT_TRUE(p->Chart->legend()->isVisible());
    EXPECT_TRUE(p->windowTitle().contains(QStringLiteral("(N2, w, Q1, M1)"))) << p->windowTitle().toStdString();
    // Height up: the value axes lie, further units on top; the zoom moves all
    // of one orientation together.
    p->UpBox->setChecked(true);
    ASSERT_EQ(p->ValueAxes().size(), 3u);
    EXPECT_EQ(p->ValueAxes()[0]->alignment(), Qt::AlignBottom);
    EXPECT_EQ(p->ValueAxes()[1]->alignment(), Qt::AlignTop);
    auto spans = [p] {
        std::vector<double> s;
        for (const QValueAxis* a : p->ValueAxes()) s.push_back(a->max() - a->min());
        return s;
    };
    const std::vector<double> before = spans();
    p->Zoom->ZoomToRect(At(p, 0.25, 0.1), At(p, 0.75, 0.9));
    const std::vector<double> after = spans();
    EXPECT_NEAR(after[0] / before[0], 0.5, 0.01);
    for (std::size_t k = 1; k < 3; ++k) EXPECT_NEAR(after[k] / before[k], after[0] / before[0], 1e-9) << k;
    // Back to one field: one axis, the theme's colours, no legend.
    p->SetExtraFields({});
    EXPECT_EQ(p->Curves().size(), 1u);
    EXPECT_EQ(p->ValueAxes().size(), 1u);
    EXPECT_EQ(p->Chart->axes().size(), 2) << "no axis left behind";
    EXPECT_FALSE(p->Chart->legend()->isVisible());
}
