// The plot window: the single window that shows result fields of an element
// as curves. A line (an axisymmetric shell, a ring) is plotted over its whole
// length; a surface along the generator at a chosen node around, or around
// the circumference at a chosen node along. Further fields may be added to
// the plot ("Ещё поля"): each has its own colour and its legend entry names
// it with its unit; fields of the main field's unit share its value axis,
// every other unit gets a value axis of its own on the right (on top when the
// generator runs upwards). Every calculated approximation of the
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
class QToolButton;
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
        QString Name;   // the legend's: the field with its unit, and the approximation's text for one
        QString Field;  // the field's name
        QString Unit;
        int Axis = 0;   // the value axis: 0 the main field's, then one per further unit
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
    // The fields drawn besides the main one (indexes of the element's
    // result fields), and setting them (the main one and unknown ones are
    // left out), refilled at once.
    std::vector<int> ExtraFields() const;
    void SetExtraFields(const std::vector<int>& fields);
    // The value axes in the order of TPlotCurve::Axis.
    const std::vector<QValueAxis*>& ValueAxes() const { return valueAxes_; }
    // The picture as the window shows it.
    QImage RenderPicture(const QSize& size);
    // PNG, or SVG for a name ending in ".svg"; false when not written.
    bool SavePicture(const QString& fileName, const QSize& size);

    // --- Handlers. ---
    void SaveItemClick();

    QComboBox* FieldBox = nullptr;     // the field on the left axis
    QToolButton* FieldsButton = nullptr;  // "Ещё поля": a checked item per further field
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
    void AddCurves(zem::TElement& element, int field, int axis, zem::Extended across);

    TViews& views_;
    TElementRef ref_;
    std::vector<TPlotCurve> curves_;
    QValueAxis* axisX_ = nullptr;
    QValueAxis* axisLeft_ = nullptr;
    std::vector<QValueAxis*> valueAxes_;  // the main field's, then the ones made for further units
    bool filling_ = false;
};
