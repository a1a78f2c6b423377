#include "views/ListForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "elements/ElLists.h"
#include "elements/MyStr.h"
#include "views/ViewForm.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The text without its outer [ ] (a value that is no list has none).
std::string WithoutBrackets(const std::string& text) {
    std::string t = zem::Trimmed(text);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') return t.substr(1, t.size() - 2);
    return t;
}

}  // namespace

TListForm::TListForm(TMainForm* main) : TChildForm(main) {
    Grid = new QTableWidget(1, 1, this);
    Grid->setHorizontalHeaderLabels({QStringLiteral("Значение")});
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->verticalHeader()->setDefaultSectionSize(20);
    Grid->verticalHeader()->setMinimumWidth(40);
    SetCornerText(Grid, [] { return QStringLiteral("No"); });
    Grid->installEventFilter(this);
    connect(Grid, &QTableWidget::itemChanged, this, [this] {
        if (!filling_) changed_ = true;
    });
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Grid);
    setWidget(body);

    auto guarded = [this](void (TListForm::*handler)()) {
        return [this, handler] { RunGuarded(Main, [this, handler] { (this->*handler)(); }); };
    };
    DataMenu = new QMenu(QStringLiteral("&Данные"), this);
    MApplyItem = DataMenu->addAction(QStringLiteral("&Применить"), guarded(&TListForm::ApplyItemClick));
    MApplyItem->setShortcut(QKeySequence(Qt::Key_F5));
    MenuItem2 = DataMenu->addAction(QStringLiteral("&Расчет"), guarded(&TListForm::SolveItemClick));
    MenuItem2->setShortcut(QKeySequence(Qt::Key_F9));
    PopupMenu = new QMenu(this);
    ApplyItem = PopupMenu->addAction(QStringLiteral("&Применить"), guarded(&TListForm::ApplyItemClick));
    OpenItem = PopupMenu->addAction(QStringLiteral("Открыть"));  // a list item opens nothing further
    SpanGridInsRowItem =
        PopupMenu->addAction(QStringLiteral("Вставить &строку"), guarded(&TListForm::SpanGridInsRowItemClick));
    SpanGridDeletePasteItem =
        PopupMenu->addAction(QStringLiteral("&Удалить строку"), guarded(&TListForm::SpanGridDeletePasteItemClick));
    // The shortcuts work while the grid has the focus.
    ApplyItem->setShortcut(QKeySequence(Qt::Key_F5));
    OpenItem->setShortcut(QKeySequence(Qt::Key_F3));
    SpanGridInsRowItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    SpanGridDeletePasteItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    for (QAction* a : {MApplyItem, MenuItem2, OpenItem, SpanGridInsRowItem, SpanGridDeletePasteItem}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        body->addAction(a);
    }
    ApplyItem->setShortcut({});  // "&Применить" of the main menu carries F5
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(Grid->viewport()->mapToGlobal(pos)); });
    MergeMenusWhileActive(this, {DataMenu});
    resize(396, 223);
}

void TListForm::Bind() {
    if (bound_) return;
    bound_ = true;
    if (ElemList && ElemIndex >= 0 && ElemIndex < ElemList->Count())
        path_ = TElementRef::PathOf(ElemList->Item(ElemIndex));
}

zem::TElemItem* TListForm::Entry() const {
    zem::TProblem* problem = ProblemOfWindow(this);
    if (!problem || !bound_ || path_.empty()) return nullptr;
    return TElementRef::Resolve(problem->Root(), path_);
}

QString TListForm::Value(int row) const {
    const QTableWidgetItem* item = Grid->item(row, 0);
    return item ? item->text() : QString();
}

void TListForm::SetValue(int row, const QString& text) {
    if (QTableWidgetItem* item = Grid->item(row, 0))
        item->setText(text);
    else
        Grid->setItem(row, 0, new QTableWidgetItem(text));
}

void TListForm::ShowData() {
    Bind();
    zem::TElemItem* entry = Entry();
    if (!entry) {
        QMetaObject::invokeMethod(this, [this] { Discard(); }, Qt::QueuedConnection);
        return;
    }
    const std::vector<std::string> items = zem::SplitList(WithoutBrackets(entry->Text()));
    filling_ = true;
    Grid->setRowCount(std::max<int>(static_cast<int>(items.size()), 1));
    for (int r = 0; r < Grid->rowCount(); ++r)
        SetValue(r, r < static_cast<int>(items.size()) ? Q(zem::Unbracket(items[static_cast<std::size_t>(r)])) : QString());
    filling_ = false;
    changed_ = false;
    Renumber();
}

void TListForm::Renumber() {
    QStringList numbers;
    for (int r = 0; r < Grid->rowCount(); ++r) numbers << QString::number(r + 1);
    Grid->setVerticalHeaderLabels(numbers);
}

std::vector<std::string> TListForm::GridToList() const {
    std::vector<std::string> texts;
    for (int r = 0; r < Grid->rowCount(); ++r) {
        const std::string v = zem::Trimmed(Value(r).toStdString());
        if (!v.empty()) texts.push_back(v);
    }
    return texts;
}

void TListForm::SaveData() { ApplyItemClick(); }

void TListForm::ApplyItemClick() {
    CheckIdle(this);
    zem::TProblem* problem = ProblemOfWindow(this);
    zem::TElemItem* entry = Entry();
    if (!problem || !entry) return;
    // Items that are lists themselves bracketed; the whole bracketed when it
    // holds several items.
    const std::string text = zem::Bracket(zem::JoinList(GridToList()));
    ChangeElements(*problem, [&] { entry->SetText(text); });
    changed_ = false;
    RefreshFamily(this);
}

void TListForm::SolveItemClick() {
    ApplyItemClick();
    if (TChildForm* window = ProblemWindowOf(this); window && ViewLinks(*Main).Solve) ViewLinks(*Main).Solve(window, true);
}

void TListForm::AppendRow() {
    filling_ = true;
    Grid->insertRow(Grid->rowCount());
    SetValue(Grid->rowCount() - 1, QString());
    filling_ = false;
    Renumber();
}

void TListForm::SpanGridInsRowItemClick() {
    const int current = std::max(Grid->currentRow(), 0);
    AppendRow();
    // The values from the current row down move one row down.
    for (int r = Grid->rowCount() - 1; r > current; --r) SetValue(r, Value(r - 1));
    SetValue(current, QString());
    changed_ = true;
    Renumber();
}

void TListForm::SpanGridDeletePasteItemClick() {
    if (Grid->rowCount() > 1) {
        const int current = std::max(Grid->currentRow(), 0);
        for (int r = current; r + 1 < Grid->rowCount(); ++r) SetValue(r, Value(r + 1));
        Grid->removeRow(Grid->rowCount() - 1);
        changed_ = true;
    }
    Renumber();
}

bool TListForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int last = Grid->rowCount() - 1;
        if (key == Qt::Key_Down && Grid->currentRow() == last && !Value(last).trimmed().isEmpty()) {
            AppendRow();
        } else if (key == Qt::Key_Up && Grid->currentRow() == last && last > 0 && Value(last).trimmed().isEmpty()) {
            Grid->removeRow(last);
            Grid->setCurrentCell(last - 1, 0);
            Renumber();
            return true;
        }
    }
    return TChildForm::eventFilter(watched, event);
}
