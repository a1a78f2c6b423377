#include "views/GraphForm.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "elements/Elements.h"
#include "views/GrOptionForm.h"
#include "views/QtCanvas.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QVBoxLayout>

// --- The paint box. ----------------------------------------------------------------

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

zem::TRect TPaintBox::DrawingRect() const { return {5, 5, width() - 6, height() - 6}; }

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (OnPaint) OnPaint(painter);
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) OnMouseMove(event->position().toPoint());
}

void UpdateHint(QWidget* box, const QPoint& pos, const QString& text) {
    if (box->toolTip() == text) return;
    box->setToolTip(text);
    QToolTip::hideText();
    if (!text.isEmpty() && box->isVisible()) QToolTip::showText(box->mapToGlobal(pos), text, box);
}

// --- The graph window. -------------------------------------------------------------

TGraphForm::TGraphForm(TViews& views) : TViewForm(&views.Main, QStringLiteral("GraphForm")), views_(views) {
    setWindowTitle(QStringLiteral("Графика"));
    PaintBox = new TPaintBox(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PaintBox);
    PaintBox->OnPaint = [this](QPainter& painter) { Draw(painter, PaintBox->DrawingRect()); };
    PaintBox->OnMouseMove = [this](const QPoint& pos) { UpdateHint(PaintBox, pos, HintAt(pos)); };
    MeshItem = AddPopupItem(QStringLiteral("&Сетка"), QKeySequence(Qt::CTRL | Qt::Key_M), [this] { MeshItemClick(); });
    MeshItem->setCheckable(true);
    OptionItem =
        AddPopupItem(QStringLiteral("&Установки"), QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OptionItemClick(); });
    // A checkable action toggles itself before its handler runs; the handler
    // takes the state from the options instead.
    MeshItem->setChecked(views_.GrOptionForm->MeshVisible());
}

TGraphForm::~TGraphForm() = default;

void TGraphForm::ShowGraph(const TElementRef& element, int selector, const QString& caption,
                           std::unique_ptr<zem::TObject> data) {
    data_ = std::move(data);
    ref_ = element;
    selector_ = selector;
    setWindowTitle(caption);
    show();
    raise();
    PaintBox->update();
}

void TGraphForm::Clear() {
    data_.reset();
    ref_.Clear();
    selector_ = 0;
    setWindowTitle(QStringLiteral("Графика"));
    PaintBox->update();
}

void TGraphForm::Draw(QPainter& painter, const zem::TRect& rect) const {
    zem::TElement* element = ref_.Element();
    if (!element || !data_) return;
    TQtCanvas canvas(painter);
    try {
        element->DrawGraph(canvas, rect, 0, data_.get(), views_.GrOptionForm->Scale());
    } catch (...) {
        // Data that no longer fits the element (its mesh was edited) draws
        // what it can; the next selection shows it whole.
    }
}

QImage TGraphForm::Render(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Draw(painter, {5, 5, size.width() - 6, size.height() - 6});
    return image;
}

QString TGraphForm::HintAt(const QPoint& pos) const {
    zem::TElement* element = ref_.Element();
    if (!element || !data_) return {};
    try {
        return QString::fromStdString(element->HitValue(PaintBox->DrawingRect(), {pos.x(), pos.y()}, data_.get()));
    } catch (...) {
        return {};
    }
}

void TGraphForm::MeshItemClick() {
    const bool on = !views_.GrOptionForm->MeshVisible();
    views_.GrOptionForm->SetMeshVisible(on);
    MeshItem->setChecked(on);
    PaintBox->update();
}

void TGraphForm::OptionItemClick() {
    if (views_.GrOptionForm->Execute()) PaintBox->update();
    MeshItem->setChecked(views_.GrOptionForm->MeshVisible());
}

void TGraphForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        MeshItem->setChecked(views_.GrOptionForm->MeshVisible());
        PaintBox->update();
    }
    TViewForm::changeEvent(event);
}
