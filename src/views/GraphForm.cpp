#include "views/GraphForm.h"

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/QtText.h"
#include "elements/Elements.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numtext.h"
#include "problem/Problems.h"
#include "views/GrOptionForm.h"
#include "views/QtCanvas.h"
#include "views/ReadableNumbers.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

// --- The picture. ------------------------------------------------------------------

namespace {

zem::TRect ToTRect(const QRect& r) { return {r.left(), r.top(), r.right(), r.bottom()}; }

QString Num(zem::Extended x, int precision = 4) { return Q(zem::RealToStrGen(precision, 1, x)); }

// About Count round values from 0 to Hi (1, 2 or 5 times a power of ten apart).
std::vector<double> Ticks(double hi, int count) {
    std::vector<double> ticks;
    if (!(hi > 0) || !std::isfinite(hi) || count < 1) return ticks;
    const double raw = hi / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    for (int k = 0; k * step <= hi * (1 + 1e-9); ++k) ticks.push_back(k * step);
    return ticks;
}

// The extent of the field along direction 0 (all blocks) and around.
double HeightOf(const TResultField& field) {
    return field.Blocks.empty() ? 0 : static_cast<double>(field.Blocks.back().Offset + field.Blocks.back().ExtentX);
}
double WidthOf(const TResultField& field) {
    double w = 0;
    for (const TFieldBlock& b : field.Blocks) w = std::max(w, static_cast<double>(b.ExtentY));
    return w;
}
QString AxisTitleX(const TResultField& field) {
    return Q(AxisTitle("x", !field.Blocks.empty() && field.Blocks.front().AngularX));
}
QString AxisTitleY(const TResultField& field) {
    return Q(AxisTitle("y", !field.Blocks.empty() && field.Blocks.front().AngularY));
}

void PaintAxes(QPainter& p, const TGraphLayout& lay, const TResultField& field) {
    const QRect& m = lay.Map;
    const QFontMetrics fm(p.font());
    p.setPen(Qt::black);
    p.drawRect(m.adjusted(-1, -1, 0, 0));
    const double height = HeightOf(field);
    for (double t : Ticks(height, std::max(2, m.height() / 50))) {
        const int y = m.bottom() - static_cast<int>(std::lround(t / height * m.height()));
        p.drawLine(m.left() - 5, y, m.left() - 1, y);
        const QString text = Num(t);
        p.drawText(m.left() - 8 - fm.horizontalAdvance(text), y + fm.ascent() / 2, text);
    }
    p.drawText(4, fm.ascent() + 2, AxisTitleX(field));
    if (!field.Surface()) return;
    const double width = WidthOf(field);
    for (double t : Ticks(width, std::max(2, m.width() / 70))) {
        const int x = m.left() + static_cast<int>(std::lround(t / width * m.width()));
        p.drawLine(x, m.bottom() + 1, x, m.bottom() + 5);
        const QString text = Num(t);
        p.drawText(x - fm.horizontalAdvance(text) / 2, m.bottom() + 6 + fm.ascent(), text);
    }
    const QString title = AxisTitleY(field);
    p.drawText(m.right() - fm.horizontalAdvance(title), m.bottom() + 8 + fm.ascent() + fm.height(), title);
}

}  // namespace

