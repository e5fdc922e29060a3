// Time of one motion scan of a 320 x 240 detector, against the floor of one plain pass that
// sums the channels of a 320 x 240 picture.
#include "motion/tmj.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

namespace {

// A gradient scene with a grey box at boxX: two positions make two frames that differ.
QImage scene(int width, int height, int boxX)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool box =
                x >= boxX && x < boxX + width / 8 && y >= height / 3 && y < height / 3 + height / 6;
            row[3 * x] = box ? 200 : static_cast<uchar>(x * 255 / width);
            row[3 * x + 1] = box ? 200 : static_cast<uchar>(y * 255 / height);
            row[3 * x + 2] = box ? 200 : static_cast<uchar>((x + y) & 0xff);
        }
    }
    return picture;
}

void channelSumFloor(benchmark::State &state)
{
    const QImage picture = scene(320, 240, 40);
    for (auto _ : state) {
        std::uint64_t sum = 0;
        const int height = picture.height();
        const int bytes = 3 * picture.width();
        for (int y = 0; y < height; ++y) {
            const uchar *row = picture.constScanLine(y);
            for (int i = 0; i < bytes; ++i)
                sum += row[i];
        }
        benchmark::DoNotOptimize(sum);
    }
}

// Arguments: source width (640 or 320), grid size, everything shown (1) or nothing (0).
void scanFrame(benchmark::State &state)
{
    const int width = static_cast<int>(state.range(0));
    const int grid = static_cast<int>(state.range(1));
    const bool shown = state.range(2) != 0;
    const std::array<QImage, 2> frames = {scene(width, width * 3 / 4, width / 8),
                                          scene(width, width * 3 / 4, width / 2)};
    TMJ engine;
    engine.SetRows(grid);
    engine.SetColumns(grid);
    engine.SetGlobalSensitivity(9);
    engine.SetEdgeSensitivity(30);
    engine.SetShowItem(shown ? TShowItems(shiGrid | shiEdges | shiDetectedCell) : TShowItems());
    int motions = 0;
    engine.SetOnMotion([&motions](TMJ &) { ++motions; });
    std::size_t next = 0;
    for (auto _ : state) {
        engine.ScanFrame(frames[next]);
        next ^= 1;
    }
    state.counters["motion share"] = static_cast<double>(motions) / state.iterations();
}

} // namespace

BENCHMARK(channelSumFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(scanFrame)
    ->ArgNames({"source", "grid", "shown"})
    ->ArgsProduct({{640, 320}, {50, 100}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
