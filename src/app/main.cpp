#include "app/MainForm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEM CAD 2"));
    TMainForm mainForm;
    mainForm.show();
    return app.exec();
}
