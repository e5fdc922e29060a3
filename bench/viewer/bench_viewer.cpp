// The viewer's two picture changes in the whole program, each beside plain libjpeg decoding the
// same files in the same run: a page change (ten 640 x 480 pictures decoded into the slots and
// the viewer painted) against ten bare decodes, and one full-screen step (the picture decoded
// and the window painted) against one. Goals: a page change under 50 ms and within 1.3 x of its
// ten bare decodes.
#include "benchprogram.h"
#include "capture/jpegencoder.h"
#include "shell/picturenames.h"
#include "viewer/arrowscrollbar.h"
#include "viewer/viewerwindow.h"

#include <QAbstractButton>
#include <QFile>
#include <QImage>

#include <cstdio>
#include <jpeglib.h>
#include <random>
#include <vector>

namespace {
constexpr int Pictures = 20; // two pages

// A camera-like picture: smooth gradients with sensor noise, stored at the program's quality.
bool storeCameraPictures()
{
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    for (int n = 0; n < Pictures; ++n) {
        QImage frame(640, 480, QImage::Format_RGB888);
        for (int y = 0; y < frame.height(); ++y) {
            std::uint8_t *row = frame.scanLine(y);
            for (int x = 0; x < frame.width(); ++x)
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] = std::uint8_t(
                        std::clamp(float((x * (c + 1) + y * (3 - c) + 7 * n) % 256) + noise(random),
                                   0.0f, 255.0f));
        }
        std::vector<std::uint8_t> data;
        QFile file(PictureStore::PicturePath(1, n));
        if (!JpegEncoder(100).encode(frame, data) || !file.open(QIODevice::WriteOnly) ||
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

// The program with twenty pictures in the store and the viewer open at page 0.
struct ViewerProgram
{
    BenchProgram program{Size640x480};
    std::string failure;

    ViewerProgram()
    {
        failure = program.failure();
        if (failure.empty() && !storeCameraPictures())
            failure = "could not store the pictures";
        if (failure.empty()) {
            program.panel()->view->click();
            if (!viewer().isVisible())
                failure = "the viewer did not open";
        }
    }
    ViewerWindow &viewer() { return program.app->viewer(); }
    ArrowScrollBar *bar(QWidget *in, const char *name)
    {
        return in->findChild<ArrowScrollBar *>(QString::fromLatin1(name));
    }
};

void bareDecodes(benchmark::State &state, int count)
{
    ViewerProgram p; // the same files in the same place as the viewer reads them
    std::vector<std::uint8_t> rgb;
    int first = 0;
    for (auto _ : state) {
        for (int n = first; n < first + count; ++n) {
            if (!bareDecode(PictureStore::PicturePath(1, n), rgb))
                state.SkipWithError("a picture did not open");
        }
        benchmark::DoNotOptimize(rgb.data());
        first = (first + 10) % Pictures;
    }
    state.counters["decodes"] = count;
}

void BM_PageChange(benchmark::State &state)
{
    ViewerProgram p;
    if (!p.failure.empty()) {
        state.SkipWithError(p.failure.c_str());
        return;
    }
    ArrowScrollBar *range = p.bar(&p.viewer(), "rangeScrollerBar");
    int page = 0;
    for (auto _ : state) {
        page ^= 1;
        range->setValue(page);
        p.viewer().repaint();
    }
    if (p.program.errors() > 0 || p.viewer().page().pageStart() != 10 * page)
        state.SkipWithError("the pages did not show");
    state.counters["decodes"] = 10;
}

void BM_PageBareDecodes(benchmark::State &state)
{
    bareDecodes(state, 10);
}

void BM_FullScreenStep(benchmark::State &state)
{
    ViewerProgram p;
    if (!p.failure.empty()) {
        state.SkipWithError(p.failure.c_str());
        return;
    }
    p.viewer().findChild<QAbstractButton *>("thumbnail1")->click();
    MainWindow &main = p.program.main();
    ArrowScrollBar *scroller = p.bar(&main, "pictureScrollerBar");
    bool forward = true;
    for (auto _ : state) {
        scroller->triggerAction(forward ? QAbstractSlider::SliderSingleStepAdd
                                        : QAbstractSlider::SliderSingleStepSub);
        forward = !forward;
        main.repaint();
    }
    if (p.program.errors() > 0 || scroller->value() > 1)
        state.SkipWithError("the steps did not show");
    state.counters["decodes"] = 1;
}

void BM_FullScreenBareDecode(benchmark::State &state)
{
    bareDecodes(state, 1);
}
} // namespace

BENCHMARK(BM_PageChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageBareDecodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenBareDecode)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
