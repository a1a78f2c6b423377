// Frames of the deformed-shape window for a shell field of 400 x 128 steps
// (401 x 128 nodes round a closed cylinder, 51 200 cells) in a 900 x 600
// picture on the offscreen platform (the painter's raster engine, as the
// window without OpenGL draws).
//
// Rebuild: what a move of the scale slider costs before drawing (deformed
// positions and normals). Draw: one picture (cells sorted far to near,
// shaded, the legend), as a turn of the mouse costs. Frame: both, one frame
// of a dragged slider; its rate is the frames per second.
//
// Build with -DZEM_BENCH=ON (and the windows); see bench/README.md.
#include "app/ChildForm.h"
#include "views/DeformedShape.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

namespace {

TResultField Field(const char* name, double amplitude, int kind) {
    TResultField f;
    f.Name = name;
    f.Unit = "м";
    TFieldBlock b;
    b.Rows = 401;
    b.Cols = 128;
    b.AngularY = true;
    b.Line = false;
    b.ExtentX = 8;
    b.ExtentY = 360;
    for (int i = 0; i < b.Rows; ++i) b.X.push_back(8.0 * i / 400);
    for (int j = 0; j < b.Cols; ++j) b.Y.push_back(360.0 * j / b.Cols);
    for (int i = 0; i < b.Rows; ++i)
        for (int j = 0; j < b.Cols; ++j) {
            const double x = 8.0 * i / 400, t = 2 * std::numbers::pi * j / b.Cols;
            b.V.push_back(amplitude * (x / 8) * (kind == 0 ? std::cos(t) : kind == 1 ? -std::sin(t) : x / 8));
        }
    f.Blocks.push_back(std::move(b));
    return f;
}

struct TScene {
    TDeformedShape Shape;
    zem::TPalette Palette;
    TScene() {
        const TResultField w = Field("w", 2e-5, 0), v = Field("v", 2e-5, 1), u = Field("u", 1e-6, 2);
        Shape = TDeformedShape::FromFields(u, v, w, w, {4});
    }
};

TScene& Scene() {
    static TScene scene;
    return scene;
}

const QSize kSize(900, 600);

void Rebuild(benchmark::State& state) {
    TScene& s = Scene();
    const double automatic = s.Shape.AutoScale();
    int k = 0;
    for (auto _ : state) {
        s.Shape.SetScale(automatic * (1 + (++k % 50) * 0.02));
        benchmark::DoNotOptimize(s.Shape.Positions().data());
    }
}

void Draw(benchmark::State& state) {
    TScene& s = Scene();
    QImage image(kSize, QImage::Format_RGB32);
    TCamera camera;
    for (auto _ : state) {
        camera.Yaw += 1;
        QPainter painter(&image);
        PaintDeformed(painter, kSize, s.Shape, camera, s.Palette);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void Frame(benchmark::State& state) {
    TScene& s = Scene();
    const double automatic = s.Shape.AutoScale();
    QImage image(kSize, QImage::Format_RGB32);
    int k = 0;
    for (auto _ : state) {
        s.Shape.SetScale(automatic * (1 + (++k % 50) * 0.02));
        QPainter painter(&image);
        PaintDeformed(painter, kSize, s.Shape, TCamera{}, s.Palette);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(Rebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(Draw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Frame)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
