// "Очередь": the queue window. The waiting list (the entry being calculated
// first, shown in bold) fills the window, the list of finished calculations
// runs along the bottom. Entries are problem files by their paths relative to
// the start directory; the user adds, inserts, deletes, reorders (drag and
// drop) and opens them while the queue runs.
//
// The window owns the queue (zem::TTurn) and with it the worker: the
// worker's hand-backs arrive as queued calls to this window, so they run on
// the user-interface thread, and are dropped once the window is gone.
// Shutdown stops and waits for the worker; the main window calls it before
// its other windows go. One instance for the program.
#pragma once

#include <QWidget>
#include <memory>

class QAction;
class QListWidget;
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
    QString ChooseFile();
    QString StoredText(const QString& text) const;

    TMainForm* main_;
    std::unique_ptr<zem::TTurn> turn_;
};
