// The memo dialog: a sizeable dialog with one multi-line text and OK and
// Cancel, for editing a long value line by line.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;

class TMemoForm : public QDialog {
    Q_OBJECT
public:
    explicit TMemoForm(QWidget* parent = nullptr);

    // Shows Lines under Caption; on OK Lines takes the edited text (true).
    bool Execute(const QString& caption, std::vector<std::string>& lines);

    QPlainTextEdit* Memo = nullptr;
};
