// The viewer's two picture changes in the whole program, each side by side with plain libjpeg
// decoding the same files in full in the same run, at 640 x 480, 1280 x 720 and 1920 x 1080,
// quality 100 and 90: a page change (the ten thumbnails decoded on the viewer's workers, and
// painted as they come in) against ten bare decodes, and one full-screen step (the
// picture shown and the window painted) against one. Limits, printed beside each ratio: a page
// of ten 1920 x 1080 pictures at most 0.6 x its ten full decodes at quality 100 and 0.4 x at
// quality 90, under 100 ms; a full-screen step at most 1.1 x one full decode.
// The pictures are the test scene's, as the program stores them ("scene"), or noisy
// camera-like ones ("noisy"), whose entropy decoding, which scaling cannot skip, takes most of
// a full decode: for those the page's only limit is to be quicker than decoding in full.
// The full-screen steps go through the pictures one way and back at a held key's repeat rate;
// each step is painted as the event loop paints it, the widgets it changed.
#include "benchprogram.h"
#include "capture/jpegencoder.h"
#include "capture/service/testscene.h"
#include "shell/picturenames.h"
#include "viewer/arrowscrollbar.h"
#include "viewer/viewerwindow.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTime>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <jpeglib.h>
#include <random>
#include <thread>
#include <vector>

namespace {
constexpr int Pictures = 20; // two pages
// A held arrow key's steps: the X server's default repeat rate, 25 a second.
constexpr std::chrono::milliseconds KeyRepeat(40);

enum Kind
{
    Scene,
    Noisy
};

bool storePicture(const QImage &frame, int n, int quality)
{
    std::vector<std::uint8_t> data;
    QFile file(PictureStore::PicturePath(1, n));
    return JpegEncoder(quality).encode(frame, data) && file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char *>(data.data()), qint64(data.size())) >= 0;
}

// The test scene half a second apart, its box travelling and its clock running.
bool storeScenePictures(QSize size, int quality)
{
    TestScene scene;
    QImage frame(size, QImage::Format_BGR888);
    for (int n = 0; n < Pictures; ++n) {
        scene.draw(frame, QTime(9, 0).addMSecs(500 * n), 500LL * n, TestScene::Options{});
        if (!storePicture(frame, n, quality))
            return false;
    }
    return true;
}

// A camera-like picture: gradients with sensor noise, each picture a little brighter.
bool storeNoisyPictures(QSize size, int quality)
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
        if (!storePicture(frame, n, quality))
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
        const int quality = int(state.range(2));
        const bool stored = state.range(3) == Scene ? storeScenePictures(size, quality)
                                                    : storeNoisyPictures(size, quality);
        if (failure.empty() && !stored)
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

// The paint events of a widget, which a step must have caused.
struct PaintCount : QObject
{
    std::int64_t count = 0;
    explicit PaintCount(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
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
    if (state.range(0) < 1920 || state.range(3) == Noisy)
        return 1.0; // no goal here but not to be slower than decoding in full
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
            QCoreApplication::processEvents(); // paints what is left to paint
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
    PaintCount painted(main.findChild<QWidget *>("fullScreenPicture"));
    std::vector<std::uint8_t> rgb;
    Times step, bare;
    bool forward = true;
    bool decoded = true;
    for (auto _ : state) {
        if (scroller->value() == Pictures - 1 || scroller->value() == 0)
            forward = scroller->value() == 0;
        QCoreApplication::processEvents(); // what came meanwhile is not the step's
        step.time([&] {
            scroller->triggerAction(forward ? QAbstractSlider::SliderSingleStepAdd
                                            : QAbstractSlider::SliderSingleStepSub);
            QCoreApplication::processEvents(); // paints what the step changed
        });
        // Each after the same pause, half the time between two steps.
        std::this_thread::sleep_for(KeyRepeat / 2);
        bare.time([&] { decoded = decodeFull(scroller->value(), 1, rgb) && decoded; });
        std::this_thread::sleep_for(KeyRepeat / 2);
    }
    if (!decoded || p.program.errors() > 0 || scroller->value() >= Pictures ||
        painted.count < std::int64_t(state.iterations()))
        state.SkipWithError("the steps did not show");
    report(state, step, bare, 1.1);
}

void sizes(benchmark::internal::Benchmark *b)
{
    for (int kind : {Scene, Noisy})
        for (int quality : {100, 90})
            for (auto [w, h] : {std::pair{640, 480}, {1280, 720}, {1920, 1080}})
                b->Args({w, h, quality, kind});
    b->ArgNames({"w", "h", "quality", "noisy"})->Unit(benchmark::kMillisecond)->UseRealTime();
}
} // namespace

BENCHMARK(BM_PageChange)->Apply(sizes);
BENCHMARK(BM_FullScreenStep)->Apply(sizes)->MinTime(2.0); // steps at a key's pace: enough of them

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
