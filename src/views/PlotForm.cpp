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
#include <QToolButton>
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
    FieldsButton = new QToolButton(this);
    FieldsButton->setText(QStringLiteral("Ещё поля"));
    FieldsButton->setToolTip(QStringLiteral("Добавить на график другие поля: у каждого свой цвет, "
                                            "у каждой единицы своя ось"));
    FieldsButton->setPopupMode(QToolButton::InstantPopup);
    FieldsButton->setMenu(new QMenu(FieldsButton));
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
    top->addWidget(FieldsButton);
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
    for (QValueAxis* a : {axisX_, axisLeft_}) {
        a->setGridLineVisible(true);
        a->setLabelFormat(QStringLiteral("%.4g"));
    }
    Chart->addAxis(axisX_, Qt::AlignBottom);
    Chart->addAxis(axisLeft_, Qt::AlignLeft);
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
                text += QStringLiteral(";  %1 = %2").arg(curves_.front().Field, Num(value));
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
    QMenu* menu = FieldsButton->menu();
    menu->clear();
    for (int i = 0; i < names.size(); ++i) {
        QAction* item = menu->addAction(names[i]);
        item->setCheckable(true);
        item->setData(i);
        connect(item, &QAction::toggled, this, [this] {
            if (!filling_) RunGuarded(this, [this] { Refill(); });
        });
    }
}

std::vector<int> TPlotForm::ExtraFields() const {
    std::vector<int> fields;
    for (QAction* item : FieldsButton->menu()->actions())
        if (item->isChecked() && item->isVisible()) fields.push_back(item->data().toInt());
    return fields;
}

