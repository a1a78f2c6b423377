// Repaint of a colour map of 400 x 128 steps (a CylTech shell, 401 x 128
// nodes) in a 900 x 600 window.
//
// Direct: what every paint event did before the picture was kept: the
// element draws every cell through the canvas. Cached: what a paint event
// does now while the picture is current: one image drawn. Picture: the whole
// framed picture (map, axes, legend) as the worker thread draws it, once per
// change of graph, size or colour scale; the window meanwhile shows the last
// picture.
//
// Build with -DZEM_BENCH=ON (and the windows); see bench/README.md.
#include "elements/ElLists.h"
#include "elements/Elements.h"
#include "platform/palette.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/Register.h"
#include "solvers/Matrises.h"
#include "app/ChildForm.h"
#include "views/GraphForm.h"
#include "views/QtCanvas.h"
#include "views/ResultField.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

struct TScene {
    std::unique_ptr<zem::TProblem> Problem;
    std::unique_ptr<zem::TAMatrix> Values;
    TResultField Field;
    zem::TPalette Palette;

    TScene() {
        zem::RegisterProblemTypes();
        Problem = std::make_unique<zem::TProblem>(zem::ProblemTypeByName("CylTech"), "bench");
        zem::TElement& root = Problem->Root();
        auto& mesh = root.Mesh();
        mesh.Item(mesh.IndexOfKey("mesh_x")).SetText("400");
        mesh.Item(mesh.IndexOfKey("mesh_y")).SetText("128");
        root.Parse();
        Values = std::make_unique<zem::TAMatrix>(401, 129);
        for (std::size_t i = 0; i <= 400; ++i)
            for (std::size_t j = 0; j <= 128; ++j)
                Values->SetItem(i, j, std::sin(i * 0.02) * std::cos(j * 0.05) * 1e-3);
        Field = SampleField(root, Values.get(), "w");
    }
};

TScene& Scene() {
    static TScene scene;
    return scene;
}

const QSize kSize(900, 600);

void Direct(benchmark::State& state) {
    TScene& s = Scene();
    QImage image(kSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        TQtCanvas canvas(painter);
        s.Problem->Root().DrawGraph(canvas, {5, 5, kSize.width() - 6, kSize.height() - 6}, 0, s.Values.get(), s.Palette);
        benchmark::DoNotOptimize(image.bits());
    }
}

void Cached(benchmark::State& state) {
    TScene& s = Scene();
    QImage picture(kSize, QImage::Format_RGB32);
    {
        QPainter painter(&picture);
        PaintGraphPicture(painter, kSize, {&s.Problem->Root(), s.Values.get(), &s.Palette, &s.Field});
    }
    QImage window(kSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&window);
        painter.drawImage(0, 0, picture);
        benchmark::DoNotOptimize(window.bits());
    }
}

void Picture(benchmark::State& state) {
    TScene& s = Scene();
    for (auto _ : state) {
        QImage picture(kSize, QImage::Format_RGB32);
        QPainter painter(&picture);
        PaintGraphPicture(painter, kSize, {&s.Problem->Root(), s.Values.get(), &s.Palette, &s.Field});
        benchmark::DoNotOptimize(picture.bits());
    }
}

}  // namespace

BENCHMARK(Direct)->Unit(benchmark::kMillisecond);
BENCHMARK(Cached)->Unit(benchmark::kMillisecond);
BENCHMARK(Picture)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
