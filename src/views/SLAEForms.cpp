#include "views/SLAEForms.h"

#include "app/ChildForm.h"
#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "platform/numtext.h"
#include "views/GraphForm.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

// --- The system as a table. -----------------------------------------------------------

zem::Extended TSystemSource::Coef(int r, int c) const {
    const zem::TRowItems& row = Rows[static_cast<std::size_t>(r)];
    const auto col = static_cast<std::size_t>(c);
    auto it = std::lower_bound(row.begin(), row.end(), col,
                               [](const zem::TListItem& item, std::size_t k) { return item.Col < k; });
    return it != row.end() && it->Col == col ? it->Value : 0;
}

QString TSystemSource::CellText(int col, int row) const {
    const int n = Unknowns();
    if (row == 0) {
        if (col == 0) return {};
        return col == n + 1 ? QStringLiteral("B") : QString::number(col);
    }
    if (col == 0) return QString::number(row) + QStringLiteral(": ") + QString::fromStdString(Names[row - 1]);
    const zem::Extended x = col == n + 1 ? Free[static_cast<std::size_t>(row - 1)] : Coef(row - 1, col - 1);
    if (x == 0) return {};
    return QString::fromStdString(Format ? Format(x) : zem::RealToStrGen(15, 0, x));
}

TSLAEForm::TSLAEForm(TViews& views) : TViewForm(&views.Main, QStringLiteral("SLAEForm")), views_(views) {
    setWindowTitle(QStringLiteral("СЛАУ"));
    Grid = new TStringGrid(this);
    Grid->SetSource(&source_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Grid);
    ViewItem = AddPopupItem(QStringLiteral("&Вид матрицы"), QKeySequence(Qt::CTRL | Qt::Key_V), [this] { ViewItemClick(); });
    FormatItem = AddPopupItem(QStringLiteral("&Формат"), QKeySequence(Qt::CTRL | Qt::Key_F), [this] { FormatItemClick(); });
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(Grid->viewport()->mapToGlobal(pos)); });
}

TSLAEForm::~TSLAEForm() { Grid->SetSource(nullptr); }

void TSLAEForm::ClearGrid() {
    Grid->SetSource(nullptr);
    source_.Rows.clear();
    source_.Free.clear();
    source_.Names.clear();
    Grid->SetSource(&source_);
    views_.GrSLAEForm->update();
}

bool TSLAEForm::ShowSystem(TChildForm* window, zem::TProblem& problem) {
    // Every row pulled once; only the non-zero items are kept.
    const std::size_t n = problem.UnknownCount();
    TSystemSource system;
    system.Rows.resize(n);
    system.Free.resize(n);
    system.Names.resize(n);
    for (std::size_t r = 0; r < n; ++r) {
        system.Free[r] = problem.GetRow(r, system.Rows[r]);
        system.Names[r] = problem.Equations().Name(static_cast<int>(r));
    }
    return ShowRows(window, std::move(system));
}

bool TSLAEForm::ShowRows(TChildForm* window, TSystemSource system) {
    owner_ = window;
    Grid->SetSource(nullptr);
    source_ = std::move(system);
    source_.Names.resize(source_.Rows.size());
    source_.Free.resize(source_.Rows.size());
    source_.Format = views_.NumberFormat();
    const int n = source_.Unknowns();
    if (n > kMaxTableUnknowns) {
        // The grid stays empty: laying out so many cells would hold the
        // program up. The picture is drawn from the rows.
        hide();
        ShowMessage(Main,
                    QStringLiteral("Система из %1 уравнений слишком велика для таблицы (не более %2). "
                                   "Показан вид матрицы.")
                        .arg(n)
                        .arg(kMaxTableUnknowns),
                    TMsgKind::Information);
        ViewItemClick();
        return false;
    }
    Grid->SetSource(&source_);
    Grid->FitColumns();
    show();
    raise();
    views_.GrSLAEForm->update();
    return true;
}

void TSLAEForm::Refresh() {
    if (owner_ && !owner_->Closing() && ViewLinks(*owner_->Main).SystemTable) ViewLinks(*owner_->Main).SystemTable(owner_);
}

void TSLAEForm::ViewItemClick() {
    views_.GrSLAEForm->show();
    views_.GrSLAEForm->raise();
    views_.GrSLAEForm->update();
}

void TSLAEForm::FormatItemClick() {
    if (views_.RunFormatDialog()) Refresh();
}

// --- The picture of the pattern. ----------------------------------------------------------

TGrSLAEForm::TGrSLAEForm(TViews& views) : TViewForm(&views.Main, QStringLiteral("GrSLAEForm")), views_(views) {
    setWindowTitle(QStringLiteral("Вид матрицы СЛАУ"));
    PaintBox = new TPaintBox(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PaintBox);
    PaintBox->OnPaint = [this](QPainter& painter) {
        DrawPattern(painter, PaintBox->rect().adjusted(5, 5, -5, -5));
    };
}

void TGrSLAEForm::DrawPattern(QPainter& painter, const QRect& rect) const {
    painter.fillRect(rect, Qt::white);
    const TSystemSource& system = views_.SLAEForm->System();
    const int n = system.Unknowns();
    if (n == 0 || rect.width() <= 0 || rect.height() <= 0) return;
    // Cell (c, r) spans [left + round(c w), left + round((c + 1) w)) across
    // and the same down, w = width / N, h = height / N; a cell narrower than
    // a pixel still gets one.
    const double w = static_cast<double>(rect.width()) / n;
    const double h = static_cast<double>(rect.height()) / n;
    auto edge = [](int origin, double size, std::size_t k) {
        return origin + static_cast<int>(std::lround(static_cast<double>(k) * size));
    };
    for (std::size_t r = 0; r < system.Rows.size(); ++r) {
        const int y0 = edge(rect.top(), h, r);
        const int y1 = std::max(edge(rect.top(), h, r + 1), y0 + 1);
        for (const zem::TListItem& item : system.Rows[r]) {
            if (item.Value == 0 || item.Col >= static_cast<std::size_t>(n)) continue;
            const int x0 = edge(rect.left(), w, item.Col);
            const int x1 = std::max(edge(rect.left(), w, item.Col + 1), x0 + 1);
            painter.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), Qt::red);
        }
    }
}

QImage TGrSLAEForm::Render(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawPattern(painter, QRect(QPoint(0, 0), size).adjusted(5, 5, -5, -5));
    return image;
}
