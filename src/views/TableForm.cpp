#include "views/TableForm.h"
#include "app/QtText.h"

#include "app/ChildForm.h"
#include "app/Dialogs.h"
#include "app/FChildForm.h"
#include "app/MainForm.h"
#include "elements/Elements.h"
#include "elements/MyStr.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numtext.h"
#include "problem/FileNames.h"

#include "views/ResultField.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSaveFile>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {


// A coordinate cell: a number, or a label of a stepped element that joins a
// number and a span's key with ": " ("0.5: Span2" or "Span2: 0.5").
zem::Extended Coordinate(const std::string& text) {
    const std::size_t colon = text.find(": ");
    if (colon == std::string::npos) return zem::StrToReal(text);
    zem::Extended x = 0;
    if (zem::TryParseScalar(zem::Trimmed(text.substr(0, colon)), x)) return x;
    return zem::StrToReal(text.substr(colon + 2));
}

// The smallest positive difference of neighbours in Coords (taken as
// Coords[i] - Coords[i + 1] when Descending); 0 when there is none.
zem::Extended SmallestStep(const std::vector<zem::Extended>& coords, bool descending) {
    zem::Extended best = std::numeric_limits<zem::Extended>::infinity();
    for (std::size_t i = 0; i + 1 < coords.size(); ++i) {
        const zem::Extended d = descending ? coords[i] - coords[i + 1] : coords[i + 1] - coords[i];
        if (d > 0 && d < best) best = d;
    }
    return std::isfinite(best) ? best : 0;
}

// round(Gap / Step), 0 for a gap that is not positive.
int Parts(zem::Extended gap, zem::Extended step) {
    if (!(gap > 0) || !(step > 0)) return 0;
    return static_cast<int>(std::lround(static_cast<double>(gap / step)));
}

std::string Number(zem::Extended x) { return zem::RealToStrExp(4, 8, x); }

// The readable format of the coordinates Coords: the fewest significant
// digits, from three to six, that show every node as it lies (a mesh of
// fractions of the length needs few; the steps of an edge zone more), and
// never two neighbours alike.
TReadableFormat CoordFormat(std::vector<zem::Extended> coords) {
    if (coords.empty()) return {};
    std::sort(coords.begin(), coords.end());
    coords.erase(std::unique(coords.begin(), coords.end()), coords.end());
    const zem::Extended tolerance = 1e-9L * std::max(std::fabs(coords.front()), std::fabs(coords.back()));
    for (int digits = 3;; ++digits) {
        const TReadableFormat f = ReadableFormat(coords.front(), coords.back(), digits);
        bool exact = true;
        for (std::size_t i = 0; exact && i < coords.size(); ++i) {
            zem::Extended back = 0;
            exact = zem::TryParseScalar(f.Text(coords[i]), back) && std::fabs(back - coords[i]) <= tolerance &&
                    (i == 0 || f.Text(coords[i - 1]) != f.Text(coords[i]));
        }
        if (exact || digits >= 6) return f;
    }
}

// Significant digits of the largest value of a readable table.
constexpr int kTableDigits = 4;

}  // namespace

