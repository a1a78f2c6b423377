// "Очередь": the queue window. The waiting list ("Ожидают", the entry being
// calculated first, shown in bold) fills the window, the list of finished
// calculations ("Рассчитаны") runs along the bottom; each entry shows its
// state and times at its right, and the last failed calculation its reason
// below the lists. Entries are problem files by their paths relative to the
// start directory; the user adds (several files at once, also dropped from
// a file manager), inserts, deletes, reorders (drag and drop) and opens them
// while the queue runs, from the buttons under each list or their pop-up
// menus.
//
// The window owns the queue (zem::TTurn) and with it the worker: the
// worker's hand-backs arrive as queued calls to this window, so they run on
// the user-interface thread, and are dropped once the window is gone.
// Shutdown stops and waits for the worker; the main window calls it before
// its other windows go. One instance for the program.
#pragma once

#include <QDateTime>
#include <QWidget>
#include <map>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QListWidget;
class QPushButton;
class QMenu;
class TMainForm;
namespace zem {
class TTurn;
class TTurnWindow;
}

class TTurnForm : public QWidget {
    Q_OBJECT
public:
    explicit TTurnForm(TMainForm* main);
    ~TTurnForm() override;

    zem::TTurn& Turn() { return *turn_; }

    // Text: a relative path (stored or native form). Raise
    // "Файл с таким именем в очереди уже есть!" for a file already waiting.
    void AddToQueue(const QString& text, zem::TTurnWindow* window);
    void InsertInQueue(int pos, const QString& text);
    void Shutdown();

    // --- Handlers. ---
    void WInsertItemClick();
    void WAddItemClick();
    void DeleteItemClick(QListWidget* list);
    void OpenItemClick(QListWidget* list);
    // The drag cursor over the waiting list: entries after the first (or
    // below the last) take a selected entry of either list.
    bool CanDropOnWaiting(QListWidget* source, int row) const;
    // A finished entry waits again at Row; a waiting one moves there.
    void DropOnWaiting(QListWidget* source, int row);

    QListWidget* WaitingListBox = nullptr;
    QListWidget* ReadyListBox = nullptr;
    QLabel* WaitingLabel = nullptr;  // "Ожидают"
    QLabel* ReadyLabel = nullptr;    // "Рассчитаны"
    QLabel* StatusLabel = nullptr;   // the last calculation that failed, and why
    QPushButton* WInsertBtn = nullptr;
    QPushButton* WAddBtn = nullptr;
    QPushButton* WOpenBtn = nullptr;
    QPushButton* WDeleteBtn = nullptr;
    QPushButton* ROpenBtn = nullptr;
    QPushButton* RDeleteBtn = nullptr;
    QMenu* WaitingPopupMenu = nullptr;
    QAction* WInsertItem = nullptr;
    QAction* WAddItem = nullptr;
    QAction* WOpenItem = nullptr;
    QAction* WDeleteItem = nullptr;
    QMenu* ReadyPopupMenu = nullptr;
    QAction* ROpenItem = nullptr;
    QAction* RDeleteItem = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateLists();
    // The commands and buttons that the selections allow.
    void UpdateCommands();
    void EntryDone(const std::string& text, bool ok, const std::string& error);
    // Chosen existing problem files, relative to the start directory.
    QStringList ChooseFiles();
    // Adds Files (native paths) at Pos (-1: at the end); a file that is
    // waiting already is named in one message after the others are added.
    void AddFiles(const QStringList& files, int pos);
    QString StoredText(const QString& text) const;

    struct TEntryTimes {
        QDateTime Added, Started, Finished;
    };

    TMainForm* main_;
    std::unique_ptr<zem::TTurn> turn_;
    std::map<std::string, TEntryTimes> times_;  // by entry text
    std::string running_;                        // the text of the entry being calculated
};
