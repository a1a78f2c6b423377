#include "views/DeformedForm.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/QtText.h"
#include "elements/Elements.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "views/GrOptionForm.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// What a drawing area passes to its window.
struct TCanvasLinks {
    std::function<void(QPainter&, const QSize&)> Paint;
    std::function<void(const QPoint&)> Drag;
    std::function<void(double)> Zoom;
    std::function<void(const QPoint&)> Menu;
};

// The mouse of a drawing area, the same over either base.
template <class Base>
class TShapeCanvas : public Base {
public:
    TShapeCanvas(QWidget* parent, TCanvasLinks links) : Base(parent), links_(std::move(links)) {
        this->setMinimumSize(160, 120);
        this->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(this, &QWidget::customContextMenuRequested, this,
                         [this](const QPoint& pos) { links_.Menu(this->mapToGlobal(pos)); });
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) last_ = event->position().toPoint();
        Base::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() & Qt::LeftButton) {
            const QPoint at = event->position().toPoint();
            links_.Drag(at - last_);
            last_ = at;
        }
        Base::mouseMoveEvent(event);
    }
    void wheelEvent(QWheelEvent* event) override {
        links_.Zoom(std::pow(1.0015, event->angleDelta().y()));
        event->accept();
    }
    TCanvasLinks links_;

private:
    QPoint last_;
};

class TPaintCanvas : public TShapeCanvas<QWidget> {
public:
    using TShapeCanvas::TShapeCanvas;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        links_.Paint(painter, size());
    }
};

// The same painting through OpenGL.
class TGLCanvas : public TShapeCanvas<QOpenGLWidget> {
public:
    using TShapeCanvas::TShapeCanvas;

protected:
    void paintGL() override {
        QPainter painter(this);
        links_.Paint(painter, size());
    }
};

// True when the display gives OpenGL contexts (not so on the offscreen and
// minimal platforms of tests and batch runs).
bool OpenGLAvailable() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return false;
    QOpenGLContext context;
    if (!context.create()) return false;
    QOffscreenSurface surface;
    surface.create();
    return surface.isValid() && context.makeCurrent(&surface);
}

constexpr int kSliderRange = 100;

}  // namespace

TDeformedForm::TDeformedForm(TViews& views) : TViewForm(&views.Main, QStringLiteral("DeformedForm")), views_(views) {
    setWindowTitle(QStringLiteral("Деформированный вид"));
    resize(640, 480);
    FieldBox = new QComboBox(this);
    FieldBox->setToolTip(QStringLiteral("Характеристика, показанная цветом"));
    ScaleSlider = new QSlider(Qt::Horizontal, this);
    ScaleSlider->setRange(-kSliderRange, kSliderRange);
    ScaleSlider->setValue(0);
    ScaleSlider->setToolTip(QStringLiteral("Увеличение перемещений"));
    ScaleLabel = new QLabel(this);
    ScaleLabel->setMinimumWidth(140);
    auto* top = new QHBoxLayout;
    top->addWidget(FieldBox);
    top->addWidget(new QLabel(QStringLiteral("Масштаб"), this));
    top->addWidget(ScaleSlider, 1);
    top->addWidget(ScaleLabel);

    TCanvasLinks links{
        [this](QPainter& p, const QSize& size) { Paint(p, size); },
        [this](const QPoint& delta) { Drag(delta); },
        [this](double factor) { ZoomBy(factor); },
        [this](const QPoint& global) { PopupMenu->popup(global); },
    };
    openGL_ = OpenGLAvailable();
    if (openGL_)
        View = new TGLCanvas(this, links);
    else
        View = new TPaintCanvas(this, links);
    View->setToolTip(QStringLiteral("Перетаскивание мышью поворачивает оболочку, колесо увеличивает"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addWidget(View, 1);

    SaveItem = AddPopupItem(QStringLiteral("&Сохранить рисунок"), QKeySequence(Qt::CTRL | Qt::Key_S),
                            [this] { SaveItemClick(); });
    ResetItem = AddPopupItem(QStringLiteral("&Исходный вид"), QKeySequence(Qt::CTRL | Qt::Key_0),
                             [this] { ResetItemClick(); });

    connect(FieldBox, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) RunGuarded(this, [this] { Refill(); });
    });
    connect(ScaleSlider, &QSlider::valueChanged, this, [this] { ApplyScale(); });
}

