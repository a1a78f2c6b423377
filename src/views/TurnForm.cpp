#include "views/TurnForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "app/FChildForm.h"
#include "app/MainForm.h"
#include "calc/Turn.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "app/ProgressForm.h"
#include "views/ViewForm.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QListWidget* List(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setDragEnabled(true);
    list->setDragDropMode(QAbstractItemView::DragOnly);
    list->setDefaultDropAction(Qt::CopyAction);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    return list;
}

}  // namespace

TTurnForm::TTurnForm(TMainForm* main)
    : QWidget(main, Qt::Tool), main_(main) {
    setWindowTitle(QStringLiteral("Очередь"));
    turn_ = std::make_unique<zem::TTurn>(Std(main->StartDir()), *main->ProgressForm,
                                         [this](std::function<void()> f) {
                                             QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
                                         });
    turn_->OnChange = [this] { UpdateLists(); };
    turn_->OnDone = [this](const std::string& text, bool ok, const std::string& error) { EntryDone(text, ok, error); };
    turn_->OnIdle = [this] { main_->ProgressForm->PostClose(); };

    WaitingListBox = List(this);
    WaitingListBox->viewport()->setAcceptDrops(true);
    WaitingListBox->viewport()->installEventFilter(this);
    ReadyListBox = List(this);
    ReadyListBox->setMaximumHeight(130);
    for (QListWidget* list : {WaitingListBox, ReadyListBox}) ShowEntryStates(list);
    WaitingLabel = ListTitle(QStringLiteral("Ожидают"), this);
    WaitingLabel->setBuddy(WaitingListBox);
    ReadyLabel = ListTitle(QStringLiteral("Рассчитаны"), this);
    ReadyLabel->setBuddy(ReadyListBox);
    StatusLabel = new QLabel(this);
    StatusLabel->setWordWrap(true);
    StatusLabel->setContentsMargins(4, 0, 4, 2);
    StatusLabel->hide();
    auto button = [this](const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        return b;
    };
    WAddBtn = button(QStringLiteral("Добавить…"), QStringLiteral("Добавить задачи в конец очереди (Ctrl+A)"));
    WInsertBtn = button(QStringLiteral("Вставить…"), QStringLiteral("Вставить задачи перед выбранной (Ctrl+Ins)"));
    WOpenBtn = button(QStringLiteral("Открыть"), QStringLiteral("Открыть выбранную задачу"));
    WDeleteBtn = button(QStringLiteral("Удалить"), QStringLiteral("Удалить выбранную задачу из очереди (Ctrl+Del)"));
    ROpenBtn = button(QStringLiteral("Открыть"), QStringLiteral("Открыть выбранную задачу"));
    RDeleteBtn = button(QStringLiteral("Удалить"), QStringLiteral("Убрать из списка рассчитанных (Ctrl+Del)"));
    auto* waitingButtons = new QHBoxLayout;
    for (QPushButton* b : {WAddBtn, WInsertBtn, WOpenBtn, WDeleteBtn}) waitingButtons->addWidget(b);
    waitingButtons->addStretch();
    auto* readyButtons = new QHBoxLayout;
    for (QPushButton* b : {ROpenBtn, RDeleteBtn}) readyButtons->addWidget(b);
    readyButtons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addWidget(WaitingLabel);
    layout->addWidget(WaitingListBox, 1);
    layout->addLayout(waitingButtons);
    layout->addWidget(ReadyLabel);
    layout->addWidget(ReadyListBox);
    layout->addLayout(readyButtons);
    layout->addWidget(StatusLabel);

    auto guarded = [this](std::function<void()> f) {
        return [this, f] { RunGuarded(this, f); };
    };
    WaitingPopupMenu = new QMenu(this);
    WInsertItem = WaitingPopupMenu->addAction(QStringLiteral("&Вставить"), guarded([this] { WInsertItemClick(); }));
    WInsertItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    WAddItem = WaitingPopupMenu->addAction(QStringLiteral("&Добавить"), guarded([this] { WAddItemClick(); }));
    WAddItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    WOpenItem = WaitingPopupMenu->addAction(QStringLiteral("&Открыть"),
                                            guarded([this] { OpenItemClick(WaitingListBox); }));
    WDeleteItem = WaitingPopupMenu->addAction(QStringLiteral("&Удалить"),
                                              guarded([this] { DeleteItemClick(WaitingListBox); }));
    WDeleteItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    ReadyPopupMenu = new QMenu(this);
    ROpenItem = ReadyPopupMenu->addAction(QStringLiteral("&Открыть"), guarded([this] { OpenItemClick(ReadyListBox); }));
    RDeleteItem = ReadyPopupMenu->addAction(QStringLiteral("&Удалить"),
                                            guarded([this] { DeleteItemClick(ReadyListBox); }));
    RDeleteItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    for (QAction* a : {WInsertItem, WAddItem, WDeleteItem}) {
        a->setShortcutContext(Qt::WidgetShortcut);
        WaitingListBox->addAction(a);
    }
    RDeleteItem->setShortcutContext(Qt::WidgetShortcut);
    ReadyListBox->addAction(RDeleteItem);
    connect(WaitingListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // The running entry cannot be deleted.
        const int row = WaitingListBox->currentRow();
        WOpenItem->setEnabled(row >= 0);
        WDeleteItem->setEnabled(row >= 0 && !turn_->Fixed(row));
        WaitingPopupMenu->popup(WaitingListBox->viewport()->mapToGlobal(pos));
    });
    connect(ReadyListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const bool selected = ReadyListBox->currentRow() >= 0;
        ROpenItem->setEnabled(selected);
        RDeleteItem->setEnabled(selected);
        ReadyPopupMenu->popup(ReadyListBox->viewport()->mapToGlobal(pos));
    });
    for (QListWidget* list : {WaitingListBox, ReadyListBox}) {
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, list] { RunGuarded(this, [this, list] { OpenItemClick(list); }); });
        connect(list, &QListWidget::currentRowChanged, this, [this] { UpdateCommands(); });
    }
    // The buttons run the commands of the pop-up menus.
    connect(WAddBtn, &QPushButton::clicked, WAddItem, &QAction::trigger);
    connect(WInsertBtn, &QPushButton::clicked, WInsertItem, &QAction::trigger);
    connect(WOpenBtn, &QPushButton::clicked, WOpenItem, &QAction::trigger);
    connect(WDeleteBtn, &QPushButton::clicked, WDeleteItem, &QAction::trigger);
    connect(ROpenBtn, &QPushButton::clicked, ROpenItem, &QAction::trigger);
    connect(RDeleteBtn, &QPushButton::clicked, RDeleteItem, &QAction::trigger);
    resize(420, 380);
    UpdateCommands();
}

