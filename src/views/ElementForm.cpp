#include "views/ElementForm.h"
#include "views/PlotForm.h"
#include "app/QtText.h"

#include "app/Dialogs.h"
#include "app/HelpForm.h"
#include "app/MainForm.h"
#include "elements/ElComp.h"
#include "elements/ElLists.h"
#include "elements/Elements.h"
#include "elements/MyStr.h"
#include "platform/errors.h"
#include "domains/Domains.h"
#include "domains/ElDomain.h"
#include "problem/Problems.h"
#include "views/ElementHelp.h"
#include "views/GraphForm.h"
#include "views/ListForm.h"
#include "views/MemoForm.h"
#include "views/MeshForm.h"
#include "views/ResultField.h"
#include "views/ViewForm.h"

#include <QAction>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

namespace {

std::vector<std::string> MemoLines(const QPlainTextEdit* memo) {
    std::vector<std::string> lines;
    for (const QString& line : memo->toPlainText().split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
    return lines;
}

// An element text (a named block) is shown over several lines as the problem
// file writes it; any other value one item per line.
bool IsElementText(const std::string& value) { return zem::Trimmed(value).starts_with('{'); }

}  // namespace

TChildFactory ElementEditorFactory() { return ChildFactory<TElemForm>(); }

// --- The grids. ---------------------------------------------------------------------------

TValueGrid::TValueGrid(QWidget* parent) : QTableWidget(0, 2, parent) {
    // A click on the current cell edits it once no double click follows.
    // The grid's own delayed editing would swallow the keys typed meanwhile.
    clickEdit_ = new QTimer(this);
    clickEdit_->setSingleShot(true);
    connect(clickEdit_, &QTimer::timeout, this, [this] {
        if (state() != EditingState && clickIndex_.isValid() && clickIndex_ == currentIndex()) edit(clickIndex_);
    });
}

void TValueGrid::keyboardSearch(const QString&) {
    // Typing edits the value; it never jumps to a cell that starts with the
    // letter typed.
}

void TValueGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    wasCurrent_ = at.isValid() && at == currentIndex();
    clickEdit_->stop();
    QTableWidget::mousePressEvent(event);
}

void TValueGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    if (wasCurrent_ && event->button() == Qt::LeftButton && at.isValid() && at == currentIndex() &&
        state() != EditingState) {
        clickIndex_ = at;
        clickEdit_->start(QApplication::doubleClickInterval());
    }
    wasCurrent_ = false;
}

void TValueGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    clickEdit_->stop();
    QTableWidget::mouseDoubleClickEvent(event);
}

void TValueGrid::keyPressEvent(QKeyEvent* event) {
    const bool typing = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typing && state() != EditingState && rowCount() > 0) {
        // The value of the current row takes the key, whichever column of
        // the row is current.
        clickEdit_->stop();
        const QModelIndex value = model()->index(std::max(currentRow(), 0), 1);
        setCurrentIndex(value);
        if (edit(value, AnyKeyPressed, event)) {
            event->accept();
            return;
        }
    }
    QTableWidget::keyPressEvent(event);
}

