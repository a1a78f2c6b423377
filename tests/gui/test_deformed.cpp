// The deformed-shape window over the examples: the picture moves the wall
// where and as far as the results say (judged from the pixels, against the
// field sampled on its own), the slider scales, the mouse turns, the picture
// saves.
#include "GuiTestUtil.h"

#include "views/DeformedForm.h"
#include "views/GrOptionForm.h"
#include "views/QtCanvas.h"
#include "views/ReportWriter.h"

#include <QMouseEvent>
#include <QSlider>
#include <numbers>

namespace {

// Example Name copied into the start directory (calculated without the
// dialog), opened and calculated through the queue.
TProblemForm* Calculated(TProblemFixture& f, const QString& name) {
    QFile source(QStringLiteral(ZEM_EXAMPLES "/") + name);
    if (!source.open(QIODevice::ReadOnly)) return nullptr;
    QByteArray text = source.readAll();
    text.replace("#CALCULATION\r\n", "#CALCULATION\r\nAutoMode\r\n");
    QFile copy(f.Path(name));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(text) != text.size()) return nullptr;
    copy.close();
    TProblemForm* w = f.Open(name);
    if (!w) return nullptr;
    w->SolveItem->trigger();
    if (!f.WaitIdle() || !w->Problem->Calculated()) return nullptr;
    return w;
}

TDeformedForm* Opened(TProblemFixture& f, TProblemForm* w) {
    w->DeformedItem->trigger();
    TDeformedForm* d = TViews::Of(&f.Main())->DeformedForm;
    return d->isVisible() ? d : nullptr;
}

// Field w of the window's problem, sampled apart from the view.
TResultField Deflection(TProblemForm* w) {
    zem::TElement* e = TDeformedShape::ShapeElement(w->Problem->Root());
    const auto& names = e->GraphResults;
    return ResultField(*e, static_cast<int>(std::find(names.begin(), names.end(), "w") - names.begin()));
}

// The ground of a surface's picture, or the black ring that marks the node
// of the largest deflection (no cell is black).
bool Background(const QImage& picture, int x, int y) {
    const QColor c = picture.pixelColor(x, y);
    return c == ToQColor(kDeformedGround) || c == QColor(Qt::black);
}

double Radius(const TProblemForm* w) {
    return std::stod(w->Problem->Root().Text().substr(w->Problem->Root().Text().find("R=") + 2));
}

}  // namespace

TEST(DeformedView, TankProfileBulgesOutAtTheHeightOfTheLargestDeflection) {
    TProblemFixture f;
    InstallViews(f.Main());
    TProblemForm* w = Calculated(f, QStringLiteral("tank.zem"));
    ASSERT_TRUE(w);
    TDeformedForm* d = Opened(f, w);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->Shape().Kind(), TShapeKind::Profile);
    EXPECT_FALSE(d->FieldBox->isVisible()) << "a profile has no colour field";
    const TExtreme largest = LargestOf(Deflection(w));
    ASSERT_TRUE(largest.Found);
    ASSERT_GT(largest.Value, 0) << "the water pushes the wall out";
    const double radius = Radius(w);
    ASSERT_DOUBLE_EQ(radius, 5);

    // The blue line's point farthest to the right is the bulge: at the
    // height of the field's largest w, at R + scale × w across.
    const QSize size(500, 700);
    const QImage picture = d->RenderPicture(size);
    const QRect area = DeformedArea(size, TShapeKind::Profile);
    const TShapeProjection proj(d->Shape(), d->Camera(), area);
    QPoint far(-1, -1);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 90 && c.green() < 90 && x > far.x()) far = {x, y};
        }
    ASSERT_GE(far.x(), 0) << "no deformed line drawn";
    const double scale = d->Shape().Scale();
    const QPointF expected = proj.Map({radius + scale * double(largest.Value), 0, double(largest.X)});
    EXPECT_NEAR(far.x(), expected.x(), 2.5);
    // The crest of a smooth bulge is flat: within a few pixels of height.
    EXPECT_NEAR(far.y(), expected.y(), 6) << "drawn at x = " << largest.X;
    // And the undeformed wall stays at R.
    EXPECT_NEAR(proj.Map(d->Shape().Base().front()).x(), proj.Map({radius, 0, 0}).x(), 1e-9);

    // The slider scales every displacement about the automatic factor.
    const double automatic = d->Shape().AutoScale();
    EXPECT_DOUBLE_EQ(scale, automatic);
    auto offset = [&] {
        const int n = d->Shape().LargestRadialNode();
        return d->Shape().Positions()[std::size_t(n)].X - d->Shape().Base()[std::size_t(n)].X;
    };
    const double before = offset();
    EXPECT_NEAR(before, 0.1 * d->Shape().Size(), 1e-9 * before) << "the largest displacement a tenth of the size";
    for (const int position : {50, -100, 25}) {
        d->ScaleSlider->setValue(position);
        const double factor = std::pow(10.0, position / 50.0);
        EXPECT_NEAR(d->Shape().Scale(), automatic * factor, 1e-9 * automatic * factor);
        EXPECT_NEAR(offset(), before * factor, 1e-9 * before * factor);
        EXPECT_EQ(d->ScaleLabel->text(), QString::fromStdString(ScaleText(d->Shape().Scale())));
    }
    d->ResetItem->trigger();
    EXPECT_EQ(d->ScaleSlider->value(), 0);

    // The picture saves as PNG at the window's size; a place that takes no
    // file gets the message, and nothing else is written.
    f.Script.SaveNames = {f.Path(QStringLiteral("tank.png"))};
    d->SaveItem->trigger();
    QImage saved(f.Path(QStringLiteral("tank.png")));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), d->View->size());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), d->RenderPicture(d->View->size()));
    f.Script.SaveNames = {f.Path(QStringLiteral("no/such/dir/tank.png"))};
    f.Script.Messages.clear();
    d->SaveItem->trigger();
    EXPECT_EQ(f.Script.Messages.size(), 1);
    EXPECT_FALSE(QFile::exists(f.Path(QStringLiteral("no/such/dir/tank.png"))));

    // The open picture goes into the problem's report.
    const TReportInput report = ReportInputOf(*w, *TViews::Of(&f.Main()));
    ASSERT_FALSE(report.Pictures.empty());
    EXPECT_EQ(report.Pictures.back().first, d->windowTitle());
    EXPECT_EQ(report.Pictures.back().second, d->RenderPicture({900, 620}));

    // The window follows its problem: gone with it.
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->Ref().Element(), nullptr);
}