void PaintLegend(QPainter& p, const TGraphLayout& lay, const TResultField& field, const zem::TPalette& palette) {
    const QRect& l = lay.Legend;
    const QFontMetrics fm(p.font());
    p.setPen(Qt::black);
    p.drawText(QRect(l.left(), l.top() - 20, l.width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
               fm.elidedText(Q(field.Title()), Qt::ElideRight, l.width()));
    const std::vector<TLegendBand> bands = LegendBands(field, palette);
    if (bands.empty()) return;
    const int n = static_cast<int>(bands.size());
    const int barLeft = l.left(), barRight = l.left() + 18;
    auto edge = [&](int k) { return l.bottom() + 1 - static_cast<int>(std::lround(double(k) * l.height() / n)); };
    for (int k = 0; k < n; ++k)
        p.fillRect(QRect(QPoint(barLeft, edge(k + 1)), QPoint(barRight, edge(k) - 1)), ToQColor(bands[k].Color));
    p.drawRect(QRect(QPoint(barLeft - 1, l.top() - 1), QPoint(barRight, l.bottom())));
    // Labels on the band edges, as many as fit, all in one format.
    const TReadableFormat format = ReadableFormat(bands.front().Low, bands.back().High);
    const int every = std::max(1, (n + 1) * (fm.height() + 2) / std::max(1, l.height()) + 1);
    for (int k = 0; k <= n; k += every) {
        const zem::Extended v = k < n ? bands[k].Low : bands[n - 1].High;
        const int y = edge(k);
        p.drawLine(barRight + 1, y, barRight + 4, y);
        p.drawText(barRight + 7, y + fm.ascent() / 2 - 1, Q(format.Text(v)));
    }
}

TGraphLayout GraphLayout(const QSize& size) {
    TGraphLayout lay;
    const int w = size.width(), h = size.height();
    if (w >= 360 && h >= 200) {
        lay.Framed = true;
        lay.Map = QRect(QPoint(64, 26), QPoint(w - 140, h - 44));
        lay.Legend = QRect(QPoint(w - 126, 26), QPoint(w - 6, h - 44));
    } else {
        lay.Map = QRect(QPoint(5, 5), QPoint(w - 6, h - 6));
    }
    return lay;
}

zem::Extended AutoLevelStep(const TResultField& field, const zem::TColorScale& scale) {
    if (scale.LevelCount() <= 0) return 0;
    const TExtreme hi = LargestOf(field), lo = SmallestOf(field);
    if (!hi.Found) return 0;
    return std::max(std::fabs(hi.Value), std::fabs(lo.Value)) / scale.LevelCount();
}

std::vector<TLegendBand> LegendBands(const TResultField& field, const zem::TPalette& palette) {
    std::vector<TLegendBand> bands;
    const TExtreme hi = LargestOf(field), lo = SmallestOf(field);
    if (!hi.Found) return bands;
    const zem::Extended s = AutoLevelStep(field, palette);
    const int up = hi.Value > 0 ? palette.LevelOf(hi.Value, s) : 0;
    const int down = lo.Value < 0 ? palette.LevelOf(lo.Value, s) : 0;
    for (int k = down; k >= 1; --k) bands.push_back({-s * (k + 1), -s * k, palette.Minus()[static_cast<std::size_t>(k - 1)]});
    bands.push_back({-s, s, zem::clWhite});
    for (int k = 1; k <= up; ++k) bands.push_back({s * k, s * (k + 1), palette.Plus()[static_cast<std::size_t>(k - 1)]});
    // The legend spans the field's own values: the white band goes when no
    // value lies in it, the end bands stop at the smallest and largest value.
    std::erase_if(bands, [&](const TLegendBand& b) { return b.High < lo.Value || b.Low > hi.Value; });
    if (bands.empty()) return bands;
    bands.front().Low = lo.Value;
    bands.back().High = hi.Value;
    return bands;
}

void PaintGraphPicture(QPainter& painter, const QSize& size, const TGraphPicture& picture) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    if (!picture.Element || !picture.Data || !picture.Palette) return;
    const TGraphLayout lay = GraphLayout(size);
    {
        TQtCanvas canvas(painter);
        try {
            picture.Element->DrawGraph(canvas, ToTRect(lay.Map), 0, picture.Data, *picture.Palette);
        } catch (...) {
            // Data that no longer fits the element (its mesh was edited) draws
            // what it can; the next selection shows it whole.
        }
    }
    if (!lay.Framed || !picture.Field || picture.Field->Empty()) return;
    painter.save();
    PaintAxes(painter, lay, *picture.Field);
    PaintLegend(painter, lay, *picture.Field, *picture.Palette);
    painter.restore();
}

