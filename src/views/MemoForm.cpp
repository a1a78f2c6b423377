#include "views/MemoForm.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TMemoForm::TMemoForm(QWidget* parent) : QDialog(parent) {
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    Memo = new QPlainTextEdit(this);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo);
    layout->addWidget(buttons);
    resize(434, 289);
}

bool TMemoForm::Execute(const QString& caption, std::vector<std::string>& lines) {
    setWindowTitle(caption);
    QStringList text;
    for (const std::string& line : lines) text << QString::fromStdString(line);
    Memo->setPlainText(text.join(QLatin1Char('\n')));
    if (exec() != QDialog::Accepted) return false;
    lines.clear();
    for (const QString& line : Memo->toPlainText().split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
    return true;
}
