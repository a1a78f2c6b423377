// The mesh view: the mesh of an element as the element draws it, with a hint
// that names what lies under the mouse. A transient window: it closes as soon
// as it loses the focus. Its placement is kept under "COMMON", "MeshForm".
#pragma once

#include "views/ViewForm.h"

#include <QImage>

class TPaintBox;

class TMeshForm : public TViewForm {
    Q_OBJECT
public:
    explicit TMeshForm(TViews& views);

    // Keeps the element, shows the window and repaints it.
    void ShowMesh(const TElementRef& element);
    // After a calculation: the title names the mesh shown, the drawing
    // follows it.
    void Refresh();
    void Clear() override;
    const TElementRef& Ref() const { return ref_; }

    QImage Render(const QSize& size) const;
    QString HintAt(const QPoint& pos) const;

    TPaintBox* PaintBox = nullptr;

protected:
    void changeEvent(QEvent* event) override;

private:
    void Draw(QPainter& painter, const zem::TRect& rect) const;

    TElementRef ref_;
};
