// The views of a problem: the single table, graph, mesh and linear-system
// windows of the program, the graph options and the memo dialog, and what
// they share.
//
// TViewForm is the plain window they derive from: a window of the main window
// that stays on top of it and writes its placement into section "COMMON" of
// the configuration store when it closes. TStringGrid is the grid of the table
// windows: a read-only view of a table whose row 0 and column 0 are the
// headers (shown as the grid's fixed row and column).
//
// A view never keeps a bare pointer to an element: elements are recreated
// when a compound element reads its text again, and problems go with their
// windows. It keeps a TElementRef instead (the problem window, the problem
// and the keys from the root element down) and looks the element up on every
// use.
//
// TViews owns nothing but the links between the windows (the windows are
// children of the main window); it routes an element's ShowTable and
// ShowGraph to the single windows and refreshes them after a calculation.
// One TViews per main window, made by InstallViews.
#pragma once

#include "elements/Elements.h"
#include "platform/tablemodel.h"
#include "problem/Problems.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMimeData;
class TChildForm;
class TMainForm;
class TGrOptionForm;
class TTableForm;
class TGraphForm;
class TPlotForm;
class TDeformedForm;
class TMeshForm;
class TSLAEForm;
class TGrSLAEForm;
class TMemoForm;
class TViews;

// What the views need from the problem windows; InstallViews fills it for the
// program's problem window, the tests for theirs.
struct TViewLinks {
    // The problem of a problem window; null for any other window.
    std::function<zem::TProblem*(TChildForm* window)> ProblemOf;
    // True while the queue calculates the window's problem (the window and
    // its editors then leave the problem alone).
    std::function<bool(TChildForm* window)> Busy;
    // The window's "&Выполнить" (WithWindow) or "В &очередь".
    std::function<void(TChildForm* window, bool withWindow)> Solve;
    // The window's "СЛА&У": fills the system table again.
    std::function<void(TChildForm* window)> SystemTable;
    // The lines of the window's calculation: after a mesh selection they tell
    // which approximation the result views show. Without it they show the
    // problem's own mesh.
    std::function<std::vector<std::string>(TChildForm* window)> Calculation;
};

// The links of a main window (each main window wires its own).
TViewLinks& ViewLinks(TMainForm& main);

// The message of a command refused while the problem is being calculated.
extern const char* const kProblemBusyText;

// The problem window that Window belongs to: its ProblemForm, or else the
// top of its family of windows.
TChildForm* ProblemWindowOf(const TChildForm* window);
// The problem of the problem window that Window belongs to; null when there
// is none.
zem::TProblem* ProblemOfWindow(const TChildForm* window);
// Raises kProblemBusyText while the queue calculates the problem of the
// problem window that Window belongs to.
void CheckIdle(const TChildForm* window);
// Runs Change on the element tree of Problem, then lets the root element read
// its whole text again, so that every element and domain is set up afresh
// (elements recreated by compound elements included), and marks the problem
// unsolved when its text changed. When Change or the reading fails, the tree takes back the text it
// had before and the error passes on.
void ChangeElements(zem::TProblem& problem, const std::function<void()>& change);

// An element of a problem, found again on every use.
class TElementRef {
public:
    TElementRef() = default;
    // Element of Problem, whose window is Window (none for a problem without
    // a window: it then counts as alive until TViews::ForgetProblem).
    TElementRef(TChildForm* window, zem::TProblem* problem, const zem::TElement& element);

    // The problem, or null when its window has gone or holds another one.
    zem::TProblem* Problem() const;
    // The element, or null when the problem or the element has gone. For a
    // reference to results (ShowSelected) after a mesh selection, the element
    // of the selected approximation.
    zem::TElement* Element() const;
    // The element in the problem itself, whatever the reference shows.
    zem::TElement* OwnElement() const;
    // Results are looked up on the mesh a selection chose.
    void ShowSelected(bool on) { selected_ = on; }
    // "Результаты на сетке приближения N (...)" when Element is an
    // approximation's, else empty.
    std::string MeshText() const;
    TChildForm* Window() const { return window_; }
    bool Refers() const { return problem_ != nullptr; }
    bool IsOf(const zem::TProblem* problem) const { return problem_ && problem_ == problem; }
    void Clear();

    // The keys of the items from below the root element down to Item.
    static std::vector<std::string> PathOf(const zem::TElemItem& item);
    // The item at Path under Root; null when a key is missing.
    static zem::TElemItem* Resolve(zem::TElemItem& root, const std::vector<std::string>& path);

private:
    QPointer<TChildForm> window_;
    bool hasWindow_ = false;
    zem::TProblem* problem_ = nullptr;
    std::vector<std::string> path_;
    bool selected_ = false;

    // The problem Element looks in and the approximation's number (0: the
    // problem itself).
    zem::TProblem* Shown(std::size_t& which) const;
};

// Caption followed by " — " and the mesh Ref shows when that is not the
// problem's own.
QString WithMeshText(const QString& caption, const TElementRef& ref);

// A table as the grid shows it: column and row counts including the headers,
// and the text of every cell.
class TGridSource {
public:
    virtual ~TGridSource() = default;
    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual QString CellText(int col, int row) const = 0;
};

// The grid source of a filled table model.
class TTableSource : public TGridSource {
public:
    explicit TTableSource(const zem::TTableModel& table) : table_(table) {}
    int ColCount() const override { return table_.ColCount(); }
    int RowCount() const override { return table_.RowCount(); }
    QString CellText(int col, int row) const override;

private:
    const zem::TTableModel& table_;
};

class TGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TGridModel(QObject* parent) : QAbstractTableModel(parent) {}
    void SetSource(const TGridSource* source);
    const TGridSource* Source() const { return source_; }
    // Tells the view that the source's content changed.
    void Reset();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TGridSource* source_ = nullptr;
};

