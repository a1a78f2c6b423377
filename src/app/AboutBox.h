#pragma once

#include <QDialog>

class QLabel;

// "О программе": product name and the one-line description, with OK.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Comments = nullptr;
};