TTurnForm::~TTurnForm() { Shutdown(); }

void TTurnForm::showEvent(QShowEvent* event) {
    PlaceToolWindow(this, *main_, 6);
    QWidget::showEvent(event);
}

void TTurnForm::Shutdown() {
    if (turn_) turn_->Shutdown();
}

QString TTurnForm::StoredText(const QString& text) const { return Q(zem::StoredPath(Std(text))); }

// --- Lists. ----------------------------------------------------------------------

void TTurnForm::UpdateLists() {
    const int waitingRow = WaitingListBox->currentRow();
    const int readyRow = ReadyListBox->currentRow();
    const QDateTime now = QDateTime::currentDateTime();
    const std::vector<zem::TTurnEntry>& waiting = turn_->Waiting();
    // The entry that has begun to run since the last look starts its clock.
    const std::string head = turn_->Running() && !waiting.empty() ? waiting.front().Text : std::string();
    if (!head.empty() && head != running_) times_[head].Started = now;
    running_ = head;
    auto clock = [](const QDateTime& t) { return t.toString(QStringLiteral("HH:mm:ss")); };
    WaitingListBox->clear();
    for (std::size_t i = 0; i < waiting.size(); ++i) {
        const zem::TTurnEntry& e = waiting[i];
        auto* item = new QListWidgetItem(Q(zem::NativePath(e.Text)), WaitingListBox);
        TEntryTimes& t = times_[e.Text];
        if (!t.Added.isValid()) t.Added = now;
        if (i == 0 && turn_->Running()) {
            QFont bold = WaitingListBox->font();
            bold.setBold(true);
            item->setFont(bold);
            SetEntryState(item, QStringLiteral("считается с ") + clock(t.Started));
        } else {
            SetEntryState(item, QStringLiteral("ожидает с ") + clock(t.Added));
        }
    }
    ReadyListBox->clear();
    for (const std::string& r : turn_->Ready()) {
        auto* item = new QListWidgetItem(Q(zem::NativePath(r)), ReadyListBox);
        const TEntryTimes& t = times_[r];
        QString state = QStringLiteral("рассчитана");
        if (t.Finished.isValid()) {
            state += QStringLiteral(" ") + clock(t.Finished);
            if (t.Started.isValid())
                state += QStringLiteral(" за ") + Q(zem::ElapsedText(std::max<qint64>(0, t.Started.secsTo(t.Finished))));
        }
        SetEntryState(item, state);
    }
    WaitingListBox->setCurrentRow(std::min(waitingRow, WaitingListBox->count() - 1));
    ReadyListBox->setCurrentRow(std::min(readyRow, ReadyListBox->count() - 1));
    UpdateCommands();
}

