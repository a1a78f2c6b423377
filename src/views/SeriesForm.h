// The series window: the document window of one series file (extension zes).
//
// Two pages: "Серия" lists the member problem files ("Задачи серии", paths
// relative to the start directory, each with its state in the last run at its
// right) above the text of the selected member file, which can be edited and
// written back directly; "Результаты" holds the series' result requests
// above its result text ("Результаты"). Buttons under the member list run the
// commands of its pop-up menu and of "&Расчет"; the add dialog takes several
// files at once, and problem files dropped from a file manager are added. Members open as problem windows that belong
// to the series (its dependants: they close with it); a member whose window is
// saved under another name follows it.
//
// With result requests the series is a parametric study: its result text is
// a table, a CSV row per member with the swept parameters, the mesh and one
// column per request, shown as a grid and as a curve of any column against
// the first parameter, and exported as a CSV file. Further request columns
// may join the curve ("Ещё запросы"), each unit on a value axis of its own;
// when two parameters were swept every value of the second draws a curve of
// its own. "Вдоль оси" draws a field along the axis of every calculated
// member on one chart (read from the members' files and results), to be
// zoomed as a curve window. "&Перебор параметра..."
// adds members made from the selected one by varying one or two of its
// parameters over a range.
//
// The run ("&Выполнить") saves the open members and calculates every member
// under its own calculation lines: a member open in a window on the
// calculation queue, through that window (which gets the results as after its
// own run); the others from their files on a pool of workers beside the
// queue, one per core, each file getting its results and report back; a
// member that fails does not stop the others. When the last member is
// done the result text lists, member by member, the path and the extremes of
// every result field, or the path and why the member failed.
#pragma once

#include "app/FChildForm.h"

#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class QToolButton;
class TPlotZoom;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QTabWidget;
class QWidget;
class TTurnForm;

class TSeriesForm : public TFChildForm {
    Q_OBJECT
public:
    explicit TSeriesForm(TMainForm* main);
    ~TSeriesForm() override;

    // --- The file window. ---
    // Reads the series file: raises "Неизвестный формат файла" unless it
    // begins with "[ZEM SERIES]"; the first member is selected and shown.
    void LoadData() override;
    // Writes the series file (without a file name the main window asks for
    // one), then a changed member text.
    void SaveData() override;
    bool IsModified() const override;

    // --- Members. ---
    int MemberCount() const { return static_cast<int>(members_.size()); }
    // Stored form, relative to the start directory.
    std::string MemberPath(int i) const { return members_.at(static_cast<std::size_t>(i)).Path; }
    // The member's window opened from the series, or none.
    TFChildForm* MemberWindow(int i) const;
    // A series run waits for its members.
    bool Running() const { return pending_ > 0; }

    // --- Handlers. ---
    void DataMenuClick();
    void CalculMenuClick();
    void NewItemClick();
    void MOpenItemClick();
    void SaveAllItemClick();
    void CloseAllItemClick();
    void CheckItemClick();
    void RunItemClick();
    void AddItemClick();
    void DeleteItemClick();
    void OpenItemClick();
    void FileMemoSaveItemClick();
    // The selected member's text (asking first to keep a changed one).
    void FileListBoxClick();
    // Asks for the sweep ("t=0.008:0.014:4", a second one after a blank) and
    // makes its members from the selected member.
    void SweepItemClick();
    // Asks for a file and exports the table.
    void ExportTableItemClick();

    // --- The study. ---
    // Members from the selected one for every value of Ranges' parameters
    // ("t=0.008:0.014:4" or "t=...:...:4 R=...:...:3"), appended to the list;
    // the parameters become the table's columns.
    void Sweep(const std::string& ranges);
    // The table as UTF-8 CSV into File.
    void ExportTable(const std::string& file);
    // The parameters the table shows beside each member.
    const std::vector<std::string>& Parameters() const { return parameters_; }
    // Fills the grid and the curve from the result text.
    void RefreshTable();
    // The table columns the curve draws: the chosen one first, then the
    // further ones checked; setting the further ones by their titles redraws.
    std::vector<int> ChartColumns() const;
    void SetMoreColumns(const QStringList& titles);
    // Draws the field chosen in AlongFieldBox along the axis of every member
    // whose file and results can be read (at the first node around); the box
    // lists the fields of the first such member.
    void DrawAlong();

