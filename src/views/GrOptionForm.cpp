#include "views/GrOptionForm.h"

#include "views/QtCanvas.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

void FillBox(QListWidget* box, const std::vector<zem::TColor>& colors) {
    box->clear();
    for (zem::TColor c : colors) {
        auto* entry = new QListWidgetItem(box);
        entry->setData(Qt::UserRole, static_cast<uint>(c));
        entry->setBackground(ToQColor(c));
        entry->setSizeHint(QSize(40, 6));
    }
}

}  // namespace

TGrOptionForm::TGrOptionForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Графика"));
    SpinEdit = new QSpinBox(this);
    SpinEdit->setRange(zem::TPalette::kMinLevels, zem::TPalette::kMaxLevels);
    SpinEdit->setValue(zem::TPalette::kDefaultLevels);
    MinusBox = new QListWidget(this);
    PlusBox = new QListWidget(this);
    for (QListWidget* box : {MinusBox, PlusBox}) {
        box->setSelectionMode(QAbstractItemView::NoSelection);
        box->setFocusPolicy(Qt::NoFocus);
        box->setSpacing(0);
        box->setUniformItemSizes(true);
    }
    MeshCheckBox = new QCheckBox(QStringLiteral("Сетка"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(SpinEdit, &QSpinBox::editingFinished, this, &TGrOptionForm::RebuildPalettes);
    connect(MeshCheckBox, &QCheckBox::toggled, this, [this](bool on) { palette_.SetMeshVisible(on); });

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Уровней"), this), 0, 0);
    grid->addWidget(SpinEdit, 0, 1);
    grid->addWidget(MeshCheckBox, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("−"), this), 2, 0, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("+"), this), 2, 1, Qt::AlignHCenter);
    grid->addWidget(MinusBox, 3, 0);
    grid->addWidget(PlusBox, 3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    resize(317, 218);
    RebuildPalettes();
}

void TGrOptionForm::RebuildPalettes() {
    palette_.SetLevelCount(SpinEdit->value());
    FillBox(MinusBox, palette_.Minus());
    FillBox(PlusBox, palette_.Plus());
}

void TGrOptionForm::SetLevelCount(int levels) {
    SpinEdit->setValue(levels);
    RebuildPalettes();
}

void TGrOptionForm::SetMeshVisible(bool on) {
    MeshCheckBox->setChecked(on);
    palette_.SetMeshVisible(on);
}

bool TGrOptionForm::Execute() {
    const int levels = LevelCount();
    const bool mesh = MeshVisible();
    if (exec() == QDialog::Accepted) {
        RebuildPalettes();  // the field may not have been left
        return true;
    }
    SetLevelCount(levels);
    SetMeshVisible(mesh);
    return false;
}