void TDeformedForm::ShowDeformed(const TElementRef& element, int field) {
    ref_ = element;
    Follow(element);
    zem::TElement* e = ref_.Element();
    if (!e) return;
    filling_ = true;
    FieldBox->clear();
    if (zem::TElement* shown = TDeformedShape::ShapeElement(*e)) {
        for (const std::string& n : shown->GraphResults) FieldBox->addItem(Q(FieldMenuText(*shown, n)));
        const auto& names = shown->GraphResults;
        const int w = static_cast<int>(std::find(names.begin(), names.end(), "w") - names.begin());
        FieldBox->setCurrentIndex(field >= 0 && field < FieldBox->count() ? field : w);
    }
    filling_ = false;
    camera_ = {};
    ScaleSlider->blockSignals(true);
    ScaleSlider->setValue(0);
    ScaleSlider->blockSignals(false);
    Refill();
    show();
    raise();
}

void TDeformedForm::Refill() {
    zem::TElement* element = ref_.Element();
    if (!element) {
        Clear();
        return;
    }
    shape_ = TDeformedShape::Of(*element, FieldBox->currentIndex());
    FieldBox->setVisible(shape_.Kind() == TShapeKind::Surface);
    ApplyScale();
    setWindowTitle(TitleWithProblem(WithMeshText(QStringLiteral("Деформированный вид"), ref_)));
}

void TDeformedForm::Clear() {
    ref_.Clear();
    shape_ = {};
    FieldBox->clear();
    ScaleLabel->clear();
    setWindowTitle(QStringLiteral("Деформированный вид"));
    View->update();
}

double TDeformedForm::SliderScale() const {
    return shape_.AutoScale() * std::pow(10.0, ScaleSlider->value() / 50.0);
}

void TDeformedForm::ApplyScale() {
    shape_.SetScale(SliderScale());
    ScaleLabel->setText(shape_.Kind() == TShapeKind::None ? QString() : Q(ScaleText(shape_.Scale())));
    View->update();
}

void TDeformedForm::ResetItemClick() {
    camera_ = {};
    ScaleSlider->setValue(0);
    View->update();
}

void TDeformedForm::Drag(const QPoint& delta) {
    if (shape_.Kind() != TShapeKind::Surface) return;
    camera_.Yaw = std::remainder(camera_.Yaw + delta.x() * 0.5, 360.0);
    camera_.Pitch = std::clamp(camera_.Pitch + delta.y() * 0.5, -90.0, 90.0);
    View->update();
}

void TDeformedForm::ZoomBy(double factor) {
    if (shape_.Kind() != TShapeKind::Surface) return;
    camera_.Zoom = std::clamp(camera_.Zoom * factor, 0.2, 20.0);
    View->update();
}

void TDeformedForm::Paint(QPainter& painter, const QSize& size) const {
    PaintDeformed(painter, size, shape_, camera_, views_.GrOptionForm->Palette());
}

QImage TDeformedForm::RenderPicture(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    Paint(painter, size);
    return image;
}

bool TDeformedForm::SavePicture(const QString& fileName, const QSize& size) const {
    return RenderPicture(size).save(fileName, "PNG");
}

void TDeformedForm::SaveItemClick() {
    const QString chosen = AskSaveFileName(this, {}, QStringLiteral("Рисунок PNG (*.png)|*.png"), QStringLiteral("png"));
    if (chosen.isEmpty()) return;
    zem::CheckWritable(Std(chosen));  // the system's reason for a place that takes no file
    if (!SavePicture(chosen, View->size()))
        zem::RaiseFileFailure(zem::kWriteFailure, Std(chosen), "рисунок не записан");
}
