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
// The run ("&Выполнить") saves the open members and puts every member file on
// the calculation queue. Each member is calculated by the queue's worker
// under its own calculation lines: a member open in a window through that
// window (which gets the results as after its own run), any other from its
// file, which gets the results and the report back. When the last member is
// done the result text lists, member by member, the path and the extremes of
// every result field, or the path and why the member failed.
#pragma once

#include "app/FChildForm.h"

#include <QPointer>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QListWidget;
class QPushButton;
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
    void FinishRun();
    void StopRun();
    void MergeMenus(bool active);
    void Select(int row);

    std::vector<TMember> members_;
    int shownRow_ = -1;
    bool membersChanged_ = false;
    bool merged_ = false;
    QPointer<QObject> mdi_;  // the main window's area (a QMdiArea while it lasts)
    QPointer<QMenuBar> bar_;
    QPointer<TTurnForm> turnForm_;
    std::vector<std::unique_ptr<TMemberRun>> runs_;
    int pending_ = 0;
    bool stopping_ = false;
};

// Plugs the series window into the main window.
void InstallSeriesWindow(TMainForm& main);
