#include "app/FChildForm.h"

#include "app/MainForm.h"

#include <QTabWidget>
#include <QVBoxLayout>

TFChildForm::TFChildForm(TMainForm* main) : TChildForm(main) {}

QTabWidget* TFChildForm::AddPageControl() {
    auto* client = new QWidget(this);
    setWidget(client);
    auto* pages = new QTabWidget(client);
    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->addWidget(pages);
    return pages;
}

QString TFChildForm::SaveFilter() const {
    return DefaultExt() == QLatin1String("zes") ? QStringLiteral("Серия задач МКР (*.zes)|*.zes")
                                                : QStringLiteral("Задача МКР (*.zem)|*.zem");
}

QString TFChildForm::DefaultExt() const {
    const QString name = FileName.isEmpty() ? windowTitle() : FileName;
    return name.endsWith(QLatin1String(".zes")) ? QStringLiteral("zes") : QStringLiteral("zem");
}

bool TFChildForm::SaveForClose() { return Main->SaveChild(this); }
