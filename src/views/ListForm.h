// The list editor: one bracketed list value of an element (a load with
// several numbers, a mesh given as fractions) edited item by item, one item
// per grid row. A dependant of the element editor that opened it; its caption
// is the opener's caption, "." and the entry's key.
//
// The entry is found again on every use (by its keys from the root element
// down), so an element that reads its text again does not leave the window
// with a stale entry; when the entry has gone the window closes.
#pragma once

#include "app/ChildForm.h"

#include <string>
#include <vector>

class QAction;
class QMenu;
class QTableWidget;
namespace zem {
class TElemItem;
class TProblem;
}

class TListForm : public TChildForm {
    Q_OBJECT
public:
    explicit TListForm(TMainForm* main);

    // The entry's value without its outer brackets, cut into items at the
    // top-level commas: one row per item, each without its own outer brackets.
    void ShowData() override;
    // "&Применить".
    void SaveData() override;
    bool IsModified() const override { return changed_; }

    // The entry edited; null when it has gone.
    zem::TElemItem* Entry() const;
    // The row numbers 1, 2, ... down the grid.
    void Renumber();
    // The non-empty values, top to bottom.
    std::vector<std::string> GridToList() const;

    // --- Handlers. ---
    // The values joined into one list text (a value that is a list itself
    // bracketed), bracketed when there are several, go to the entry; then
    // the family of windows is refreshed.
    void ApplyItemClick();
    // The problem window's "&Выполнить" (the window gets the results).
    void SolveItemClick();
    // A row inserted above the current one.
    void SpanGridInsRowItemClick();
    // The current row removed, unless it is the only one.
    void SpanGridDeletePasteItemClick();

    QTableWidget* Grid = nullptr;
    QMenu* DataMenu = nullptr;  // "&Данные"
    QAction* MApplyItem = nullptr;
    QAction* MenuItem2 = nullptr;  // "&Расчет"
    QMenu* PopupMenu = nullptr;
    QAction* ApplyItem = nullptr;
    QAction* OpenItem = nullptr;
    QAction* SpanGridInsRowItem = nullptr;
    QAction* SpanGridDeletePasteItem = nullptr;

protected:
    // Down on the last row with a value appends an empty row; Up on an empty
    // last row removes it (while another row remains).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Bind();
    QString Value(int row) const;
    void SetValue(int row, const QString& text);
    void AppendRow();

    std::vector<std::string> path_;
    bool bound_ = false;
    bool changed_ = false;
    bool filling_ = false;
};
