// The multiple-document frame of the program.
//
// Owns the start directory (the current directory at creation, in stored form
// with "\" separators; every stored path is relative to it), the
// configuration store, the file menu with its recent files (at most 4, newest
// first) and the window menu with its open windows (at most 9; beyond that
// "Вс&е окна ..." lists them all). It creates the problem and series windows
// for new and opened files and saves them.
//
// The windows of other parts of the program plug in through Hooks: the
// problem and series windows, the problem-type dialog, the calculation
// dialog, the graph options and the queue window. A hook left empty makes its
// command show a message saying that the window is not available. The main
// window knows none of those windows by type: the links between them are
// kept per main window in Wiring, so that two main windows (as in the tests)
// never share them.
#pragma once

#include "app/ChildForm.h"
#include "app/RegIniFile.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

class QAction;
class QActionGroup;
class QMdiArea;
class QMenu;
class TAboutBox;
class TAllDataForm;
class TFChildForm;
class TSLProgrForm;
class TTbOptionForm;
class TWindowsMenuItem;

// The windows and dialogs that other parts of the program supply.
struct TMainFormHooks {
    // Bare problem ("zem") and series ("zes") windows, set up by CreateChild.
    // A problem window names itself as its ProblemForm.
    TChildFactory ProblemWindow;
    TChildFactory SeriesWindow;
    // The problem-type dialog: true on OK with the chosen type name.
    std::function<bool(QWidget* parent, std::string& typeName)> ChooseProblemType;
    // Selects the type in a new problem window and applies it, which
    // creates the window's problem.
    std::function<void(TFChildForm* window, const std::string& typeName)> ApplyProblemType;
    // "&Расчет", "&Графика" and "&Очередь".
    std::function<void()> CalcOptions;
    std::function<void()> GraphOptions;
    std::function<void()> ShowTurn;
    // Stops the calculations and waits for them; the main window calls it
    // first when it goes, while every window a calculation reports to exists.
    std::function<void()> StopCalculations;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Records the start directory, opens the store and applies the stored
    // configuration. Without a store given, the per-user store is used.
    explicit TMainForm(QWidget* parent = nullptr, std::unique_ptr<TRegIniFile> store = nullptr);
    ~TMainForm() override;

    TMainFormHooks Hooks;

    // The links of type T that a part of the program keeps for this main
    // window: one object per type, made on first use, freed with the window.
    template <class T>
    T& Wiring() {
        std::shared_ptr<void>& slot = wiring_[std::type_index(typeid(T))];
        if (!slot) slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }

    // --- Paths against the start directory (stored form). ---
    const QString& StartDir() const { return startDir_; }
    QString ToAbsolutePath(const QString& path) const;
    QString ToRelativePath(const QString& path) const;

    // --- Child windows. ---
    // Opens the file (a stored path relative to the start directory) in a new
    // file window; on failure shows "Ошибка чтения файла <path>" and gives
    // none. A file open already is not read twice: its window comes to the
    // front and is given.
    TFChildForm* OpenFile(TFChildForm* owner, const QString& relativePath);
    // A problem window for "zem", a series window for "zes" (exact
    // lower-case extension), none otherwise. The caption is the path made
    // relative, shown with native separators.
    TFChildForm* CreateFileWindow(TFChildForm* owner, const QString& fullPath);
    // The open file window of the file (a full path), or none.
    TFChildForm* FileWindow(const QString& fullPath) const;
    TChildForm* CreateChild(const TChildFactory& factory, const QString& caption, int number,
                            zem::TElemList* elemList, TChildForm* parent);
    // A new problem "Noname<n>.zem" in the start directory, after the
    // problem-type dialog; nothing is written to disk. Gives the window.
    TFChildForm* NewProblem(TFChildForm* owner);
    TFChildForm* NewSeries();
    // Saves under the window's file name, or asks for one when it has none.
    bool SaveChild(TFChildForm* window);
    bool SaveChildAs(TFChildForm* window);
    // Brings the window to the front and checks its item.
    void ShowChild(TChildForm* window);
    // The open child windows, front-most first (windows that are closing
    // are left out).
    QList<TChildForm*> Children() const;
    TChildForm* ActiveChild() const;

    // --- Menu lists. ---
    void AddRecentFile(const QString& relativePath);
    // The recent files, stored form, in menu order.
    QStringList RecentFiles() const;
    void AddWindowItem(TWindowsMenuItem* item);
    void RemoveWindowItem(TChildForm* window);
    // The window items in the window menu, in menu order.
    const QList<TWindowsMenuItem*>& WindowItems() const { return windowItems_; }

