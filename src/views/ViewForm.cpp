#include "views/ViewForm.h"
#include "app/QtText.h"

#include "app/ChildForm.h"
#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/RegIniFile.h"
#include "app/Shortcuts.h"
#include "app/TbOptionForm.h"
#include "calc/Calcul.h"
#include "domains/ElDomain.h"
#include "elements/Elements.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "problem/PbSeries.h"
#include "views/ElementForm.h"
#include "views/GrOptionForm.h"
#include "views/GraphForm.h"
#include "views/DeformedForm.h"
#include "views/PlotForm.h"
#include "views/ReportWriter.h"
#include "views/MemoForm.h"
#include "views/MeshForm.h"
#include "views/ProblemForm.h"
#include "views/SLAEForms.h"
#include "views/TableForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QUrl>
#include <QScreen>
#include <algorithm>

const char* const kProblemBusyText = "Задача в расчете. Дождитесь его окончания или прервите его";

TViewLinks& ViewLinks(TMainForm& main) { return main.Wiring<TViewLinks>(); }

TChildForm* ProblemWindowOf(const TChildForm* window) {
    if (!window) return nullptr;
    if (window->ProblemForm) return window->ProblemForm;
    // A problem window that does not name itself is the top of its family.
    const TChildForm* top = window;
    while (top->ParentForm) top = top->ParentForm;
    return const_cast<TChildForm*>(top);
}

zem::TProblem* ProblemOfWindow(const TChildForm* window) {
    TChildForm* problemWindow = ProblemWindowOf(window);
    if (!problemWindow) return nullptr;
    const TViewLinks& links = ViewLinks(*problemWindow->Main);
    return links.ProblemOf ? links.ProblemOf(problemWindow) : nullptr;
}

void CheckIdle(const TChildForm* window) {
    TChildForm* problemWindow = ProblemWindowOf(window);
    if (!problemWindow) return;
    const TViewLinks& links = ViewLinks(*problemWindow->Main);
    if (links.Busy && links.Busy(problemWindow)) throw zem::ZemError(kProblemBusyText);
}

void ChangeElements(zem::TProblem& problem, const std::function<void()>& change) {
    zem::TElement& root = problem.Root();
    const std::string before = root.Text();
    try {
        change();
        root.SetText(std::string(root.Text()));
    } catch (...) {
        try {
            root.SetText(before);
        } catch (...) {
            // The text that was read before reads again; nothing to add.
        }
        problem.CollectDomains();
        throw;
    }
    problem.CollectDomains();
    // The same text again leaves the solution as valid as it was.
    if (root.Text() != before) problem.SetCalculated(false);
}

// --- Element references. ---------------------------------------------------------

TElementRef::TElementRef(TChildForm* window, zem::TProblem* problem, const zem::TElement& element)
    : window_(window), hasWindow_(window != nullptr), problem_(problem), path_(PathOf(element)) {}

std::vector<std::string> TElementRef::PathOf(const zem::TElemItem& item) {
    std::vector<std::string> path;
    // The root element is the item whose owner is not an item (the problem).
    for (const zem::TElemItem* i = &item; i->OwnerItem(); i = i->OwnerItem()) path.push_back(i->Key());
    std::reverse(path.begin(), path.end());
    return path;
}

zem::TElemItem* TElementRef::Resolve(zem::TElemItem& root, const std::vector<std::string>& path) {
    zem::TElemItem* item = &root;
    for (const std::string& key : path) {
        auto* list = dynamic_cast<zem::TElemList*>(item);
        if (!list) return nullptr;
        const int i = list->IndexOfKey(key);
        if (i < 0) return nullptr;
        item = &list->Item(i);
    }
    return item;
}

zem::TProblem* TElementRef::Problem() const {
    if (!problem_) return nullptr;
    if (hasWindow_) {
        if (!window_ || window_->Closing()) return nullptr;
        const TViewLinks& links = ViewLinks(*window_->Main);
        if (!links.ProblemOf || links.ProblemOf(window_) != problem_) return nullptr;
    }
    return problem_;
}