// --- The paint box. ----------------------------------------------------------------

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

zem::TRect TPaintBox::DrawingRect() const { return {5, 5, width() - 6, height() - 6}; }

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (OnPaint) OnPaint(painter);
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) OnMouseMove(event->position().toPoint());
}

void UpdateHint(QWidget* box, const QPoint& pos, const QString& text) {
    if (box->toolTip() == text) return;
    box->setToolTip(text);
    QToolTip::hideText();
    if (!text.isEmpty() && box->isVisible()) QToolTip::showText(box->mapToGlobal(pos), text, box);
}

// --- The graph window. -------------------------------------------------------------

TGraphForm::TGraphForm(TViews& views) : TViewForm(&views.Main, QStringLiteral("GraphForm")), views_(views) {
    setWindowTitle(QStringLiteral("Графика"));
    PaintBox = new TPaintBox(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PaintBox);
    PaintBox->OnPaint = [this](QPainter& painter) { Paint(painter); };
    PaintBox->OnMouseMove = [this](const QPoint& pos) { UpdateHint(PaintBox, pos, HintAt(pos)); };
    MeshItem = AddPopupItem(QStringLiteral("&Сетка"), QKeySequence(Qt::CTRL | Qt::Key_M), [this] { MeshItemClick(); });
    MeshItem->setCheckable(true);
    OptionItem =
        AddPopupItem(QStringLiteral("&Установки"), QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OptionItemClick(); });
    PopupMenu->addSeparator();
    SaveItem = AddPopupItem(QStringLiteral("&Сохранить рисунок"), QKeySequence(Qt::CTRL | Qt::Key_S),
                            [this] { RunGuarded(this, [this] { SaveItemClick(); }); });
    // A checkable action toggles itself before its handler runs; the handler
    // takes the state from the options instead.
    MeshItem->setChecked(views_.GrOptionForm->MeshVisible());
    watcher_ = new QFutureWatcher<QImage>(this);
    connect(watcher_, &QFutureWatcher<QImage>::finished, this, [this] { PictureReady(); });
}

TGraphForm::~TGraphForm() { watcher_->waitForFinished(); }

void TGraphForm::ShowGraph(const TElementRef& element, int selector, const QString& caption,
                           std::unique_ptr<zem::TObject> data) {
    data_ = std::move(data);
    ref_ = element;
    selector_ = selector;
    Follow(element);
    setWindowTitle(TitleWithProblem(WithMeshText(caption, ref_)));
    // The field's name is the caption's text in brackets.
    const qsizetype open = caption.indexOf(QLatin1Char('(')), close = caption.lastIndexOf(QLatin1Char(')'));
    const std::string name = open >= 0 && close > open ? Std(caption.mid(open + 1, close - open - 1)) : std::string();
    field_ = {};
    snapshot_.reset();
    snapshotElement_ = nullptr;
    snapshotData_.reset();
    snapshotField_.reset();
    if (zem::TElement* e = ref_.Element()) {
        field_ = SampleField(*e, data_.get(), name);
        if (!name.empty())
            setWindowTitle(TitleWithProblem(
                WithMeshText(caption.left(open + 1) + Q(FieldTitle(*e, name)) + caption.mid(close), ref_)));
        // The problem that holds the element shown (an approximation's after
        // a mesh selection).
        auto* problem = dynamic_cast<zem::TProblem*>(e->FindProblem());
        try {
            if (problem && !field_.Empty()) {
                std::shared_ptr<zem::TProblem> copy(problem->Clone());
                auto* item = TElementRef::Resolve(copy->Root(), TElementRef::PathOf(*e));
                if (auto* copied = dynamic_cast<zem::TElement*>(item)) {
                    snapshotElement_ = copied;
                    snapshot_ = std::move(copy);
                    snapshotData_ = FieldData(field_);
                    snapshotField_ = std::make_shared<const TResultField>(field_);
                }
            }
        } catch (...) {
            // Without a copy the window draws on its own thread.
            snapshot_.reset();
            snapshotElement_ = nullptr;
        }
    }
    show();
    raise();
    Invalidate();
}