TElemForm::TElemForm(TMainForm* main) : TChildForm(main) {
    auto* body = new QWidget(this);
    PageControl = new QTabWidget(body);
    ObjectSheet = new QWidget;
    DataMemo = new QPlainTextEdit(ObjectSheet);
    DataMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The text is indented by columns.
    DataMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* objectLayout = new QVBoxLayout(ObjectSheet);
    objectLayout->setContentsMargins(0, 0, 0, 0);
    objectLayout->addWidget(DataMemo);
    PageControl->addTab(ObjectSheet, QStringLiteral("Объект"));
    ParameterSheet = new QWidget;
    BoundSheet = new QWidget;
    LoadSheet = new QWidget;
    MeshSheet = new QWidget;
    ElementSheet = new QWidget;
    ParamGrid = MakeGrid(ParameterSheet);
    BoundGrid = MakeGrid(BoundSheet);
    LoadGrid = MakeGrid(LoadSheet);
    MeshGrid = MakeGrid(MeshSheet);
    ElemGrid = MakeGrid(ElementSheet);
    // The fixings of the ends stand to the right of the boundary grid.
    static_cast<QBoxLayout*>(BoundSheet->layout())->setDirection(QBoxLayout::LeftToRight);
    PresetPanel = new QWidget(BoundSheet);
    auto* presetLayout = new QVBoxLayout(PresetPanel);
    presetLayout->setContentsMargins(4, 0, 4, 0);
    BoundSheet->layout()->addWidget(PresetPanel);
    PageControl->addTab(ParameterSheet, QStringLiteral("Параметры"));
    PageControl->addTab(BoundSheet, QStringLiteral("Гранич. условия"));
    PageControl->addTab(LoadSheet, QStringLiteral("Нагрузка"));
    PageControl->addTab(MeshSheet, QStringLiteral("Сетка"));
    PageControl->addTab(ElementSheet, QStringLiteral("Элементы"));
    PageControl->setCurrentWidget(ObjectSheet);
    connect(PageControl, &QTabWidget::currentChanged, this, [this] { PageControlChange(); });

    // The information panel.
    Panel1 = new QWidget(body);
    Panel1->setFixedHeight(65);
    Panel3 = new QWidget(Panel1);
    auto* captions = new QVBoxLayout(Panel3);
    captions->setContentsMargins(4, 2, 4, 2);
    captions->addWidget(new QLabel(QStringLiteral("Описание"), Panel3));
    captions->addWidget(new QLabel(QStringLiteral("Формат"), Panel3));
    Panel4 = new QWidget(Panel1);
    HintLabel = new QLabel(Panel4);
    TypeLabel = new QLabel(Panel4);
    for (QLabel* label : {HintLabel, TypeLabel}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto* texts = new QVBoxLayout(Panel4);
    texts->setContentsMargins(4, 2, 4, 2);
    texts->addWidget(HintLabel);
    texts->addWidget(TypeLabel);
    // The message about a value refused, beside its cell.
    CellError = new QLabel(this);
    CellError->setObjectName(QStringLiteral("CellError"));
    CellError->setWordWrap(true);
    CellError->setStyleSheet(QStringLiteral("background: #fff0f0; color: #b00000; border: 1px solid #b00000; padding: 1px 3px"));
    CellError->hide();
    ApplyBtn = new QPushButton(QStringLiteral("Применить"), Panel1);
    ApplyBtn->setToolTip(QStringLiteral("Перенести правки в задачу (Ctrl+Enter)"));
    auto* panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 4, 0);
    panel->addWidget(Panel3);
    panel->addWidget(Panel4, 1);
    panel->addWidget(ApplyBtn, 0, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl, 1);
    layout->addWidget(Panel1);
    setWidget(body);

    // Menus.
    auto guarded = [this](std::function<void()> handler) {
        return [this, handler] { RunGuarded(Main, handler); };
    };
    EditMenu = new QMenu(QStringLiteral("&Правка"), this);
    ApplyItem = EditMenu->addAction(QStringLiteral("&Применить"), guarded([this] { ApplyItemClick(); }));
    ApplyItem->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    EditMenu->addSeparator();
    UndoItem = EditMenu->addAction(QStringLiteral("&Отменить"), guarded([this] { UndoItemClick(); }));
    UndoItem->setShortcut(QKeySequence::Undo);
    RedoItem = EditMenu->addAction(QStringLiteral("&Повторить"), guarded([this] { RedoItemClick(); }));
    RedoItem->setShortcut(QKeySequence::Redo);
    connect(ApplyBtn, &QPushButton::clicked, this, guarded([this] { ApplyItemClick(); }));
    CalculMenu = new QMenu(QStringLiteral("&Расчет"), this);
    SolveItem = CalculMenu->addAction(QStringLiteral("&Выполнить"), guarded([this] { SolveItemClick(true); }));
    SolveItem->setShortcut(QKeySequence(Qt::Key_F9));
    TurnSolveItem = CalculMenu->addAction(QStringLiteral("В &очередь"), guarded([this] { SolveItemClick(false); }));
    TurnSolveItem->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9));
    TablesItem = new QMenu(QStringLiteral("&Таблицы"), this);
    TableInitialItem = TablesItem->addMenu(QStringLiteral("&Исходные"));
    TableResultItem = TablesItem->addMenu(QStringLiteral("&Результаты"));
    TableResultItem->setEnabled(false);
    GraphItem = new QMenu(QStringLiteral("&Графика"), this);
    GraphMeshItem = GraphItem->addAction(QStringLiteral("&Сетка"), guarded([this] { GraphMeshItemClick(); }));
    GraphMeshItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    GraphInitialItem = GraphItem->addMenu(QStringLiteral("&Исходные"));
    GraphLineItem = GraphItem->addSeparator();
    GraphResultItem = GraphItem->addMenu(QStringLiteral("&Результаты"));
    GraphResultItem->setEnabled(false);
    PlotResultItem = GraphItem->addMenu(QStringLiteral("&Кривые"));
    PlotResultItem->setEnabled(false);
    for (QMenu* m : {TablesItem, GraphItem})
        connect(m, &QMenu::aboutToShow, this, guarded([this] { ResultsItemClick(); }));
    MergeMenusWhileActive(this, {EditMenu, CalculMenu, TablesItem, GraphItem});

    GridPopupMenu = new QMenu(this);
    OpenItem = GridPopupMenu->addAction(QStringLiteral("&Открыть"), guarded([this] { OpenItemClick(); }));
    MemoItem = GridPopupMenu->addAction(QStringLiteral("Мемо поле"), guarded([this] { MemoItemClick(); }));
    AddItem = GridPopupMenu->addAction(QStringLiteral("&Добавить"), guarded([this] { ElAddItemClick(); }));
    DeleteItem = GridPopupMenu->addAction(QStringLiteral("&Удалить"), guarded([this] { ElDeleteItemClick(); }));
    AddItem->setVisible(false);
    DeleteItem->setVisible(false);
    ElPopupMenu = new QMenu(this);
    ElOpenItem = ElPopupMenu->addAction(QStringLiteral("&Открыть"), guarded([this] { OpenItemClick(); }));
    ElMemoItem = ElPopupMenu->addAction(QStringLiteral("Мемо поле"), guarded([this] { MemoItemClick(); }));
    ElEditLineItem = ElPopupMenu->addSeparator();
    ElAddItem = ElPopupMenu->addAction(QStringLiteral("&Добавить"), guarded([this] { ElAddItemClick(); }));
    ElDeleteItem = ElPopupMenu->addAction(QStringLiteral("&Удалить"), guarded([this] { ElDeleteItemClick(); }));
    // F3 opens the entry of the grid that has the focus.
    for (QAction* a : {OpenItem, ElOpenItem}) {
        a->setShortcut(QKeySequence(Qt::Key_F3));
        a->setShortcutContext(Qt::WidgetShortcut);
    }
    for (QTableWidget* grid : {ParamGrid, BoundGrid, LoadGrid, MeshGrid}) {
        grid->addAction(OpenItem);
        connect(grid, &QWidget::customContextMenuRequested, this,
                [this, grid](const QPoint& pos) { GridPopupMenu->popup(grid->viewport()->mapToGlobal(pos)); });
    }
    ElemGrid->addAction(ElOpenItem);
    connect(ElemGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ElPopupMenu->popup(ElemGrid->viewport()->mapToGlobal(pos)); });
    resize(442, 322);
}

