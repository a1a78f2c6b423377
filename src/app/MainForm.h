#pragma once

#include <QMainWindow>

class QAction;
class QMdiArea;
class QMenu;
class TAboutBox;

// The multiple-document frame of the program.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);

    QMdiArea* MdiArea = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* AboutItem = nullptr;
    TAboutBox* AboutBox = nullptr;

    void AboutItemClick();

private:
    void CreateActions();
    void CreateMenus();
};
