#pragma once
// The headless "vardella --make-video FIRST LAST OUT.mp4 [--fps N] [--crf CRF] [--deflicker N]":
// the same video as the window makes, without a display, with its progress on standard error.
// Runs in the event loop of a QCoreApplication, which it ends with the exit status.

#include "shell/result.h"
#include "video/videoworker.h"

#include <QCommandLineOption>
#include <QElapsedTimer>

class QCommandLineParser;

class MakeVideoCommand : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QCommandLineOption makeVideo;
        QCommandLineOption fps;
        QCommandLineOption quality;
        QCommandLineOption deflicker;
    };

    /// True when the arguments ask for a video, before any application object exists: that
    /// decides whether the program needs a display.
    static bool isRequested(int argc, char **argv);
    /// Adds the command's options to the program's parser, so that --help lists them.
    static Options addOptions(QCommandLineParser &parser);
    /// The video asked for by FIRST LAST OUT (the first three of positional) and the options.
    /// OUT is made absolute against the working directory as it is now.
    static Result<VideoSettings> settings(const QCommandLineParser &parser, const Options &options,
                                          const QStringList &positional);

    /// Starts making the video from the store below the working directory.
    void start(const VideoSettings &settings);
    /// Stops the video (a termination signal): its file is removed, the status is 1.
    void cancel() { m_worker.cancel(); }

private:
    void printProgress(int done, int total);
    void finish(const VideoSummary &summary, const QString &error);

    VideoWorker m_worker;
    QElapsedTimer m_clock;
    qint64 m_printedAt = -1;
    int m_printedTenth = -1;
    bool m_terminal = false;
};
