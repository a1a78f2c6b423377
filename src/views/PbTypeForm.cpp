#include "views/PbTypeForm.h"

#include "problem/PbTypes.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TPbTypeForm::TPbTypeForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Тип задачи"));
    NameLabel = new QLabel(QStringLiteral("Наименование"), this);
    ListBox = new QListWidget(this);
    for (int i = 0; i < zem::kProblemTypeCount; ++i) ListBox->addItem(QString::fromStdString(zem::ProblemTypeName(i)));
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
    ListBox->setMinimumHeight(ListBox->sizeHintForRow(0) * zem::kProblemTypeCount + 2 * ListBox->frameWidth() + 4);
    resize(380, 0);

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
    DescriptText->setText(i < 0 ? QString() : QString::fromStdString(zem::ProblemTypeCaption(i)));
}

void TPbTypeForm::ListBoxDblClick() { accept(); }

bool TPbTypeForm::Execute(std::string& typeName) {
    ListBox->setFocus();
    if (exec() != QDialog::Accepted || TypeIndex() < 0) return false;
    typeName = zem::ProblemTypeName(TypeIndex());
    return true;
}