zem::TProblem* TElementRef::Shown(std::size_t& which) const {
    which = 0;
    zem::TProblem* problem = Problem();
    if (!problem || !selected_ || !window_) return problem;
    const TViewLinks& links = ViewLinks(*window_->Main);
    if (!links.Calculation) return problem;
    return &zem::FinalSolution(*problem, links.Calculation(window_), which);
}

zem::TElement* TElementRef::Element() const {
    std::size_t which = 0;
    zem::TProblem* problem = Shown(which);
    if (!problem) return nullptr;
    return dynamic_cast<zem::TElement*>(Resolve(problem->Root(), path_));
}

zem::TElement* TElementRef::OwnElement() const {
    zem::TProblem* problem = Problem();
    if (!problem) return nullptr;
    return dynamic_cast<zem::TElement*>(Resolve(problem->Root(), path_));
}

std::string TElementRef::MeshText() const {
    std::size_t which = 0;
    Shown(which);
    return which ? zem::ShownMeshText(*Problem(), ViewLinks(*window_->Main).Calculation(window_)) : std::string();
}

QString WithMeshText(const QString& caption, const TElementRef& ref) {
    const std::string mesh = ref.MeshText();
    return mesh.empty() ? caption : caption + QStringLiteral(" — ") + Q(mesh);
}

void TElementRef::Clear() {
    window_ = nullptr;
    hasWindow_ = false;
    problem_ = nullptr;
    path_.clear();
    selected_ = false;
}

// --- Grids. ------------------------------------------------------------------------

QString TTableSource::CellText(int col, int row) const { return Q(table_.Text(col, row)); }

void TGridModel::SetSource(const TGridSource* source) {
    beginResetModel();
    source_ = source;
    endResetModel();
}

void TGridModel::Reset() {
    beginResetModel();
    endResetModel();
}

int TGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !source_) return 0;
    return std::max(source_->RowCount() - 1, 0);
}

int TGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !source_) return 0;
    return std::max(source_->ColCount() - 1, 0);
}

QVariant TGridModel::data(const QModelIndex& index, int role) const {
    if (!source_ || !index.isValid()) return {};
    if (role == Qt::DisplayRole) return source_->CellText(index.column() + 1, index.row() + 1);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!source_ || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    return orientation == Qt::Horizontal ? source_->CellText(section + 1, 0) : source_->CellText(0, section + 1);
}

TStringGrid::TStringGrid(QWidget* parent) : QTableView(parent), model_(new TGridModel(this)) {
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(true);
    horizontalHeader()->setDefaultSectionSize(100);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setMinimumSectionSize(16);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetCornerText(this, [this] { return Cell(0, 0); });
}

void TStringGrid::SetSource(const TGridSource* source) { model_->SetSource(source); }

void TStringGrid::Reset() {
    model_->Reset();
    if (auto* corner = findChild<QAbstractButton*>()) corner->update();
}

int TStringGrid::ColCount() const { return model_->Source() ? model_->Source()->ColCount() : 0; }

int TStringGrid::RowCount() const { return model_->Source() ? model_->Source()->RowCount() : 0; }

QString TStringGrid::Cell(int col, int row) const {
    const TGridSource* s = model_->Source();
    if (!s || col < 0 || row < 0 || col >= s->ColCount() || row >= s->RowCount()) return {};
    return s->CellText(col, row);
}

