#include "views/SeriesForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "calc/Turn.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/Problems.h"
#include "views/ProblemForm.h"
#include "views/TurnForm.h"
#include "views/ViewForm.h"
#include "platform/progress.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char* const kMemberFilter = "*.zem|*.zem";

QPlainTextEdit* Memo(QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return memo;
}

// Label above Widget, and Extra (a row of buttons) below, in one pane.
QWidget* Pane(QWidget* page, QLabel* label, QWidget* widget, QLayout* extra = nullptr) {
    auto* pane = new QWidget(page);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    label->setParent(pane);
    widget->setParent(pane);
    layout->addWidget(label);
    layout->addWidget(widget, 1);
    if (extra) layout->addLayout(extra);
    return pane;
}

QSplitter* Split(QWidget* page, QWidget* top, QWidget* bottom, int topHeight) {
    auto* split = new QSplitter(Qt::Vertical, page);
    split->addWidget(top);
    split->addWidget(bottom);
    split->setStretchFactor(1, 1);
    split->setSizes({topHeight, 200});
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);
    return split;
}

}  // namespace

// --- One member on the queue. ------------------------------------------------------

// The queue's window of one member: lends the queue the problem of the
// member's window, or of its file read afresh, and takes the result back.
class TSeriesForm::TMemberRun : public zem::TTurnWindow {
public:
    TMemberRun(TSeriesForm& series, std::string path, TFChildForm* window)
        : Path(std::move(path)), series_(series), window_(qobject_cast<TProblemForm*>(window)) {}

    void BeginRun(zem::TTurnJob& job) override {
        clock_.start();
        series_.SetMemberState(Path, QStringLiteral("считается"));
        try {
            if (window_ && !window_->Closing()) {
                lent_ = true;
                window_->BeginRun(job);
                return;
            }
            lent_ = false;
            job.Problem = zem::TPbData(Std(series_.Main->StartDir())).ReadProblemFile(job.FileName, texts_);
            job.Calculation = texts_.Calculation;
        } catch (const std::exception& e) {
            series_.SetMemberState(Path, QStringLiteral("ошибка"));
            series_.MemberDone(*this, {Path + ": " + zem::ErrorMessage(e)});
            throw;  // the queue drops the entry
        }
    }

    void EndRun(zem::TTurnJob& job) override {
        if (lent_ && window_) window_->EndRun(job);  // the window shows and saves the result
        std::vector<std::string> lines;
        try {
            if (!job.Ok) throw zem::ZemError(job.Error.empty() ? "Расчет прерван" : job.Error);
            if (!lent_) {
                // As a file run of the queue: the report, the reprinted object
                // and the approximations go back into the file.
                texts_.Process = job.Process;
                texts_.Object = zem::PrintObject(*job.Problem);
                zem::TPbData(Std(series_.Main->StartDir())).WriteProblemFile(job.FileName, *job.Problem, true, texts_);
            }
            lines = zem::MemberSummary(Path, *job.Problem, job.Calculation);
        } catch (const std::exception& e) {
            lines = {Path + ": " + zem::ErrorMessage(e)};
        }
        job.Problem.reset();
        const QString when = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
        const QString took = Q(zem::ElapsedText(clock_.isValid() ? clock_.elapsed() / 1000 : 0));
        series_.SetMemberState(Path, (job.Ok ? QStringLiteral("рассчитана ") : QStringLiteral("ошибка ")) + when +
                                         QStringLiteral(" за ") + took);
        series_.MemberDone(*this, std::move(lines));
    }

    const std::string Path;
    bool Done = false;
    std::vector<std::string> Lines;  // its part of the result text

private:
    TSeriesForm& series_;
    QPointer<TProblemForm> window_;
    zem::TProblemTexts texts_;
    bool lent_ = false;
    QElapsedTimer clock_;
};

// --- Creation. -----------------------------------------------------------------------