std::vector<std::string> ResampleTable(const zem::TTableModel& table) {
    const int rows = table.RowCount(), cols = table.ColCount();
    std::vector<std::string> lines;
    if (rows < 3 || cols < 2) return lines;
    // 1. Coordinates and values; the steps.
    std::vector<zem::Extended> y(static_cast<std::size_t>(rows), 0);
    for (int r = 1; r < rows; ++r) y[static_cast<std::size_t>(r)] = Coordinate(table.Text(0, r));
    const bool single = cols == 2;
    std::vector<zem::Extended> x(static_cast<std::size_t>(cols), 0);
    if (!single)
        for (int c = 1; c < cols; ++c) x[static_cast<std::size_t>(c)] = Coordinate(table.Text(c, 0));
    auto v = [&](int c, int r) { return zem::StrToReal(table.Text(c, r)); };
    const zem::Extended dy = SmallestStep({y.begin() + 1, y.end()}, true);
    const zem::Extended dx = single ? 0 : SmallestStep({x.begin() + 1, x.end()}, false);
    // 2. From the bottom row upwards, hR lines between rows r and r - 1.
    for (int r = rows - 1; r >= 2; --r) {
        const int hR = Parts(y[static_cast<std::size_t>(r - 1)] - y[static_cast<std::size_t>(r)], dy);
        for (int m = 0; m < hR; ++m) {
            std::string line;
            const zem::Extended t = static_cast<zem::Extended>(m) / hR;
            if (single) {
                const zem::Extended a = v(1, r) + (v(1, r - 1) - v(1, r)) * t;
                line += Number(a) + "\t";
            }
            for (int c = 1; !single && c + 1 < cols; ++c) {
                const zem::Extended a = v(c, r) + (v(c, r - 1) - v(c, r)) * t;
                const zem::Extended b = v(c + 1, r) + (v(c + 1, r - 1) - v(c + 1, r)) * t;
                const int hC = Parts(x[static_cast<std::size_t>(c + 1)] - x[static_cast<std::size_t>(c)], dx);
                for (int p = 0; p < hC; ++p) line += Number(a + (b - a) * p / hC) + "\t";
            }
            // 3. A line break ends each sub-row.
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

void TTableDisplay::ChooseFormats() {
    std::vector<zem::Extended> rows, cols;
    zem::Extended lo = std::numeric_limits<zem::Extended>::infinity(), hi = -lo, x = 0;
    for (int r = 1; r < table_.RowCount(); ++r)
        if (zem::TryParseScalar(table_.Text(0, r), x)) rows.push_back(x);
    for (int c = 1; c < table_.ColCount(); ++c)
        if (zem::TryParseScalar(table_.Text(c, 0), x)) cols.push_back(x);
    for (int r = 1; r < table_.RowCount(); ++r)
        for (int c = 1; c < table_.ColCount(); ++c)
            if (zem::TryParseScalar(table_.Text(c, r), x)) lo = std::min(lo, x), hi = std::max(hi, x);
    Values = lo <= hi ? ReadableFormat(lo, hi, kTableDigits) : TReadableFormat{};
    RowCoords = CoordFormat(std::move(rows));
    ColCoords = CoordFormat(std::move(cols));
}

QString TTableDisplay::CellText(int col, int row) const {
    if (!Angles.empty() && col == 1) {
        if (row == 0) return Q(AxisTitle("θ", true));
        return row - 1 < static_cast<int>(Angles.size()) ? Q(Angles[static_cast<std::size_t>(row - 1)]) : QString();
    }
    const int c = !Angles.empty() && col > 1 ? col - 1 : col;
    const std::string& text = table_.Text(c, row);
    zem::Extended x = 0;
    if (!Readable || (c == 0 && row == 0) || !zem::TryParseScalar(text, x)) return Q(text);
    return Q((c == 0 ? RowCoords : row == 0 ? ColCoords : Values).Text(x));
}

TTableForm::TTableForm(TViews& views)
    : TViewForm(&views.Main, QStringLiteral("TableForm")), views_(views) {
    setWindowTitle(QStringLiteral("Таблица"));
    Grid = new TStringGrid(this);
    Grid->SetSource(&source_);
    Grid->setContextMenuPolicy(Qt::NoContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Grid);
    MinMaxItem = AddPopupItem(QStringLiteral("&MinMax"), QKeySequence(Qt::CTRL | Qt::Key_M), [this] { MinMaxItemClick(); });
    MaxItem = AddPopupItem(QStringLiteral("Ma&x"), {}, [this] { MaxItemClick(); });
    MinItem = AddPopupItem(QStringLiteral("Mi&n"), {}, [this] { MinItemClick(); });
    PopupMenu->addSeparator();
    FormatItem = AddPopupItem(QStringLiteral("&Формат"), QKeySequence(Qt::CTRL | Qt::Key_F), [this] { FormatItemClick(); });
    ReadableItem = AddPopupItem(QStringLiteral("&Читаемые числа"), {}, [] {});  // toggled below
    ReadableItem->setCheckable(true);
    ReadableItem->setChecked(views.Main.Store().ReadBool(QStringLiteral("Digits"), QStringLiteral("Readable"), true));
    ReadableItem->setToolTip(QStringLiteral("Числа столбца в одном формате по его диапазону; "
                                            "снять — формат «&Формат»"));
    connect(ReadableItem, &QAction::toggled, this, [this](bool on) { ReadableItemClick(on); });
    PopupMenu->addSeparator();
    SaveItem = AddPopupItem(QStringLiteral("&Сохранить"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { SaveItemClick(); });
    CsvItem = AddPopupItem(QStringLiteral("Сохранить как &CSV"), {}, [this] { RunGuarded(this, [this] { CsvItemClick(); }); });
    CsvRuItem = AddPopupItem(QStringLiteral("Сохранить как CSV для &Excel (; и десятичная запятая)"), {},
                             [this] { RunGuarded(this, [this] { CsvItemClick(true); }); });
    PopupMenu->addSeparator();
    CopyItem = AddPopupItem(QStringLiteral("&Копировать"), QKeySequence(QKeySequence::Copy), [this] { CopyItemClick(); });
    // The grid passes its context-menu requests to the window.
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(Grid->viewport()->mapToGlobal(pos)); });
}

TTableForm::~TTableForm() { Grid->SetSource(nullptr); }

void TTableForm::ShowTable(const TElementRef& element, int selector, const QString& caption,
                           const QString& extension, std::unique_ptr<zem::TObject> data) {
    data_ = std::move(data);
    ref_ = element;
    selector_ = selector;
    extension_ = extension;
    Follow(element);
    // The field's name is the caption's text in brackets; the caption adds
    // its unit.
    const qsizetype open = caption.indexOf(QLatin1Char('(')), close = caption.lastIndexOf(QLatin1Char(')'));
    field_ = open >= 0 && close > open ? Std(caption.mid(open + 1, close - open - 1)) : std::string();
    QString title = caption;
    if (zem::TElement* e = element.Element(); e && !field_.empty())
        title = caption.left(open + 1) + Q(FieldTitle(*e, field_)) + caption.mid(close);
    setWindowTitle(TitleWithProblem(WithMeshText(title, ref_)));
    Refill();
    show();
    raise();
}

void TTableForm::Refill() {
    table_.SetNumberFormat(views_.NumberFormat());
    table_.SetSize(0, 0);
    table_.MaxPos = table_.MinPos = {};
    zem::TElement* element = ref_.Element();
    try {
        if (element) element->FillTable(table_, data_.get());
    } catch (...) {
        Grid->Reset();
        throw;
    }
    LabelColumns();
    source_.Readable = ReadableItem->isChecked();
    if (source_.Readable) source_.ChooseFormats();
    Grid->Reset();
    Grid->FitColumns();
    MinMaxItemClick();
}

void TTableForm::LabelColumns() {
    source_.Angles.clear();
    zem::TElement* element = ref_.Element();
    if (!element || table_.RowCount() == 0) return;
    TResultField field;
    try {
        field = SampleField(*element, data_.get(), field_);
    } catch (...) {
        // A table whose field cannot be sampled keeps the element's headers.
    }
    const bool angular = field.Blocks.size() == 1 && field.Blocks.front().AngularX;
    const std::string value = field_.empty() ? table_.Text(1, 0) : FieldTitle(*element, field_);
    if (table_.ColCount() == 2) {
        // A line: the coordinate (the arc length of a ring) and the value.
        table_.SetText(0, 0, AxisTitle(angular ? "s" : "x", false));
        table_.SetText(1, 0, value);
        if (angular && field.Blocks.front().Rows == table_.RowCount() - 1) {
            // The last node on top, as the coordinates.
            const std::vector<zem::Extended>& x = field.Blocks.front().X;
            for (auto it = x.rbegin(); it != x.rend(); ++it) source_.Angles.push_back(zem::RealToStrGen(6, 2, *it));
        }
    } else {
        table_.SetText(0, 0, "x \\ y, " + DisplayUnit("m") + (field_.empty() ? std::string() : "; " + value));
    }
}

void TTableForm::Clear() {
    data_.reset();
    ref_.Clear();
    selector_ = 0;
    field_.clear();
    table_.SetSize(0, 0);
    table_.MaxPos = table_.MinPos = {};
    Grid->Reset();
    setWindowTitle(QStringLiteral("Таблица"));
}

void TTableForm::MaxItemClick() { Grid->SelectCell(source_.GridCol(table_.MaxPos.Col), table_.MaxPos.Row); }

void TTableForm::MinItemClick() { Grid->SelectCell(source_.GridCol(table_.MinPos.Col), table_.MinPos.Row); }

void TTableForm::MinMaxItemClick() {
    const zem::TCellPos mx = table_.MaxPos, mn = table_.MinPos;
    if (mx.Col < 0 || mn.Col < 0) return;
    const zem::Extended largest = zem::StrToReal(table_.Text(mx.Col, mx.Row));
    const zem::Extended smallest = zem::StrToReal(table_.Text(mn.Col, mn.Row));
    if (std::fabs(largest) >= std::fabs(smallest))
        MaxItemClick();
    else
        MinItemClick();
}

void TTableForm::FormatItemClick() {
    if (views_.RunFormatDialog()) Refill();
}

void TTableForm::ReadableItemClick(bool on) {
    if (ReadableItem->isChecked() != on) ReadableItem->setChecked(on);  // comes back here
    views_.Main.Store().WriteBool(QStringLiteral("Digits"), QStringLiteral("Readable"), on);
    source_.Readable = on;
    if (on) source_.ChooseFormats();
    Grid->Reset();
    Grid->FitColumns();
    MinMaxItemClick();
}

void TTableForm::SaveItemClick() {
    // The active document's file name with the table's extension.
    QString proposed;
    if (auto* file = qobject_cast<TFChildForm*>(Main->ActiveChild())) {
        const QString full = Main->ToAbsolutePath(QString::fromStdString(zem::StoredPath(Std(file->windowTitle()))));
        proposed = QString::fromStdString(zem::NativePath(zem::ChangeFileExtension(Std(full), Std(extension_))));
    }
    const QString filter = QStringLiteral("Таблица (*.%1)|*.%1|Все файлы (*.*)|*.*").arg(extension_);
    const QString chosen = AskSaveFileName(this, proposed, filter, extension_);
    if (chosen.isEmpty()) return;
    zem::WriteTextFile(Std(chosen), ResampleTable(table_));
}

QString TTableForm::TableText() const {
    int c0 = 1, c1 = table_.ColCount() - 1, r0 = 1, r1 = table_.RowCount() - 1;
    const QModelIndexList selected = Grid->selectionModel() ? Grid->selectionModel()->selectedIndexes() : QModelIndexList();
    if (selected.size() > 1) {
        // The grid's indexes leave out the header row and column.
        c0 = r0 = std::numeric_limits<int>::max();
        c1 = r1 = 0;
        for (const QModelIndex& i : selected) {
            c0 = std::min(c0, i.column() + 1), c1 = std::max(c1, i.column() + 1);
            r0 = std::min(r0, i.row() + 1), r1 = std::max(r1, i.row() + 1);
        }
    }
    QString text;
    auto row = [&](int r) {
        QStringList cells{Q(table_.Text(0, r))};
        for (int c = c0; c <= c1; ++c) cells << Q(table_.Text(c, r));
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    if (table_.RowCount() == 0) return text;
    row(0);
    for (int r = r0; r <= r1; ++r) row(r);
    return text;
}

void TTableForm::CopyItemClick() { QGuiApplication::clipboard()->setText(TableText()); }

std::vector<std::string> TTableForm::CsvLines(bool russian) const {
    zem::TElement* element = ref_.Element();
    if (!element || !data_) return {};
    const TResultField field = SampleField(*element, data_.get(), field_);
    if (field.Empty()) return {};
    return russian ? FieldCsv(field, ';', true) : FieldCsv(field);
}

void TTableForm::CsvItemClick(bool russian) {
    const std::vector<std::string> lines = CsvLines(russian);
    if (lines.empty()) return;
    QString proposed;
    if (auto* file = qobject_cast<TFChildForm*>(Main->ActiveChild())) {
        const QString full = Main->ToAbsolutePath(QString::fromStdString(zem::StoredPath(Std(file->windowTitle()))));
        proposed = QString::fromStdString(zem::NativePath(zem::ChangeFileExtension(Std(full), "csv")));
    }
    const QString chosen = AskSaveFileName(this, proposed, QStringLiteral("Таблица CSV (*.csv)|*.csv"), QStringLiteral("csv"));
    if (chosen.isEmpty()) return;
    // UTF-8, as spreadsheets read CSV; written whole or not at all.
    zem::CheckWritable(Std(chosen));  // the system's reason for a place that takes no file
    QSaveFile out(chosen);
    if (!out.open(QIODevice::WriteOnly))
        zem::RaiseFileFailure(zem::kWriteFailure, Std(chosen), Std(out.errorString()));
    if (russian) out.write("\xEF\xBB\xBF", 3);
    for (const std::string& line : lines) {
        out.write(line.data(), static_cast<qint64>(line.size()));
        out.write("\n", 1);
    }
    if (!out.commit()) zem::RaiseFileFailure(zem::kWriteFailure, Std(chosen), Std(out.errorString()));
}