void TStringGrid::SelectCell(int col, int row) {
    const QModelIndex index = model_->index(row - 1, col - 1);
    if (!index.isValid()) return;
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void TStringGrid::FitColumns() {
    const TGridSource* s = model_->Source();
    if (!s) return;
    const QFontMetrics metrics(font());
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    constexpr int kSampleRows = 40;
    constexpr int kFittedColumns = 200;
    auto widthOf = [&](int col) {
        int width = headerMetrics.horizontalAdvance(s->CellText(col, 0)) + 16;
        // The first and the last rows.
        for (int r = 1; r < s->RowCount(); ++r) {
            if (r > kSampleRows && r < s->RowCount() - kSampleRows) r = s->RowCount() - kSampleRows;
            width = std::max(width, metrics.horizontalAdvance(s->CellText(col, r)) + 12);
        }
        return std::max(width, 100);
    };
    horizontalHeader()->setDefaultSectionSize(s->ColCount() > 1 ? widthOf(1) : 100);
    // Beyond a few hundred columns all take the first one's width.
    for (int c = 1; c < s->ColCount() && c <= kFittedColumns; ++c) setColumnWidth(c - 1, widthOf(c));
}

zem::TCellPos TStringGrid::CurrentCell() const {
    const QModelIndex index = currentIndex();
    if (!index.isValid()) return {};
    return {index.column() + 1, index.row() + 1};
}

namespace {

// Paints a header section with a text over the corner button of a grid.
class TCornerPainter : public QObject {
public:
    TCornerPainter(QAbstractButton* corner, std::function<QString()> text)
        : QObject(corner), text_(std::move(text)) {
        corner->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* corner = static_cast<QAbstractButton*>(watched);
        if (event->type() != QEvent::Paint) return false;
        QStylePainter painter(corner);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = text_();
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }

private:
    std::function<QString()> text_;
};

}  // namespace

namespace {

constexpr int kEntryStateRole = Qt::UserRole + 7;

class TEntryStateDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QString state = index.data(kEntryStateRole).toString();
        if (state.isEmpty()) return;
        painter->save();
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
        painter->drawText(option.rect.adjusted(4, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter, state);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString state = index.data(kEntryStateRole).toString();
        if (!state.isEmpty()) size.rwidth() += option.fontMetrics.horizontalAdvance(state) + 24;
        return size;
    }
};

}  // namespace

void ShowEntryStates(QListWidget* list) { list->setItemDelegate(new TEntryStateDelegate(list)); }

void SetEntryState(QListWidgetItem* item, const QString& state) {
    if (!item) return;
    item->setData(kEntryStateRole, state);
    item->setToolTip(state.isEmpty() ? item->text() : item->text() + QStringLiteral(": ") + state);
}

QString EntryState(const QListWidgetItem* item) { return item ? item->data(kEntryStateRole).toString() : QString(); }

QStringList DroppedProblemFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && path.endsWith(QStringLiteral(".zem"), Qt::CaseInsensitive) && QFileInfo(path).isFile())
            files << QDir::toNativeSeparators(path);
    }
    return files;
}

QLabel* ListTitle(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setContentsMargins(4, 2, 4, 0);
    return label;
}

void SetCornerText(QTableView* view, std::function<QString()> text) {
    if (auto* corner = view->findChild<QAbstractButton*>()) new TCornerPainter(corner, std::move(text));
}

void MergeMenusWhileActive(TChildForm* window, const QList<QMenu*>& menus) {
    TMainForm* main = window->Main;
    QObject::connect(main->MdiArea, &QMdiArea::subWindowActivated, window, [window, main, menus](QMdiSubWindow* w) {
        const bool active = w == window && !window->Closing();
        QMenuBar* bar = main->menuBar();
        for (QMenu* m : menus) {
            if (active)
                bar->insertMenu(main->OptionsMenu->menuAction(), m);
            else
                bar->removeAction(m->menuAction());
        }
    });
}

// --- The view window. ----------------------------------------------------------------

namespace {

// The order in which the kinds of tool windows step down from the first.
int KindOf(const QString& ident) {
    static const QStringList kinds{QStringLiteral("TableForm"), QStringLiteral("GraphForm"),
                                   QStringLiteral("PlotForm"),  QStringLiteral("MeshForm"),
                                   QStringLiteral("SLAEForm"),  QStringLiteral("GrSLAEForm"),
                                   QStringLiteral("DeformedForm")};
    return std::max<int>(0, static_cast<int>(kinds.indexOf(ident)));
}

}  // namespace

