// The graph window: the single window that shows one colour map of an
// element at a time. The element draws it (its DrawGraph) on the canvas of the
// paint box, inside the drawing rectangle, with the automatic level step and
// the colour scale of the graph options; the window adds the hints (the value
// under the mouse) and the mesh switch.
//
// Owns the graph's data object and frees it when the next graph is shown or
// the window goes.
#pragma once

#include "platform/canvas.h"
#include "platform/object.h"
#include "views/ViewForm.h"

#include <QImage>
#include <functional>
#include <memory>

class QAction;

// A plain drawing area: paints and hints through the window that owns it.
class TPaintBox : public QWidget {
public:
    explicit TPaintBox(QWidget* parent);
    std::function<void(QPainter&)> OnPaint;
    std::function<void(const QPoint&)> OnMouseMove;
    // The client rectangle inset by 5 pixels on every side (edges included).
    zem::TRect DrawingRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

// Replaces the hint of Box by Text when it differs, cancelling a hint on the
// screen so that the new one shows.
void UpdateHint(QWidget* box, const QPoint& pos, const QString& text);

class TGraphForm : public TViewForm {
    Q_OBJECT
public:
    explicit TGraphForm(TViews& views);
    ~TGraphForm() override;

    // Frees the previous data, keeps the arguments, sets the caption, shows
    // the window and repaints it.
    void ShowGraph(const TElementRef& element, int selector, const QString& caption,
                   std::unique_ptr<zem::TObject> data);
    // No graph: the data freed, the caption "Графика".
    void Clear();

    const TElementRef& Ref() const { return ref_; }
    int Selector() const { return selector_; }
    const zem::TObject* Data() const { return data_.get(); }

    // The graph as the window paints it, on a white image of Size.
    QImage Render(const QSize& size) const;
    // The hint for a point of the paint box; empty outside the drawing.
    QString HintAt(const QPoint& pos) const;

    // --- Handlers. ---
    // Toggles the mesh over the graphs (the switch of the graph options).
    void MeshItemClick();
    // The graph options dialog; the graph is repainted on OK.
    void OptionItemClick();

    TPaintBox* PaintBox = nullptr;
    QAction* MeshItem = nullptr;
    QAction* OptionItem = nullptr;

protected:
    void changeEvent(QEvent* event) override;

private:
    void Draw(QPainter& painter, const zem::TRect& rect) const;

    TViews& views_;
    TElementRef ref_;
    int selector_ = 0;
    std::unique_ptr<zem::TObject> data_;
};
