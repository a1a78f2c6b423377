#include "views/TurnForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "app/FChildForm.h"
#include "app/MainForm.h"
#include "calc/Turn.h"
#include "platform/errors.h"
#include "problem/FileNames.h"
#include "app/ProgressForm.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
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
    : QWidget(main, Qt::Tool | Qt::WindowStaysOnTopHint), main_(main) {
    setWindowTitle(QStringLiteral("Очередь"));
    turn_ = std::make_unique<zem::TTurn>(Std(main->StartDir()), *main->ProgressForm,
                                         [this](std::function<void()> f) {
                                             QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
                                         });
    turn_->OnChange = [this] { UpdateLists(); };
    turn_->OnIdle = [this] { main_->ProgressForm->PostClose(); };

    WaitingListBox = List(this);
    WaitingListBox->viewport()->setAcceptDrops(true);
    WaitingListBox->viewport()->installEventFilter(this);
    ReadyListBox = List(this);
    ReadyListBox->setMaximumHeight(110);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(WaitingListBox, 1);
    layout->addWidget(ReadyListBox);

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
    for (QListWidget* list : {WaitingListBox, ReadyListBox})
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, list] { RunGuarded(this, [this, list] { OpenItemClick(list); }); });
    resize(260, 300);
}

TTurnForm::~TTurnForm() { Shutdown(); }

void TTurnForm::showEvent(QShowEvent* event) {
    // Without a stored placement the window first shows at the right edge of
    // the main window.
    if (!testAttribute(Qt::WA_Moved)) {
        const QRect frame = main_->frameGeometry();
        move(frame.right() - frameGeometry().width() - 8, frame.top() + 40);
    }
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
    WaitingListBox->clear();
    for (const zem::TTurnEntry& e : turn_->Waiting()) WaitingListBox->addItem(Q(zem::NativePath(e.Text)));
    if (turn_->Running() && WaitingListBox->count() > 0) {
        QFont bold = WaitingListBox->font();
        bold.setBold(true);
        WaitingListBox->item(0)->setFont(bold);
    }
    ReadyListBox->clear();
    for (const std::string& r : turn_->Ready()) ReadyListBox->addItem(Q(zem::NativePath(r)));
    WaitingListBox->setCurrentRow(std::min(waitingRow, WaitingListBox->count() - 1));
    ReadyListBox->setCurrentRow(std::min(readyRow, ReadyListBox->count() - 1));
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

QString TTurnForm::ChooseFile() {
    const QString chosen =
        AskOpenFileName(this, QStringLiteral("*.zem|*.zem"), Q(zem::NativePath(Std(main_->StartDir()))));
    if (chosen.isEmpty()) return {};
    const QString stored = StoredText(chosen);
    if (!zem::FileCanOpen(Std(stored))) return {};  // only existing files
    return main_->ToRelativePath(stored);
}

void TTurnForm::WInsertItemClick() {
    const QString text = ChooseFile();
    if (!text.isEmpty()) InsertInQueue(WaitingListBox->currentRow(), text);
}

void TTurnForm::WAddItemClick() {
    const QString text = ChooseFile();
    if (!text.isEmpty()) AddToQueue(text, nullptr);
}

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
            RunGuarded(this, [this, source, row] { DropOnWaiting(source, row); });
            return true;
        }
        default:
            return QWidget::eventFilter(watched, event);
    }
}