// A read-only grid over a TGridSource (not owned): row 0 and column 0 of the
// source are the fixed header row and column, cell (0, 0) the corner. Cells
// are addressed as in the source (column, row).
class TStringGrid : public QTableView {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent);
    void SetSource(const TGridSource* source);
    void Reset();
    int ColCount() const;
    int RowCount() const;
    QString Cell(int col, int row) const;
    // Makes a body cell the current one and scrolls to it.
    void SelectCell(int col, int row);
    // The current body cell; {-1, -1} when none.
    zem::TCellPos CurrentCell() const;
    // Widens the columns (never below 100 pixels) so that their texts show
    // whole, judged by the header and the first and last
    // rows.
    void FitColumns();

private:
    TGridModel* model_;
};

// Lists of files whose entries show a state at their right, in grey ("ожидает",
// "рассчитана 20:31:05 за 00:04"); the entry's text stays the file's path.
void ShowEntryStates(QListWidget* list);
void SetEntryState(QListWidgetItem* item, const QString& state);
QString EntryState(const QListWidgetItem* item);
// The problem files (*.zem) among the local files of a drag: the native paths.
QStringList DroppedProblemFiles(const QMimeData* data);
// The title above a list or a text of a window.
QLabel* ListTitle(const QString& text, QWidget* parent);

// Paints Text in the corner of a grid (above its row headers).
void SetCornerText(QTableView* view, std::function<QString()> text);

// Shows Menus in the main window's menu bar (before "&Установки") while
// Window is the active child window.
void MergeMenusWhileActive(TChildForm* window, const QList<QMenu*>& menus);

// Where a tool window of Main shows the first time, when no placement was
// stored for its kind and the user has not moved it: beside the problem
// window the active child belongs to (to its right where the screen has
// room, else to its left), otherwise at the right of the main window's work
// area; windows of different kinds (Kind 0, 1, ...) go one below the other
// where the screen has room, else step down so that their captions show.
// Gives the top-left corner of the frame (global).
QPoint PlaceBesideProblem(const TMainForm& main, QSize frame, int kind);
// Moves Window there unless it has been placed already.
void PlaceToolWindow(QWidget* window, const TMainForm& main, int kind);

// The window the table, graph, mesh and system views derive from: a tool
// window of the main window, above it but never above dialogs or other
// programs.
class TViewForm : public QWidget {
    Q_OBJECT
public:
    // Ident: the placement key in section "COMMON".
    TViewForm(TMainForm* main, const QString& ident);

    TMainForm* const Main;
    const QString PlacementIdent;
    QMenu* PopupMenu = nullptr;

    // No content: the view shows nothing and names no problem.
    virtual void Clear() {}
    // The problem window whose data the view shows, or null.
    TChildForm* Followed() const { return followed_; }

protected:
    // An item of the pop-up menu, with its shortcut working in the window.
    QAction* AddPopupItem(const QString& caption, const QKeySequence& key, std::function<void()> handler);
    // The view shows data of the problem window of Ref: its caption names
    // that problem, and the view clears and hides when the window goes.
    void Follow(const TElementRef& ref);
    // Caption, " — " and the file name of the followed problem window.
    QString TitleWithProblem(const QString& caption) const;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QPointer<TChildForm> followed_;
    QMetaObject::Connection followConnection_;
};

class TViews : public QObject, public zem::TProblemViews {
    Q_OBJECT
public:
    // Creates the single windows as children of Main, registers their
    // placements and plugs the graph options into Main's hooks.
    explicit TViews(TMainForm& main);
    ~TViews() override;

    // The views of a main window; null before InstallViews.
    static TViews* Of(const TMainForm* main);

    TMainForm& Main;
    TGrOptionForm* GrOptionForm = nullptr;
    TTableForm* TableForm = nullptr;
    TGraphForm* GraphForm = nullptr;
    TPlotForm* PlotForm = nullptr;
    TDeformedForm* DeformedForm = nullptr;
    TMeshForm* MeshForm = nullptr;
    TSLAEForm* SLAEForm = nullptr;
    TGrSLAEForm* GrSLAEForm = nullptr;
    TMemoForm* MemoForm = nullptr;

    // The element's table or graph into the single window.
    void ShowTable(zem::TElement& element, int selector, const std::string& caption, const std::string& extension,
                   std::unique_ptr<zem::TObject> data) override;
    void ShowGraph(zem::TElement& element, int selector, const std::string& caption,
                   std::unique_ptr<zem::TObject> data) override;

    // The open problem window that holds Problem, or null.
    TChildForm* WindowOf(const zem::TProblem* problem) const;
    // A reference to an element of a problem (found through its window).
    TElementRef RefTo(const zem::TElement& element) const;

    // After a calculation of Window's Problem: the system views of that window
    // are filled again, the table and graph of any element of the problem
    // re-run their selection, the mesh view is repainted. Only visible views
    // are touched; a view whose element is gone is cleared.
    void RefreshViewsFor(TChildForm* window, zem::TProblem& problem);
    // The problem is about to go: the views that show it are cleared.
    void ForgetProblem(const zem::TProblem* problem);

    // The table number format ("Digits" in the store: "Width" significant
    // digits, at least "Decimals" exponent digits); the graph hints follow
    // it.
    zem::TTableModel::TNumberFormat NumberFormat() const;
    // Runs the number-format dialog of the main window; true on OK.
    bool RunFormatDialog();
};

// Creates the views of the main window (once), links them to the program's
// problem window and plugs the element editor, the system table and the
// refresh after a calculation into the problem window's hooks.
TViews& InstallViews(TMainForm& main);
