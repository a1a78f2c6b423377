// The plot window: the single window that shows result fields of an element
// as curves. A line (an axisymmetric shell, a ring) is plotted over its whole
// length; a surface along the generator at a chosen node around, or around
// the circumference at a chosen node along. A second field may go on a
// value axis of its own on the right. Every calculated approximation of the
// problem (the doubled mesh of an error estimate, the stages of a mesh
// selection) is drawn with the problem's own curve, so that the convergence
// of the mesh shows at a glance. The readout under the chart gives the
// coordinate and value under the mouse.
//
// Like the table and the graph, the window refers to its element through a
// TElementRef and reads the values anew on every refill.
#pragma once

#include "views/ResultField.h"
#include "views/ViewForm.h"

#include <QChartView>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QChart;
class QValueAxis;
class TPlotZoom;

// The chart view with a readout of the point under the mouse.
class TPlotView : public QChartView {
    Q_OBJECT
public:
    explicit TPlotView(QChart* chart, QWidget* parent);
    std::function<void(const QPointF& value)> OnMouseValue;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

class TPlotForm : public TViewForm {
    Q_OBJECT
public:
    explicit TPlotForm(TViews& views);

    // One curve of the chart.
    struct TPlotCurve {
        QString Name;       // the field, and the approximation's text for one
        bool Right = false; // on the right value axis
        TCurve Curve;
    };

    // Shows result field Field of the element (and of the same element in the
    // approximations), refilled at once.
    void ShowPlot(const TElementRef& element, int field);
    // Reads the values again and redraws (after a calculation, a change of
    // field, direction or node).
    void Refill();
    // No plot: the curves gone, the caption "Кривые".
    void Clear() override;

    const TElementRef& Ref() const { return ref_; }
    const std::vector<TPlotCurve>& Curves() const { return curves_; }
    // The picture as the window shows it.
    QImage RenderPicture(const QSize& size);
    // PNG, or SVG for a name ending in ".svg"; false when not written.
    bool SavePicture(const QString& fileName, const QSize& size);

    // --- Handlers. ---
    void SaveItemClick();

    QComboBox* FieldBox = nullptr;     // the field on the left axis
    QComboBox* SecondBox = nullptr;    // "—" or a field on the right axis
    QComboBox* DirectionBox = nullptr; // along the generator / around
    QSpinBox* NodeSpin = nullptr;      // the node across the direction
    QLabel* NodeLabel = nullptr;       // its coordinate
    QCheckBox* ApproxBox = nullptr;    // the approximations too
    QCheckBox* UpBox = nullptr;        // the coordinate along the generator drawn upwards
    QCheckBox* MarkersBox = nullptr;   // a marker at every node
    QChart* Chart = nullptr;
    TPlotView* ChartView = nullptr;
    QLabel* Readout = nullptr;
    QAction* SaveItem = nullptr;
    TPlotZoom* Zoom = nullptr;

private:
    void FillBoxes(zem::TElement& element);
    // Labels the largest and the smallest value of the first curve.
    void LabelExtremes(bool upwards);
    void AddCurves(zem::TElement& element, int field, bool right, const QString& suffix, zem::Extended across);

    TViews& views_;
    TElementRef ref_;
    std::vector<TPlotCurve> curves_;
    QValueAxis* axisX_ = nullptr;
    QValueAxis* axisLeft_ = nullptr;
    QValueAxis* axisRight_ = nullptr;
    QValueAxis* axisTop_ = nullptr;  // the second field when the coordinate runs upwards
    bool filling_ = false;
};