TSeriesForm::TSeriesForm(TMainForm* main) : TFChildForm(main) {
    setWindowTitle(QStringLiteral("SeriesForm"));
    PageControl = AddPageControl();

    SeriesTabSheet = new QWidget(PageControl);
    FileListBox = new QListWidget(SeriesTabSheet);
    FileListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    ShowEntryStates(FileListBox);
    FileListBox->viewport()->setAcceptDrops(true);
    FileListBox->viewport()->installEventFilter(this);
    FileListLabel = ListTitle(QStringLiteral("Задачи серии"), SeriesTabSheet);
    FileListLabel->setBuddy(FileListBox);
    auto button = [this](const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        return b;
    };
    AddBtn = button(QStringLiteral("Добавить…"), QStringLiteral("Добавить файлы задач в серию (Ctrl+Ins)"));
    NewBtn = button(QStringLiteral("Создать…"), QStringLiteral("Создать новую задачу серии"));
    OpenBtn = button(QStringLiteral("Открыть"), QStringLiteral("Открыть выбранную задачу"));
    DeleteBtn = button(QStringLiteral("Удалить"), QStringLiteral("Удалить выбранную задачу из серии (Ctrl+Del)"));
    CheckBtn = button(QStringLiteral("Проверить"), QStringLiteral("Проверить все задачи серии (Ctrl+F9)"));
    RunBtn = button(QStringLiteral("Выполнить"), QStringLiteral("Рассчитать все задачи серии (F9)"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {AddBtn, NewBtn, OpenBtn, DeleteBtn}) buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {CheckBtn, RunBtn}) buttons->addWidget(b);
    FileMemo = Memo(SeriesTabSheet);
    FileMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    FileMemoLabel = ListTitle(QStringLiteral("Текст выбранной задачи"), SeriesTabSheet);
    Split(SeriesTabSheet, Pane(SeriesTabSheet, FileListLabel, FileListBox, buttons),
          Pane(SeriesTabSheet, FileMemoLabel, FileMemo), 150);
    PageControl->addTab(SeriesTabSheet, QStringLiteral("Серия"));
    ResultTabSheet = new QWidget(PageControl);
    ResDataMemo = Memo(ResultTabSheet);
    ResultMemo = Memo(ResultTabSheet);
    ResDataLabel = ListTitle(QStringLiteral("Запросы результатов"), ResultTabSheet);
    ResultLabel = ListTitle(QStringLiteral("Результаты"), ResultTabSheet);
    Split(ResultTabSheet, Pane(ResultTabSheet, ResDataLabel, ResDataMemo), Pane(ResultTabSheet, ResultLabel, ResultMemo),
          90);
    PageControl->addTab(ResultTabSheet, QStringLiteral("Результаты"));

    auto guarded = [this](void (TSeriesForm::*handler)()) {
        return [this, handler] { RunGuarded(Main, [this, handler] { (this->*handler)(); }); };
    };
    DataMenu = new QMenu(QStringLiteral("&Данные"), this);
    NewItem = DataMenu->addAction(QStringLiteral("&Создать"), guarded(&TSeriesForm::NewItemClick));
    MOpenItem = DataMenu->addAction(QStringLiteral("&Открыть"), guarded(&TSeriesForm::MOpenItemClick));
    MOpenItem->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    SaveAllItem = DataMenu->addAction(QStringLiteral("Со&хранить все"), guarded(&TSeriesForm::SaveAllItemClick));
    CloseAllItem = DataMenu->addAction(QStringLiteral("&Закрыть все"), guarded(&TSeriesForm::CloseAllItemClick));
    connect(DataMenu, &QMenu::aboutToShow, this, [this] { DataMenuClick(); });
    CalculMenu = new QMenu(QStringLiteral("&Расчет"), this);
    CheckItem = CalculMenu->addAction(QStringLiteral("&Проверить"), guarded(&TSeriesForm::CheckItemClick));
    CheckItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F9));
    RunItem = CalculMenu->addAction(QStringLiteral("&Выполнить"), guarded(&TSeriesForm::RunItemClick));
    RunItem->setShortcut(QKeySequence(Qt::Key_F9));
    connect(CalculMenu, &QMenu::aboutToShow, this, [this] { CalculMenuClick(); });

    FilePopupMenu = new QMenu(this);
    AddItem = FilePopupMenu->addAction(QStringLiteral("&Добавить"), guarded(&TSeriesForm::AddItemClick));
    AddItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    DeleteItem = FilePopupMenu->addAction(QStringLiteral("&Удалить"), guarded(&TSeriesForm::DeleteItemClick));
    DeleteItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    PNewItem = FilePopupMenu->addAction(QStringLiteral("Со&здать"), guarded(&TSeriesForm::NewItemClick));
    OpenItem = FilePopupMenu->addAction(QStringLiteral("&Открыть"), guarded(&TSeriesForm::OpenItemClick));
    for (QAction* a : {AddItem, DeleteItem}) {
        a->setShortcutContext(Qt::WidgetShortcut);
        FileListBox->addAction(a);
    }
    connect(FileListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        DeleteItem->setEnabled(MemberCount() > 0);
        OpenItem->setEnabled(MemberCount() > 0);
        FilePopupMenu->popup(FileListBox->viewport()->mapToGlobal(pos));
    });
    // Shortcuts stay usable whatever a menu showed last.
    for (QMenu* m : {DataMenu, CalculMenu, FilePopupMenu})
        connect(m, &QMenu::aboutToHide, this, [m] {
            for (QAction* a : m->actions()) a->setEnabled(true);
        });
    connect(FileListBox, &QListWidget::itemDoubleClicked, this, guarded(&TSeriesForm::OpenItemClick));
    connect(FileListBox, &QListWidget::currentRowChanged, this, [this] { FileListBoxClick(); });
    connect(FileListBox, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    // The buttons run the commands of the menus.
    connect(AddBtn, &QPushButton::clicked, AddItem, &QAction::trigger);
    connect(NewBtn, &QPushButton::clicked, NewItem, &QAction::trigger);
    connect(OpenBtn, &QPushButton::clicked, OpenItem, &QAction::trigger);
    connect(DeleteBtn, &QPushButton::clicked, DeleteItem, &QAction::trigger);
    connect(CheckBtn, &QPushButton::clicked, CheckItem, &QAction::trigger);
    connect(RunBtn, &QPushButton::clicked, RunItem, &QAction::trigger);

    // The member text keeps the usual editing menu, with "&Сохранить" first.
    FileMemoSaveItem = new QAction(QStringLiteral("&Сохранить"), this);
    connect(FileMemoSaveItem, &QAction::triggered, this, guarded(&TSeriesForm::FileMemoSaveItemClick));
    connect(FileMemo, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(FileMemo->createStandardContextMenu());
        QAction* first = menu->actions().value(0);
        menu->insertAction(first, FileMemoSaveItem);
        menu->insertSeparator(first);
        menu->exec(FileMemo->viewport()->mapToGlobal(pos));
    });

    mdi_ = Main->MdiArea;
    bar_ = Main->menuBar();
    connect(Main->MdiArea, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* w) { MergeMenus(w == this && !Closing()); });
    turnForm_ = Main->findChild<TTurnForm*>(QString(), Qt::FindDirectChildrenOnly);
    resize(560, 420);
    UpdateButtons();
}

