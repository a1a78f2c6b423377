// The deformed-shape window: the single window that shows how an element
// moves under its load. An axisymmetric shell shows its generator beside the
// undeformed one (height up), a ring its axis line in its plane, a shell or a
// panel its middle surface in space with a result field as colour and the
// legend of the graphs. The slider enlarges or reduces the displacements
// from the automatic factor (the largest displacement a tenth of the
// structure's size); the mouse turns the surface (drag) and zooms (wheel).
//
// The picture is drawn through OpenGL where the display has it and straight
// onto the window otherwise (the same painting either way), so the window
// works on any display and saves its picture as PNG.
//
// Like the plot, the window refers to its element through a TElementRef and
// reads the values anew on every refill.
#pragma once

#include "views/DeformedShape.h"
#include "views/ViewForm.h"

class QComboBox;
class QLabel;
class QSlider;

class TDeformedForm : public TViewForm {
    Q_OBJECT
public:
    explicit TDeformedForm(TViews& views);

    // Shows the deformed shape of the element with result field Field as
    // colour, refilled at once.
    void ShowDeformed(const TElementRef& element, int field = -1);
    // Reads the values again and redraws (after a calculation, a change of
    // field).
    void Refill();
    // No shape: the caption "Деформированный вид".
    void Clear() override;

    const TElementRef& Ref() const { return ref_; }
    const TDeformedShape& Shape() const { return shape_; }
    TCamera& Camera() { return camera_; }
    // The factor the slider sets: the automatic one times 10^(position / 50).
    double SliderScale() const;
    // True when the picture goes through OpenGL.
    bool UsesOpenGL() const { return openGL_; }

    // The picture as the window shows it, at Size.
    QImage RenderPicture(const QSize& size) const;
    // PNG; false when not written.
    bool SavePicture(const QString& fileName, const QSize& size) const;

    // --- Handlers. ---
    void SaveItemClick();
    // Back to the automatic factor and the first view direction.
    void ResetItemClick();

    QComboBox* FieldBox = nullptr;   // the colour field of a surface
    QSlider* ScaleSlider = nullptr;  // -100 ... 100 about the automatic factor
    QLabel* ScaleLabel = nullptr;
    QWidget* View = nullptr;         // the drawing area
    QAction* SaveItem = nullptr;
    QAction* ResetItem = nullptr;

private:
    void ApplyScale();
    void Paint(QPainter& painter, const QSize& size) const;
    void Drag(const QPoint& delta);
    void ZoomBy(double factor);

    TViews& views_;
    TElementRef ref_;
    TDeformedShape shape_;
    TCamera camera_;
    bool openGL_ = false;
    bool filling_ = false;
};
