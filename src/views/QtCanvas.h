// The drawing surface of the windows: the core's TCanvas over a QPainter.
// Rectangles include their right and bottom edges, as the core draws them;
// the pen starts black and one pixel wide. The painter is not owned and must
// outlive the canvas.
#pragma once

#include "platform/canvas.h"

#include <QColor>

class QPainter;

QColor ToQColor(zem::TColor color);

class TQtCanvas : public zem::TCanvas {
public:
    explicit TQtCanvas(QPainter& painter);

    void FillRect(const zem::TRect& r, zem::TColor color) override;
    void SetPenColor(zem::TColor color) override;
    void SetPenWidth(int width) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Polyline(const std::vector<zem::TPoint>& points) override;
    void TextOut(int x, int y, const std::string& text) override;

private:
    void ApplyPen();

    QPainter& painter_;
    QColor penColor_{Qt::black};
    int penWidth_ = 1;
};
