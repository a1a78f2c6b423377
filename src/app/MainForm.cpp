#include "app/MainForm.h"

#include "app/AboutBox.h"

#include <QAction>
#include <QMdiArea>
#include <QMenuBar>

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("ZEM CAD 2"));
    MdiArea = new QMdiArea(this);
    setCentralWidget(MdiArea);
    AboutBox = new TAboutBox(this);
    CreateActions();
    CreateMenus();
    resize(900, 640);
}

void TMainForm::CreateActions() {
    AboutItem = new QAction(QStringLiteral("&О программе"), this);
    connect(AboutItem, &QAction::triggered, this, &TMainForm::AboutItemClick);
}

void TMainForm::CreateMenus() {
    HelpMenu = menuBar()->addMenu(QStringLiteral("&Помощь"));
    HelpMenu->addAction(AboutItem);
}

void TMainForm::AboutItemClick() { AboutBox->exec(); }
