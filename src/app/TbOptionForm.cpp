#include "app/TbOptionForm.h"

#include "app/HelpForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QShortcut>
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
    WidthEdit->setToolTip(QStringLiteral("Сколько значащих цифр печатается в числе таблицы: 1.2346E+003 при 5"));
    DecimalsEdit->setToolTip(
        QStringLiteral("Наименьшее число цифр в порядке числа: 1.2346E+3 при 1, 1.2346E+003 при 3"));
    fields->addRow(QStringLiteral("Значащих цифр"), WidthEdit);
    fields->addRow(QStringLiteral("Цифр в порядке, не меньше"), DecimalsEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    new QShortcut(QKeySequence(Qt::Key_F1), this, [this] { ShowHelpFor(this); });
}
