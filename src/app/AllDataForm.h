// "Открытые файлы": two lists side by side, a source list and a destination
// list ("Очередь"), with buttons that move entries between them. Entries
// carry an object (a window, a problem) that moves with them; the dialog does
// not own the objects. In pick mode only the source list is shown: the user
// picks one entry (the main window's list of all windows).
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class TAllDataForm : public QDialog {
    Q_OBJECT
public:
    explicit TAllDataForm(QWidget* parent = nullptr);

    // Empties both lists.
    void Clear();
    QListWidgetItem* AddSource(const QString& text, QObject* object);
    QListWidgetItem* AddDestination(const QString& text, QObject* object);
    static QObject* ObjectOf(const QListWidgetItem* entry);
    // Hides the destination list and the move buttons.
    void SetPickMode(bool pick);
    // Enables the move buttons from the contents of the lists.
    void UpdateButtons();

    void IncludeBtnClick();
    void IncAllBtnClick();
    void ExcludeBtnClick();
    void ExcAllBtnClick();

    QListWidget* SrcList = nullptr;
    QListWidget* DstList = nullptr;
    QLabel* DstLabel = nullptr;
    QPushButton* IncludeBtn = nullptr;
    QPushButton* IncAllBtn = nullptr;
    QPushButton* ExcludeBtn = nullptr;
    QPushButton* ExcAllBtn = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    // Moves the selected entries (all, when all is set) from one list to the
    // other, walking the source from its end.
    void MoveEntries(QListWidget* from, QListWidget* to, bool all);
};
