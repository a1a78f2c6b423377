#include "views/SeriesForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "calc/Study.h"
#include "calc/RunFile.h"
#include "calc/Turn.h"
#include "platform/progress.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numtext.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/Problems.h"
#include "views/ProblemForm.h"
#include "views/TurnForm.h"
#include "views/PlotZoom.h"
#include "views/ReadableNumbers.h"
#include "views/ResultField.h"
#include "views/ViewForm.h"
#include "platform/progress.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QTableWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
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
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

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
        : Path(std::move(path)), series_(series), window_(qobject_cast<TProblemForm*>(window)) {
        Row.Member = Path;
    }

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
            Row.Failure = zem::ErrorMessage(e);
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
            if (!series_.requests_.empty()) {
                std::size_t which = 0;
                Row = zem::StudyRow(Path, zem::FinalSolution(*job.Problem, job.Calculation, which),
                                    zem::PrintObject(*job.Problem), series_.parameters_, series_.requests_);
            }
        } catch (const std::exception& e) {
            lines = {Path + ": " + zem::ErrorMessage(e)};
            Row.Failure = zem::ErrorMessage(e);
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
    zem::TStudyRow Row;              // its row of the study table

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
    ResDataMemo->setPlaceholderText(QStringLiteral(
        "Запросы к каждой задаче серии, по одному в строке; ответы - столбцы таблицы:\n"
        "M1(0)\nmax |w|\nmax SigEq4\nSpan2.w(1.5)"));
    ResultPages = new QTabWidget(ResultTabSheet);
    ResultMemo = Memo(ResultPages);
    ResultPages->addTab(ResultMemo, QStringLiteral("Текст"));
    ResultGrid = new QTableWidget(ResultPages);
    ResultGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultPages->addTab(ResultGrid, QStringLiteral("Таблица"));
    auto* chartPage = new QWidget(ResultPages);
    ChartFieldBox = new QComboBox(chartPage);
    auto* chartView = new QChartView(new QChart(), chartPage);
    chartView->setRenderHint(QPainter::Antialiasing);
    ResultChart = chartView;
    ChartMoreButton = new QToolButton(chartPage);
    ChartMoreButton->setText(QStringLiteral("Ещё запросы"));
    ChartMoreButton->setToolTip(QStringLiteral("Добавить на график другие запросы: у каждой единицы своя ось"));
    ChartMoreButton->setPopupMode(QToolButton::InstantPopup);
    ChartMoreButton->setMenu(new QMenu(ChartMoreButton));
    auto* chartLayout = new QVBoxLayout(chartPage);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    auto* chartRow = new QHBoxLayout;
    chartRow->addWidget(ChartFieldBox, 1);
    chartRow->addWidget(ChartMoreButton);
    chartLayout->addLayout(chartRow);
    chartLayout->addWidget(chartView, 1);
    ResultPages->addTab(chartPage, QStringLiteral("График"));
    AlongPage = new QWidget(ResultPages);
    AlongFieldBox = new QComboBox(AlongPage);
    AlongFieldBox->setToolTip(QStringLiteral("Поле вдоль оси у каждой рассчитанной задачи серии"));
    auto* alongChart = new QChart();
    alongChart->legend()->setAlignment(Qt::AlignBottom);
    for (Qt::Alignment side : {Qt::AlignBottom, Qt::AlignLeft}) {
        auto* axis = new QValueAxis(alongChart);
        axis->setLabelFormat(QStringLiteral("%.4g"));
        alongChart->addAxis(axis, side);
    }
    auto* alongView = new QChartView(alongChart, AlongPage);
    alongView->setRenderHint(QPainter::Antialiasing);
    AlongChart = alongView;
    AlongZoom = new TPlotZoom(alongView, AlongPage);
    auto* alongLayout = new QVBoxLayout(AlongPage);
    alongLayout->setContentsMargins(0, 0, 0, 0);
    alongLayout->addWidget(AlongFieldBox);
    alongLayout->addWidget(alongView, 1);
    alongLayout->addWidget(AlongZoom->Bar);
    ResultPages->addTab(AlongPage, QStringLiteral("Вдоль оси"));
    connect(ResultPages, &QTabWidget::currentChanged, this, [this] {
        if (ResultPages->currentWidget() == AlongPage) RunGuarded(Main, [this] { DrawAlong(); });
    });
    connect(AlongFieldBox, &QComboBox::currentIndexChanged, this, [this] { RunGuarded(Main, [this] { DrawAlong(); }); });
    ResDataLabel = ListTitle(QStringLiteral("Запросы результатов"), ResultTabSheet);
    ResultLabel = ListTitle(QStringLiteral("Результаты"), ResultTabSheet);
    Split(ResultTabSheet, Pane(ResultTabSheet, ResDataLabel, ResDataMemo), Pane(ResultTabSheet, ResultLabel, ResultPages),
          90);
    connect(ResultMemo, &QPlainTextEdit::textChanged, this, [this] { RefreshTable(); });
    connect(ChartFieldBox, &QComboBox::currentIndexChanged, this, [this] { DrawCurve(); });
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
    CalculMenu->addSeparator();
    SweepItem = CalculMenu->addAction(QStringLiteral("П&еребор параметра..."), guarded(&TSeriesForm::SweepItemClick));
    ExportTableItem =
        CalculMenu->addAction(QStringLiteral("Экспорт &таблицы..."), guarded(&TSeriesForm::ExportTableItemClick));
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
    // Members still on the pool stop at their next step; the pool waits for them.
    if (stop_) stop_->store(true);
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
    parameters_ = s.Parameters;
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
    s.Parameters = parameters_;
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
    requests_ = zem::SplitRequests(LinesOf(ResDataMemo));
    for (int i = 0; i < MemberCount(); ++i)
        runs_.push_back(std::make_unique<TMemberRun>(*this, MemberPath(i), MemberWindow(i)));
    pending_ = static_cast<int>(runs_.size());
    for (int i = 0; i < MemberCount(); ++i) SetEntryState(FileListBox->item(i), QStringLiteral("в очереди"));
    UpdateButtons();
    // 3. A member open in a window goes through the queue, which hands the
    // window its result; the others are calculated from their files by the
    // worker pool, as many at a time as the machine has cores.
    stop_ = std::make_shared<std::atomic<bool>>(false);
    ++generation_;
    for (std::size_t k = 0; k < runs_.size(); ++k) {
        TMemberRun& run = *runs_[k];
        try {
            if (MemberWindow(static_cast<int>(k)))
                turnForm_->AddToQueue(Q(run.Path), &run);
            else
                StartPoolMember(k);
        } catch (const std::exception& e) {
            SetMemberState(run.Path, QStringLiteral("ошибка"));
            MemberDone(run, {run.Path + ": " + zem::ErrorMessage(e)});
        }
    }
}

