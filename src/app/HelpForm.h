// "Помощь": the user manual in a window of its own, with the contents (every
// page and its headed sections) beside the page and a search field over
// them.
//
// The manual is a set of Russian HTML pages built into the program. A topic
// is a page name with an optional anchor ("cyltech.html#bounds"). F1 opens
// the page about the window or item in focus: a widget names its topic by
// the dynamic property "helpTopic" (the element editor names the page of its
// problem type); otherwise the topic follows from the class of the window
// that holds the focus.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

class QLineEdit;
class QTextBrowser;
class QToolButton;
class QTreeWidget;
class TMainForm;

class THelpForm : public QWidget {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);

    // Shows the page of the topic, the window brought to the front.
    void ShowTopic(const QString& topic);
    // The topic shown now ("calc.html#dialog").
    QString CurrentTopic() const;
    // The contents keep only the pages whose text holds Text (any case), the
    // contents page first; all of them for an empty text.
    void Search(const QString& text);
    // The pages the contents show now, by file name, in order.
    QStringList ShownPages() const;

    QTreeWidget* Contents = nullptr;
    QLineEdit* SearchEdit = nullptr;
    QTextBrowser* Browser = nullptr;
    QToolButton* BackBtn = nullptr;
    QToolButton* ForwardBtn = nullptr;
    QToolButton* HomeBtn = nullptr;

private:
    void FillContents();
    // Enter in the search field: the first page found, the text marked in it
    // (the next place at every further Enter).
    void FindNext();
};

// The page (with the anchor) about a problem type, by its type name; the
// contents page for a name the manual does not know.
QString HelpTopicOfType(const std::string& typeName);
// The topic about the widget: its own or its nearest parent's "helpTopic",
// or the page of the window class that holds it; the contents otherwise.
QString HelpTopicOf(const QWidget* widget);
// Whether the manual has the page of the topic (and the anchor, when given).
bool HelpHasTopic(const QString& topic);

// The one help window of the program, made at the first use; a window of
// the main window given to InstallHelp.
THelpForm* HelpWindow();
// Opens the help on the topic about Context (the focus widget when null).
// While a modal dialog runs, the help window opens over it so that both can
// be used.
void ShowHelpFor(const QWidget* context = nullptr);

// Adds "&Содержание" (F1, anywhere in the program) to the main window's help
// menu.
void InstallHelp(TMainForm& main);