void TTurnForm::UpdateCommands() {
    const int w = WaitingListBox->currentRow(), r = ReadyListBox->currentRow();
    WOpenBtn->setEnabled(w >= 0);
    WDeleteBtn->setEnabled(w >= 0 && !turn_->Fixed(w));  // the running entry stays
    ROpenBtn->setEnabled(r >= 0);
    RDeleteBtn->setEnabled(r >= 0);
}

void TTurnForm::EntryDone(const std::string& text, bool ok, const std::string& error) {
    TEntryTimes& t = times_[text];
    t.Finished = QDateTime::currentDateTime();
    if (!t.Started.isValid()) t.Started = t.Finished;
    t.Added = QDateTime();  // queued again later, it waits from then
    // A calculation that failed leaves the queue; its reason stays in view
    // until another one fails.
    if (!ok) {
        StatusLabel->setText(QStringLiteral("Не рассчитана: ") + Q(zem::NativePath(text)) + QStringLiteral(" — ") +
                             Q(error));
        StatusLabel->show();
    }
    running_.clear();
}

void TTurnForm::AddToQueue(const QString& text, zem::TTurnWindow* window) {
    const int pos = turn_->AddToQueue(Std(StoredText(text)), window);
    WaitingListBox->setCurrentRow(std::min(pos, WaitingListBox->count() - 1));
}

void TTurnForm::InsertInQueue(int pos, const QString& text) {
    pos = turn_->InsertInQueue(pos, Std(StoredText(text)));
    WaitingListBox->setCurrentRow(std::min(pos, WaitingListBox->count() - 1));
}

// --- Handlers. -------------------------------------------------------------------

QStringList TTurnForm::ChooseFiles() {
    const QStringList chosen =
        AskOpenFileNames(this, QStringLiteral("*.zem|*.zem"), Q(zem::NativePath(Std(main_->StartDir()))));
    QStringList files;
    for (const QString& name : chosen)
        if (zem::FileCanOpen(Std(StoredText(name)))) files << name;  // only existing files
    return files;
}

void TTurnForm::AddFiles(const QStringList& files, int pos) {
    QStringList refused;
    for (const QString& name : files) {
        const QString text = main_->ToRelativePath(StoredText(name));
        try {
            if (pos < 0)
                AddToQueue(text, nullptr);
            else
                InsertInQueue(pos, text), pos = WaitingListBox->currentRow() + 1;
        } catch (const std::exception& e) {
            refused << Q(zem::NativePath(Std(text))) + QStringLiteral(": ") + Q(zem::ErrorMessage(e));
        }
    }
    if (!refused.isEmpty()) throw zem::ZemError(Std(refused.join(QLatin1Char('\n'))));
}