namespace {

// The progress of a member on the pool: its own log, stopped with the series.
class TPoolProgress final : public zem::TProgressLog {
public:
    explicit TPoolProgress(std::shared_ptr<std::atomic<bool>> stop) : stop_(std::move(stop)) {}

protected:
    void Step(std::size_t position) override {
        if (stop_->load()) {
            SetRunning(false);
            throw zem::EBreakCalcule();
        }
        zem::TProgressLog::Step(position);
    }

private:
    std::shared_ptr<std::atomic<bool>> stop_;
};

}  // namespace

void TSeriesForm::StartPoolMember(std::size_t k) {
    // The task gets copies of all it reads and never touches a widget: its
    // outcome comes back to the main thread, where the window (if it is still
    // there and still on this run) takes it.
    const std::string path = runs_[k]->Path, start = Std(Main->StartDir());
    const std::vector<std::string> requests = requests_, parameters = parameters_;
    const std::shared_ptr<std::atomic<bool>> stop = stop_;
    const QPointer<TSeriesForm> self(this);
    const int generation = generation_;
    pool_.setMaxThreadCount(static_cast<int>(zem::SeriesWorkers()));
    pool_.start([=] {
        std::vector<std::string> lines;
        zem::TStudyRow row;
        row.Member = path;
        try {
            const zem::TPbData data(start);
            TPoolProgress progress(stop);
            std::unique_ptr<zem::TProblem> problem;
            zem::RunFile(data, path, progress, &problem);
            const auto file = zem::ReadTextFile(zem::NativePath(zem::ToAbsolutePath(start, zem::StoredPath(path))));
            const auto calc = zem::ReadSection(file, "CALCULATION");
            lines = zem::MemberSummary(path, *problem, calc);
            if (!requests.empty()) {
                std::size_t which = 0;
                row = zem::StudyRow(path, zem::FinalSolution(*problem, calc, which), zem::ReadSection(file, "OBJECT"),
                                    parameters, requests);
            }
        } catch (const std::exception& e) {
            lines = {path + ": " + zem::ErrorMessage(e)};
            row.Failure = zem::ErrorMessage(e);
        }
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, k, lines = std::move(lines), row = std::move(row)]() mutable {
                if (!self || self->generation_ != generation || k >= self->runs_.size()) return;
                const QString when = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
                self->SetMemberState(self->runs_[k]->Path, (row.Failure.empty() ? QStringLiteral("рассчитана ")
                                                                                 : QStringLiteral("ошибка ")) + when);
                self->runs_[k]->Row = std::move(row);
                self->MemberDone(*self->runs_[k], std::move(lines));
            },
            Qt::QueuedConnection);
    });
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
    if (!requests_.empty()) {
        zem::TStudyTable table;
        table.Parameters = parameters_;
        table.Requests = requests_;
        for (const auto& run : runs_) table.Rows.push_back(run->Row);
        result = table.Csv();
    }
    SetLines(ResultMemo, result);
    ResultMemo->document()->setModified(true);
    PageControl->setCurrentWidget(ResultTabSheet);
    if (!requests_.empty()) ResultPages->setCurrentWidget(ResultGrid);
    if (ResultPages->currentWidget() == AlongPage) RunGuarded(Main, [this] { DrawAlong(); });
    if (!FileName.isEmpty()) Main->SaveChild(this);
}