QTableWidget* TElemForm::MakeGrid(QWidget* sheet) {
    auto* grid = new TValueGrid(sheet);
    grid->setHorizontalHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("Значение")});
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(24);
    grid->horizontalHeader()->setDefaultSectionSize(80);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setTabKeyNavigation(true);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double click opens the entry; typing, F2 or a click on the current
    // cell (TValueGrid) edits it.
    grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->installEventFilter(this);
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this] { RunGuarded(Main, [this] { OpenItemClick(); }); });
    connect(grid, &QTableWidget::currentCellChanged, this, [this, grid](int row) {
        if (!filling_ && grid == ActiveGrid()) ShowEntryInfo(ListOf(grid), row);
    });
    connect(grid, &QTableWidget::itemChanged, this, [this, grid](QTableWidgetItem* item) {
        if (filling_) return;
        GridsChanged = true;
        // The value typed is checked as the cell is left.
        if (item->column() == 1) CheckCell(grid, item->row());
    });
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
    return grid;
}

// --- The element. -----------------------------------------------------------------------

void TElemForm::Bind() {
    if (bound_) return;
    bound_ = true;
    if (ElemList && ElemIndex >= 0 && ElemIndex < ElemList->Count())
        path_ = TElementRef::PathOf(ElemList->Item(ElemIndex));
}

zem::TProblem* TElemForm::Problem() const { return ProblemOfWindow(this); }

zem::TElement* TElemForm::Element() const {
    zem::TProblem* problem = Problem();
    if (!problem || !bound_) return nullptr;
    return dynamic_cast<zem::TElement*>(TElementRef::Resolve(problem->Root(), path_));
}