TEST(DeformedView, WindShellSeenFromAboveLeansWhereTheFieldSaysAndTurnsWithTheMouse) {
    TProblemFixture f;
    InstallViews(f.Main());
    TProblemForm* w = Calculated(f, QStringLiteral("wind.zem"));
    ASSERT_TRUE(w);
    TDeformedForm* d = Opened(f, w);
    ASSERT_TRUE(d);
    const TDeformedShape& shape = d->Shape();
    ASSERT_EQ(shape.Kind(), TShapeKind::Surface);
    ASSERT_EQ(shape.Strips().size(), 1u);
    EXPECT_TRUE(shape.Strips()[0].Closed);
    // 32 × 32 cells: the seam at 360° closes the circle.
    EXPECT_EQ(shape.Quads().size(), 32u * 32u);
    EXPECT_TRUE(d->FieldBox->isVisible());
    EXPECT_TRUE(d->FieldBox->currentText().startsWith(QStringLiteral("w "))) << d->FieldBox->currentText();

    const TExtreme largest = LargestOf(Deflection(w));
    ASSERT_TRUE(largest.Found);
    const double radius = Radius(w);

    // From above, the outline of the shell is the circle of radius R pushed
    // out by scale × w: its farthest point lies at R + scale × max w, in the
    // direction of the node where w is largest.
    d->Camera() = {0, 90, 1};
    const QSize size(640, 560);
    const QImage picture = d->RenderPicture(size);
    const QRect area = DeformedArea(size, TShapeKind::Surface);
    const TShapeProjection proj(shape, d->Camera(), area);
    const QPointF centre = proj.Map({0, 0, 0});
    const double pixelsPerMetre = proj.Map({1, 0, 0}).x() - centre.x();
    ASSERT_GT(pixelsPerMetre, 10);
    double farthest = 0, sumCos = 0, sumSin = 0;
    std::vector<double> outline(360, 0);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (Background(picture, x, y)) continue;
            const double dx = x + 0.5 - centre.x(), dy = centre.y() - (y + 0.5);
            const double r = std::hypot(dx, dy) / pixelsPerMetre;
            const double angle = std::atan2(dy, dx) * 180 / std::numbers::pi;
            auto& o = outline[std::size_t(std::lround(angle + 360)) % 360];
            o = std::max(o, r);
            farthest = std::max(farthest, r);
        }
    for (int a = 0; a < 360; ++a) {
        sumCos += outline[std::size_t(a)] * std::cos(a * std::numbers::pi / 180);
        sumSin += outline[std::size_t(a)] * std::sin(a * std::numbers::pi / 180);
    }
    const double scale = shape.Scale();
    EXPECT_NEAR(farthest, radius + scale * double(largest.Value), 2.5 / pixelsPerMetre);
    const double lean = std::atan2(sumSin, sumCos) * 180 / std::numbers::pi;
    EXPECT_NEAR(std::remainder(lean - double(largest.Y), 360.0), 0, 6) << "w is largest at θ = " << largest.Y;
    // At a hundredth of the factor the outline is nearly the circle itself.
    d->ScaleSlider->setValue(-100);
    const QImage plain = d->RenderPicture(size);
    const TShapeProjection plainProj(shape, d->Camera(), area);
    const QPointF plainCentre = plainProj.Map({0, 0, 0});
    const double plainPixels = plainProj.Map({1, 0, 0}).x() - plainCentre.x();
    double plainFarthest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (!Background(plain, x, y))
                plainFarthest = std::max(plainFarthest, std::hypot(x + 0.5 - plainCentre.x(), plainCentre.y() - (y + 0.5)));
    EXPECT_NEAR(plainFarthest / plainPixels, radius + shape.Scale() * double(largest.Value), 2.5 / plainPixels);

    // Dragging turns the shell, the wheel brings it closer; the legend's
    // field follows the colour box.
    d->ResetItem->trigger();
    d->resize(500, 400);
    const double yaw = d->Camera().Yaw, pitch = d->Camera().Pitch;
    QTest::mousePress(d->View, Qt::LeftButton, {}, {100, 100});
    QMouseEvent move(QEvent::MouseMove, QPointF(140, 80), d->View->mapToGlobal(QPointF(140, 80)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(d->View, &move);
    QTest::mouseRelease(d->View, Qt::LeftButton, {}, {140, 80});
    EXPECT_NEAR(d->Camera().Yaw, yaw + 20, 1e-9);
    EXPECT_NEAR(d->Camera().Pitch, pitch - 10, 1e-9);
    QWheelEvent wheel(QPointF(100, 100), d->View->mapToGlobal(QPointF(100, 100)), {}, {0, 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(d->View, &wheel);
    EXPECT_GT(d->Camera().Zoom, 1);
    const int n1 = d->FieldBox->findText(QStringLiteral("N1"), Qt::MatchStartsWith);
    ASSERT_GE(n1, 0);
    d->FieldBox->setCurrentIndex(n1);
    EXPECT_EQ(shape.Field().Name, "N1");
    EXPECT_EQ(shape.Kind(), TShapeKind::Surface);
}

TEST(DeformedView, EveryKindOfElementFindsItsShape) {
    // Example, kind, strips, whether the shape goes round the whole circle.
    struct TCase {
        const char* file;
        TShapeKind kind;
        std::size_t strips;
        bool closed;
    };
    const TCase cases[] = {
        {"stepped-tank.zem", TShapeKind::Profile, 3, false},
        {"ring.zem", TShapeKind::Ring, 1, true},
        {"panel.zem", TShapeKind::Surface, 1, false},
        {"cylring.zem", TShapeKind::Surface, 1, true},
        // Periodic sectors (half the circle each) repeat round the whole.
        {"ringp.zem", TShapeKind::Ring, 1, true},
        {"cyllavep.zem", TShapeKind::Surface, 1, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.file);
        TProblemFixture f;
        InstallViews(f.Main());
        TProblemForm* w = Calculated(f, QString::fromLatin1(c.file));
        ASSERT_TRUE(w);
        TDeformedForm* d = Opened(f, w);
        ASSERT_TRUE(d);
        const TDeformedShape& s = d->Shape();
        EXPECT_EQ(s.Kind(), c.kind);
        ASSERT_GE(s.Strips().size(), 1u);
        EXPECT_EQ(s.Strips().size(), c.strips);
        EXPECT_EQ(s.Strips()[0].Closed, c.closed);
        if (c.closed) {
            // Nodes all round: no gap wider than a few degrees.
            std::vector<double> angles;
            for (std::size_t i = 0; i < s.NodeCount(); ++i) angles.push_back(std::fmod(s.AngleOf(int(i)) + 360, 360));
            std::sort(angles.begin(), angles.end());
            double gap = angles.front() + 360 - angles.back();
            for (std::size_t i = 1; i < angles.size(); ++i) gap = std::max(gap, angles[i] - angles[i - 1]);
            EXPECT_LT(gap, 30);
        }
        // Every node moves by the scaled displacement, radially by w.
        for (std::size_t i = 0; i < s.NodeCount(); ++i) {
            const TVec3 &b = s.Base()[i], &p = s.Positions()[i];
            const double r0 = std::hypot(b.X, b.Y);
            ASSERT_GT(r0, 0);
            const double radial = ((p.X - b.X) * b.X + (p.Y - b.Y) * b.Y) / r0;
            ASSERT_NEAR(radial, s.Scale() * s.Radial()[i], 1e-9 * s.Size()) << "node " << i;
        }
        // Spans stack from the bottom without a gap.
        for (std::size_t k = 1; k < s.Strips().size(); ++k) {
            const auto& lo = s.Strips()[k - 1];
            const auto& hi = s.Strips()[k];
            EXPECT_NEAR(s.AxialOf(lo.First + lo.Rows * lo.Cols - 1), s.AxialOf(hi.First), 1e-9);
        }
        const QImage picture = d->RenderPicture({400, 300});
        EXPECT_FALSE(picture.isNull());
    }
}