void TSeriesForm::StopRun() {
    stopping_ = true;
    if (stop_) stop_->store(true);
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

// --- The study. ------------------------------------------------------------------------

namespace {

// The result text as a table: its header and rows, when it is one.
std::vector<std::vector<std::string>> TableOf(const std::vector<std::string>& lines) {
    if (lines.empty() || lines.front().rfind("member,", 0) != 0) return {};
    return zem::ReadCsvLines(lines);
}

}  // namespace

void TSeriesForm::RefreshTable() {
    const auto rows = TableOf(LinesOf(ResultMemo));
    ResultGrid->clear();
    ResultGrid->setRowCount(rows.empty() ? 0 : static_cast<int>(rows.size()) - 1);
    ResultGrid->setColumnCount(rows.empty() ? 0 : static_cast<int>(rows.front().size()));
    const QString chosen = ChartFieldBox->currentText();
    {
        const QSignalBlocker block(ChartFieldBox);
        ChartFieldBox->clear();
        for (std::size_t c = 0; !rows.empty() && c < rows.front().size(); ++c) {
            const QString title = Q(rows.front()[c]);
            ResultGrid->setHorizontalHeaderItem(static_cast<int>(c), new QTableWidgetItem(title));
            // The request columns: after the member, its parameters and the
            // two mesh columns, before the error.
            if (c >= 3 + parameters_.size() && c + 1 < rows.front().size())
                ChartFieldBox->addItem(title, static_cast<int>(c));
        }
        const int keep = ChartFieldBox->findText(chosen);
        ChartFieldBox->setCurrentIndex(keep >= 0 ? keep : 0);
        // The further columns: the same titles keep their checks.
        QStringList checked;
        for (QAction* item : ChartMoreButton->menu()->actions())
            if (item->isChecked()) checked << item->text();
        ChartMoreButton->menu()->clear();
        for (int i = 0; i < ChartFieldBox->count(); ++i) {
            QAction* item = ChartMoreButton->menu()->addAction(ChartFieldBox->itemText(i));
            item->setCheckable(true);
            item->setChecked(checked.contains(item->text()));
            item->setData(ChartFieldBox->itemData(i));
            connect(item, &QAction::toggled, this, [this] { DrawCurve(); });
        }
    }
    // The answers in a readable format per column, every digit in the tip.
    const std::size_t firstRequest = 3 + parameters_.size();
    std::vector<TReadableFormat> formats;
    for (std::size_t c = 0; !rows.empty() && c < rows.front().size(); ++c) {
        zem::Extended lo = std::numeric_limits<zem::Extended>::infinity(), hi = -lo, x = 0;
        for (std::size_t r = 1; r < rows.size(); ++r)
            if (c < rows[r].size() && zem::TryParseScalar(rows[r][c], x)) lo = std::min(lo, x), hi = std::max(hi, x);
        formats.push_back(lo <= hi ? ReadableFormat(lo, hi, 4) : TReadableFormat{});
    }
    for (std::size_t r = 1; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(Q(rows[r][c]));
            zem::Extended x = 0;
            if (c >= firstRequest && c < formats.size() && zem::TryParseScalar(rows[r][c], x)) {
                item->setText(Q(formats[c].Text(x)));
                item->setToolTip(Q(rows[r][c]));
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            ResultGrid->setItem(static_cast<int>(r - 1), static_cast<int>(c), item);
        }
    ResultGrid->resizeColumnsToContents();
    DrawCurve();
}

std::vector<int> TSeriesForm::ChartColumns() const {
    std::vector<int> columns;
    const int chosen = ChartFieldBox->currentData().toInt();
    if (chosen > 0) columns.push_back(chosen);
    for (QAction* item : ChartMoreButton->menu()->actions())
        if (item->isChecked() && item->data().toInt() != chosen) columns.push_back(item->data().toInt());
    return columns;
}

void TSeriesForm::SetMoreColumns(const QStringList& titles) {
    for (QAction* item : ChartMoreButton->menu()->actions()) {
        const QSignalBlocker block(item);
        item->setChecked(titles.contains(item->text()));
    }
    DrawCurve();
}

namespace {

// "max |w| [m]": the request and the unit as the windows show it.
std::pair<QString, QString> RequestAndUnit(const QString& header) {
    const qsizetype open = header.lastIndexOf(QStringLiteral(" ["));
    if (open < 0 || !header.endsWith(QLatin1Char(']'))) return {header, QString()};
    return {header.left(open), Q(DisplayUnit(Std(header.mid(open + 2, header.size() - open - 3))))};
}

}  // namespace

void TSeriesForm::DrawCurve() {
    auto* view = static_cast<QChartView*>(ResultChart);
    auto* chart = new QChart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    const auto rows = TableOf(LinesOf(ResultMemo));
    const std::vector<int> columns = ChartColumns();
    if (!rows.empty() && !columns.empty()) {
        // Against the first parameter, or the member's number when none was
        // swept; a curve per value of a second parameter.
        const bool byParameter = !parameters_.empty(), bySecond = parameters_.size() > 1;
        auto* axisX = new QValueAxis(chart);
        axisX->setTitleText(byParameter ? Q(parameters_.front()) : QStringLiteral("Задача"));
        chart->addAxis(axisX, Qt::AlignBottom);
        std::vector<QString> units;
        std::vector<QStringList> names;
        std::vector<QValueAxis*> axes;
        std::vector<double> lo, hi;
        double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin;
        int curves = 0;
        for (const int column : columns) {
            const auto c = static_cast<std::size_t>(column);
            const auto [request, unit] = RequestAndUnit(Q(rows.front().at(c)));
            const auto at = std::find(units.begin(), units.end(), unit);
            const auto k = static_cast<std::size_t>(at - units.begin());
            if (at == units.end()) {
                units.push_back(unit), names.emplace_back(), lo.push_back(xmin), hi.push_back(-xmin);
                auto* axis = new QValueAxis(chart);
                axis->setLabelFormat(QStringLiteral("%.4g"));
                if (k > 0) axis->setGridLineVisible(false);
                chart->addAxis(axis, k == 0 ? Qt::AlignLeft : Qt::AlignRight);
                axes.push_back(axis);
            }
            names[k] << request;
            std::vector<QString> keys;
            std::vector<QList<QPointF>> points;
            for (std::size_t r = 1; r < rows.size(); ++r) {
                const auto& row = rows[r];
                if (c >= row.size() || row[c].empty()) continue;
                bool okX = true, okY = false;
                const double x = byParameter ? Q(row[1]).toDouble(&okX) : static_cast<double>(r);
                const double y = Q(row[c]).toDouble(&okY);
                if (!okX || !okY) continue;
                const QString key = bySecond ? Q(row[2]) : QString();
                const auto g = static_cast<std::size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
                if (g == keys.size()) keys.push_back(key), points.emplace_back();
                points[g].append(QPointF(x, y));
                xmin = std::min(xmin, x), xmax = std::max(xmax, x);
                lo[k] = std::min(lo[k], y), hi[k] = std::max(hi[k], y);
            }
            for (std::size_t g = 0; g < keys.size(); ++g) {
                std::sort(points[g].begin(), points[g].end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
                auto* line = new QLineSeries(chart);
                line->setName(bySecond ? QStringLiteral("%1; %2 = %3").arg(request, Q(parameters_[1]), keys[g]) : request);
                line->setPointsVisible(true);
                line->replace(points[g]);
                chart->addSeries(line);
                line->attachAxis(axisX);
                line->attachAxis(axes[k]);
                ++curves;
            }
        }
        if (std::isfinite(xmin)) axisX->setRange(xmin, xmax > xmin ? xmax : xmin + 1);
        for (std::size_t k = 0; k < axes.size(); ++k) {
            FitValueAxis(axes[k], lo[k], hi[k]);
            axes[k]->setTitleText(AxisTitleOf(names[k], units[k]));
        }
        chart->legend()->setVisible(curves > 1);
    }
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
}

void TSeriesForm::DrawAlong() {
    auto* view = static_cast<QChartView*>(AlongChart);
    QChart* chart = view->chart();
    chart->removeAllSeries();
    const std::string chosen = Std(AlongFieldBox->currentData().toString());
    const zem::TPbData data(Std(Main->StartDir()));
    std::vector<std::string> fields;  // of the first member read
    QString fieldTitle;
    double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin, lo = xmin, hi = -xmin;
    for (const TMember& m : members_) {
        const std::string full = zem::ToAbsolutePath(data.StartDir(), m.Path);
        zem::TProblemTexts texts;
        std::unique_ptr<zem::TProblem> problem;
        try {
            problem = data.ReadProblemFile(full, texts);
            if (!zem::LoadResultsBeside(*problem, full, texts.Calculation)) continue;
        } catch (const std::exception&) {
            continue;  // a member that cannot be read has no curve
        }
        zem::TElement& root = problem->Root();
        if (fields.empty()) {
            fields = root.GraphResults;
            if (fields.empty()) continue;
            // The box lists the fields of the first member; the chosen one stays.
            QStringList titles;
            for (const std::string& f : fields) titles << Q(FieldTitle(root, f));
            QStringList shown;
            for (int i = 0; i < AlongFieldBox->count(); ++i) shown << AlongFieldBox->itemText(i);
            if (shown != titles) {
                const QSignalBlocker block(AlongFieldBox);
                AlongFieldBox->clear();
                for (std::size_t i = 0; i < fields.size(); ++i) AlongFieldBox->addItem(titles[static_cast<int>(i)], Q(fields[i]));
                const int keep = AlongFieldBox->findData(Q(chosen));
                AlongFieldBox->setCurrentIndex(keep >= 0 ? keep : 0);
            }
        }
        const std::string name = Std(AlongFieldBox->currentData().toString());
        const auto at = std::find(root.GraphResults.begin(), root.GraphResults.end(), name);
        if (at == root.GraphResults.end()) continue;
        const TResultField field = ResultField(root, static_cast<int>(at - root.GraphResults.begin()));
        if (fieldTitle.isEmpty()) fieldTitle = Q(FieldTitle(root, name));
        const TCurve c = AlongAxis(field, 0);
        // The member by its swept values, or by its file.
        QStringList label;
        for (const std::string& p : parameters_) label << Q(p + " = " + zem::ObjectParameter(texts.Object, p));
        auto* line = new QLineSeries(chart);
        line->setName(label.isEmpty() ? Q(m.Path) : label.join(QStringLiteral(", ")));
        QList<QPointF> points;
        for (std::size_t k = 0; k < c.X.size(); ++k) {
            const double x = static_cast<double>(c.X[k]), v = static_cast<double>(c.V[k]);
            points.append(QPointF(x, v));
            xmin = std::min(xmin, x), xmax = std::max(xmax, x), lo = std::min(lo, v), hi = std::max(hi, v);
        }
        line->replace(points);
        chart->addSeries(line);
        for (QAbstractAxis* axis : chart->axes()) line->attachAxis(axis);
    }
    auto* axisX = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
    auto* axisY = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
    if (!std::isfinite(xmin)) xmin = 0, xmax = 1;
    axisX->setRange(xmin, xmax > xmin ? xmax : xmin + 1);
    axisX->setTitleText(Q(AxisTitle("x", false)));
    FitValueAxis(axisY, lo, hi);
    axisY->setTitleText(fieldTitle);
    chart->legend()->setVisible(chart->series().size() > 1);
    AlongZoom->SetHome();
}

void TSeriesForm::Sweep(const std::string& ranges) {
    if (shownRow_ < 0 || shownRow_ >= MemberCount()) throw zem::ZemError("Выберите задачу - образец перебора");
    std::vector<zem::TSweepParam> params;
    for (std::size_t start = 0; start < ranges.size();) {
        const std::size_t end = std::min(ranges.find(' ', start), ranges.size());
        if (end > start) params.push_back(zem::ParseSweep(ranges.substr(start, end - start)));
        start = end + 1;
    }
    if (params.empty()) throw zem::ZemError("Не задан перебор: ИМЯ=от:до:число");
    const zem::TPbData data(Std(Main->StartDir()));
    std::vector<std::string> requests;
    std::string base;
    const std::vector<std::string> made = zem::MakeSweepMembers(data, MemberPath(shownRow_), params, requests, base);
    for (const std::string& path : made) AddMember(path, nullptr);
    parameters_.clear();
    for (const zem::TSweepParam& p : params) parameters_.push_back(p.Name);
    if (LinesOf(ResDataMemo).empty() && !requests.empty()) {
        SetLines(ResDataMemo, requests);
        ResDataMemo->document()->setModified(true);
    }
    membersChanged_ = true;
    Select(MemberCount() - 1);
}

void TSeriesForm::SweepItemClick() {
    bool ok = false;
    const QString ranges = QInputDialog::getText(
        this, QStringLiteral("Перебор параметра"),
        QStringLiteral("Образец - выбранная задача. Параметр, диапазон и число значений,\n"
                       "например t=0.008:0.014:4 (второй параметр через пробел):"),
        QLineEdit::Normal, QStringLiteral("t=0.008:0.014:4"), &ok);
    if (ok) Sweep(Std(ranges.trimmed()));
}

void TSeriesForm::ExportTable(const std::string& file) {
    const std::vector<std::string> lines = LinesOf(ResultMemo);
    if (TableOf(lines).empty()) throw zem::ZemError("Таблицы результатов нет: задайте запросы и выполните серию");
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    zem::WriteFileAtomic(file, text);
}

void TSeriesForm::ExportTableItemClick() {
    const QString chosen = AskSaveFileName(this, {}, QStringLiteral("Таблица CSV (*.csv)|*.csv"), QStringLiteral("csv"));
    if (!chosen.isEmpty()) ExportTable(Std(chosen));
}

void InstallSeriesWindow(TMainForm& main) { main.Hooks.SeriesWindow = ChildFactory<TSeriesForm>(); }
