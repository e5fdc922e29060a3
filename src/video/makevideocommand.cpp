#include "video/makevideocommand.h"

#include "video/videotexts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
constexpr char OptionName[] = "make-video";

Result<int> number(const QString &text, const char *what)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return failure(QStringLiteral("%1 must be a whole number, not \"%2\".")
                           .arg(QLatin1String(what), text));
    return value;
}
} // namespace

bool MakeVideoCommand::isRequested(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (std::strcmp(argv[i], "--make-video") == 0 || std::strcmp(argv[i], "-make-video") == 0)
            return true;
    }
    return false;
}

MakeVideoCommand::Options MakeVideoCommand::addOptions(QCommandLineParser &parser)
{
    Options options{
        QCommandLineOption(QLatin1String(OptionName),
                           QStringLiteral("Make a time-lapse video of the pictures FIRST to LAST "
                                          "into the new file OUT.mp4, without a window: "
                                          "--make-video FIRST LAST OUT.mp4 [DIRECTORY].")),
        QCommandLineOption(QStringLiteral("fps"),
                           QStringLiteral("Frames per second of the video (default %1).")
                               .arg(VideoSettings::DefaultFramesPerSecond),
                           QStringLiteral("N")),
        QCommandLineOption(
            QStringLiteral("crf"),
            QStringLiteral("Quality of the video as a CRF, %1 to %2, lower is better (default %3).")
                .arg(VideoSettings::MinCrf)
                .arg(VideoSettings::MaxCrf)
                .arg(VideoSettings::DefaultCrf),
            QStringLiteral("CRF")),
        QCommandLineOption(QStringLiteral("deflicker"),
                           QStringLiteral("Even out the brightness between pictures: a moving "
                                          "average over N pictures, %1 to %2 (default: off).")
                               .arg(VideoSettings::MinDeflicker)
                               .arg(VideoSettings::MaxDeflicker),
                           QStringLiteral("N")),
    };
    parser.addOption(options.makeVideo);
    parser.addOption(options.fps);
    parser.addOption(options.quality);
    parser.addOption(options.deflicker);
    return options;
}

Result<VideoSettings> MakeVideoCommand::settings(const QCommandLineParser &parser,
                                                 const Options &options,
                                                 const QStringList &positional)
{
    if (positional.size() < 3)
        return failure(QStringLiteral("--make-video needs FIRST LAST OUT.mp4."));
    VideoSettings settings;
    const Result<int> first = number(positional[0], "FIRST");
    const Result<int> last = number(positional[1], "LAST");
    const Result<int> fps = parser.isSet(options.fps)
                                ? number(parser.value(options.fps), "--fps")
                                : Result<int>(VideoSettings::DefaultFramesPerSecond);
    const Result<int> crf = parser.isSet(options.quality)
                                ? number(parser.value(options.quality), "--crf")
                                : Result<int>(VideoSettings::DefaultCrf);
    const Result<int> deflicker = parser.isSet(options.deflicker)
                                      ? number(parser.value(options.deflicker), "--deflicker")
                                      : Result<int>(0);
    for (const Result<int> *value : {&first, &last, &fps, &crf, &deflicker}) {
        if (!*value)
            return failure(value->error());
    }
    settings.first = *first;
    settings.last = *last;
    settings.framesPerSecond = *fps;
    settings.crf = *crf;
    settings.deflicker = *deflicker;
    settings.output = QFileInfo(positional[2]).absoluteFilePath();
    if (Result<> checked = settings.check(); !checked)
        return failure(checked.error());
    return settings;
}

void MakeVideoCommand::start(const VideoSettings &settings)
{
    m_terminal = ::isatty(STDERR_FILENO) == 1;
    connect(&m_worker, &VideoWorker::progressed, this, &MakeVideoCommand::printProgress);
    connect(&m_worker, &VideoWorker::finished, this, &MakeVideoCommand::finish);
    m_clock.start();
    m_worker.start(settings);
}

void MakeVideoCommand::printProgress(int done, int total)
{
    // A terminal gets one line rewritten ten times a second; a log a line per tenth done.
    const QString text = VideoTexts::progress(done, total, m_clock.elapsed());
    if (m_terminal) {
        if (m_printedAt >= 0 && m_clock.elapsed() - m_printedAt < 100 && done < total)
            return;
        m_printedAt = m_clock.elapsed();
        std::fprintf(stderr, "\r%s\033[K", qPrintable(text));
        return;
    }
    const int tenth = static_cast<int>(10LL * done / total);
    if (tenth == m_printedTenth)
        return;
    m_printedTenth = tenth;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

void MakeVideoCommand::finish(const VideoSummary &summary, const QString &error)
{
    if (m_terminal)
        std::fputc('\n', stderr);
    const char *program = "vardella";
    if (!error.isEmpty())
        std::fprintf(stderr, "%s: %s\n", program, qPrintable(error));
    else if (summary.cancelled)
        std::fprintf(stderr, "%s: cancelled; no video was made.\n", program);
    else
        std::fprintf(stderr, "%s\n", qPrintable(VideoTexts::summary(summary)));
    QCoreApplication::exit(error.isEmpty() && !summary.cancelled ? 0 : 1);
}
