#include "views/PlotForm.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/QtText.h"
#include "elements/Elements.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numtext.h"
#include "problem/Problems.h"
#include "views/PlotZoom.h"

#include <QAction>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QLegendMarker>
#include <QMenu>
#include <QMouseEvent>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QString Num(zem::Extended x) { return Q(zem::RealToStrGen(5, 1, x)); }

// The node of the first block around that lies nearest to Y.
int NearestCol(const TResultField& field, zem::Extended y) {
    if (field.Blocks.empty()) return 0;
    const TFieldBlock& b = field.Blocks.front();
    int best = 0;
    for (int j = 1; j < b.Cols; ++j)
        if (std::fabs(b.Y[static_cast<std::size_t>(j)] - y) < std::fabs(b.Y[static_cast<std::size_t>(best)] - y)) best = j;
    return best;
}

// The node along (counted over all blocks) that lies nearest to X.
int NearestRow(const TResultField& field, zem::Extended x) {
    const TCurve axis = AlongAxis(field, 0);
    int best = 0;
    for (int i = 1; i < static_cast<int>(axis.X.size()); ++i)
        if (std::fabs(axis.X[static_cast<std::size_t>(i)] - x) < std::fabs(axis.X[static_cast<std::size_t>(best)] - x)) best = i;
    return best;
}

QString CoordTitle(bool angular) { return Q(AxisTitle("x", angular)); }

}  // namespace

// --- The chart view. ----------------------------------------------------------------

TPlotView::TPlotView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setRenderHint(QPainter::Antialiasing);
}

void TPlotView::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseValue && chart()->plotArea().contains(event->position()))
        OnMouseValue(chart()->mapToValue(event->position()));
    QChartView::mouseMoveEvent(event);
}

// --- The window. -----------------------------------------------------------------------

TPlotForm::TPlotForm(TViews& views) : TViewForm(&views.Main, QStringLiteral("PlotForm")), views_(views) {
    setWindowTitle(QStringLiteral("Кривые"));
    resize(640, 440);
    FieldBox = new QComboBox(this);
    SecondBox = new QComboBox(this);
    DirectionBox = new QComboBox(this);
    DirectionBox->addItems({QStringLiteral("Вдоль образующей"), QStringLiteral("По окружности")});
    NodeSpin = new QSpinBox(this);
    NodeLabel = new QLabel(this);
    ApproxBox = new QCheckBox(QStringLiteral("Приближения"), this);
    ApproxBox->setChecked(true);
    UpBox = new QCheckBox(QStringLiteral("Высота вверх"), this);
    UpBox->setToolTip(QStringLiteral("Координата вдоль образующей — по вертикали"));
    MarkersBox = new QCheckBox(QStringLiteral("Узлы"), this);
    MarkersBox->setToolTip(QStringLiteral("Отметить узлы сетки"));
    auto* top = new QHBoxLayout;
    top->addWidget(FieldBox);
    top->addWidget(SecondBox);
    top->addWidget(DirectionBox);
    top->addWidget(new QLabel(QStringLiteral("Узел"), this));
    top->addWidget(NodeSpin);
    top->addWidget(NodeLabel, 1);
    top->addWidget(ApproxBox);
    top->addWidget(UpBox);
    top->addWidget(MarkersBox);

    Chart = new QChart;
    Chart->legend()->setAlignment(Qt::AlignBottom);
    axisX_ = new QValueAxis(Chart);
    axisLeft_ = new QValueAxis(Chart);
    axisRight_ = new QValueAxis(Chart);
    axisTop_ = new QValueAxis(Chart);
    axisTop_->setVisible(false);
    for (QValueAxis* a : {axisX_, axisLeft_, axisRight_, axisTop_}) {
        a->setGridLineVisible(true);
        a->setLabelFormat(QStringLiteral("%.4g"));
    }
    Chart->addAxis(axisX_, Qt::AlignBottom);
    Chart->addAxis(axisLeft_, Qt::AlignLeft);
    Chart->addAxis(axisRight_, Qt::AlignRight);
    Chart->addAxis(axisTop_, Qt::AlignTop);
    ChartView = new TPlotView(Chart, this);
    Readout = new QLabel(this);
    Zoom = new TPlotZoom(ChartView, this);
    ChartView->OnMouseValue = [this](const QPointF& point) {
        const bool up = UpBox->isChecked() && DirectionBox->currentIndex() == 0;
        const QPointF v = up ? QPointF(point.y(), point.x()) : point;
        QString text = QStringLiteral("%1 = %2").arg((up ? axisLeft_ : axisX_)->titleText(), Num(v.x()));
        if (!curves_.empty()) {
            // The value of the first curve at that coordinate.
            const TCurve& c = curves_.front().Curve;
            for (std::size_t k = 0; k + 1 < c.X.size(); ++k) {
                const zem::Extended a = c.X[k], b = c.X[k + 1];
                if (v.x() < a || v.x() > b || !(b > a)) continue;
                const zem::Extended value = c.V[k] + (c.V[k + 1] - c.V[k]) * (v.x() - a) / (b - a);
                text += QStringLiteral(";  %1 = %2").arg(curves_.front().Name, Num(value));
                break;
            }
        }
        Readout->setText(text);
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addWidget(ChartView, 1);
    layout->addWidget(Zoom->Bar);
    layout->addWidget(Readout);

    SaveItem = AddPopupItem(QStringLiteral("&Сохранить рисунок"), QKeySequence(Qt::CTRL | Qt::Key_S),
                            [this] { RunGuarded(this, [this] { SaveItemClick(); }); });
    ChartView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ChartView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(ChartView->mapToGlobal(pos)); });

    auto refill = [this] {
        if (!filling_) RunGuarded(this, [this] { Refill(); });
    };
    connect(FieldBox, &QComboBox::currentIndexChanged, this, refill);
    connect(SecondBox, &QComboBox::currentIndexChanged, this, refill);
    connect(DirectionBox, &QComboBox::currentIndexChanged, this, refill);
    connect(NodeSpin, &QSpinBox::valueChanged, this, refill);
    connect(ApproxBox, &QCheckBox::toggled, this, refill);
    connect(UpBox, &QCheckBox::toggled, this, refill);
    // Markers change no range: the zoom stays.
    connect(MarkersBox, &QCheckBox::toggled, this, [this](bool on) {
        for (QAbstractSeries* s : Chart->series())
            if (auto* line = qobject_cast<QLineSeries*>(s))
                line->setPointsVisible(on);
    });
}

