// Zoom and pan of a chart of curves. The wheel zooms about the point under
// the mouse (with Ctrl only along the horizontal axis, with Shift only along
// the vertical); a rectangle dragged with the left button is zoomed into;
// the arrow keys pan by a tenth of the visible range, + and − zoom about the
// middle, Home (or the button) returns to the whole curve. The row of entries
// shows the visible ranges and takes exact ones typed by the user.
//
// Every axis of one orientation moves together, so a second field on an axis
// of its own stays aligned with the first.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QStringList>
#include <map>

class QAbstractAxis;
class QChartView;
class QLineEdit;
class QPushButton;
class QRubberBand;
class QValueAxis;
class QWidget;

class TPlotZoom : public QObject {
    Q_OBJECT
public:
    // Zooms the chart of View; the entries are made as children of Parent.
    TPlotZoom(QChartView* view, QWidget* parent);

    // The ranges the chart was just given become the whole curve.
    void SetHome();
    // Back to the whole curve.
    void Reset();
    // Zooms by Factor (> 1 enlarges) about the point At of the plot area, in
    // chart coordinates; along one orientation or both.
    void ZoomAt(QPointF at, double factor, bool horizontal = true, bool vertical = true);
    // Moves the view by the fractions Dx, Dy of the visible ranges (positive:
    // towards larger values).
    void Pan(double dx, double dy);
    // Zooms into the rectangle of the plot area between two widget points.
    void ZoomToRect(QPointF a, QPointF b);
    // Takes the ranges typed into the entries; a bad entry turns red and the
    // chart stays as it was.
    void ApplyEntries();
    bool Zoomed() const;

    QWidget* Bar = nullptr;  // the row of entries and the button
    QLineEdit* HorFrom = nullptr;
    QLineEdit* HorTo = nullptr;
    QLineEdit* VerFrom = nullptr;
    QLineEdit* VerTo = nullptr;
    QPushButton* ResetButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The first visible value axis of an orientation.
    QValueAxis* Axis(Qt::Orientation orientation) const;
    // Sets the axes of an orientation to the fractions Lo..Hi of the visible
    // range of the first of them.
    void Scale(Qt::Orientation orientation, double lo, double hi);
    void ShowRanges();
    // The place of a widget point in the plot area: fractions of its width
    // and height, from the bottom left, clamped to 0..1.
    QPointF Fraction(QPointF at) const;

    QChartView* view_;
    QWidget* viewport_ = nullptr;  // the view's, kept: events still come while the view is destroyed
    QRubberBand* band_ = nullptr;
    QPoint bandOrigin_;
    bool dragging_ = false;
    std::map<QAbstractAxis*, std::pair<double, double>> home_;
};

// The title of a value axis that fields Names of one Unit share: "M1, M2, Н·м/м"
// (the names alone without a unit).
QString AxisTitleOf(const QStringList& names, const QString& unit);
// Gives Axis the values Lo..Hi with a margin of a twentieth and nice numbers;
// a constant gets a band around it, no values the range 0..1.
void FitValueAxis(QValueAxis* axis, double lo, double hi);
