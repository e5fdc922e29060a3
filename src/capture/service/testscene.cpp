#include "capture/service/testscene.h"

#include <algorithm>
#include <cstring>

namespace {

// A 5 x 7 font for the clock: each row's five bits, most significant bit leftmost.
struct Glyph
{
    char c;
    std::uint8_t rows[7];
};
constexpr Glyph Font[] = {
    {'0', {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}},
    {'1', {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'2', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}},
    {'3', {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e}},
    {'4', {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}},
    {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},
    {'6', {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}},
    {'7', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}},
    {'9', {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}},
    {':', {0x00, 0x0c, 0x0c, 0x00, 0x0c, 0x0c, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x0c}},
};

const Glyph *glyphOf(char c)
{
    for (const Glyph &g : Font) {
        if (g.c == c)
            return &g;
    }
    return nullptr;
}

struct Canvas
{
    QImage &image;

    std::uint8_t *row(int y) const { return image.scanLine(y); }

    void fill(int x0, int y0, int w, int h, const std::uint8_t bgr[3]) const
    {
        const int x1 = std::min(x0 + w, image.width());
        const int y1 = std::min(y0 + h, image.height());
        for (int y = std::max(y0, 0); y < y1; ++y) {
            std::uint8_t *p = row(y);
            for (int x = std::max(x0, 0); x < x1; ++x)
                std::memcpy(p + 3 * x, bgr, 3);
        }
    }
};

// Position along a path of length range that goes back and forth, one way per periodMs.
int bounce(std::int64_t elapsedMs, int range, int periodMs)
{
    if (range <= 0)
        return 0;
    const std::int64_t phase = elapsedMs % (2 * periodMs);
    const std::int64_t along = phase < periodMs ? phase : 2 * periodMs - phase;
    return int(along * range / periodMs);
}

// Where drawText puts its black field.
QRect textField(int x, int y, int scale, int length)
{
    return QRect(x - scale, y - scale, (6 * length + 1) * scale, 9 * scale);
}

void drawText(const Canvas &canvas, int x, int y, int scale, const char *text)
{
    static constexpr std::uint8_t black[3] = {0, 0, 0};
    static constexpr std::uint8_t white[3] = {255, 255, 255};
    const int length = int(std::strlen(text));
    const QRect field = textField(x, y, scale, length);
    canvas.fill(field.x(), field.y(), field.width(), field.height(), black);
    for (int i = 0; i < length; ++i) {
        const Glyph *g = glyphOf(text[i]);
        for (int r = 0; g && r < 7; ++r) {
            for (int c = 0; c < 5; ++c) {
                if (g->rows[r] & (0x10 >> c))
                    canvas.fill(x + (6 * i + c) * scale, y + r * scale, scale, scale, white);
            }
        }
    }
}

// Adds b (each byte 0 .. 15) to the eight bytes of a, each byte stopping at 255.
inline std::uint64_t addSaturated(std::uint64_t a, std::uint64_t b)
{
    constexpr std::uint64_t high = 0x8080808080808080ull;
    const std::uint64_t low = (a & ~high) + b; // at most 0x8e a byte: no carry between bytes
    const std::uint64_t overflow = a & low & high;
    return (low ^ (a & high)) | ((overflow >> 7) * 0xff);
}

// Moves each of the eight bytes of v up by the low and down by the high four bits of its
// byte of noise, stopping at 255 and 0.
inline std::uint64_t addNoiseWord(std::uint64_t v, std::uint64_t noise)
{
    constexpr std::uint64_t nibbles = 0x0f0f0f0f0f0f0f0full;
    v = addSaturated(v, noise & nibbles);
    return ~addSaturated(~v, (noise >> 4) & nibbles);
}

} // namespace

void TestScene::prepareBackground(QSize size)
{
    if (m_background.size() == size)
        return;
    m_drawn = {};
    m_background = QImage(size, QImage::Format_BGR888);
    const int w = std::max(1, size.width() - 1);
    const int h = std::max(1, size.height() - 1);
    for (int y = 0; y < size.height(); ++y) {
        std::uint8_t *p = m_background.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            p[3 * x] = std::uint8_t(64 + 191 * x / w);          // blue grows to the right
            p[3 * x + 1] = std::uint8_t(32 + 160 * y / h);      // green grows downwards
            p[3 * x + 2] = std::uint8_t(96 + 64 * (w - x) / w); // red fades to the right
        }
    }
}

void TestScene::boxPosition(QSize size, std::int64_t elapsedMs, bool motion, int &x, int &y)
{
    const int rangeX = size.width() - std::max(4, size.width() / 6);
    const int rangeY = size.height() - std::max(4, size.height() / 6);
    x = motion ? bounce(elapsedMs, rangeX, 2000) : rangeX / 2;
    y = motion ? bounce(elapsedMs, rangeY, 1500) : rangeY / 2;
}

