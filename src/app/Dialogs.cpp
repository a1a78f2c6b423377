#include "app/Dialogs.h"

#include "platform/files.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <exception>

namespace {

QMessageBox::Icon IconOf(TMsgKind kind) {
    switch (kind) {
    case TMsgKind::Information: return QMessageBox::Information;
    case TMsgKind::Warning: return QMessageBox::Warning;
    case TMsgKind::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// "Описание (*.zem)|*.zem|..." as Qt's ";;"-separated name filters.
QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (!name.contains(parts[i + 1])) name += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
        names << name;
    }
    return names.join(QStringLiteral(";;"));
}

// A box over a window that stays on top stays on top too, or it would open
// hidden behind its own parent.
void KeepInFront(QMessageBox& box, QWidget* parent) {
    if (parent && parent->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

QString Title() {
    const QString name = QApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("ZEM CAD 2") : name;
}

}  // namespace

TDialogHandlers& DialogHandlers() {
    static TDialogHandlers handlers;
    return handlers;
}

void ShowMessage(QWidget* parent, const QString& text, TMsgKind kind) {
    if (DialogHandlers().Message) return DialogHandlers().Message(parent, text, kind);
    QMessageBox box(IconOf(kind), Title(), text, QMessageBox::Ok, parent);
    KeepInFront(box, parent);
    box.exec();
}

bool AskOkCancel(QWidget* parent, const QString& text, TMsgKind kind) {
    if (DialogHandlers().Ask) return DialogHandlers().Ask(parent, text, kind);
    // A question shows the question mark; the kind only tells how grave it is.
    QMessageBox box(QMessageBox::Question, Title(), text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    KeepInFront(box, parent);
    return box.exec() == QMessageBox::Ok;
}

TSaveAnswer AskSaveChanges(QWidget* parent, const QString& text) {
    if (DialogHandlers().AskSave) return DialogHandlers().AskSave(parent, text);
    QMessageBox box(QMessageBox::Question, Title(), text, QMessageBox::NoButton, parent);
    KeepInFront(box, parent);
    QPushButton* save = box.addButton(QStringLiteral("Сохранить"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Не сохранять"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return TSaveAnswer::Save;
    if (box.clickedButton() == discard) return TSaveAnswer::Discard;
    return TSaveAnswer::Cancel;
}

QString AskOpenFileName(QWidget* parent, const QString& filter, const QString& dir) {
    if (DialogHandlers().OpenName) return DialogHandlers().OpenName(parent, filter, dir);
    // A name typed without extension gets the extension of the first filter.
    QFileDialog dialog(parent, QString(), dir, QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() > 1 && parts[1].startsWith(QStringLiteral("*.")) && !parts[1].contains(QLatin1Char(';')))
        dialog.setDefaultSuffix(parts[1].mid(2));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QStringList AskOpenFileNames(QWidget* parent, const QString& filter, const QString& dir) {
    if (DialogHandlers().OpenName)
        return DialogHandlers().OpenName(parent, filter, dir).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QFileDialog dialog(parent, QString(), dir, QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

std::optional<QString> AskText(QWidget* parent, const QString& label, const QString& text) {
    if (DialogHandlers().Text) return DialogHandlers().Text(parent, label, text);
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, Title(), label, QLineEdit::Normal, text, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

QString AskSaveFileName(QWidget* parent, const QString& proposed, const QString& filter,
                        const QString& defaultExt) {
    if (DialogHandlers().SaveName) return DialogHandlers().SaveName(parent, proposed, filter, defaultExt);
    // The directory of the proposed name: a file that does not exist yet would
    // otherwise leave the dialog at the root.
    QFileDialog dialog(parent, QString(), QFileInfo(proposed).absolutePath(), QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultExt);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void RunGuarded(QWidget* parent, const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        ShowMessage(parent, QString::fromUtf8(zem::ErrorMessage(e)));
    } catch (...) {
        ShowMessage(parent, QStringLiteral("Непредвиденная ошибка"));
    }
}
