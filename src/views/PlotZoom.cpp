#include "views/PlotZoom.h"

#include "app/QtText.h"
#include "platform/numtext.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRubberBand>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

QString Num(double x) { return Q(zem::RealToStrGen(6, 1, x)); }

void MarkBad(QLineEdit* edit, bool bad) { edit->setStyleSheet(bad ? QStringLiteral("background: #ffc0c0") : QString()); }

}  // namespace

TPlotZoom::TPlotZoom(QChartView* view, QWidget* parent) : QObject(parent), view_(view) {
    Bar = new QWidget(parent);
    auto* row = new QHBoxLayout(Bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto edit = [&] {
        auto* e = new QLineEdit(Bar);
        e->setMaximumWidth(90);
        connect(e, &QLineEdit::editingFinished, this, &TPlotZoom::ApplyEntries);
        return e;
    };
    HorFrom = edit(), HorTo = edit(), VerFrom = edit(), VerTo = edit();
    ResetButton = new QPushButton(QStringLiteral("Вся кривая"), Bar);
    ResetButton->setToolTip(QStringLiteral("Вернуть весь график (Home)"));
    connect(ResetButton, &QPushButton::clicked, this, &TPlotZoom::Reset);
    row->addWidget(new QLabel(QStringLiteral("По горизонтали"), Bar));
    row->addWidget(HorFrom);
    row->addWidget(new QLabel(QStringLiteral("…"), Bar));
    row->addWidget(HorTo);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("по вертикали"), Bar));
    row->addWidget(VerFrom);
    row->addWidget(new QLabel(QStringLiteral("…"), Bar));
    row->addWidget(VerTo);
    row->addStretch(1);
    row->addWidget(ResetButton);

    view_->setFocusPolicy(Qt::StrongFocus);
    view_->setToolTip(QStringLiteral("Колесо — масштаб (Ctrl — по горизонтали, Shift — по вертикали); "
                                     "рамка мышью — увеличить; стрелки — сдвиг; +/− — масштаб; Home — весь график"));
    view_->installEventFilter(this);
    viewport_ = view_->viewport();
    viewport_->installEventFilter(this);
    band_ = new QRubberBand(QRubberBand::Rectangle, view_->viewport());
}

QValueAxis* TPlotZoom::Axis(Qt::Orientation orientation) const {
    for (QAbstractAxis* a : view_->chart()->axes(orientation))
        if (auto* v = qobject_cast<QValueAxis*>(a); v && v->isVisible()) return v;
    return nullptr;
}

void TPlotZoom::Scale(Qt::Orientation orientation, double lo, double hi) {
    if (!(hi > lo)) return;
    // Below the resolution of a double the picture would only degrade.
    if (const QValueAxis* first = Axis(orientation)) {
        const double span = first->max() - first->min();
        const double from = first->min() + lo * span, to = first->min() + hi * span;
        if (!(to - from > 1e-12 * (std::fabs(from) + std::fabs(to)))) return;
    }
    for (QAbstractAxis* a : view_->chart()->axes(orientation)) {
        auto* v = qobject_cast<QValueAxis*>(a);
        if (!v) continue;
        const double min = v->min(), span = v->max() - v->min();
        v->setRange(min + lo * span, min + hi * span);
    }
    ShowRanges();
}

void TPlotZoom::SetHome() {
    home_.clear();
    for (QAbstractAxis* a : view_->chart()->axes())
        if (auto* v = qobject_cast<QValueAxis*>(a)) home_[a] = {v->min(), v->max()};
    ShowRanges();
}

void TPlotZoom::Reset() {
    for (QAbstractAxis* a : view_->chart()->axes())
        if (auto* v = qobject_cast<QValueAxis*>(a); v && home_.count(a)) v->setRange(home_[a].first, home_[a].second);
    ShowRanges();
}

bool TPlotZoom::Zoomed() const {
    for (QAbstractAxis* a : view_->chart()->axes()) {
        auto* v = qobject_cast<QValueAxis*>(a);
        const auto h = home_.find(a);
        if (v && h != home_.end() && (v->min() != h->second.first || v->max() != h->second.second)) return true;
    }
    return false;
}

QPointF TPlotZoom::Fraction(QPointF at) const {
    const QRectF area = view_->chart()->plotArea();
    const QPointF p = view_->chart()->mapFromScene(view_->mapToScene(at.toPoint()));
    return {std::clamp((p.x() - area.left()) / area.width(), 0.0, 1.0), std::clamp((area.bottom() - p.y()) / area.height(), 0.0, 1.0)};
}

void TPlotZoom::ZoomAt(QPointF at, double factor, bool horizontal, bool vertical) {
    if (!(factor > 0)) return;
    const QPointF f = Fraction(at);
    auto valueAt = [this](Qt::Orientation o, double fraction) {
        const QValueAxis* a = Axis(o);
        return a ? a->min() + fraction * (a->max() - a->min()) : 0.0;
    };
    const double vx = valueAt(Qt::Horizontal, f.x()), vy = valueAt(Qt::Vertical, f.y());
    // The point under the mouse stays where it is ...
    if (horizontal) Scale(Qt::Horizontal, f.x() - f.x() / factor, f.x() + (1 - f.x()) / factor);
    if (vertical) Scale(Qt::Vertical, f.y() - f.y() / factor, f.y() + (1 - f.y()) / factor);
    // ... also when the new labels have widened the axes and moved the plot area.
    if (view_->chart()->layout()) view_->chart()->layout()->activate();
    const QPointF g = Fraction(at);
    auto shift = [&](Qt::Orientation o, double fraction, double value) {
        const QValueAxis* a = Axis(o);
        if (!a) return 0.0;
        return (value - (a->min() + fraction * (a->max() - a->min()))) / (a->max() - a->min());
    };
    Pan(horizontal ? shift(Qt::Horizontal, g.x(), vx) : 0, vertical ? shift(Qt::Vertical, g.y(), vy) : 0);
}