// Noise moves each byte by -15 .. 15, eight bytes at a time, with random numbers from a table
// read at a new place for every row: per-byte random numbers would cost more than the scene.
void TestScene::addNoise(QImage &frame)
{
    const std::size_t rowBytes = std::size_t(frame.width()) * 3;
    const std::size_t rowWords = rowBytes / 8 + 1;
    if (m_noise.size() < NoiseTableSize + rowWords) {
        m_noise.resize(NoiseTableSize + rowWords);
        for (std::uint64_t &n : m_noise)
            n = (std::uint64_t(nextRandom()) << 32) | nextRandom();
    }
    const Canvas canvas{frame};
    for (int y = 0; y < frame.height(); ++y) {
        const std::uint64_t *n = &m_noise[nextRandom() % NoiseTableSize];
        std::uint8_t *p = canvas.row(y);
        std::size_t i = 0;
        for (; i + 8 <= rowBytes; i += 8, ++n) {
            std::uint64_t v;
            std::memcpy(&v, p + i, 8);
            v = addNoiseWord(v, *n);
            std::memcpy(p + i, &v, 8);
        }
        if (i < rowBytes) {
            std::uint64_t v = 0;
            std::memcpy(&v, p + i, rowBytes - i);
            v = addNoiseWord(v, *n);
            std::memcpy(p + i, &v, rowBytes - i);
        }
    }
}

// Half of every byte, eight bytes at a time: the bit shifted in from the next byte is masked.
void TestScene::dim(QImage &frame)
{
    const std::size_t rowBytes = std::size_t(frame.width()) * 3;
    for (int y = 0; y < frame.height(); ++y) {
        std::uint8_t *p = frame.scanLine(y);
        std::size_t i = 0;
        for (; i + 8 <= rowBytes; i += 8) {
            std::uint64_t v;
            std::memcpy(&v, p + i, 8);
            v = (v >> 1) & 0x7f7f7f7f7f7f7f7full;
            std::memcpy(p + i, &v, 8);
        }
        for (; i < rowBytes; ++i)
            p[i] = std::uint8_t(p[i] >> 1);
    }
}

std::uint32_t TestScene::nextRandom()
{
    std::uint32_t s = m_random; // xorshift: cheap and good enough for flicker
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return m_random = s;
}

void TestScene::restoreBackground(QImage &frame)
{
    const qint64 key = frame.cacheKey();
    for (Drawn &drawn : m_drawn) {
        if (drawn.key != key || key == 0)
            continue;
        drawn.key = 0; // the frame is about to change
        const std::size_t pixel = 3;
        for (const QRect &r : {drawn.box, drawn.clock}) {
            const QRect part = r.intersected(frame.rect());
            for (int y = part.top(); y <= part.bottom(); ++y)
                std::memcpy(frame.scanLine(y) + pixel * std::size_t(part.left()),
                            m_background.constScanLine(y) + pixel * std::size_t(part.left()),
                            pixel * std::size_t(part.width()));
        }
        return;
    }
    // Same size and format, so the same row layout: one copy of the whole picture.
    std::memcpy(frame.bits(), m_background.constBits(), std::size_t(m_background.sizeInBytes()));
}

void TestScene::remember(const QImage &frame, QRect box, QRect clock)
{
    m_drawn[m_nextDrawn] = {frame.cacheKey(), box, clock};
    m_nextDrawn = (m_nextDrawn + 1) % m_drawn.size();
}

void TestScene::draw(QImage &frame, QTime clock, std::int64_t elapsedMs, Options options)
{
    const QSize size = frame.size();
    prepareBackground(size);
    restoreBackground(frame);
    const Canvas canvas{frame};
    int x = 0;
    int y = 0;
    boxPosition(size, elapsedMs, options.motion, x, y);
    static constexpr std::uint8_t yellow[3] = {40, 220, 250};
    const QRect box(x, y, std::max(4, size.width() / 6), std::max(4, size.height() / 6));
    canvas.fill(box.x(), box.y(), box.width(), box.height(), yellow);
    QRect field;
    if (options.clock) {
        const int scale = std::max(1, size.height() / 120);
        const QByteArray text = clock.toString(QStringLiteral("hh:mm:ss.")).toLatin1() +
                                QByteArray::number(clock.msec() / 10).rightJustified(2, '0');
        drawText(canvas, 2 * scale, 2 * scale, scale, text.constData());
        field = textField(2 * scale, 2 * scale, scale, int(text.size()));
    }
    if (options.dimmed)
        dim(frame);
    if (options.noise)
        addNoise(frame);
    // A dimmed or noisy frame has every pixel changed: its next drawing starts from the
    // background.
    if (!options.dimmed && !options.noise)
        remember(frame, box, field);
}