zem::TElemArray* TElemForm::Array() const {
    auto* comp = dynamic_cast<zem::TElComp*>(Element());
    return comp ? dynamic_cast<zem::TElemArray*>(&comp->Elems()) : nullptr;
}

TViews* TElemForm::Views() const { return TViews::Of(Main); }

zem::TElement& TElemForm::ElementForCommand() {
    CheckIdle(this);
    zem::TElement* element = Element();
    zem::TProblem* problem = Problem();
    if (!element || !problem) throw zem::ZemError(windowTitle().toStdString() + ": элемент не найден");
    if (TViews* views = Views()) problem->SetViews(views);
    return *element;
}

zem::TElemList* TElemForm::ListOf(const QTableWidget* grid) const {
    zem::TElement* element = Element();
    if (!element || !grid) return nullptr;
    if (grid == ParamGrid) return &element->Params();
    if (grid == BoundGrid) return &element->Bounds();
    if (grid == LoadGrid) return &element->Loads();
    if (grid == MeshGrid) return &element->Mesh();
    if (grid == ElemGrid) {
        auto* comp = dynamic_cast<zem::TElComp*>(element);
        return comp ? &comp->Elems() : nullptr;
    }
    return nullptr;
}

QTableWidget* TElemForm::ActiveGrid() const {
    QWidget* page = PageControl->currentWidget();
    if (page == ParameterSheet) return ParamGrid;
    if (page == BoundSheet) return BoundGrid;
    if (page == LoadSheet) return LoadGrid;
    if (page == MeshSheet) return MeshGrid;
    if (page == ElementSheet) return ElemGrid;
    return nullptr;
}

QString TElemForm::Value(const QTableWidget* grid, int row) const {
    const QTableWidgetItem* item = grid->item(row, 1);
    return item ? item->text() : QString();
}

void TElemForm::SetCell(QTableWidget* grid, int row, int col, const QString& text) {
    if (QTableWidgetItem* item = grid->item(row, col)) {
        item->setText(text);
        return;
    }
    auto* item = new QTableWidgetItem(text);
    if (col == 0) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    grid->setItem(row, col, item);
}

// --- Showing. --------------------------------------------------------------------------

void TElemForm::ShowData() {
    Bind();
    if (!Element()) {
        QMetaObject::invokeMethod(this, [this] { Discard(); }, Qt::QueuedConnection);
        return;
    }
    // A change made elsewhere ends the history of this window's own steps.
    if (Element()->Text() != shownText_) {
        undo_.clear();
        redo_.clear();
        shownText_ = Element()->Text();
    }
    setProperty("helpTopic", HelpTopicOfType(Element()->TypeName()));
    FillGrids();
    ShowText();
    PageControlChange();
}

void TElemForm::FillGrid(QWidget* sheet, QTableWidget* grid, zem::TElemList* list) {
    const bool shown = list && list->Count() > 0;
    PageControl->setTabVisible(PageControl->indexOf(sheet), shown);
    grid->setRowCount(shown ? list->Count() : 0);
    for (int r = 0; shown && r < list->Count(); ++r) {
        SetCell(grid, r, 0, Q(list->ItemKey(r)));
        SetCell(grid, r, 1, Q(zem::Unbracket(list->ItemText(r))));
    }
    if (shown && grid->currentRow() < 0) grid->setCurrentCell(0, 1);
}

void TElemForm::FillMenu(QMenu* menu, const std::vector<std::string>& names, bool table, bool result) {
    menu->clear();
    const zem::TElement* element = Element();
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        const std::string& name = names[static_cast<std::size_t>(i)];
        menu->addAction(Q(element ? FieldMenuText(*element, name) : name), this, [this, table, result, i] {
            RunGuarded(Main, [this, table, result, i] { table ? TableItemClick(result, i) : GraphItemClick(result, i); });
        });
    }
    menu->menuAction()->setVisible(!names.empty());
}