// The main window may be going already: only what is still there is touched.
TSeriesForm::~TSeriesForm() {
    if (mdi_) disconnect(mdi_, nullptr, this, nullptr);
    MergeMenus(false);
    if (turnForm_)
        for (auto& run : runs_) turnForm_->Turn().ForgetWindow(run.get());
}

void TSeriesForm::MergeMenus(bool active) {
    if (active == merged_ || !bar_) return;
    merged_ = active;
    for (QMenu* m : {DataMenu, CalculMenu}) {
        if (active)
            bar_->insertMenu(Main->OptionsMenu->menuAction(), m);
        else
            bar_->removeAction(m->menuAction());
    }
}

// --- The file window. --------------------------------------------------------------

void TSeriesForm::LoadData() {
    const zem::TSeriesFile s = zem::ReadSeriesFile(Std(FileName));
    {
        const QSignalBlocker block(FileListBox);
        members_.clear();
        FileListBox->clear();
        for (const std::string& path : s.Files) AddMember(path, nullptr);
    }
    SetLines(ResDataMemo, s.ResultData);
    SetLines(ResultMemo, s.Result);
    membersChanged_ = false;
    shownRow_ = -1;
    Select(MemberCount() > 0 ? 0 : -1);
}

void TSeriesForm::SaveData() {
    if (FileName.isEmpty()) {
        Main->SaveChildAs(this);
        return;
    }
    zem::TSeriesFile s;
    for (const TMember& m : members_) s.Files.push_back(m.Path);
    s.ResultData = LinesOf(ResDataMemo);
    s.Result = LinesOf(ResultMemo);
    zem::WriteSeriesFile(Std(FileName), s);
    membersChanged_ = false;
    ResDataMemo->document()->setModified(false);
    ResultMemo->document()->setModified(false);
    if (FileMemo->document()->isModified() && !FileMemo->toPlainText().isEmpty()) SaveMemberText(shownRow_);
}