void TPlotForm::SetExtraFields(const std::vector<int>& fields) {
    filling_ = true;
    for (QAction* item : FieldsButton->menu()->actions())
        item->setChecked(std::find(fields.begin(), fields.end(), item->data().toInt()) != fields.end());
    filling_ = false;
    RunGuarded(this, [this] { Refill(); });
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

void TPlotForm::AddCurves(zem::TElement& element, int field, int axis, zem::Extended across) {
    const bool along = DirectionBox->currentIndex() == 0;
    auto curveOf = [&](const TResultField& f) {
        return along ? AlongAxis(f, NearestCol(f, across)) : AroundAt(f, NearestRow(f, across));
    };
    const TResultField main = ResultField(element, field);
    const QString name = Q(main.Name), unit = Q(ResultUnit(element, main.Name));
    const QString title = Q(FieldTitle(element, main.Name));
    curves_.push_back({title, name, unit, axis, curveOf(main)});
    if (!ApproxBox->isChecked()) return;
    zem::TProblem* problem = ref_.Problem();
    if (!problem) return;
    const std::vector<std::string> path = TElementRef::PathOf(element);
    for (const zem::TApproximation& a : problem->Approximations()) {
        if (!a.Problem || !a.Problem->Calculated()) continue;
        auto* e = dynamic_cast<zem::TElement*>(TElementRef::Resolve(a.Problem->Root(), path));
        if (!e) continue;
        const TResultField f = ResultField(*e, field);
        curves_.push_back({title + QStringLiteral(": ") + Q(a.Text), name, unit, axis, curveOf(f)});
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

    // The main field and the further ones, each unit on a value axis of its own.
    for (QAction* item : FieldsButton->menu()->actions()) item->setVisible(item->data().toInt() != field);
    std::vector<int> fields{field};
    for (int f : ExtraFields())
        if (f >= 0 && f < static_cast<int>(element->GraphResults.size())) fields.push_back(f);
    curves_.clear();
    std::vector<QString> units;
    std::vector<QStringList> names;  // the fields of each axis
    for (int f : fields) {
        const std::string& name = element->GraphResults.at(static_cast<std::size_t>(f));
        const QString unit = Q(ResultUnit(*element, name));
        const auto at = std::find(units.begin(), units.end(), unit);
        const int axis = static_cast<int>(at - units.begin());
        if (at == units.end()) units.push_back(unit), names.emplace_back();
        names[static_cast<std::size_t>(axis)] << Q(name);
        AddCurves(*element, f, axis, across);
    }

    // The chart. Upwards, the coordinate goes on the left axis, the fields on
    // the bottom one and further units on the top.
    const bool up = along && UpBox->isChecked();
    QValueAxis* coordAxis = up ? axisLeft_ : axisX_;
    Chart->removeAllSeries();
    for (std::size_t k = 1; k < valueAxes_.size(); ++k) {
        Chart->removeAxis(valueAxes_[k]);
        delete valueAxes_[k];
    }
    valueAxes_ = {up ? axisX_ : axisLeft_};
    for (std::size_t k = 1; k < units.size(); ++k) {
        auto* axis = new QValueAxis(Chart);
        axis->setLabelFormat(QStringLiteral("%.4g"));
        axis->setGridLineVisible(false);
        Chart->addAxis(axis, up ? Qt::AlignTop : Qt::AlignRight);
        valueAxes_.push_back(axis);
    }
    double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin;
    std::vector<double> lo(units.size(), xmin), hi(units.size(), -xmin);
    // With several fields each has its colour, its approximations dashed in
    // lighter shades of it.
    static const QColor palette[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                                     QColor(0x94, 0x67, 0xbd), QColor(0xff, 0x7f, 0x0e), QColor(0x8c, 0x56, 0x4b),
                                     QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};
    const bool coloured = fields.size() > 1;
    int group = -1, level = 0;
    QString lastField;
    for (const TPlotCurve& c : curves_) {
        auto* series = new QLineSeries(Chart);
        series->setName(c.Name);
        series->setPointsVisible(MarkersBox->isChecked());
        QList<QPointF> points;
        const auto ax = static_cast<std::size_t>(c.Axis);
        for (std::size_t k = 0; k < c.Curve.X.size(); ++k) {
            const double x = static_cast<double>(c.Curve.X[k]), v = static_cast<double>(c.Curve.V[k]);
            points.append(up ? QPointF(v, x) : QPointF(x, v));
            xmin = std::min(xmin, x), xmax = std::max(xmax, x);
            lo[ax] = std::min(lo[ax], v), hi[ax] = std::max(hi[ax], v);
        }
        series->replace(points);
        Chart->addSeries(series);
        series->attachAxis(coordAxis);
        series->attachAxis(valueAxes_[ax]);
        if (!coloured) continue;
        if (c.Field != lastField) ++group, level = 0;  // a field's curves come together, its own first
        lastField = c.Field;
        QPen pen(palette[static_cast<std::size_t>(group) % std::size(palette)].lighter(100 + 30 * level));
        pen.setWidthF(level == 0 ? 2 : 1.5);
        if (level > 0) pen.setStyle(Qt::DashLine);
        series->setPen(pen);
        ++level;
    }
    if (!std::isfinite(xmin)) xmin = 0, xmax = 1;
    coordAxis->setRange(xmin, xmax > xmin ? xmax : xmin + 1);
    coordAxis->setTitleText(along ? CoordTitle(angularX) : Q(AxisTitle("y", angularY)));
    for (std::size_t k = 0; k < units.size(); ++k) {
        FitValueAxis(valueAxes_[k], lo[k], hi[k]);
        valueAxes_[k]->setTitleText(AxisTitleOf(names[k], units[k]));
    }
    LabelExtremes(up);
    Zoom->SetHome();
    Chart->legend()->setVisible(curves_.size() > 1);
    QStringList shown;
    for (int f : fields) shown << Q(element->GraphResults.at(static_cast<std::size_t>(f)));
    setWindowTitle(TitleWithProblem(WithMeshText(QStringLiteral("Кривые (%1)").arg(shown.join(QStringLiteral(", "))), ref_)));
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