void TGraphForm::Clear() {
    data_.reset();
    ref_.Clear();
    selector_ = 0;
    field_ = {};
    snapshot_.reset();
    snapshotElement_ = nullptr;
    snapshotData_.reset();
    snapshotField_.reset();
    setWindowTitle(QStringLiteral("Графика"));
    Invalidate();
}

void TGraphForm::Invalidate() {
    ++generation_;
    PaintBox->update();
}

// The key of a picture: the graph shown, the colour scale and the mesh switch.
static int SceneKey(int generation, const zem::TPalette& palette) {
    return generation * 4096 + palette.LevelCount() * 2 + (palette.MeshVisible() ? 1 : 0);
}

void TGraphForm::Paint(QPainter& painter) {
    const QSize size = PaintBox->size();
    const int key = SceneKey(generation_, views_.GrOptionForm->Palette());
    if (cacheGeneration_ == key && cache_.size() == size) {
        painter.drawImage(0, 0, cache_);
        return;
    }
    if (!snapshot_) {
        // Nothing to hand to the worker: drawn here.
        cache_ = RenderPicture(size);
        cacheGeneration_ = key;
        painter.drawImage(0, 0, cache_);
        return;
    }
    // Meanwhile the last picture, stretched, or an empty ground.
    if (!cache_.isNull())
        painter.drawImage(QRect(QPoint(0, 0), size), cache_);
    else
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    StartDrawing(size);
}

void TGraphForm::StartDrawing(const QSize& size) {
    const int key = SceneKey(generation_, views_.GrOptionForm->Palette());
    if (watcher_->isRunning()) return;  // PictureReady starts the next one
    if (drawingGeneration_ == key && drawingSize_ == size && cacheGeneration_ == key) return;
    drawingGeneration_ = key;
    drawingSize_ = size;
    auto problem = snapshot_;
    auto data = snapshotData_;
    auto field = snapshotField_;
    zem::TElement* element = snapshotElement_;
    const zem::TPalette palette = views_.GrOptionForm->Palette();
    watcher_->setFuture(QtConcurrent::run([problem, data, field, element, palette, size] {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintGraphPicture(painter, size, {element, data.get(), &palette, field.get()});
        return image;
    }));
}

void TGraphForm::PictureReady() {
    if (!watcher_->isFinished() || watcher_->isCanceled()) return;
    cache_ = watcher_->result();
    cacheGeneration_ = drawingGeneration_;
    PaintBox->update();
}

bool TGraphForm::Drawing() const { return watcher_->isRunning(); }

void TGraphForm::WaitForPicture() {
    // A picture drawn for an older size or scene is followed by the current one.
    for (int round = 0; round < 3; ++round) {
        watcher_->waitForFinished();
        if (drawingGeneration_ >= 0) PictureReady();
        const int key = SceneKey(generation_, views_.GrOptionForm->Palette());
        if (!snapshot_ || (cacheGeneration_ == key && cache_.size() == PaintBox->size())) return;
        StartDrawing(PaintBox->size());
    }
}

void TGraphForm::Draw(QPainter& painter, const zem::TRect& rect) const {
    zem::TElement* element = ref_.Element();
    if (!element || !data_) return;
    TQtCanvas canvas(painter);
    try {
        element->DrawGraph(canvas, rect, 0, data_.get(), views_.GrOptionForm->Scale());
    } catch (...) {
        // Data that no longer fits the element (its mesh was edited) draws
        // what it can; the next selection shows it whole.
    }
}

QImage TGraphForm::Render(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Draw(painter, {5, 5, size.width() - 6, size.height() - 6});
    return image;
}

QImage TGraphForm::RenderPicture(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintGraphPicture(painter, size, {ref_.Element(), data_.get(), &views_.GrOptionForm->Palette(), &field_});
    return image;
}

