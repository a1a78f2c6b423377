// The element editor: one element of a problem's element tree in a child
// window. Page "Объект" holds the element's whole text, one item per line;
// pages "Параметры", "Гранич. условия", "Нагрузка" and "Сетка" its four
// sections as grids of key and value; page "Элементы" the sub-elements of a
// compound element (pages of empty lists are hidden). Below, the description
// and format of the entry or element in view.
//
// Editors form a tree of windows: the problem window opens the editor of the
// root element, an editor opens the editors of its sub-elements and the list
// editors of its list values (its dependants). Applying edits refreshes the
// dependants and the windows above, up to the problem window.
//
// An editor is bound to its element by the keys from the root element down
// (the root itself when it was opened without an element list) and finds it
// again on every use: compound elements recreate their sub-elements whenever
// they read their text. An editor whose element has gone closes.
//
// Edits reach the problem when applied ("&Применить", or any command that
// needs the element): an applied edit that leaves the problem's text as it
// was keeps the results. Applied edits of the text and of the grids can be
// undone and redone, each as one step. Beside the boundary grid, the usual
// fixings of each end fill that end's items at once.
//
// The menus "&Правка", "&Расчет", "&Таблицы" and "&Графика" join the main
// window's menu bar while the editor is the active window.
#pragma once

#include "app/ChildForm.h"

#include <functional>
#include <QTableWidget>
#include <string>
#include <vector>

class QAction;
class QTimer;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QGroupBox;
class QTabWidget;
class QTableWidget;
class TViews;
namespace zem {
class TElement;
class TElemList;
class TElemArray;
class TProblem;
}

// A grid of names and values: a key typed anywhere in a row edits the
// row's value, from the first key on.
class TValueGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TValueGrid(QWidget* parent);

protected:
    void keyboardSearch(const QString& search) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QTimer* clickEdit_ = nullptr;
    QPersistentModelIndex clickIndex_;
    bool wasCurrent_ = false;
};

class TElemForm : public TChildForm {
    Q_OBJECT
public:
    explicit TElemForm(TMainForm* main);

    // The information of the page in view, FillGrids, ShowText.
    void ShowData() override;
    // ApplyGrids when a grid was changed; otherwise a changed text of
    // "Объект" is read into the element.
    void SaveData() override;
    bool IsModified() const override;
    QStringList ChangedParts() const override;

    // The element edited; null when it has gone.
    zem::TElement* Element() const;
    zem::TProblem* Problem() const;

    // The grids from the element's lists, the table and graph menus from its
    // name lists.
    void FillGrids();
    // "Объект" := the element's text, one item per line.
    void ShowText();
    // The grids' values into the entries (each bracketed when it holds
    // several items), the element tree set up afresh, the family refreshed.
    // Only when GridsChanged.
    void ApplyGrids();
    // The description and format of entry Index of List in the panel; the
    // panel hidden when the list has no entries.
    void ShowEntryInfo(zem::TElemList* list, int index);
    // The element's own description and type name in the panel.
    void ShowElementInfo();

    // The grid of the page in view (null on "Объект") and its list.
    QTableWidget* ActiveGrid() const;
    zem::TElemList* ListOf(const QTableWidget* grid) const;

    // --- Handlers. ---
    void PageControlChange();
    // The value of the current row: a list of several items opens a list
    // editor, a sub-element an element editor, captioned with this window's
    // caption, "." and the entry's key. An open one is brought forward.
    void OpenItemClick();
    // "Мемо поле": the value in the memo dialog, one item per line.
    void MemoItemClick();
    // Array elements: a new element at the current row, one removed there.
    void ElAddItemClick();
    void ElDeleteItemClick();
    // Opening "&Таблицы" or "&Графика": edits applied, "&Результаты" enabled
    // exactly when the problem is solved.
    void ResultsItemClick();
    void TableItemClick(bool result, int i);
    void GraphItemClick(bool result, int i);
    // "&Сетка": the mesh view of the element.
    void GraphMeshItemClick();
    // Edits applied, then the problem window's "&Выполнить" (WithWindow) or
    // "В &очередь".
    void SolveItemClick(bool withWindow);
    // "&Применить": the edits of the grids or of the text into the element.
    void ApplyItemClick();
    // "&Отменить", "&Повторить": the element's text before (after) the last
    // applied change; pending edits are applied first, so that they are
    // what is undone (pending edits the element refuses are simply dropped
    // by undo).
    void UndoItemClick();
    void RedoItemClick();
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Fixing Preset of end End (as BoundEndsOf lists them) into the end's
    // boundary items, applied at once.
    void PresetClick(int end, int preset);

    bool GridsChanged = false;