void TElemForm::FillGrids() {
    zem::TElement* element = Element();
    if (!element) return;
    filling_ = true;
    FillGrid(ParameterSheet, ParamGrid, &element->Params());
    FillGrid(BoundSheet, BoundGrid, &element->Bounds());
    FillGrid(LoadSheet, LoadGrid, &element->Loads());
    FillGrid(MeshSheet, MeshGrid, &element->Mesh());
    FillGrid(ElementSheet, ElemGrid, ListOf(ElemGrid));
    const bool array = Array() != nullptr;
    for (QAction* a : {ElEditLineItem, ElAddItem, ElDeleteItem}) a->setVisible(array);
    FillMenu(TableInitialItem, element->TableInputs, true, false);
    FillMenu(TableResultItem, element->TableResults, true, true);
    FillMenu(GraphInitialItem, element->GraphInputs, false, false);
    FillMenu(GraphResultItem, element->GraphResults, false, true);
    PlotResultItem->clear();
    for (int i = 0; i < static_cast<int>(element->GraphResults.size()); ++i)
        PlotResultItem->addAction(Q(FieldMenuText(*element, element->GraphResults[static_cast<std::size_t>(i)])), this, [this, i] {
            RunGuarded(Main, [this, i] {
                if (TViews* views = Views()) views->PlotForm->ShowPlot(views->RefTo(ElementForCommand()), i);
            });
        });
    PlotResultItem->menuAction()->setVisible(!element->GraphResults.empty());
    TablesItem->menuAction()->setVisible(!element->TableInputs.empty() || !element->TableResults.empty());
    GraphLineItem->setVisible(!element->GraphInputs.empty() || !element->GraphResults.empty());
    FillPresets();
    filling_ = false;
    GridsChanged = false;
    CellError->hide();
}

void TElemForm::FillPresets() {
    zem::TElement* element = Element();
    const std::vector<TBoundEnd> ends = element ? BoundEndsOf(element->Bounds()) : std::vector<TBoundEnd>{};
    // The buttons are made again only when the ends change: a button may be
    // the one whose click is being handled.
    QString signature;
    for (const TBoundEnd& e : ends) {
        signature += Q(e.Caption) + QLatin1Char(':');
        for (const TBoundPreset& p : e.Presets) signature += Q(p.Values.front().first) + QLatin1Char(';');
    }
    if (PresetPanel->property("ends").toString() == signature && !signature.isEmpty()) return;
    PresetPanel->setProperty("ends", signature);
    for (QObject* child : PresetPanel->children())
        if (child->isWidgetType()) child->deleteLater();
    auto* layout = static_cast<QVBoxLayout*>(PresetPanel->layout());
    while (QLayoutItem* item = layout->takeAt(0)) delete item;
    for (int e = 0; e < static_cast<int>(ends.size()); ++e) {
        auto* group = new QGroupBox(Q(ends[static_cast<std::size_t>(e)].Caption), PresetPanel);
        auto* buttons = new QVBoxLayout(group);
        buttons->setContentsMargins(4, 2, 4, 2);
        buttons->setSpacing(2);
        const std::vector<TBoundPreset>& presets = ends[static_cast<std::size_t>(e)].Presets;
        for (int p = 0; p < static_cast<int>(presets.size()); ++p) {
            auto* b = new QPushButton(Q(presets[static_cast<std::size_t>(p)].Caption), group);
            QString hint;
            for (const auto& [key, value] : presets[static_cast<std::size_t>(p)].Values)
                hint += Q(key) + QLatin1Char('=') + Q(value) + QLatin1Char(' ');
            b->setToolTip(hint.trimmed());
            connect(b, &QPushButton::clicked, this, [this, e, p] { RunGuarded(Main, [=, this] { PresetClick(e, p); }); });
            buttons->addWidget(b);
        }
        layout->addWidget(group);
    }
    layout->addStretch();
    PresetPanel->setVisible(!ends.empty());
}

void TElemForm::ShowText() {
    zem::TElement* element = Element();
    if (!element) return;
    QStringList lines;
    for (const std::string& line : zem::TextToLines(element->Text())) lines << Q(line);
    DataMemo->setPlainText(lines.join(QLatin1Char('\n')));
    DataMemo->document()->setModified(false);
}

void TElemForm::ShowEntryInfo(zem::TElemList* list, int index) {
    const bool has = list && list->Count() > 0;
    Panel3->setVisible(has);
    Panel4->setVisible(has);
    if (!has) return;
    const zem::TElemItem& item = list->Item(std::clamp(index, 0, list->Count() - 1));
    HintLabel->setText(Q(item.Caption()));
    TypeLabel->setText(Q(ItemFormatText(item.Key(), item.TypeName(), Surface())));
}

