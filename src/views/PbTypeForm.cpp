#include "views/PbTypeForm.h"

#include "problem/PbTypes.h"

#include <QFrame>
#include <QIcon>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

struct TTypeSketch {
    const char* Name;
    TShellSketch Sketch;
    const char* Purpose;
};

// What each type of the catalogue is for, in one line, and its sketch.
constexpr TTypeSketch kTypes[] = {
    {"CylSym", TShellSketch::Cylinder, "резервуар, труба, силос под давлением или наливом, одинаковыми по окружности"},
    {"CylSym2", TShellSketch::Cylinder, "то же, что CylSym, точнее на редкой сетке"},
    {"CompCylSym", TShellSketch::Stepped, "резервуар из поясов разной толщины и высоты под наливом"},
    {"CylTech", TShellSketch::Cylinder, "оболочка под нагрузкой, меняющейся по окружности: ветер, местное давление"},
    {"CylTech2_1", TShellSketch::Cylinder, "то же, что CylTech, точнее на редкой сетке (второй вариант шаблонов)"},
    {"CylTech2_2", TShellSketch::Cylinder, "то же, что CylTech, точнее на редкой сетке (третий вариант шаблонов)"},
    {"CompCylTech", TShellSketch::Stepped, "ступенчатая оболочка под ветром или местной нагрузкой"},
    {"CylLave", TShellSketch::Cylinder, "оболочка по более полным уравнениям Лява"},
    {"CylPanel", TShellSketch::Panel, "часть цилиндра с краями вдоль образующих: свод, лоток, обшивка"},
    {"CylLaveP", TShellSketch::Cylinder, "оболочка из одинаковых секторов: считается один период по окружности"},
    {"Ring", TShellSketch::Ring, "кольцо жесткости, фланец: изгиб из плоскости и кручение"},
    {"Ring2", TShellSketch::Ring, "то же, что Ring, точнее на редкой сетке"},
    {"RingP", TShellSketch::Ring, "кольцо из одинаковых секторов: считается один период"},
    {"CylRing", TShellSketch::CylinderRing, "цилиндр с кольцом жесткости на верхнем крае"},
    {"CylRingP", TShellSketch::CylinderRing, "цилиндр с кольцом жесткости, один период по окружности"},
};

const TTypeSketch* SketchOf(const std::string& typeName) {
    for (const TTypeSketch& t : kTypes)
        if (typeName == t.Name) return &t;
    return nullptr;
}

}  // namespace

TShellSketch ShellSketchOf(const std::string& typeName) {
    const TTypeSketch* t = SketchOf(typeName);
    return t ? t->Sketch : TShellSketch::Cylinder;
}

std::string ProblemTypePurpose(const std::string& typeName) {
    const TTypeSketch* t = SketchOf(typeName);
    return t ? t->Purpose : std::string();
}

QPixmap DrawShellSketch(TShellSketch sketch, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor line(40, 70, 120), fill(170, 200, 235), inner(120, 150, 195);
    p.setPen(QPen(line, 1.4));
    const double w = size.width(), h = size.height();
    // A cylinder standing on its axis: ellipses at the ends, the walls between.
    auto cylinder = [&](double left, double right, double top, double bottom) {
        const double ry = (right - left) * 0.16;
        QPainterPath body;
        body.moveTo(left, top);
        body.lineTo(left, bottom);
        body.arcTo(QRectF(left, bottom - ry, right - left, 2 * ry), 180, 180);
        body.lineTo(right, top);
        p.setBrush(fill);
        p.drawPath(body);
        p.setBrush(inner);
        p.drawEllipse(QRectF(left, top - ry, right - left, 2 * ry));
    };
    switch (sketch) {
        case TShellSketch::Cylinder:
            cylinder(w * 0.28, w * 0.72, h * 0.18, h * 0.82);
            break;
        case TShellSketch::Stepped:
            cylinder(w * 0.22, w * 0.78, h * 0.60, h * 0.86);
            cylinder(w * 0.30, w * 0.70, h * 0.36, h * 0.60);
            cylinder(w * 0.37, w * 0.63, h * 0.14, h * 0.36);
            break;
        case TShellSketch::Panel: {
            QPainterPath panel;
            panel.moveTo(w * 0.12, h * 0.70);
            panel.quadTo(w * 0.45, h * 0.20, w * 0.78, h * 0.62);
            panel.lineTo(w * 0.90, h * 0.42);
            panel.quadTo(w * 0.57, h * 0.00, w * 0.24, h * 0.50);
            panel.closeSubpath();
            p.setBrush(fill);
            p.drawPath(panel);
            break;
        }
        case TShellSketch::Ring: {
            QPainterPath ring;
            ring.addEllipse(QRectF(w * 0.12, h * 0.25, w * 0.76, h * 0.50));
            ring.addEllipse(QRectF(w * 0.26, h * 0.36, w * 0.48, h * 0.28));
            ring.setFillRule(Qt::OddEvenFill);
            p.setBrush(fill);
            p.drawPath(ring);
            break;
        }
        case TShellSketch::CylinderRing:
            cylinder(w * 0.30, w * 0.70, h * 0.26, h * 0.84);
            p.setBrush(QColor(215, 120, 60));
            p.setPen(QPen(QColor(140, 60, 20), 1.4));
            p.drawEllipse(QRectF(w * 0.16, h * 0.14, w * 0.68, h * 0.22));
            p.setBrush(inner);
            p.drawEllipse(QRectF(w * 0.30, h * 0.195, w * 0.40, h * 0.11));
            break;
    }
    return pixmap;
}