bool TSeriesForm::IsModified() const {
    return membersChanged_ || ResDataMemo->document()->isModified() || ResultMemo->document()->isModified() ||
           FileMemo->document()->isModified();
}

// --- Members. ------------------------------------------------------------------------

TFChildForm* TSeriesForm::MemberWindow(int i) const {
    TFChildForm* w = members_.at(static_cast<std::size_t>(i)).Window;
    return w && !w->Closing() ? w : nullptr;
}

void TSeriesForm::AddMember(const std::string& path, TFChildForm* window) {
    members_.push_back(TMember{path, nullptr});
    FileListBox->addItem(Q(zem::NativePath(path)));
    SetWindow(MemberCount() - 1, window);
    UpdateButtons();
}

void TSeriesForm::UpdateButtons() {
    const bool any = MemberCount() > 0, selected = FileListBox->currentRow() >= 0;
    OpenBtn->setEnabled(selected);
    DeleteBtn->setEnabled(selected);
    CheckBtn->setEnabled(any);
    RunBtn->setEnabled(any && !Running());
}

void TSeriesForm::SetMemberState(const std::string& path, const QString& state) {
    for (int i = 0; i < MemberCount(); ++i)
        if (zem::SameEntryText(MemberPath(i), path)) SetEntryState(FileListBox->item(i), state);
}

void TSeriesForm::SetWindow(int i, TFChildForm* window) {
    members_[static_cast<std::size_t>(i)].Window = window;
    if (!window) return;
    // A member saved under another name stays the member.
    connect(window, &QWidget::windowTitleChanged, this, [this, window](const QString& title) {
        for (std::size_t k = 0; k < members_.size(); ++k)
            if (members_[k].Window == window) {
                members_[k].Path = zem::StoredPath(Std(title));
                FileListBox->item(static_cast<int>(k))->setText(title);
                membersChanged_ = true;
            }
    });
}

void TSeriesForm::Select(int row) {
    {
        const QSignalBlocker block(FileListBox);
        FileListBox->setCurrentRow(row);
    }
    ShowMemberText(row);
}

void TSeriesForm::FileListBoxClick() {
    // A changed member text is not left behind unasked.
    if (shownRow_ >= 0 && shownRow_ < MemberCount() && FileMemo->document()->isModified()) {
        const QString text = Q(zem::NativePath(MemberPath(shownRow_))) +
                             QStringLiteral(":\nДанные были изменены. Желаете сохранить?");
        if (AskOkCancel(Main, text, TMsgKind::Warning)) RunGuarded(Main, [this] { SaveMemberText(shownRow_); });
    }
    ShowMemberText(FileListBox->currentRow());
}

void TSeriesForm::ShowMemberText(int row) {
    shownRow_ = row;
    std::vector<std::string> lines;
    if (row >= 0 && row < MemberCount()) {
        const std::string full = Std(Main->ToAbsolutePath(Q(MemberPath(row))));
        try {
            if (zem::FileCanOpen(full)) lines = zem::ReadTextFile(zem::NativePath(full));
        } catch (const std::exception&) {
            lines.clear();
        }
    }
    SetLines(FileMemo, lines);
}