bool TGraphForm::SavePicture(const QString& fileName, const QSize& size) const {
    if (fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(fileName);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(windowTitle());
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        PaintGraphPicture(painter, size, {ref_.Element(), data_.get(), &views_.GrOptionForm->Palette(), &field_});
        painter.end();
        return QFileInfo(fileName).size() > 0;
    }
    return RenderPicture(size).save(fileName, "PNG");
}

void TGraphForm::SaveItemClick() {
    const QString chosen = AskSaveFileName(this, {}, QStringLiteral("Рисунок PNG (*.png)|*.png|Рисунок SVG (*.svg)|*.svg"),
                                           QStringLiteral("png"));
    if (chosen.isEmpty()) return;
    zem::CheckWritable(Std(chosen));  // the system's reason for a place that takes no file
    if (!SavePicture(chosen, PaintBox->size()))
        zem::RaiseFileFailure(zem::kWriteFailure, Std(chosen), "рисунок не записан");
}

QString TGraphForm::HintAt(const QPoint& pos) const {
    zem::TElement* element = ref_.Element();
    if (!element || !data_) return {};
    const TGraphLayout lay = GraphLayout(PaintBox->size());
    if (!lay.Map.contains(pos)) return {};
    if (field_.Empty()) {
        try {
            return Q(element->HitValue(ToTRect(lay.Map), {pos.x(), pos.y()}, data_.get()));
        } catch (...) {
            return {};
        }
    }
    // The node nearest to the point, from the coordinates of the axes.
    const zem::Extended height = HeightOf(field_), width = WidthOf(field_);
    const zem::Extended x = static_cast<zem::Extended>(lay.Map.bottom() - pos.y()) / std::max(1, lay.Map.height()) * height;
    const zem::Extended y = static_cast<zem::Extended>(pos.x() - lay.Map.left()) / std::max(1, lay.Map.width()) * width;
    const TFieldBlock* best = nullptr;
    int bi = 0;
    for (const TFieldBlock& b : field_.Blocks)
        for (int i = 0; i < b.Rows; ++i)
            if (!best || std::fabs(b.X[static_cast<std::size_t>(i)] - x) < std::fabs(best->X[static_cast<std::size_t>(bi)] - x))
                best = &b, bi = i;
    if (!best) return {};
    int bj = 0;
    for (int j = 1; j < best->Cols; ++j)
        if (std::fabs(best->Y[static_cast<std::size_t>(j)] - y) < std::fabs(best->Y[static_cast<std::size_t>(bj)] - y)) bj = j;
    const auto format = views_.NumberFormat();
    const QString metres = QStringLiteral(" ") + Q(DisplayUnit("m"));
    QString text = (best->AngularX ? QStringLiteral("θ = %1°") : QStringLiteral("x = %1") + metres).arg(Q(format(best->X[static_cast<std::size_t>(bi)])));
    if (field_.Surface())
        text += (best->AngularY ? QStringLiteral(", θ = %1°") : QStringLiteral(", y = %1") + metres).arg(Q(format(best->Y[static_cast<std::size_t>(bj)])));
    if (!best->Span.empty()) text += QStringLiteral(" (%1)").arg(Q(best->Span));
    text += QStringLiteral("\n%1 = %2").arg(Q(field_.Name), Q(format(best->At(bi, bj))));
    if (!field_.Unit.empty()) text += QStringLiteral(" ") + Q(field_.Unit);
    return text;
}

void TGraphForm::MeshItemClick() {
    const bool on = !views_.GrOptionForm->MeshVisible();
    views_.GrOptionForm->SetMeshVisible(on);
    MeshItem->setChecked(on);
    Invalidate();
}

void TGraphForm::OptionItemClick() {
    if (views_.GrOptionForm->Execute()) Invalidate();
    MeshItem->setChecked(views_.GrOptionForm->MeshVisible());
}

void TGraphForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        MeshItem->setChecked(views_.GrOptionForm->MeshVisible());
        PaintBox->update();
    }
    TViewForm::changeEvent(event);
}
