#include "views/QtCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <algorithm>

QColor ToQColor(zem::TColor color) { return QColor(zem::RedOf(color), zem::GreenOf(color), zem::BlueOf(color)); }

TQtCanvas::TQtCanvas(QPainter& painter) : painter_(painter) { ApplyPen(); }

void TQtCanvas::ApplyPen() {
    QPen pen(penColor_);
    pen.setWidth(penWidth_);
    painter_.setPen(pen);
}

void TQtCanvas::FillRect(const zem::TRect& r, zem::TColor color) {
    // The core's rectangles include both edges; either corner may come first.
    const int left = std::min(r.Left, r.Right), right = std::max(r.Left, r.Right);
    const int top = std::min(r.Top, r.Bottom), bottom = std::max(r.Top, r.Bottom);
    painter_.fillRect(QRect(left, top, right - left + 1, bottom - top + 1), ToQColor(color));
}

void TQtCanvas::SetPenColor(zem::TColor color) {
    penColor_ = ToQColor(color);
    ApplyPen();
}

void TQtCanvas::SetPenWidth(int width) {
    penWidth_ = std::max(width, 0);
    ApplyPen();
}

void TQtCanvas::Line(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

void TQtCanvas::Polyline(const std::vector<zem::TPoint>& points) {
    QPolygon polygon;
    polygon.reserve(static_cast<int>(points.size()));
    for (const zem::TPoint& p : points) polygon << QPoint(p.X, p.Y);
    painter_.drawPolyline(polygon);
}

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
    const QFontMetrics metrics(painter_.font());
    painter_.drawText(x, y + metrics.ascent(), QString::fromStdString(text));
}