    // --- Configuration. ---
    TRegIniFile& Store() { return *store_; }
    void SaveConfig();
    void LoadConfig();
    // Deletes the whole stored configuration and starts from the defaults.
    void ResetConfig();
    // The cap on the memory a calculation may take ("Calc", "MemoryLimit": a
    // size as ParseMemorySize reads it, empty for none) applied to the
    // calculations; a stored text that is no size means no cap.
    void ApplyMemoryLimit();
    // A window whose placement is applied at the first activation and
    // written by SaveConfig (when onlyVisible, only while it is shown).
    // State, when given, runs just after: State(true) when the placement is
    // written, State(false) when it is applied (the window's other values).
    void RegisterPlacement(const QString& section, const QString& ident, QWidget* window, bool onlyVisible,
                           std::function<void(bool save)> state = {});
    // Restores the state of the previous run: reopens the files that were
    // open and applies the placements. Runs once, at the first activation.
    void RestoreLastRun();
    bool FirstActivation() const { return firstActivation_; }
    bool AutoSave() const;

    // --- Handlers. ---
    void FileMenuClick();
    void NewProblemItemClick();
    void NewSeriesItemClick();
    void OpenClick();
    void SaveItemClick();
    void SaveAsItemClick();
    void CalcOptionsItemClick();
    void TableOptionsItemClick();
    void GraphOptionsItemClick();
    void MemoryLimitItemClick();
    void ConfigSaveItemClick();
    void ConfigFaultItemClick();
    void TurnItemClick();
    void CascadItemClick();
    void TileItemClick();
    // Ctrl+Tab, Ctrl+Shift+Tab: the next or previous child window; Ctrl+W
    // closes the active one.
    void NextWindowItemClick();
    void PrevWindowItemClick();
    void CloseItemClick();
    void AllWindowsItemClick();
    void CloseAllClick();
    void AboutItemClick();

    // "Вы действительно хотите прервать расчет?" in front of the progress
    // window when it shows (it stays on top of everything else); true on OK.
    bool AskStopCalculation();

    // --- Controls. ---
    QMdiArea* MdiArea = nullptr;
    QMenu* FileMenu = nullptr;
    QAction* NewProblemItem = nullptr;
    QAction* NewSeriesItem = nullptr;
    QAction* OpenItem = nullptr;
    QAction* SaveItem = nullptr;
    QAction* SaveAsItem = nullptr;
    QAction* FileSeparator = nullptr;  // before the recent files; hidden while there are none
    QAction* FileEndSeparator = nullptr;
    QAction* ExitItem = nullptr;
    QMenu* OptionsMenu = nullptr;
    QAction* CalcOptionsItem = nullptr;
    QAction* TableOptionsItem = nullptr;
    QAction* GraphOptionsItem = nullptr;
    QAction* MemoryLimitItem = nullptr;
    QAction* ConfigSaveItem = nullptr;
    QAction* AutoSaveItem = nullptr;  // checkable: a click toggles it
    QAction* ConfigFaultItem = nullptr;
    QMenu* WindowMenu = nullptr;
    QAction* TurnItem = nullptr;
    QAction* CascadItem = nullptr;
    QAction* TileItem = nullptr;
    QAction* NextWindowItem = nullptr;
    QAction* PrevWindowItem = nullptr;
    QAction* CloseItem = nullptr;
    QAction* WindowSeparator = nullptr;     // before the window items; hidden while there are none
    QAction* AllWindowsSeparator = nullptr;  // shown with "Вс&е окна ..."
    QAction* AllWindowsItem = nullptr;
    QAction* CloseAllSeparator = nullptr;
    QAction* CloseAllItem = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* AboutItem = nullptr;

    // --- The single-instance windows of the shell. ---
    TAboutBox* AboutBox = nullptr;
    TAllDataForm* AllDataForm = nullptr;
    TSLProgrForm* ProgressForm = nullptr;
    TTbOptionForm* TbOptionForm = nullptr;

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    // Asks to save each changed window, then saves the configuration when
    // "&Автосохранение" is checked. A window whose save failed keeps the
    // program open.
    void closeEvent(QCloseEvent* e) override;

private:
    void CreateActions();
    void CreateMenus();
    void UpdateSaveItems(bool fromMenu);
    void RenumberWindowItems();
    void UpdateAllWindowsItem();
    void ClearRecentFiles();
    QAction* MakeRecentItem(const QString& path);
    void NotAvailable(const QString& what);
    // A bad value says which and why; a failed write names the file and the
    // cause.
    void ShowSaveError(const QString& name, const std::exception& e);
    QString DisplayPath(const QString& stored) const;

    struct TPlacedWindow {
        QString Section, Ident;
        QPointer<QWidget> Window;
        bool OnlyVisible;
        std::function<void(bool save)> State;
    };

    bool firstActivation_ = true;
    QString startDir_;
    int newProblemCount_ = 0;
    int newSeriesCount_ = 0;
    std::unique_ptr<TRegIniFile> store_;
    QList<QAction*> recentItems_;
    QList<TWindowsMenuItem*> windowItems_;
    QActionGroup* windowGroup_ = nullptr;
    std::vector<TPlacedWindow> placed_;
    std::map<std::type_index, std::shared_ptr<void>> wiring_;
};