    // --- Controls. ---
    QTabWidget* PageControl = nullptr;
    QWidget* SeriesTabSheet = nullptr;
    QLabel* FileListLabel = nullptr;  // "Задачи серии"
    QListWidget* FileListBox = nullptr;
    QPushButton* AddBtn = nullptr;
    QPushButton* NewBtn = nullptr;
    QPushButton* OpenBtn = nullptr;
    QPushButton* DeleteBtn = nullptr;
    QPushButton* CheckBtn = nullptr;
    QPushButton* RunBtn = nullptr;
    QLabel* FileMemoLabel = nullptr;
    QPlainTextEdit* FileMemo = nullptr;
    QLabel* ResDataLabel = nullptr;
    QLabel* ResultLabel = nullptr;    // "Результаты"
    QWidget* ResultTabSheet = nullptr;
    QPlainTextEdit* ResDataMemo = nullptr;
    QPlainTextEdit* ResultMemo = nullptr;
    QTabWidget* ResultPages = nullptr;     // the result as text, grid and curve
    QTableWidget* ResultGrid = nullptr;
    QComboBox* ChartFieldBox = nullptr;    // the column the curve draws
    QWidget* ResultChart = nullptr;        // a QChartView
    QToolButton* ChartMoreButton = nullptr;  // "Ещё запросы": a checked item per further column
    QWidget* AlongPage = nullptr;
    QComboBox* AlongFieldBox = nullptr;    // the field along the axis (its name as data)
    QWidget* AlongChart = nullptr;         // a QChartView, a curve per member
    TPlotZoom* AlongZoom = nullptr;
    QAction* SweepItem = nullptr;
    QAction* ExportTableItem = nullptr;
    QMenu* DataMenu = nullptr;
    QAction* NewItem = nullptr;
    QAction* MOpenItem = nullptr;
    QAction* SaveAllItem = nullptr;
    QAction* CloseAllItem = nullptr;
    QMenu* CalculMenu = nullptr;
    QAction* CheckItem = nullptr;
    QAction* RunItem = nullptr;
    QMenu* FilePopupMenu = nullptr;
    QAction* AddItem = nullptr;
    QAction* DeleteItem = nullptr;
    QAction* PNewItem = nullptr;
    QAction* OpenItem = nullptr;
    QAction* FileMemoSaveItem = nullptr;

protected:
    // A running series asks to stop its calculations first.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TMemberRun;
    struct TMember {
        std::string Path;
        QPointer<TFChildForm> Window;
    };

    void AddMember(const std::string& path, TFChildForm* window);
    // Adds the existing files among Files (native paths); false when none.
    bool AddMemberFiles(const QStringList& files);
    void UpdateButtons();
    // The state of member Path shown at its right.
    void SetMemberState(const std::string& path, const QString& state);
    void SetWindow(int i, TFChildForm* window);
    bool AddMemberFile();
    void ShowMemberText(int row);
    // Writes the member text of Row; false when nothing was written.
    bool SaveMemberText(int row);
    void MemberDone(TMemberRun& run, std::vector<std::string> lines);
    void StartPoolMember(std::size_t k);
    void FinishRun();
    void StopRun();
    void MergeMenus(bool active);
    void Select(int row);

    void DrawCurve();

    std::vector<TMember> members_;
    std::vector<std::string> parameters_;
    std::vector<std::string> requests_;  // of the running study
    int shownRow_ = -1;
    bool membersChanged_ = false;
    bool merged_ = false;
    QPointer<QObject> mdi_;  // the main window's area (a QMdiArea while it lasts)
    QPointer<QMenuBar> bar_;
    QPointer<TTurnForm> turnForm_;
    std::vector<std::unique_ptr<TMemberRun>> runs_;
    int pending_ = 0;
    bool stopping_ = false;
    std::shared_ptr<std::atomic<bool>> stop_;  // set to stop the members on the pool
    int generation_ = 0;                         // of the run the pool's outcomes belong to
    QThreadPool pool_;                           // last: waits for its members first
};

// Plugs the series window into the main window.
void InstallSeriesWindow(TMainForm& main);