    QTabWidget* PageControl = nullptr;
    QWidget* ObjectSheet = nullptr;
    QPlainTextEdit* DataMemo = nullptr;
    QWidget* ParameterSheet = nullptr;
    QTableWidget* ParamGrid = nullptr;
    QWidget* BoundSheet = nullptr;
    QTableWidget* BoundGrid = nullptr;
    QWidget* LoadSheet = nullptr;
    QTableWidget* LoadGrid = nullptr;
    QWidget* MeshSheet = nullptr;
    QTableWidget* MeshGrid = nullptr;
    QWidget* ElementSheet = nullptr;
    QTableWidget* ElemGrid = nullptr;
    QWidget* PresetPanel = nullptr;  // beside BoundGrid: one group of buttons per end
    QWidget* Panel1 = nullptr;
    QPushButton* ApplyBtn = nullptr;
    QWidget* Panel3 = nullptr;
    QWidget* Panel4 = nullptr;
    QLabel* HintLabel = nullptr;
    QLabel* TypeLabel = nullptr;
    // Beside the cell whose value was refused as it was left; hidden while
    // every value left reads.
    QLabel* CellError = nullptr;

    QMenu* EditMenu = nullptr;
    QAction* ApplyItem = nullptr;
    QAction* UndoItem = nullptr;
    QAction* RedoItem = nullptr;
    QMenu* CalculMenu = nullptr;
    QAction* SolveItem = nullptr;
    QAction* TurnSolveItem = nullptr;
    QMenu* TablesItem = nullptr;
    QMenu* TableInitialItem = nullptr;
    QMenu* TableResultItem = nullptr;
    QMenu* GraphItem = nullptr;
    QAction* GraphMeshItem = nullptr;
    QMenu* GraphInitialItem = nullptr;
    QAction* GraphLineItem = nullptr;
    QMenu* GraphResultItem = nullptr;
    QMenu* PlotResultItem = nullptr;  // "&Кривые": result fields as curves
    QMenu* GridPopupMenu = nullptr;
    QAction* OpenItem = nullptr;
    QAction* MemoItem = nullptr;
    QAction* AddItem = nullptr;
    QAction* DeleteItem = nullptr;
    QMenu* ElPopupMenu = nullptr;
    QAction* ElOpenItem = nullptr;
    QAction* ElMemoItem = nullptr;
    QAction* ElEditLineItem = nullptr;
    QAction* ElAddItem = nullptr;
    QAction* ElDeleteItem = nullptr;

protected:
    // Any key in a grid marks the grids changed; Down on the last filled row
    // of an array's "Элементы" grid adds an element.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Bind();
    QTableWidget* MakeGrid(QWidget* sheet);
    void FillGrid(QWidget* sheet, QTableWidget* grid, zem::TElemList* list);
    void ReadGrid(QWidget* sheet, QTableWidget* grid, zem::TElemList* list);
    void FillMenu(QMenu* menu, const std::vector<std::string>& names, bool table, bool result);
    zem::TElemArray* Array() const;
    QString Value(const QTableWidget* grid, int row) const;
    // The item at the current row of the active grid, with its list and
    // the text of its cell; false when no item is current.
    struct TCurrentItem {
        QTableWidget* Grid = nullptr;
        int Row = -1;
        zem::TElemList* List = nullptr;
        std::string Value;
    };
    bool CurrentItem(TCurrentItem& item) const;
    void SetCell(QTableWidget* grid, int row, int col, const QString& text);
    // The rest of a change of the element: its text shown, the dependants
    // and the windows above refreshed.
    void AfterChange();
    // Runs Change on the element tree; when the element's text changed, the
    // text before becomes an undo step and the family is refreshed. False
    // when nothing changed (the results stay).
    bool Commit(const std::function<void(zem::TElement&)>& change);
    // Restores the last text of From as one step, moving the current text to
    // To. Pending edits that do not read are dropped when DropInvalid, and
    // raise otherwise.
    void Restore(std::vector<std::string>& from, std::vector<std::string>& to, bool dropInvalid);
    // Reads the value of the row into a copy of the problem and shows or
    // hides the message beside the cell.
    void CheckCell(QTableWidget* grid, int row);
    void ShowCellError(QTableWidget* grid, int row, const QString& error);
    void FillPresets();
    bool Surface() const;
    TViews* Views() const;
    // The element, its problem using this program's views; raises while
    // the problem is calculated or when the element has gone.
    zem::TElement& ElementForCommand();

    std::vector<std::string> path_;
    std::vector<std::string> undo_, redo_;  // the element's texts
    std::string shownText_;                 // the element's text as last shown or applied
    bool bound_ = false;
    bool filling_ = false;
};

// The element editor as the problem window opens it.
TChildFactory ElementEditorFactory();
