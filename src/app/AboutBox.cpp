#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("О программе"));
    setModal(true);
    setMinimumWidth(380);
    auto* layout = new QVBoxLayout(this);
    ProductName = new QLabel(QStringLiteral("ZEM2"), this);
    QFont f = ProductName->font();
    f.setPointSize(f.pointSize() * 2);
    f.setBold(true);
    ProductName->setFont(f);
    ProductName->setAlignment(Qt::AlignCenter);
    Comments = new QLabel(
        QStringLiteral("Метод конечных разностей для континульных задач строительной механики"), this);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(ProductName);
    layout->addWidget(Comments);
    layout->addWidget(buttons);
}
