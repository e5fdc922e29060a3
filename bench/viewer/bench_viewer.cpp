// The viewer's two picture changes in the whole program, each side by side with plain libjpeg
// decoding the same files in full in the same run, at 640 x 480, 1280 x 720 and 1920 x 1080,
// quality 100 and 90: a page change (the ten thumbnails decoded on the viewer's workers, the
// viewer painted once they are in) against ten bare decodes, and one full-screen step (the
// picture decoded and the window painted) against one. Limits, printed beside each ratio: a
// page of ten 1920 x 1080 pictures at most 0.6 x its ten full decodes at quality 100 and 0.4 x
// at quality 90, under 100 ms; a full-screen step at most 1.1 x one full decode.
#include "benchprogram.h"
#include "capture/jpegencoder.h"
#include "shell/picturenames.h"
#include "viewer/arrowscrollbar.h"
#include "viewer/viewerwindow.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <jpeglib.h>
#include <random>
#include <vector>

namespace {
constexpr int Pictures = 20; // two pages

// A camera-like picture: smooth gradients with sensor noise, each picture a little brighter.
bool storeCameraPictures(QSize size, int quality)
{
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    QImage base(size, QImage::Format_RGB888);
    for (int y = 0; y < base.height(); ++y) {
        std::uint8_t *row = base.scanLine(y);
        for (int x = 0; x < base.width(); ++x)
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = std::uint8_t(std::clamp(
                    float((x * (c + 1) + y * (3 - c)) % 256) + noise(random), 0.0f, 240.0f));
    }
    for (int n = 0; n < Pictures; ++n) {
        QImage frame = base;
        for (int y = 0; y < frame.height(); ++y) {
            std::uint8_t *row = frame.scanLine(y);
            for (int i = 0; i < 3 * frame.width(); ++i)
                row[i] = std::uint8_t(row[i] + n);
        }
        std::vector<std::uint8_t> data;
        QFile file(PictureStore::PicturePath(1, n));
        if (!JpegEncoder(quality).encode(frame, data) || !file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char *>(data.data()), qint64(data.size())) < 0)
            return false;
    }
    return true;
}

// What a caller of plain libjpeg would do: the file into RGB rows in one buffer.
bool bareDecode(const QString &path, std::vector<std::uint8_t> &rgb)
{
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return false;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = std::size_t(cinfo.output_width) * 3;
    rgb.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgb.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return true;
}

// The program with twenty pictures in the store and the viewer open at page 0, all shown.
struct ViewerProgram
{
    BenchProgram program{Size640x480};
    std::string failure;

    explicit ViewerProgram(const benchmark::State &state)
    {
        failure = program.failure();
        const QSize size(int(state.range(0)), int(state.range(1)));
        if (failure.empty() && !storeCameraPictures(size, int(state.range(2))))
            failure = "could not store the pictures";
        if (failure.empty()) {
            program.panel()->view->click();
            waitForPage();
            if (!viewer().isVisible())
                failure = "the viewer did not open";
        }
    }
    ViewerWindow &viewer() { return program.app->viewer(); }
    ArrowScrollBar *bar(QWidget *in, const char *name)
    {
        return in->findChild<ArrowScrollBar *>(QString::fromLatin1(name));
    }
    void waitForPage()
    {
        while (viewer().loading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
};

// Milliseconds of each timed run, for the median.
struct Times
{
    std::vector<double> ms;
    template <class F> void time(F &&f)
    {
        QElapsedTimer clock;
        clock.start();
        f();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    double median()
    {
        if (ms.empty())
            return 0.0;
        std::nth_element(ms.begin(), ms.begin() + std::ptrdiff_t(ms.size() / 2), ms.end());
        return ms[ms.size() / 2];
    }
};

bool decodeFull(int first, int count, std::vector<std::uint8_t> &rgb)
{
    bool ok = true;
    for (int n = first; n < first + count; ++n)
        ok = bareDecode(PictureStore::PicturePath(1, n), rgb) && ok;
    benchmark::DoNotOptimize(rgb.data());
    return ok;
}

void report(benchmark::State &state, Times &change, Times &bare, double limit)
{
    const double changeMs = change.median();
    const double bareMs = bare.median();
    state.counters["change_ms"] = changeMs;
    state.counters["full_ms"] = bareMs;
    state.counters["ratio"] = bareMs > 0.0 ? changeMs / bareMs : 0.0;
    state.counters["limit"] = limit;
}

double pageLimit(const benchmark::State &state)
{
    if (state.range(0) < 1920)
        return 1.0; // no goal below 1920 x 1080 but not to be slower than decoding in full
    return state.range(2) >= 100 ? 0.6 : 0.4;
}

void BM_PageChange(benchmark::State &state)
{
    ViewerProgram p(state);
    if (!p.failure.empty()) {
        state.SkipWithError(p.failure.c_str());
        return;
    }
    ArrowScrollBar *range = p.bar(&p.viewer(), "rangeScrollerBar");
    std::vector<std::uint8_t> rgb;
    Times change, bare;
    int page = 0;
    bool decoded = true;
    for (auto _ : state) {
        page ^= 1;
        change.time([&] {
            range->setValue(page);
            p.waitForPage();
            p.viewer().repaint();
        });
        bare.time([&] { decoded = decodeFull(10 * page, 10, rgb) && decoded; });
    }
    if (!decoded || p.program.errors() > 0 || p.viewer().page().pageStart() != 10 * page ||
        p.viewer().page().slot(10).picture.isNull())
        state.SkipWithError("the pages did not show");
    report(state, change, bare, pageLimit(state));
}

void BM_FullScreenStep(benchmark::State &state)
{
    ViewerProgram p(state);
    if (!p.failure.empty()) {
        state.SkipWithError(p.failure.c_str());
        return;
    }
    p.viewer().findChild<QAbstractButton *>("thumbnail1")->click();
    MainWindow &main = p.program.main();
    ArrowScrollBar *scroller = p.bar(&main, "pictureScrollerBar");
    std::vector<std::uint8_t> rgb;
    Times step, bare;
    bool forward = true;
    bool decoded = true;
    for (auto _ : state) {
        step.time([&] {
            scroller->triggerAction(forward ? QAbstractSlider::SliderSingleStepAdd
                                            : QAbstractSlider::SliderSingleStepSub);
            main.repaint();
        });
        bare.time([&] { decoded = decodeFull(forward ? 1 : 0, 1, rgb) && decoded; });
        forward = !forward;
    }
    if (!decoded || p.program.errors() > 0 || scroller->value() > 1)
        state.SkipWithError("the steps did not show");
    report(state, step, bare, 1.1);
}

void sizes(benchmark::internal::Benchmark *b)
{
    for (int quality : {100, 90})
        for (auto [w, h] : {std::pair{640, 480}, {1280, 720}, {1920, 1080}})
            b->Args({w, h, quality});
    b->ArgNames({"w", "h", "quality"})->Unit(benchmark::kMillisecond)->UseRealTime();
}
} // namespace

BENCHMARK(BM_PageChange)->Apply(sizes);
BENCHMARK(BM_FullScreenStep)->Apply(sizes);

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
