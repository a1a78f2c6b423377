// The problem window: the document window of one problem file.
//
// Three pages: "Объект" (the problem type, the root element's text one item
// per line, a free description), "Расчет" (the calculation lines and the
// report of the last calculation) and "Результаты" (result requests and their
// values). Its menus "&Данные", "&Расчет" and "&Приближения" join the main
// window's menu bar while the window is the active one.
//
// Ownership: the window owns its problem (shared, so that a calculation of it
// on the queue's worker can never outlive it). While the queue calculates the
// problem the window is busy: it leaves the problem alone, its commands are
// disabled and its texts read-only; closing it then asks to stop the
// calculation first.
//
// The views of a problem that come with other windows (the element editor,
// the linear-system table, the approximations, the result tables and graphs)
// plug in through the ProblemFormHooks of the main window; a hook left empty makes its command say
// that the window is not available.
#pragma once

#include "app/FChildForm.h"
#include "calc/Turn.h"
#include "problem/PbData.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QWidget;
class TCalculForm;
class TTurnForm;
class TProblemForm;
namespace zem {
class TProblem;
}

struct TProblemFormHooks {
    // The element editor of the root element (a dependant of the window).
    TChildFactory ElementEditor;
    // Fills and shows the linear-system table of the window's problem, whose
    // equations have just been built.
    std::function<void(TProblemForm&)> SystemTable;
    // Shows the approximations of the window's problem.
    std::function<void(TProblemForm&)> Approximations;
    // Refreshes the open views of the window's problem after a calculation.
    std::function<void(TProblemForm&)> RefreshViews;
    // Plots the results of the window's problem; writes its report.
    std::function<void(TProblemForm&)> Plot;
    // Shows the deformed shape of the window's problem.
    std::function<void(TProblemForm&)> Deformed;
    std::function<void(TProblemForm&)> Report;
};

// The set of a main window (each main window wires its own).
TProblemFormHooks& ProblemFormHooks(TMainForm& main);

class TProblemForm : public TFChildForm, public zem::TTurnWindow {
    Q_OBJECT
public:
    explicit TProblemForm(TMainForm* main);
    ~TProblemForm() override;

    // --- The file window. ---
    // The root element's text into the object page, the problem unsolved.
    // The page then shows the tree: whether that differs from the file is
    // judged against the texts last read or written.
    void ShowData() override;
    // Takes the object text, then writes the problem file with its
    // approximations (when "Cохранение" is checked); without a file name the
    // main window asks for one.
    void SaveData() override;
    // What the file would take differently from what it holds: the object
    // text (or type), the calculation lines, the description, the result
    // requests, the approximation list. The report and the computed values
    // do not count.
    QStringList ChangedParts() const override;
    bool IsModified() const override;
    // The approximation window deleted approximations: the file is to be
    // saved again.
    void MarkApproxChanged();
    // Reads the file, and its results file when there is one. A file that
    // cannot be read raises its cause (the opening fails); a results file
    // that cannot be loaded shows "Ошибка загрузки файла ", the name and the
    // cause, and leaves the problem unsolved.
    void LoadData() override;

    // A changed object text goes into the root element. A parse error of the
    // form "<position>, <text>" puts the caret there and is raised again with
    // the text alone.
    void ApplyObjectText();
    // The queue has calculated the problem: the report into the process
    // page, the file saved, the problem solved, its views refreshed.
    void AfterCalculation(const std::vector<std::string>& process);
    // Selects type Index and applies it (a new window's first type).
    void SelectType(int index);

    bool Busy() const { return busy_; }
    QString BaseName() const;

    // --- The queue. ---
    void BeginRun(zem::TTurnJob& job) override;
    void EndRun(zem::TTurnJob& job) override;

    // --- Handlers. ---
    void TypeComboBoxClick();
    void ElementItemClick();
    void DataCalcItemClick();
    void CheckItemClick();
    void TableSLAEItemClick();
    // "&Выполнить" (the window gets the result) and "В &очередь" (only the
    // file does).
    void SolveItemClick(bool withWindow);
    void ApproxItemClick();
    void ResultCalcItemClick();