bool TSeriesForm::SaveMemberText(int row) {
    if (row < 0 || row >= MemberCount()) return false;
    // An open member keeps its data in its window.
    if (TFChildForm* w = MemberWindow(row)) {
        Main->ShowChild(w);
        return false;
    }
    const std::vector<std::string> lines = LinesOf(FileMemo);
    if (lines.empty()) throw zem::ZemError("Данные отсутствуют");
    std::string target = Std(Main->ToAbsolutePath(Q(MemberPath(row))));
    if (!zem::FileCanOpen(target)) {
        const QString chosen = AskSaveFileName(Main, Q(zem::NativePath(target)), QLatin1String(kMemberFilter),
                                               QStringLiteral("zem"));
        if (chosen.isEmpty()) return false;
        target = zem::StoredPath(Std(chosen));
    }
    try {
        zem::WriteTextFile(zem::NativePath(target), lines);
    } catch (const std::exception& e) {
        zem::RethrowFileFailure(zem::kWriteFailure, zem::NativePath(target), e);
    }
    FileMemo->document()->setModified(false);
    return true;
}

// --- Handlers. -----------------------------------------------------------------------

void TSeriesForm::DataMenuClick() { CloseAllItem->setEnabled(MemberCount() > 0); }

void TSeriesForm::CalculMenuClick() { RunItem->setEnabled(MemberCount() > 0 && !Running()); }

void TSeriesForm::NewItemClick() {
    TFChildForm* window = Main->NewProblem(this);
    if (!window) return;
    AddMember(zem::StoredPath(Std(window->windowTitle())), window);
    membersChanged_ = true;
    FileListBox->setCurrentRow(MemberCount() - 1);
    SetLines(FileMemo, {});
}

bool TSeriesForm::AddMemberFile() {
    return AddMemberFiles(
        AskOpenFileNames(Main, QLatin1String(kMemberFilter), Q(zem::NativePath(Std(Main->StartDir())))));
}

bool TSeriesForm::AddMemberFiles(const QStringList& files) {
    bool added = false;
    for (const QString& chosen : files) {
        const std::string stored = zem::StoredPath(Std(chosen));
        if (!zem::FileCanOpen(stored)) continue;  // existing files only
        AddMember(Std(Main->ToRelativePath(Q(stored))), nullptr);
        membersChanged_ = true;
        added = true;
    }
    if (added) FileListBox->setCurrentRow(MemberCount() - 1);
    return added;
}

bool TSeriesForm::eventFilter(QObject* watched, QEvent* event) {
    // The window filters its widget's events from before the list exists.
    if (FileListBox && watched == FileListBox->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* e = static_cast<QDragMoveEvent*>(event);
            if (!e->source() && !DroppedProblemFiles(e->mimeData()).isEmpty()) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            const QStringList files = e->source() ? QStringList() : DroppedProblemFiles(e->mimeData());
            if (!files.isEmpty()) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
                AddMemberFiles(files);
                return true;
            }
        }
    }
    return TFChildForm::eventFilter(watched, event);
}

void TSeriesForm::AddItemClick() { AddMemberFile(); }

void TSeriesForm::MOpenItemClick() {
    if (AddMemberFile()) OpenItemClick();
}

void TSeriesForm::OpenItemClick() {
    const int row = FileListBox->currentRow();
    if (row < 0) return;
    if (TFChildForm* w = MemberWindow(row)) {
        Main->ShowChild(w);
        return;
    }
    TFChildForm* w = Main->OpenFile(this, Q(MemberPath(row)));
    if (w && !w->Closing()) SetWindow(row, w);
}

void TSeriesForm::DeleteItemClick() {
    const int row = FileListBox->currentRow();
    if (row < 0) return;
    if (!AskOkCancel(Main, QStringLiteral("Желаете удалить текущую позицию?"), TMsgKind::Information)) return;
    if (row >= MemberCount() || FileListBox->currentRow() != row) return;
    TFChildForm* window = MemberWindow(row);
    {
        const QSignalBlocker block(FileListBox);
        members_.erase(members_.begin() + row);
        delete FileListBox->takeItem(row);
    }
    membersChanged_ = true;
    Select(std::min(row, MemberCount() - 1));
    UpdateButtons();
    if (window) {
        disconnect(window, &QWidget::windowTitleChanged, this, nullptr);
        window->close();
    }
}

void TSeriesForm::SaveAllItemClick() {
    for (int i = 0; i < MemberCount(); ++i)
        if (TFChildForm* w = MemberWindow(i)) Main->SaveChild(w);
}

