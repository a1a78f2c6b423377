// The graph window: the single window that shows one colour map of an
// element at a time. The element draws the map (its DrawGraph) with the
// automatic level step and the colour scale of the graph options; the window
// frames it with axes (the height in metres up the left side, the angle in
// degrees or the arc in metres along the bottom) and a legend of the colour
// levels with their values and the field's name and unit, and adds the hints
// (coordinates and value under the mouse) and the mesh switch.
//
// The picture is drawn on a worker thread into an image, from a copy of the
// problem and of the values, and the window paints that image until the
// graph, its size or the colour scale change; a large field thus never holds
// up the window. A window too small for the frame shows the map alone.
//
// Owns the graph's data object and frees it when the next graph is shown or
// the window goes.
#pragma once

#include "platform/canvas.h"
#include "platform/object.h"
#include "platform/palette.h"
#include "views/ResultField.h"
#include "views/ViewForm.h"

#include <QFutureWatcher>
#include <QImage>
#include <functional>
#include <memory>

class QAction;

// Where the parts of a graph picture of Size go: the map (inset 5 pixels in
// a picture too small for a frame), the legend (empty then).
struct TGraphLayout {
    QRect Map;
    QRect Legend;
    bool Framed = false;
};
TGraphLayout GraphLayout(const QSize& size);

// One band of the legend: the values (Low, High] take Color.
struct TLegendBand {
    zem::Extended Low = 0;
    zem::Extended High = 0;
    zem::TColor Color = zem::clWhite;
};
// The automatic level step of a field: its largest magnitude over the level
// count.
zem::Extended AutoLevelStep(const TResultField& field, const zem::TColorScale& scale);
// The bands of the legend from the most negative to the most positive, for
// the levels the field reaches: level k of a sign covers (s k, s (k + 1)]
// in magnitude, level 0 is white around zero. The bands hold only levels with
// values of the field, and the ends are its smallest and largest value.
std::vector<TLegendBand> LegendBands(const TResultField& field, const zem::TPalette& palette);

// Paints the legend of Field into Layout's legend area: the field's title
// above, the bands with their edge values.
void PaintLegend(QPainter& painter, const TGraphLayout& layout, const TResultField& field, const zem::TPalette& palette);

// Everything one picture needs. Drawing reads Element and Data only, so a
// copy of both lets another thread draw.
struct TGraphPicture {
    zem::TElement* Element = nullptr;
    const zem::TObject* Data = nullptr;
    const zem::TPalette* Palette = nullptr;
    const TResultField* Field = nullptr;
};
// Paints the whole picture (map, axes, legend) on a white ground of Size.
void PaintGraphPicture(QPainter& painter, const QSize& size, const TGraphPicture& picture);

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
    void Clear() override;

    const TElementRef& Ref() const { return ref_; }
    int Selector() const { return selector_; }
    const zem::TObject* Data() const { return data_.get(); }

    // The map alone, inset 5 pixels, on a white image of Size.
    QImage Render(const QSize& size) const;
    // The framed picture as the window shows it (drawn here, at once).
    QImage RenderPicture(const QSize& size) const;
    // The field shown, with coordinates and unit.
    const TResultField& Field() const { return field_; }
    // The hint for a point of the paint box: the coordinates of the nearest
    // node and its value; empty outside the map.
    QString HintAt(const QPoint& pos) const;
    // Writes the picture as PNG or, for a name ending in ".svg", as SVG;
    // false when the file cannot be written.
    bool SavePicture(const QString& fileName, const QSize& size) const;
    // True while the worker draws; WaitForPicture lets it finish and takes
    // its image.
    bool Drawing() const;
    void WaitForPicture();
    // The image the window paints (null before the first picture).
    const QImage& CachedPicture() const { return cache_; }

    // --- Handlers. ---
    // Toggles the mesh over the graphs (the switch of the graph options).
    void MeshItemClick();
    // The graph options dialog; the graph is repainted on OK.
    void OptionItemClick();
    // Asks for a file name and saves the picture at the window's size.
    void SaveItemClick();
    // The picture is out of date (options, mesh switch, data): drawn anew.
    void Invalidate();

    TPaintBox* PaintBox = nullptr;
    QAction* MeshItem = nullptr;
    QAction* OptionItem = nullptr;
    QAction* SaveItem = nullptr;

protected:
    void changeEvent(QEvent* event) override;

private:
    void Draw(QPainter& painter, const zem::TRect& rect) const;
    void Paint(QPainter& painter);
    void StartDrawing(const QSize& size);
    void PictureReady();

    TViews& views_;
    TElementRef ref_;
    int selector_ = 0;
    std::unique_ptr<zem::TObject> data_;
    TResultField field_;
    // The worker's copies: the problem (for the element's geometry) and the
    // values, made when the graph is shown.
    std::shared_ptr<zem::TProblem> snapshot_;
    zem::TElement* snapshotElement_ = nullptr;
    std::shared_ptr<const zem::TObject> snapshotData_;
    std::shared_ptr<const TResultField> snapshotField_;
    QFutureWatcher<QImage>* watcher_ = nullptr;
    QImage cache_;
    int generation_ = 0;
    int cacheGeneration_ = -1;
    int drawingGeneration_ = -1;
    QSize drawingSize_;
};