void TElemForm::ShowElementInfo() {
    zem::TElement* element = Element();
    Panel3->setVisible(element != nullptr);
    Panel4->setVisible(element != nullptr);
    if (!element) return;
    HintLabel->setText(Q(element->Caption()));
    TypeLabel->setText(Q(element->TypeName()));
}

void TElemForm::PageControlChange() {
    if (QTableWidget* grid = ActiveGrid())
        ShowEntryInfo(ListOf(grid), grid->currentRow());
    else
        ShowElementInfo();
}

// --- Applying. ---------------------------------------------------------------------------

bool TElemForm::IsModified() const { return GridsChanged || DataMemo->document()->isModified(); }

QStringList TElemForm::ChangedParts() const {
    if (!IsModified()) return {};
    return {QStringLiteral("правки элемента, не перенесенные в задачу")};
}

void TElemForm::CheckCell(QTableWidget* grid, int row) {
    zem::TProblem* problem = Problem();
    zem::TElemList* list = ListOf(grid);
    bool busy = false;
    try {
        CheckIdle(this);
    } catch (const zem::ZemError&) {
        busy = true;  // the worker has the problem: checked when applied
    }
    if (busy || !problem || !list || row < 0 || row >= list->Count()) return;
    // The value goes into a copy of the problem: the element itself takes
    // it only when the edits are applied.
    QString error;
    try {
        const std::unique_ptr<zem::TProblem> copy = problem->Clone();
        if (zem::TElemItem* item = TElementRef::Resolve(copy->Root(), TElementRef::PathOf(list->Item(row))))
            item->SetText(zem::Bracket(Value(grid, row).toStdString()));
    } catch (const std::exception& e) {
        error = Q(list->ItemKey(row)) + QStringLiteral(" = ") + Value(grid, row) + QStringLiteral(": ") +
                QString::fromUtf8(e.what());
    }
    ShowCellError(grid, row, error);
}

void TElemForm::ShowCellError(QTableWidget* grid, int row, const QString& error) {
    if (error.isEmpty()) {
        // Only the message of this cell goes.
        if (CellError->parentWidget() == grid->viewport() && CellError->property("row").toInt() == row)
            CellError->hide();
        return;
    }
    CellError->setParent(grid->viewport());
    CellError->setProperty("row", row);
    CellError->setText(error);
    CellError->setMaximumWidth(std::max(grid->viewport()->width() - 8, 120));
    CellError->adjustSize();
    // Under the value, or above it in the last visible row.
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    int y = cell.bottom() + 1;
    if (y + CellError->height() > grid->viewport()->height()) y = std::max(cell.top() - CellError->height() - 1, 0);
    CellError->move(cell.left() + 4, y);
    CellError->show();
    CellError->raise();
}

void TElemForm::ReadGrid(QWidget* sheet, QTableWidget* grid, zem::TElemList* list) {
    if (!list || !PageControl->isTabVisible(PageControl->indexOf(sheet))) return;
    for (int r = 0; r < grid->rowCount() && r < list->Count(); ++r) {
        try {
            list->Item(r).SetText(zem::Bracket(Value(grid, r).toStdString()));
        } catch (const zem::ZemError& e) {
            // Which value, and why.
            throw zem::ZemError(list->ItemKey(r) + " = " + Value(grid, r).toStdString() + ": " + e.what());
        }
    }
}

void TElemForm::ApplyGrids() {
    if (!GridsChanged) return;
    CheckIdle(this);
    if (!Problem() || !Element()) return;
    const bool changed = Commit([this](zem::TElement& element) {
        ReadGrid(ParameterSheet, ParamGrid, &element.Params());
        ReadGrid(BoundSheet, BoundGrid, &element.Bounds());
        ReadGrid(LoadSheet, LoadGrid, &element.Loads());
        ReadGrid(MeshSheet, MeshGrid, &element.Mesh());
        ReadGrid(ElementSheet, ElemGrid, ListOf(ElemGrid));
    });
    GridsChanged = false;
    if (changed) {
        AfterChange();
    } else {
        // The values as the element reads them ("10.0" typed over "10").
        FillGrids();
        ShowText();
    }
}

bool TElemForm::Surface() const {
    zem::TProblem* problem = Problem();
    if (!problem) return false;
    for (const zem::TDmElement* dm : problem->Domains())
        if (dm->Domain && dm->Domain->DimCount == 2) return true;
    return false;
}