TPbTypeForm::TPbTypeForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Тип задачи"));
    NameLabel = new QLabel(QStringLiteral("Наименование"), this);
    ListBox = new QListWidget(this);
    const QSize sketch(44, 40);
    ListBox->setIconSize(sketch);
    for (int i = 0; i < zem::kProblemTypeCount; ++i) {
        const std::string& name = zem::ProblemTypeName(i);
        // The code, its caption and, below, what it is for.
        auto* item = new QListWidgetItem(QString::fromStdString(name) + QStringLiteral(" — ") +
                                             QString::fromStdString(zem::ProblemTypeCaption(i)) + QLatin1Char('\n') +
                                             QStringLiteral("    ") + QString::fromStdString(ProblemTypePurpose(name)),
                                         ListBox);
        item->setIcon(QIcon(DrawShellSketch(ShellSketchOf(name), sketch)));
        item->setSizeHint(QSize(0, std::max(sketch.height() + 6, 2 * fontMetrics().lineSpacing() + 8)));
    }
    NameLabel->setBuddy(ListBox);
    DescriptLabel = new QLabel(QStringLiteral("Описание"), this);
    DescriptText = new QLabel(this);
    DescriptText->setWordWrap(true);
    DescriptText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    DescriptText->setFrameShape(QFrame::StyledPanel);
    DescriptText->setMinimumHeight(3 * fontMetrics().lineSpacing() + 8);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Отмена"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(NameLabel);
    layout->addWidget(ListBox, 1);
    layout->addWidget(DescriptLabel);
    layout->addWidget(DescriptText);
    layout->addLayout(buttons);
    ListBox->setMinimumHeight(ListBox->sizeHintForRow(0) * 8 + 2 * ListBox->frameWidth() + 4);
    resize(720, 0);

    connect(ListBox, &QListWidget::currentRowChanged, this, &TPbTypeForm::ListBoxClick);
    connect(ListBox, &QListWidget::itemDoubleClicked, this, &TPbTypeForm::ListBoxDblClick);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    ListBox->setCurrentRow(0);
    ListBoxClick();
}

int TPbTypeForm::TypeIndex() const { return ListBox->currentRow(); }

void TPbTypeForm::ListBoxClick() {
    const int i = TypeIndex();
    if (i < 0) {
        DescriptText->clear();
        return;
    }
    const std::string& name = zem::ProblemTypeName(i);
    DescriptText->setText(QString::fromStdString(zem::ProblemTypeCaption(i)) + QStringLiteral(".\nДля чего: ") +
                          QString::fromStdString(ProblemTypePurpose(name)) + QLatin1Char('.'));
}

void TPbTypeForm::ListBoxDblClick() { accept(); }

bool TPbTypeForm::Execute(std::string& typeName) {
    ListBox->setFocus();
    if (exec() != QDialog::Accepted || TypeIndex() < 0) return false;
    typeName = zem::ProblemTypeName(TypeIndex());
    return true;
}
