#include "app/TbOptionForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

TTbOptionForm::TTbOptionForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Таблицы"));
    WidthEdit = new QSpinBox(this);
    WidthEdit->setRange(0, 20);
    WidthEdit->setValue(11);
    DecimalsEdit = new QSpinBox(this);
    DecimalsEdit->setRange(-1, 20);
    DecimalsEdit->setValue(4);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Всего смволов"), WidthEdit);
    fields->addRow(QStringLiteral("Значещих цифр"), DecimalsEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}