void TTurnForm::WInsertItemClick() { AddFiles(ChooseFiles(), WaitingListBox->currentRow()); }

void TTurnForm::WAddItemClick() { AddFiles(ChooseFiles(), -1); }

void TTurnForm::DeleteItemClick(QListWidget* list) {
    const int row = list->currentRow();
    if (row < 0 || (list == WaitingListBox && turn_->Fixed(row))) return;
    if (!AskOkCancel(this, QStringLiteral("Вы действительно желаете удалить текущую позицию?"), TMsgKind::Warning))
        return;
    if (list == WaitingListBox)
        turn_->DeleteWaiting(row);
    else
        turn_->TakeReady(row);
}

void TTurnForm::OpenItemClick(QListWidget* list) {
    const int row = list->currentRow();
    if (row < 0) return;
    std::string text;
    const bool waiting = list == WaitingListBox;
    if (waiting) {
        const zem::TTurnEntry& e = turn_->Waiting().at(static_cast<std::size_t>(row));
        text = e.Text;
        if (auto* window = dynamic_cast<TChildForm*>(e.Window)) {
            main_->ShowChild(window);
            return;
        }
    } else {
        text = turn_->Ready().at(static_cast<std::size_t>(row));
    }
    // A window of the file that is open already comes to the front.
    for (TChildForm* child : main_->Children()) {
        auto* file = qobject_cast<TFChildForm*>(child);
        if (file && !file->ParentForm && zem::SameEntryText(Std(StoredText(file->windowTitle())), text)) {
            if (waiting) turn_->AttachWindow(text, dynamic_cast<zem::TTurnWindow*>(file));
            main_->ShowChild(file);
            return;
        }
    }
    // A waiting file is calculated in the window that now shows it.
    TFChildForm* opened = main_->OpenFile(nullptr, Q(text));
    if (waiting && opened) turn_->AttachWindow(text, dynamic_cast<zem::TTurnWindow*>(opened));
}

// --- Drag and drop. --------------------------------------------------------------

bool TTurnForm::CanDropOnWaiting(QListWidget* source, int row) const {
    if (source != WaitingListBox && source != ReadyListBox) return false;
    const int from = source->currentRow();
    if (from < 0 || row == 0) return false;
    return source == ReadyListBox || !turn_->Fixed(from);
}

void TTurnForm::DropOnWaiting(QListWidget* source, int row) {
    if (!CanDropOnWaiting(source, row)) return;
    const int from = source->currentRow();
    if (source == ReadyListBox) {
        // It waits again, and only then leaves the finished list.
        const QString text = Q(turn_->Ready().at(static_cast<std::size_t>(from)));
        InsertInQueue(row, text);
        turn_->TakeReady(from);
        return;
    }
    const int to = row < 0 ? WaitingListBox->count() - 1 : row;
    if (turn_->MoveWaiting(from, to)) WaitingListBox->setCurrentRow(to);
}

bool TTurnForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != WaitingListBox->viewport()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            const int row = WaitingListBox->indexAt(e->position().toPoint()).row();
            if (!e->source() && !DroppedProblemFiles(e->mimeData()).isEmpty()) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
                return true;
            }
            if (CanDropOnWaiting(qobject_cast<QListWidget*>(e->source()), row)) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            const int row = WaitingListBox->indexAt(e->position().toPoint()).row();
            auto* source = qobject_cast<QListWidget*>(e->source());
            e->setDropAction(Qt::CopyAction);
            e->accept();
            if (!e->source()) {
                const QStringList files = DroppedProblemFiles(e->mimeData());
                // Never before the running entry; below the last one: appended.
                const int at = row < 0 ? -1 : std::max(row, turn_->Running() ? 1 : 0);
                RunGuarded(this, [this, files, at] { AddFiles(files, at); });
                return true;
            }
            RunGuarded(this, [this, source, row] { DropOnWaiting(source, row); });
            return true;
        }
        default:
            return QWidget::eventFilter(watched, event);
    }
}