    std::shared_ptr<zem::TProblem> Problem;

    // --- Controls. ---
    QTabWidget* PageControl = nullptr;
    QWidget* ObjectTabSheet = nullptr;
    QWidget* Panel1 = nullptr;
    QComboBox* TypeComboBox = nullptr;
    QLabel* TypeLabel = nullptr;
    QPlainTextEdit* ObjectMemo = nullptr;
    QPlainTextEdit* DescriptMemo = nullptr;
    QWidget* CalculTabSheet = nullptr;
    QPlainTextEdit* CalculMemo = nullptr;
    QPlainTextEdit* ProcessMemo = nullptr;
    QWidget* ResultTabSheet = nullptr;
    QPlainTextEdit* ResDataMemo = nullptr;
    QPlainTextEdit* ResultMemo = nullptr;
    QMenu* DataMenu = nullptr;
    QAction* MElementItem = nullptr;
    QAction* MDataCalculItem = nullptr;
    QMenu* CalculMenu = nullptr;
    QAction* CheckItem = nullptr;
    QAction* TableSLAEItem = nullptr;
    QAction* SolveItem = nullptr;
    QAction* TurnSolveItem = nullptr;
    QAction* PlotItem = nullptr;    // "&Кривые"
    QAction* DeformedItem = nullptr;  // "&Деформированный вид"
    QAction* ReportItem = nullptr;  // "О&тчет"
    QMenu* ApproxMenu = nullptr;
    QAction* ApproxItem = nullptr;
    QAction* N6 = nullptr;  // "&Экстраполяция"
    QAction* ApproxSaveItem = nullptr;
    QMenu* ResultPopupMenu = nullptr;
    QAction* ResultCalcItem = nullptr;
    // Below the pages: how the last run ended ("Расчет не выполнен: " and
    // the cause stays until the next run).
    QLabel* StatusLabel = nullptr;

    // Unfinished: done and written, but a mesh selection ran out of stages
    // before it reached the accepted error.
    enum class TRunState { None, Running, Done, Unfinished, Stopped, Failed };
    TRunState RunState() const { return runState_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TCalculForm* CalculForm() const;
    TTurnForm* TurnForm() const;
    // Raises a message while the queue calculates the problem.
    void CheckIdle() const;
    void CheckProblem() const;
    void SetBusy(bool on);
    // The calculation lines of the problem passed through the dialog, so that
    // its lists fit the problem (from the stored defaults for a new problem).
    void RewriteCalculMemo(bool fromDefaults);
    void SetCalculLines(const std::vector<std::string>& lines);
    void MergeMenus(bool active);

    // The object text or the calculation lines were changed (what the
    // problem has to read again).
    bool TextsChanged() const;
    // The object differs from the file: typed and not taken yet, or the tree
    // changed (by the element editor, the type selector).
    bool ObjectChanged() const;
    // What the window shows is what the file holds now.
    void MarkSaved();
    // After a save under a new name: the results of the problem and of its
    // approximations beside the new files, from the problem when it is
    // solved, otherwise copied from beside the old ones.
    void CopyResults(const std::string& from, const std::string& to, const std::vector<std::string>& oldApprox);

    void SetRunState(TRunState state, const QString& error = {});
    // The failed state, and the message at the window.
    void ReportFailure(const QString& error);

    bool busy_ = false;
    TRunState runState_ = TRunState::None;
    bool approxChanged_ = false;
    // The texts as last read or written (the object as printed from the
    // tree), and the type; a new problem has none.
    zem::TProblemTexts saved_;
    int savedType_ = -1;
    bool busyObjectChanged_ = false;
    // The file the window last read or wrote; empty for a new problem.
    QString savedName_;
    bool merged_ = false;
    QPointer<TTurnForm> turnForm_;
};

// Creates the calculation dialog, the problem-type dialog, the queue window
// and the approximation window of the main window and plugs the problem and
// series windows and them into its hooks.
void InstallProblemWindows(TMainForm& main);