void TPlotZoom::Pan(double dx, double dy) {
    if (dx != 0) Scale(Qt::Horizontal, dx, 1 + dx);
    if (dy != 0) Scale(Qt::Vertical, dy, 1 + dy);
}

void TPlotZoom::ZoomToRect(QPointF a, QPointF b) {
    const QPointF fa = Fraction(a), fb = Fraction(b);
    Scale(Qt::Horizontal, std::min(fa.x(), fb.x()), std::max(fa.x(), fb.x()));
    Scale(Qt::Vertical, std::min(fa.y(), fb.y()), std::max(fa.y(), fb.y()));
}

void TPlotZoom::ApplyEntries() {
    for (auto [from, to, orientation] : {std::tuple{HorFrom, HorTo, Qt::Horizontal}, std::tuple{VerFrom, VerTo, Qt::Vertical}}) {
        QValueAxis* axis = Axis(orientation);
        if (!axis) continue;
        zem::Extended lo = 0, hi = 0;
        const bool okLo = zem::TryParseScalar(Std(from->text().trimmed().replace(QChar(','), QChar('.'))), lo);
        const bool okHi = zem::TryParseScalar(Std(to->text().trimmed().replace(QChar(','), QChar('.'))), hi);
        const bool good = okLo && okHi && hi > lo && std::isfinite(static_cast<double>(lo)) && std::isfinite(static_cast<double>(hi));
        MarkBad(from, !good), MarkBad(to, !good);
        if (!good) continue;
        if (static_cast<double>(lo) == axis->min() && static_cast<double>(hi) == axis->max()) continue;
        const double min = axis->min(), span = axis->max() - axis->min();
        Scale(orientation, (static_cast<double>(lo) - min) / span, (static_cast<double>(hi) - min) / span);
    }
}

void TPlotZoom::ShowRanges() {
    for (auto [from, to, orientation] : {std::tuple{HorFrom, HorTo, Qt::Horizontal}, std::tuple{VerFrom, VerTo, Qt::Vertical}}) {
        const QValueAxis* axis = Axis(orientation);
        from->setText(axis ? Num(axis->min()) : QString());
        to->setText(axis ? Num(axis->max()) : QString());
        MarkBad(from, false), MarkBad(to, false);
    }
    // Point labels drawn outside the plot area (the extremes) would leave
    // their old text behind: the whole picture is drawn anew.
    if (viewport_) viewport_->update();
}

bool TPlotZoom::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        switch (key->key()) {
        case Qt::Key_Left: Pan(-0.1, 0); return true;
        case Qt::Key_Right: Pan(0.1, 0); return true;
        case Qt::Key_Up: Pan(0, 0.1); return true;
        case Qt::Key_Down: Pan(0, -0.1); return true;
        case Qt::Key_Plus:
        case Qt::Key_Equal: ZoomAt(view_->viewport()->rect().center(), 1.25); return true;
        case Qt::Key_Minus: ZoomAt(view_->viewport()->rect().center(), 0.8); return true;
        case Qt::Key_Home: Reset(); return true;
        default: return false;
        }
    }
    if (watched != viewport_) return false;
    switch (event->type()) {
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int steps = wheel->angleDelta().y();
        if (steps == 0) return false;
        const bool onlyX = wheel->modifiers() & Qt::ControlModifier, onlyY = wheel->modifiers() & Qt::ShiftModifier;
        ZoomAt(wheel->position(), std::pow(1.25, steps / 120.0), !onlyY, !onlyX);
        return true;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        bandOrigin_ = mouse->position().toPoint();
        band_->setGeometry(QRect(bandOrigin_, QSize()));
        band_->show();
        dragging_ = true;
        return true;
    }
    case QEvent::MouseMove:
        if (dragging_) band_->setGeometry(QRect(bandOrigin_, static_cast<QMouseEvent*>(event)->position().toPoint()).normalized());
        return false;  // the readout follows the mouse all the same
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!dragging_ || mouse->button() != Qt::LeftButton) return false;
        dragging_ = false;
        band_->hide();
        const QRect r = QRect(bandOrigin_, mouse->position().toPoint()).normalized();
        if (r.width() > 4 && r.height() > 4) ZoomToRect(r.topLeft(), r.bottomRight());
        return true;
    }
    default: return false;
    }
}

QString AxisTitleOf(const QStringList& names, const QString& unit) {
    return unit.isEmpty() ? names.join(QStringLiteral(", ")) : (names + QStringList{unit}).join(QStringLiteral(", "));
}

void FitValueAxis(QValueAxis* axis, double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
    if (lo == hi) lo -= std::max(1e-12, std::fabs(lo) * 0.1), hi += std::max(1e-12, std::fabs(hi) * 0.1);
    const double pad = (hi - lo) * 0.05;
    axis->setRange(lo - pad, hi + pad);
    axis->applyNiceNumbers();
}