bool TElemForm::Commit(const std::function<void(zem::TElement&)>& change) {
    zem::TProblem* problem = Problem();
    zem::TElement* element = Element();
    if (!problem || !element) return false;
    const std::string before = element->Text();
    ChangeElements(*problem, [&] { change(*element); });
    // A compound above makes its children again when it reads its text.
    element = Element();
    const std::string after = element ? element->Text() : before;
    shownText_ = after;
    if (after == before) return false;
    undo_.push_back(before);
    redo_.clear();
    return true;
}

void TElemForm::ApplyItemClick() { SaveData(); }

void TElemForm::Restore(std::vector<std::string>& from, std::vector<std::string>& to, bool dropInvalid) {
    // Edits not applied yet become a step of their own, the one undone. A
    // value the element refuses never blocks undo: the edits are dropped and
    // the editor shows the last state the element took.
    CheckIdle(this);
    try {
        SaveData();
    } catch (const zem::ZemError&) {
        if (!dropInvalid) throw;
        GridsChanged = false;
        FillGrids();
        ShowText();
        return;
    }
    if (from.empty()) return;
    CheckIdle(this);
    zem::TProblem* problem = Problem();
    zem::TElement* element = Element();
    if (!problem || !element) return;
    const std::string target = from.back();
    const std::string current = element->Text();
    ChangeElements(*problem, [&] { element->SetText(target); });
    from.pop_back();
    to.push_back(current);
    element = Element();
    shownText_ = element ? element->Text() : target;
    FillGrids();
    AfterChange();
}

void TElemForm::UndoItemClick() { Restore(undo_, redo_, true); }

void TElemForm::RedoItemClick() {
    // An edit made after the undo starts a new history: nothing to redo.
    if (IsModified()) {
        SaveData();
        return;
    }
    Restore(redo_, undo_, false);
}

void TElemForm::PresetClick(int end, int preset) {
    zem::TElement* element = Element();
    if (!element) return;
    const std::vector<TBoundEnd> ends = BoundEndsOf(element->Bounds());
    if (end < 0 || end >= static_cast<int>(ends.size())) return;
    const std::vector<TBoundPreset>& presets = ends[static_cast<std::size_t>(end)].Presets;
    if (preset < 0 || preset >= static_cast<int>(presets.size())) return;
    // Into the grid, so that the other values typed there go with it.
    filling_ = true;
    for (const auto& [key, value] : presets[static_cast<std::size_t>(preset)].Values) {
        const int row = element->Bounds().IndexOfKey(key);
        if (row >= 0 && row < BoundGrid->rowCount()) SetCell(BoundGrid, row, 1, Q(value));
    }
    filling_ = false;
    GridsChanged = true;
    ApplyGrids();
}

void TElemForm::AfterChange() {
    ShowText();
    RefreshDependents();
    if (ParentForm) RefreshFamily(ParentForm, this);
}

void TElemForm::SaveData() {
    if (GridsChanged) {
        ApplyGrids();
        return;
    }
    if (!DataMemo->document()->isModified()) return;
    CheckIdle(this);
    if (!Problem() || !Element()) return;
    const std::vector<std::string> lines = MemoLines(DataMemo);
    const bool changed = Commit([&](zem::TElement& element) { element.SetLines(lines); });
    FillGrids();
    if (changed)
        AfterChange();
    else
        ShowText();
}

// --- Commands. ------------------------------------------------------------------------

bool TElemForm::CurrentItem(TCurrentItem& item) const {
    item.Grid = ActiveGrid();
    if (!item.Grid) return false;
    item.Row = item.Grid->currentRow();
    item.List = ListOf(item.Grid);
    if (item.Row < 0 || !item.List || item.Row >= item.List->Count()) return false;
    item.Value = Value(item.Grid, item.Row).toStdString();
    return true;
}

void TElemForm::OpenItemClick() {
    TCurrentItem current;
    if (!CurrentItem(current)) return;
    const auto& [grid, row, list, value] = current;
    const QString caption = windowTitle() + QLatin1Char('.') + Q(list->ItemKey(row));
    if (zem::IsList(value)) {
        // A list typed into the grid is applied first, so that the list
        // editor shows what the user sees.
        SaveData();
        OpenDependent(ChildFactory<TListForm>(), caption, row, ListOf(grid));
    } else if (grid == ElemGrid) {
        OpenDependent(ElementEditorFactory(), caption, row, list);
    }
}

