// Message boxes and file dialogs of the shell.
//
// Every window shows its messages and asks its questions through these
// functions. Each call goes to a replaceable handler (TDialogHandlers): left
// empty, the real modal dialog is shown; the tests install handlers that
// record the text and give a scripted answer.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

enum class TMsgKind { Information, Warning, Error };

// The answers to the question about unsaved changes.
enum class TSaveAnswer { Save, Discard, Cancel };

struct TDialogHandlers {
    std::function<void(QWidget* parent, const QString& text, TMsgKind kind)> Message;
    // True for OK.
    std::function<bool(QWidget* parent, const QString& text, TMsgKind kind)> Ask;
    std::function<TSaveAnswer(QWidget* parent, const QString& text)> AskSave;
    // A native path, or empty on Cancel.
    std::function<QString(QWidget* parent, const QString& filter, const QString& dir)> OpenName;
    std::function<QString(QWidget* parent, const QString& proposed, const QString& filter,
                          const QString& defaultExt)>
        SaveName;
    // The edited text, or none on Cancel.
    std::function<std::optional<QString>(QWidget* parent, const QString& label, const QString& text)> Text;
};

// The handlers in use (one set for the program).
TDialogHandlers& DialogHandlers();

// A message box with OK alone.
void ShowMessage(QWidget* parent, const QString& text, TMsgKind kind = TMsgKind::Error);
// A question with OK and Cancel; true for OK.
bool AskOkCancel(QWidget* parent, const QString& text, TMsgKind kind = TMsgKind::Warning);
// The question about unsaved changes, with "Сохранить", "Не сохранять" and
// "Отмена" (Escape and closing the box mean Cancel).
TSaveAnswer AskSaveChanges(QWidget* parent, const QString& text);
// Filters are written as "Описание (*.ext)|*.ext|..." pairs.
QString AskOpenFileName(QWidget* parent, const QString& filter, const QString& dir);
// Several existing files at once (native paths; empty on Cancel). A
// replaced OpenName handler answers for it, with the names on separate lines.
QStringList AskOpenFileNames(QWidget* parent, const QString& filter, const QString& dir);
// Asks before overwriting an existing file; adds defaultExt when the name has
// no extension.
QString AskSaveFileName(QWidget* parent, const QString& proposed, const QString& filter,
                        const QString& defaultExt);

// A line of text to edit under Label, starting from Text; none on Cancel.
std::optional<QString> AskText(QWidget* parent, const QString& label, const QString& text);

// Runs an action of the user interface; an exception that escapes it is shown
// as a message with its text alone.
void RunGuarded(QWidget* parent, const std::function<void()>& action);
