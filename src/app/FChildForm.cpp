#include "app/FChildForm.h"

#include "app/MainForm.h"

TFChildForm::TFChildForm(TMainForm* main) : TChildForm(main) {}

QString TFChildForm::SaveFilter() const {
    return DefaultExt() == QLatin1String("zes") ? QStringLiteral("Серия задач МКР (*.zes)|*.zes")
                                                : QStringLiteral("Задача МКР (*.zem)|*.zem");
}

QString TFChildForm::DefaultExt() const {
    const QString name = FileName.isEmpty() ? windowTitle() : FileName;
    return name.endsWith(QLatin1String(".zes")) ? QStringLiteral("zes") : QStringLiteral("zem");
}

bool TFChildForm::SaveForClose() { return Main->SaveChild(this); }