void TElemForm::MemoItemClick() {
    TCurrentItem current;
    if (!CurrentItem(current)) return;
    const auto& [grid, row, list, value] = current;
    const bool element = grid == ElemGrid || IsElementText(value);
    std::vector<std::string> lines = element ? zem::TextToLines(value) : zem::SplitList(value);
    std::unique_ptr<TMemoForm> own;
    TMemoForm* memo = Views() ? Views()->MemoForm : nullptr;
    if (!memo) {
        own = std::make_unique<TMemoForm>(Main);
        memo = own.get();
    }
    if (!memo->Execute(Q(list->ItemKey(row)), lines)) return;
    SetCell(grid, row, 1, Q(element ? zem::LinesToText(lines) : zem::JoinList(lines)));
}

void TElemForm::ElAddItemClick() {
    zem::TElemArray* array = Array();
    if (!array || !array->OnAddItem) return;
    CheckIdle(this);
    const int current = std::clamp(ElemGrid->currentRow(), 0, ElemGrid->rowCount());
    // 1. A row at the end; the values from the current row down move down.
    filling_ = true;
    const int last = ElemGrid->rowCount();
    ElemGrid->insertRow(last);
    for (int r = last; r > current; --r) SetCell(ElemGrid, r, 1, Value(ElemGrid, r - 1));
    // 2. The new element at the end of the array; its text at the current
    // row, its name in the last row.
    array->OnAddItem();
    const zem::TElemItem& added = array->Item(array->Count() - 1);
    SetCell(ElemGrid, current, 1, Q(added.Text()));
    SetCell(ElemGrid, last, 0, Q(added.Key()));
    filling_ = false;
    GridsChanged = true;
    ApplyGrids();
}

void TElemForm::ElDeleteItemClick() {
    zem::TElemArray* array = Array();
    if (!array) return;
    CheckIdle(this);
    const int rows = ElemGrid->rowCount();
    if (rows > 1 && array->Count() > 1) {
        // The last element goes; the values below the current row move up.
        array->DeleteItem(array->ItemKey(array->Count() - 1));
        const int current = std::clamp(ElemGrid->currentRow(), 0, rows - 1);
        filling_ = true;
        for (int r = current; r + 1 < rows; ++r) SetCell(ElemGrid, r, 1, Value(ElemGrid, r + 1));
        ElemGrid->removeRow(rows - 1);
        filling_ = false;
        GridsChanged = true;
    }
    ApplyGrids();
}

void TElemForm::ResultsItemClick() {
    SaveData();
    zem::TProblem* problem = Problem();
    const bool solved = problem && problem->Calculated();
    TableResultItem->setEnabled(solved);
    GraphResultItem->setEnabled(solved);
    PlotResultItem->setEnabled(solved);
}

void TElemForm::TableItemClick(bool result, int i) {
    zem::TElement& element = ElementForCommand();
    result ? element.ShowResultTable(i) : element.ShowInputTable(i);
}

void TElemForm::GraphItemClick(bool result, int i) {
    zem::TElement& element = ElementForCommand();
    result ? element.ShowResultGraph(i) : element.ShowInputGraph(i);
}

void TElemForm::GraphMeshItemClick() {
    zem::TElement& element = ElementForCommand();
    if (TViews* views = Views()) views->MeshForm->ShowMesh(views->RefTo(element));
}

void TElemForm::SolveItemClick(bool withWindow) {
    SaveData();
    if (TChildForm* window = ProblemWindowOf(this); window && ViewLinks(*Main).Solve) ViewLinks(*Main).Solve(window, withWindow);
}

bool TElemForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ElemGrid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
        const int last = ElemGrid->rowCount() - 1;
        if (Array() && last >= 0 && ElemGrid->currentRow() == last && !Value(ElemGrid, last).trimmed().isEmpty()) {
            RunGuarded(Main, [this, last] {
                CheckIdle(this);
                zem::TElemArray* array = Array();
                if (!array->OnAddItem) return;
                array->OnAddItem();
                const zem::TElemItem& added = array->Item(array->Count() - 1);
                filling_ = true;
                ElemGrid->insertRow(last + 1);
                SetCell(ElemGrid, last + 1, 0, Q(added.Key()));
                SetCell(ElemGrid, last + 1, 1, Q(added.Text()));
                filling_ = false;
                GridsChanged = true;
                ApplyGrids();
            });
        }
    }
    return TChildForm::eventFilter(watched, event);
}