void TPlotForm::FillBoxes(zem::TElement& element) {
    QStringList names;
    for (const std::string& n : element.GraphResults) names << Q(FieldTitle(element, n));
    QStringList current;
    for (int i = 0; i < FieldBox->count(); ++i) current << FieldBox->itemText(i);
    if (current == names) return;
    FieldBox->clear();
    FieldBox->addItems(names);
    SecondBox->clear();
    SecondBox->addItem(QStringLiteral("—"));
    SecondBox->addItems(names);
}

void TPlotForm::ShowPlot(const TElementRef& element, int field) {
    ref_ = element;
    Follow(element);
    zem::TElement* e = ref_.Element();
    if (!e) return;
    filling_ = true;
    FillBoxes(*e);
    FieldBox->setCurrentIndex(field);
    filling_ = false;
    Refill();
    show();
    raise();
}

void TPlotForm::AddCurves(zem::TElement& element, int field, bool right, const QString& suffix, zem::Extended across) {
    const bool along = DirectionBox->currentIndex() == 0;
    auto curveOf = [&](const TResultField& f) {
        return along ? AlongAxis(f, NearestCol(f, across)) : AroundAt(f, NearestRow(f, across));
    };
    const TResultField main = ResultField(element, field);
    curves_.push_back({Q(main.Name) + suffix, right, curveOf(main)});
    if (!ApproxBox->isChecked()) return;
    zem::TProblem* problem = ref_.Problem();
    if (!problem) return;
    const std::vector<std::string> path = TElementRef::PathOf(element);
    for (const zem::TApproximation& a : problem->Approximations()) {
        if (!a.Problem || !a.Problem->Calculated()) continue;
        auto* e = dynamic_cast<zem::TElement*>(TElementRef::Resolve(a.Problem->Root(), path));
        if (!e) continue;
        const TResultField f = ResultField(*e, field);
        curves_.push_back({Q(f.Name) + QStringLiteral(": ") + Q(a.Text) + suffix, right, curveOf(f)});
    }
}