void TSeriesForm::CloseAllItemClick() {
    for (int i = 0; i < MemberCount(); ++i)
        if (TFChildForm* w = MemberWindow(i)) w->close();
}

void TSeriesForm::CheckItemClick() {
    for (int i = 0; i < MemberCount(); ++i) {
        TFChildForm* w = MemberWindow(i);
        // A member open in a window of its own stays open after the check.
        const bool opened = !w && !Main->FileWindow(Main->ToAbsolutePath(Q(MemberPath(i))));
        if (opened) {
            w = Main->OpenFile(this, Q(MemberPath(i)));
            if (!w || w->Closing()) continue;  // the reading error is shown
            SetWindow(i, w);
        }
        if (auto* problem = qobject_cast<TProblemForm*>(w))
            RunGuarded(Main, [problem] { problem->CheckItemClick(); });
        if (opened) w->close();
    }
}

void TSeriesForm::FileMemoSaveItemClick() { SaveMemberText(FileListBox->currentRow()); }

// --- The run. --------------------------------------------------------------------------

void TSeriesForm::RunItemClick() {
    if (MemberCount() == 0) return;
    if (Running()) throw zem::ZemError("Серия в расчете. Дождитесь его окончания");
    if (!turnForm_) throw zem::ZemError("Очереди расчетов в этой сборке программы нет.");
    // 1. The open members as they stand.
    SaveAllItemClick();
    // 2. Every member is counted before any is queued: a member that fails at
    // once must not end the run early.
    runs_.clear();
    stopping_ = false;
    for (int i = 0; i < MemberCount(); ++i)
        runs_.push_back(std::make_unique<TMemberRun>(*this, MemberPath(i), MemberWindow(i)));
    pending_ = static_cast<int>(runs_.size());
    for (int i = 0; i < MemberCount(); ++i) SetEntryState(FileListBox->item(i), QStringLiteral("в очереди"));
    UpdateButtons();
    for (const auto& run : runs_) {
        try {
            turnForm_->AddToQueue(Q(run->Path), run.get());
        } catch (const std::exception& e) {
            SetMemberState(run->Path, QStringLiteral("ошибка"));
            MemberDone(*run, {run->Path + ": " + zem::ErrorMessage(e)});
        }
    }
}

void TSeriesForm::MemberDone(TMemberRun& run, std::vector<std::string> lines) {
    if (run.Done) return;
    run.Done = true;
    run.Lines = std::move(lines);
    if (--pending_ == 0) FinishRun();
    UpdateButtons();
}

void TSeriesForm::FinishRun() {
    if (stopping_) return;
    std::vector<std::string> result;
    for (const auto& run : runs_) result.insert(result.end(), run->Lines.begin(), run->Lines.end());
    SetLines(ResultMemo, result);
    ResultMemo->document()->setModified(true);
    PageControl->setCurrentWidget(ResultTabSheet);
    if (!FileName.isEmpty()) Main->SaveChild(this);
}

void TSeriesForm::StopRun() {
    stopping_ = true;
    if (!turnForm_) return;
    zem::TTurn& turn = turnForm_->Turn();
    for (const auto& run : runs_) {
        if (run->Done) continue;
        const auto& waiting = turn.Waiting();
        for (std::size_t pos = 0; pos < waiting.size(); ++pos) {
            if (waiting[pos].Window != run.get()) continue;
            if (turn.Fixed(static_cast<int>(pos)))
                turn.Stop();
            else
                turn.DeleteWaiting(static_cast<int>(pos));
            break;
        }
    }
    pending_ = 0;
}

void TSeriesForm::closeEvent(QCloseEvent* event) {
    if (!Closing() && Running()) {
        Main->ShowChild(this);
        if (!AskOkCancel(Main, QStringLiteral("Вы действительно хотите прервать расчет?"), TMsgKind::Warning)) {
            event->ignore();
            return;
        }
        StopRun();
    }
    TFChildForm::closeEvent(event);
    if (Closing()) MergeMenus(false);
}

void InstallSeriesWindow(TMainForm& main) { main.Hooks.SeriesWindow = ChildFactory<TSeriesForm>(); }
