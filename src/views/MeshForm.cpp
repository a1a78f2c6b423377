#include "views/MeshForm.h"

#include "app/MainForm.h"
#include "elements/Elements.h"
#include "views/GraphForm.h"
#include "views/QtCanvas.h"

#include <QEvent>
#include <QPainter>
#include <QVBoxLayout>

TMeshForm::TMeshForm(TViews& views) : TViewForm(&views.Main, QStringLiteral("MeshForm")) {
    setWindowTitle(QStringLiteral("Сетка"));
    PaintBox = new TPaintBox(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PaintBox);
    PaintBox->OnPaint = [this](QPainter& painter) { Draw(painter, PaintBox->DrawingRect()); };
    PaintBox->OnMouseMove = [this](const QPoint& pos) { UpdateHint(PaintBox, pos, HintAt(pos)); };
}

void TMeshForm::ShowMesh(const TElementRef& element) {
    // After a mesh selection the mesh is the one the result views show.
    ref_ = element;
    ref_.ShowSelected(true);
    Follow(element);
    Refresh();
    show();
    raise();
    activateWindow();
}

void TMeshForm::Refresh() {
    setWindowTitle(TitleWithProblem(WithMeshText(QStringLiteral("Сетка"), ref_)));
    PaintBox->update();
}

void TMeshForm::Clear() {
    ref_.Clear();
    setWindowTitle(QStringLiteral("Сетка"));
    PaintBox->update();
}

void TMeshForm::Draw(QPainter& painter, const zem::TRect& rect) const {
    zem::TElement* element = ref_.Element();
    if (!element) return;
    TQtCanvas canvas(painter);
    try {
        element->DrawMesh(canvas, rect);
    } catch (...) {
    }
}

QImage TMeshForm::Render(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Draw(painter, {5, 5, size.width() - 6, size.height() - 6});
    return image;
}

QString TMeshForm::HintAt(const QPoint& pos) const {
    zem::TElement* element = ref_.Element();
    if (!element) return {};
    try {
        return QString::fromStdString(element->HitText(PaintBox->DrawingRect(), {pos.x(), pos.y()}));
    } catch (...) {
        return {};
    }
}

void TMeshForm::changeEvent(QEvent* event) {
    TViewForm::changeEvent(event);
    // A transient view: it goes as soon as another window takes the focus.
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) close();
}
