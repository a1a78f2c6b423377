// "Таблицы": the number format of the result tables. The first field is the
// number of significant digits, the second the minimum number of exponent
// digits. The main window loads and stores both values.
#pragma once

#include <QDialog>

class QSpinBox;

class TTbOptionForm : public QDialog {
    Q_OBJECT
public:
    explicit TTbOptionForm(QWidget* parent = nullptr);

    QSpinBox* WidthEdit = nullptr;     // "Значащих цифр": 0 to 20, initially 11
    QSpinBox* DecimalsEdit = nullptr;  // "Цифр в порядке, не меньше": -1 to 20, initially 4
};
