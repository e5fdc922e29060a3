#pragma once
// The program without a display: the same capture loop, picture store, motion-triggered
// capture and timer program as the windows, set from the command line, reporting on standard
// output (with --verbose) and standard error. No window is created.

#include "motion/motionmask.h"
#include "programs/daytime.h"
#include "shell/eventcommand.h"
#include "shell/result.h"
#include "store/keepfree.h"
#include "web/webaddress.h"
#include "web/webcredentials.h"
#include "web/webtls.h"

#include <QSize>
#include <QString>
#include <QTime>

#include <array>
#include <memory>
#include <optional>

class QCommandLineParser;

struct HeadlessOptions
{
    QString driver; // entry name or index in the driver list; empty: the first entry
    QSize size{320, 240};
    int quality = 100;
    bool grey = false;
    double intervalSeconds = 5;
    int maxFrames = 0;          // 0: the windows' default
    int motionFrames = 0;       // 0: no motion detection
    int grid = 50;              // N x N cells: the slider "Sensitivity Motion Detection"
    MotionMask mask;            // cells to ignore; empty: none
    int lightChangePercent = 0; // 0: light changes count as motion
    int picturesBeforeMotion = 0;
    DayTime from, to;              // both valid: a daily timer program
    std::optional<SunPlace> where; // where the sun is followed, when from or to does
    int count = 0;                 // 0: no limit
    // Megabytes left free on the store's disk; 0: it may fill up.
    int keepFreeMegabytes = KeepFree::DefaultMegabytes;
    bool verbose = false;
    bool timestamp = false;
    bool sounds = false;
    /// Numbering goes on after the newest stored picture instead of starting at 0.
    bool continueNumbering = false;
    /// Why the --config file was ignored; said once at start.
    QString configNote;
    std::array<EventCommand, RunEvents.size()> commands; // by RunEvent; empty: none
    std::optional<WebAddress> web;                       // none: no web view
    std::optional<WebCredentials> webCredentials;
    std::optional<WebTls> webTls; // none: plain http
};

/// The options of the program without a display, added to a parser and read back from it.
class HeadlessCommandLine
{
public:
    explicit HeadlessCommandLine(QCommandLineParser &parser);
    ~HeadlessCommandLine();

    bool headless() const;
    /// Whether an option that only the program without a display knows was given.
    bool anyHeadlessOption() const;
    /// The options as given, or why they cannot be used.
    Result<HeadlessOptions> options() const;

private:
    struct Options;
    static Result<> webOptions(const QCommandLineParser &p, const Options &o,
                               HeadlessOptions &options);
    static Result<> motionOptions(const QCommandLineParser &p, const Options &o,
                                  HeadlessOptions &options);
    static Result<> sensitivityOption(const QCommandLineParser &p, const Options &o,
                                      HeadlessOptions &options);
    QCommandLineParser &m_parser;
    std::unique_ptr<Options> m_options;
};

/// Runs capture as the options say until --count pictures are stored, a signal ends it, or a
/// failure stops capture. Returns the exit status: 0 after an orderly end, 1 after a failure.
int runHeadless(const HeadlessOptions &options);