QPoint PlaceBesideProblem(const TMainForm& main, QSize frame, int kind) {
    constexpr int kGap = 6, kStep = 32;
    QRect area = main.frameGeometry();
    if (const QScreen* screen = main.screen()) area = screen->availableGeometry();
    const QRect mainFrame = main.frameGeometry();
    QRect anchor;  // the problem window in global coordinates
    if (TChildForm* problem = ProblemWindowOf(main.ActiveChild()); problem && problem->isVisible()) {
        const QRect r = problem->frameGeometry();
        anchor = QRect(main.MdiArea->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QPoint at;
    if (anchor.isValid()) {
        at = QPoint(anchor.right() + kGap, anchor.top());
        if (at.x() + frame.width() > area.right()) at.setX(anchor.left() - kGap - frame.width());
        if (at.x() < area.left()) at.setX(std::max(area.left(), area.right() - frame.width()));
    } else {
        at = QPoint(std::min(mainFrame.right(), area.right()) - frame.width() - 8, mainFrame.top() + 60);
    }
    // Below the windows of the kinds before it where the screen has room,
    // else a step down from the first, so that every caption shows.
    const int stacked = at.y() + kind * (frame.height() + kGap);
    at.setY(stacked + frame.height() <= area.bottom() ? stacked : at.y() + kind * kStep);
    // Whole on the screen where it fits.
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - frame.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - frame.height())));
    return at;
}

void PlaceToolWindow(QWidget* window, const TMainForm& main, int kind) {
    if (window->testAttribute(Qt::WA_Moved)) return;
    window->move(PlaceBesideProblem(main, window->frameGeometry().size(), kind));
}

TViewForm::TViewForm(TMainForm* main, const QString& ident)
    : QWidget(main, Qt::Tool), Main(main), PlacementIdent(ident) {
    resize(544, 375);
    PopupMenu = new QMenu(this);
    KeepOwnShortcuts(this);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(mapToGlobal(pos)); });
}

QAction* TViewForm::AddPopupItem(const QString& caption, const QKeySequence& key, std::function<void()> handler) {
    QAction* item = PopupMenu->addAction(caption);
    if (!key.isEmpty()) {
        item->setShortcut(key);
        item->setShortcutContext(Qt::WindowShortcut);
        addAction(item);  // the shortcut works while the window is active
    }
    connect(item, &QAction::triggered, this, [this, handler] { RunGuarded(this, handler); });
    return item;
}

void TViewForm::Follow(const TElementRef& ref) {
    TChildForm* window = ref.Window();
    if (window == followed_) return;
    disconnect(followConnection_);
    followed_ = window;
    if (!window) return;
    // The view goes with its problem: a closed problem window is destroyed
    // (and a view showing it would show data of nothing).
    followConnection_ = connect(window, &QObject::destroyed, this, [this] {
        Clear();
        hide();
    });
}