void TPlotForm::Refill() {
    zem::TElement* element = ref_.Element();
    if (!element) {
        Clear();
        return;
    }
    filling_ = true;
    FillBoxes(*element);
    const int field = std::max(0, FieldBox->currentIndex());
    const TResultField main = ResultField(*element, field);
    const bool surface = main.Surface();
    DirectionBox->setEnabled(surface);
    if (!surface) DirectionBox->setCurrentIndex(0);
    const bool along = DirectionBox->currentIndex() == 0;
    const int nodes = along ? AroundNodeCount(main) : AxisNodeCount(main);
    NodeSpin->setRange(0, std::max(0, nodes - 1));
    NodeSpin->setEnabled(surface);
    filling_ = false;

    // The coordinate across the plotted direction, so that the approximations
    // are cut at the same place whatever their mesh.
    zem::Extended across = 0;
    const TFieldBlock* first = main.Blocks.empty() ? nullptr : &main.Blocks.front();
    bool angularX = first && first->AngularX, angularY = first && first->AngularY;
    if (surface && along && first) {
        across = first->Y[static_cast<std::size_t>(std::min(NodeSpin->value(), first->Cols - 1))];
        NodeLabel->setText((angularY ? QStringLiteral("θ = %1°") : QStringLiteral("y = %1 ") + Q(DisplayUnit("m"))).arg(Num(across)));
    } else if (surface && first) {
        const TCurve axis = AlongAxis(main, 0);
        across = axis.X.empty() ? 0 : axis.X[static_cast<std::size_t>(std::min<std::size_t>(NodeSpin->value(), axis.X.size() - 1))];
        NodeLabel->setText((QStringLiteral("x = %1 ") + Q(DisplayUnit("m"))).arg(Num(across)));
    } else {
        NodeLabel->clear();
    }

    curves_.clear();
    AddCurves(*element, field, false, {}, across);
    const int second = SecondBox->currentIndex() - 1;
    if (second >= 0) AddCurves(*element, second, true, QStringLiteral(" (справа)"), across);

    // The chart. Upwards, the coordinate goes on the left axis, the field on
    // the bottom one and a second field on the top one.
    const bool up = along && UpBox->isChecked();
    QValueAxis* coordAxis = up ? axisLeft_ : axisX_;
    QValueAxis* valueAxis = up ? axisX_ : axisLeft_;
    QValueAxis* secondAxis = up ? axisTop_ : axisRight_;
    Chart->removeAllSeries();
    double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin;
    double lmin = xmin, lmax = -xmin, rmin = xmin, rmax = -xmin;
    for (const TPlotCurve& c : curves_) {
        auto* series = new QLineSeries(Chart);
        series->setName(c.Name);
        series->setPointsVisible(MarkersBox->isChecked());
        QList<QPointF> points;
        for (std::size_t k = 0; k < c.Curve.X.size(); ++k) {
            const double x = static_cast<double>(c.Curve.X[k]), v = static_cast<double>(c.Curve.V[k]);
            points.append(up ? QPointF(v, x) : QPointF(x, v));
            xmin = std::min(xmin, x), xmax = std::max(xmax, x);
            (c.Right ? rmin : lmin) = std::min(c.Right ? rmin : lmin, v);
            (c.Right ? rmax : lmax) = std::max(c.Right ? rmax : lmax, v);
        }
        series->replace(points);
        Chart->addSeries(series);
        series->attachAxis(up ? valueAxis : coordAxis);
        series->attachAxis(c.Right ? secondAxis : (up ? coordAxis : valueAxis));
    }
    auto range = [](QValueAxis* axis, double lo, double hi) {
        if (!std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
        if (lo == hi) lo -= std::max(1e-12, std::fabs(lo) * 0.1), hi += std::max(1e-12, std::fabs(hi) * 0.1);
        const double pad = (hi - lo) * 0.05;
        axis->setRange(lo - pad, hi + pad);
        axis->applyNiceNumbers();
    };
    if (!std::isfinite(xmin)) xmin = 0, xmax = 1;
    coordAxis->setRange(xmin, xmax > xmin ? xmax : xmin + 1);
    range(valueAxis, lmin, lmax);
    axisRight_->setVisible(second >= 0 && !up);
    axisTop_->setVisible(second >= 0 && up);
    if (second >= 0) range(secondAxis, rmin, rmax);
    coordAxis->setTitleText(along ? CoordTitle(angularX) : Q(AxisTitle("y", angularY)));
    valueAxis->setTitleText(Q(FieldTitle(*element, element->GraphResults.at(static_cast<std::size_t>(field)))));
    if (second >= 0) secondAxis->setTitleText(Q(FieldTitle(*element, element->GraphResults.at(static_cast<std::size_t>(second)))));
    LabelExtremes(up);
    Zoom->SetHome();
    Chart->legend()->setVisible(curves_.size() > 1);
    setWindowTitle(TitleWithProblem(WithMeshText(
        QStringLiteral("Кривые (%1)").arg(Q(element->GraphResults.at(static_cast<std::size_t>(field)))), ref_)));
}

void TPlotForm::LabelExtremes(bool upwards) {
    if (curves_.empty() || curves_.front().Curve.V.empty()) return;
    const TCurve& c = curves_.front().Curve;
    QAbstractAxis* coordAxis = upwards ? axisLeft_ : axisX_;
    const auto [lo, hi] = std::minmax_element(c.V.begin(), c.V.end());
    const QString place = coordAxis->titleText().section(QLatin1Char(','), 0, 0);
    for (auto [it, word] : {std::pair{hi, QStringLiteral("max")}, std::pair{lo, QStringLiteral("min")}}) {
        if (it == lo && *lo == *hi) break;  // a constant: one label
        const std::size_t k = static_cast<std::size_t>(it - c.V.begin());
        auto* mark = new QScatterSeries(Chart);
        mark->setName(word);
        mark->setMarkerSize(8);
        mark->setColor(Qt::red);
        const double x = static_cast<double>(c.X[k]), v = static_cast<double>(c.V[k]);
        mark->append(upwards ? QPointF(v, x) : QPointF(x, v));
        // Literal text: the label carries its own numbers in the program's format.
        mark->setPointLabelsFormat(QStringLiteral("%1 = %2 (%3 = %4)").arg(word, Num(c.V[k]), place, Num(c.X[k])));
        mark->setPointLabelsVisible(true);
        mark->setPointLabelsClipping(false);
        Chart->addSeries(mark);
        mark->attachAxis(axisX_);
        mark->attachAxis(axisLeft_);
        for (QLegendMarker* m : Chart->legend()->markers(mark)) m->setVisible(false);
    }
}

void TPlotForm::Clear() {
    ref_.Clear();
    curves_.clear();
    Chart->removeAllSeries();
    Readout->clear();
    setWindowTitle(QStringLiteral("Кривые"));
}

QImage TPlotForm::RenderPicture(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QSizeF old = Chart->size();
    Chart->resize(size);
    if (Chart->layout()) Chart->layout()->activate();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Chart->scene()->render(&painter, QRectF(QPointF(0, 0), size), Chart->sceneBoundingRect());
    painter.end();
    Chart->resize(old);
    return image;
}

bool TPlotForm::SavePicture(const QString& fileName, const QSize& size) {
    if (!fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) return RenderPicture(size).save(fileName, "PNG");
    QSvgGenerator svg;
    svg.setFileName(fileName);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(windowTitle());
    const QSizeF old = Chart->size();
    Chart->resize(size);
    if (Chart->layout()) Chart->layout()->activate();
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    Chart->scene()->render(&painter, QRectF(QPointF(0, 0), size), Chart->sceneBoundingRect());
    painter.end();
    Chart->resize(old);
    return QFileInfo(fileName).size() > 0;
}

void TPlotForm::SaveItemClick() {
    const QString chosen = AskSaveFileName(this, {}, QStringLiteral("Рисунок PNG (*.png)|*.png|Рисунок SVG (*.svg)|*.svg"),
                                           QStringLiteral("png"));
    if (chosen.isEmpty()) return;
    zem::CheckWritable(Std(chosen));  // the system's reason for a place that takes no file
    if (!SavePicture(chosen, ChartView->size()))
        zem::RaiseFileFailure(zem::kWriteFailure, Std(chosen), "рисунок не записан");
}