QString TViewForm::TitleWithProblem(const QString& caption) const {
    if (!followed_) return caption;
    QString name = followed_->windowTitle();
    name = name.mid(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
    return name.isEmpty() ? caption : caption + QStringLiteral(" — ") + name;
}

void TViewForm::showEvent(QShowEvent* event) {
    PlaceToolWindow(this, *Main, KindOf(PlacementIdent));
    QWidget::showEvent(event);
}

void TViewForm::closeEvent(QCloseEvent* event) {
    Main->Store().WriteString(QStringLiteral("COMMON"), PlacementIdent, PlacementText(this));
    QWidget::closeEvent(event);
}

// --- The views of the main window. -------------------------------------------------------

TViews::TViews(TMainForm& main) : QObject(&main), Main(main) {
    GrOptionForm = new TGrOptionForm(&main);
    TableForm = new TTableForm(*this);
    GraphForm = new TGraphForm(*this);
    PlotForm = new TPlotForm(*this);
    DeformedForm = new TDeformedForm(*this);
    MeshForm = new TMeshForm(*this);
    SLAEForm = new TSLAEForm(*this);
    GrSLAEForm = new TGrSLAEForm(*this);
    MemoForm = new TMemoForm(&main);
    for (TViewForm* view : std::initializer_list<TViewForm*>{TableForm, GraphForm, PlotForm, MeshForm, SLAEForm, GrSLAEForm,
                                                                    DeformedForm})
        main.RegisterPlacement(QStringLiteral("COMMON"), view->PlacementIdent, view, true);
    main.Hooks.GraphOptions = [this] {
        if (GrOptionForm->Execute()) {
            GraphForm->PaintBox->update();
            GrSLAEForm->update();
        }
    };
    zem::SetHintNumberFormat(NumberFormat());
    // "&Числа" of the main window writes the store only after the dialog has
    // closed: the hints take the dialog's values themselves.
    connect(main.TbOptionForm, &QDialog::accepted, this, [this] {
        const int width = Main.TbOptionForm->WidthEdit->value();
        const int decimals = Main.TbOptionForm->DecimalsEdit->value();
        zem::SetHintNumberFormat([width, decimals](zem::Extended x) { return zem::RealToStrExp(width, decimals, x); });
    });
}

TViews::~TViews() = default;

TViews* TViews::Of(const TMainForm* main) {
    return main ? main->findChild<TViews*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

TChildForm* TViews::WindowOf(const zem::TProblem* problem) const {
    const TViewLinks& links = ViewLinks(Main);
    if (!problem || !links.ProblemOf) return nullptr;
    for (TChildForm* child : Main.Children())
        if (links.ProblemOf(child) == problem) return child;
    return nullptr;
}

TElementRef TViews::RefTo(const zem::TElement& element) const {
    auto* problem = dynamic_cast<zem::TProblem*>(element.FindProblem());
    if (!problem) return {};
    return TElementRef(WindowOf(problem), problem, element);
}

namespace {

// A result (Selector from 100 on) is shown on the mesh a selection chose: the
// reference looks there, and the data come from that approximation.
TElementRef ResultRef(TElementRef ref, const zem::TElement& element, int selector,
                      std::unique_ptr<zem::TObject>& data) {
    if (selector / 100 == 0) return ref;
    ref.ShowSelected(true);
    if (zem::TElement* shown = ref.Element(); shown && shown != &element) data = shown->ResultValues(selector % 100);
    return ref;
}

}  // namespace

void TViews::ShowTable(zem::TElement& element, int selector, const std::string& caption,
                       const std::string& extension, std::unique_ptr<zem::TObject> data) {
    TElementRef ref = ResultRef(RefTo(element), element, selector, data);
    TableForm->ShowTable(ref, selector, Q(caption), Q(extension), std::move(data));
}

void TViews::ShowGraph(zem::TElement& element, int selector, const std::string& caption,
                       std::unique_ptr<zem::TObject> data) {
    TElementRef ref = ResultRef(RefTo(element), element, selector, data);
    GraphForm->ShowGraph(ref, selector, Q(caption), std::move(data));
}

void TViews::RefreshViewsFor(TChildForm* window, zem::TProblem& problem) {
    problem.SetViews(this);
    // 1. The system views of the window.
    if ((SLAEForm->isVisible() || GrSLAEForm->isVisible()) && window && SLAEForm->Owner() == window)
        SLAEForm->Refresh();
    // 2. The table and the graph re-run their selection: s div 100 <> 0 is
    // result s mod 100, otherwise initial data s.
    auto rerun = [](const TElementRef& ref, int s, bool table) {
        zem::TElement* element = ref.OwnElement();
        if (!element) return false;
        if (s / 100 != 0)
            table ? element->ShowResultTable(s % 100) : element->ShowResultGraph(s % 100);
        else
            table ? element->ShowInputTable(s) : element->ShowInputGraph(s);
        return true;
    };
    if (TableForm->isVisible() && TableForm->Ref().IsOf(&problem)) {
        try {
            if (!rerun(TableForm->Ref(), TableForm->Selector(), true)) TableForm->Clear();
        } catch (...) {
            TableForm->Clear();
        }
    }
    if (GraphForm->isVisible() && GraphForm->Ref().IsOf(&problem)) {
        try {
            if (!rerun(GraphForm->Ref(), GraphForm->Selector(), false)) GraphForm->Clear();
        } catch (...) {
            GraphForm->Clear();
        }
        GraphForm->PaintBox->update();
    }
    if (PlotForm->isVisible() && PlotForm->Ref().IsOf(&problem)) {
        try {
            PlotForm->Refill();
        } catch (...) {
            PlotForm->Clear();
        }
    }
    if (DeformedForm->isVisible() && DeformedForm->Ref().IsOf(&problem)) {
        try {
            DeformedForm->Refill();
        } catch (...) {
            DeformedForm->Clear();
        }
    }
    // 3. The mesh view.
    if (MeshForm->isVisible() && MeshForm->Ref().IsOf(&problem)) MeshForm->update();
}

void TViews::ForgetProblem(const zem::TProblem* problem) {
    if (!problem) return;
    if (TableForm->Ref().IsOf(problem)) TableForm->Clear();
    if (GraphForm->Ref().IsOf(problem)) GraphForm->Clear();
    if (PlotForm->Ref().IsOf(problem)) PlotForm->Clear();
    if (DeformedForm->Ref().IsOf(problem)) DeformedForm->Clear();
    if (MeshForm->Ref().IsOf(problem)) MeshForm->Clear();
}

zem::TTableModel::TNumberFormat TViews::NumberFormat() const {
    const int width = Main.Store().ReadInteger(QStringLiteral("Digits"), QStringLiteral("Width"), 11);
    const int decimals = Main.Store().ReadInteger(QStringLiteral("Digits"), QStringLiteral("Decimals"), 4);
    return [width, decimals](zem::Extended x) { return zem::RealToStrExp(width, decimals, x); };
}

bool TViews::RunFormatDialog() {
    Main.TableOptionsItemClick();
    return Main.TbOptionForm->result() == QDialog::Accepted;
}

TViews& InstallViews(TMainForm& main) {
    if (TViews* views = TViews::Of(&main)) return *views;
    auto* views = new TViews(main);
    // The program's problem window.
    TViewLinks& links = ViewLinks(main);
    links.ProblemOf = [](TChildForm* window) -> zem::TProblem* {
        auto* form = qobject_cast<TProblemForm*>(window);
        return form ? form->Problem.get() : nullptr;
    };
    links.Busy = [](TChildForm* window) {
        auto* form = qobject_cast<TProblemForm*>(window);
        return form && form->Busy();
    };
    links.Solve = [](TChildForm* window, bool withWindow) {
        if (auto* form = qobject_cast<TProblemForm*>(window)) form->SolveItemClick(withWindow);
    };
    links.SystemTable = [](TChildForm* window) {
        if (auto* form = qobject_cast<TProblemForm*>(window)) form->TableSLAEItemClick();
    };
    links.Calculation = [](TChildForm* window) {
        auto* form = qobject_cast<TProblemForm*>(window);
        return form ? LinesOf(form->CalculMemo) : std::vector<std::string>();
    };
    TProblemFormHooks& hooks = ProblemFormHooks(main);
    hooks.ElementEditor = ElementEditorFactory();
    hooks.SystemTable = [views](TProblemForm& form) {
        if (form.Problem) views->SLAEForm->ShowSystem(&form, *form.Problem);
    };
    hooks.Plot = [views](TProblemForm& form) {
        form.ApplyObjectText();
        if (!form.Problem || !form.Problem->Calculated()) throw zem::ZemError("Задача не рассчитана");
        TElementRef ref = views->RefTo(form.Problem->Root());
        ref.ShowSelected(true);
        views->PlotForm->ShowPlot(ref, 0);
    };
    hooks.Deformed = [views](TProblemForm& form) {
        form.ApplyObjectText();
        if (!form.Problem || !form.Problem->Calculated()) throw zem::ZemError("Задача не рассчитана");
        TElementRef ref = views->RefTo(form.Problem->Root());
        ref.ShowSelected(true);
        views->DeformedForm->ShowDeformed(ref);
    };
    hooks.Report = [views](TProblemForm& form) { ReportItemClick(form, *views); };
    // Chained after whatever refresh is installed already (the approximations).
    hooks.RefreshViews = [views, previous = hooks.RefreshViews](TProblemForm& form) {
        if (previous) previous(form);
        if (form.Problem) views->RefreshViewsFor(&form, *form.Problem);
    };
    return *views;
}
