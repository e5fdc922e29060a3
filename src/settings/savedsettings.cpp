#include "settings/savedsettings.h"

#include "shell/picturenames.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>

#include <array>
#include <cmath>
#include <utility>

namespace {
using Running = SavedSettings::Running;

const std::array<std::pair<Running, QLatin1String>, 4> RunningNames{{
    {Running::Nothing, QLatin1String("nothing")},
    {Running::Capture, QLatin1String("capture")},
    {Running::Motion, QLatin1String("motion")},
    {Running::TimerProgram, QLatin1String("timer-program")},
}};

const QString TimeFormat = QStringLiteral("H:mm");

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString intervalText(double seconds)
{
    return QLocale::c().toString(seconds, 'f', 2);
}

// Reads the keys of one file; the first bad value ends the reading with its key.
class Reader
{
public:
    explicit Reader(const QSettings &file) : m_file(file) {}

    bool failed() const { return !m_badKey.isEmpty(); }
    const QString &badKey() const { return m_badKey; }
    QString badValue() const { return valueText(m_badKey); }

    void text(const QString &key, QString &to)
    {
        if (present(key))
            to = valueText(key);
    }
    void flag(const QString &key, bool &to)
    {
        if (!present(key))
            return;
        const QString v = valueText(key);
        if (v == QLatin1String("true") || v == QLatin1String("false"))
            to = v == QLatin1String("true");
        else
            bad(key);
    }
    void number(const QString &key, int &to, int low, int high)
    {
        if (!present(key))
            return;
        bool ok = false;
        const int v = valueText(key).trimmed().toInt(&ok);
        if (ok && v >= low && v <= high)
            to = v;
        else
            bad(key);
    }
    void interval(const QString &key, double &to)
    {
        if (!present(key))
            return;
        bool ok = false;
        const double v = QLocale::c().toDouble(valueText(key).trimmed(), &ok);
        const double hundredths = v * 100;
        if (ok && v >= 0.1 && v <= 999 && std::abs(hundredths - std::round(hundredths)) < 1e-6)
            to = std::round(hundredths) / 100;
        else
            bad(key);
    }
    void size(const QString &key, QSize &to)
    {
        if (!present(key))
            return;
        const QStringList wh = valueText(key).split(QLatin1Char('x'));
        bool w = false, h = false;
        const QSize v = wh.size() == 2 ? QSize(wh[0].toInt(&w), wh[1].toInt(&h)) : QSize();
        if (w && h && v.width() > 0 && v.height() > 0 && v.width() <= 8192 && v.height() <= 8192)
            to = v;
        else
            bad(key);
    }
    void time(const QString &key, QTime &to)
    {
        if (!present(key))
            return;
        const QTime v = QTime::fromString(valueText(key), TimeFormat);
        if (v.isValid())
            to = v;
        else
            bad(key);
    }
    /// A value that parse reads, such as a sun time or a place.
    template <typename T>
    void parsed(const QString &key, std::optional<T> &to, Result<T> (*parse)(const QString &))
    {
        if (!present(key))
            return;
        const Result<T> v = parse(valueText(key));
        if (v)
            to = *v;
        else
            bad(key);
    }
    void running(const QString &key, Running &to)
    {
        if (!present(key))
            return;
        const QString v = valueText(key);
        for (const auto &[value, name] : RunningNames) {
            if (v == name) {
                to = value;
                return;
            }
        }
        bad(key);
    }

private:
    // QSettings reads an unquoted value with commas ("52.52,13.40", a command written by hand)
    // as a list: such a value is read as the line again (spaces beside its commas aside; the
    // program quotes what it writes itself).
    QString valueText(const QString &key) const
    {
        const QVariant v = m_file.value(key);
        return v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(','))
                                                    : v.toString();
    }
    bool present(const QString &key) const { return !failed() && m_file.contains(key); }
    void bad(const QString &key) { m_badKey = key; }

    const QSettings &m_file;
    QString m_badKey;
};
} // namespace

QString SavedSettings::defaultPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Vardella/vardella.conf");
}

Result<SavedSettings> SavedSettings::load(const QString &path)
{
    SavedSettings s;
    if (!QFileInfo::exists(path))
        return s;
    if (!QFileInfo(path).isReadable())
        return failure(
            QStringLiteral("The settings file \"%1\" cannot be read; it is ignored.").arg(path));
    const QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return failure(
            QStringLiteral("The settings file \"%1\" is damaged; it is ignored.").arg(path));

    Reader r(file);
    r.flag(QStringLiteral("Run/StartAsLeft"), s.startAsLeft);
    r.running(QStringLiteral("Run/Running"), s.running);
    r.text(QStringLiteral("Capture/Driver"), s.driver);
    r.size(QStringLiteral("Capture/Size"), s.size);
    r.number(QStringLiteral("Capture/Quality"), s.quality, 0, 100);
    r.flag(QStringLiteral("Capture/Greyscale"), s.greyscale);
    r.flag(QStringLiteral("Capture/TimeStamp"), s.timeStamp);
    r.interval(QStringLiteral("Store/Interval"), s.intervalSeconds);
    r.number(QStringLiteral("Store/MaxFrames"), s.maxFrames, 0, PictureStore::StoreCapacity);
    r.number(QStringLiteral("Store/FramesStep"), s.framesStep, 0, PictureStore::StoreCapacity);
    r.number(QStringLiteral("Store/KeepFree"), s.keepFreeMb, 0, PictureStore::KeepFreeMaxMegabytes);
    r.number(QStringLiteral("Motion/Grid"), s.grid, 1, 100);
    r.number(QStringLiteral("Motion/Frames"), s.framesAfterMotion, 10, 30000);
    r.flag(QStringLiteral("Motion/On"), s.motionOn);
    r.number(QStringLiteral("Motion/PicturesBefore"), s.picturesBeforeMotion, 0, 50);
    r.number(QStringLiteral("Motion/IgnoreLightAbove"), s.ignoreLightAbove, 0, 100);
    r.time(QStringLiteral("TimerProgram/From"), s.timerFrom);
    r.time(QStringLiteral("TimerProgram/To"), s.timerTo);
    r.flag(QStringLiteral("TimerProgram/On"), s.timerOn);
    r.parsed(QStringLiteral("TimerProgram/StartSun"), s.timerStartSun, &DayTime::parseSun);
    r.parsed(QStringLiteral("TimerProgram/EndSun"), s.timerEndSun, &DayTime::parseSun);
    r.parsed(QStringLiteral("TimerProgram/Where"), s.timerPlace, &SunPlace::parse);
    r.flag(QStringLiteral("Custom/ButtonSoundOff"), s.buttonSoundOff);
    r.flag(QStringLiteral("Custom/MotionSound"), s.motionSound);
    r.flag(QStringLiteral("Custom/Skin"), s.skin);
    r.flag(QStringLiteral("Web/On"), s.webOn);
    r.text(QStringLiteral("Web/Address"), s.webAddress);
    r.number(QStringLiteral("Web/Port"), s.webPort, 1, 65535);
    r.text(QStringLiteral("Web/Realm"), s.webRealm);
    r.text(QStringLiteral("Web/Hash"), s.webHash);
    // The hash of a password is 16 bytes in hex, and comes with its realm.
    const bool hex = s.webHash.size() == 32 && QByteArray::fromHex(s.webHash.toLatin1()).toHex() ==
                                                   s.webHash.toLatin1().toLower();
    if (!r.failed() && (!s.webHash.isEmpty() || !s.webRealm.isEmpty()) &&
        (!hex || s.webRealm.isEmpty()))
        return failure(QStringLiteral("The settings file \"%1\" holds a bad value for Web/Hash; "
                                      "it is ignored.")
                           .arg(path));
    for (const QString &key : file.allKeys()) {
        if (key.startsWith(QLatin1String("Events/")))
            r.text(key, s.eventCommands[key.mid(7)]);
    }
    if (!r.failed() && s.timerFrom.isValid() != s.timerTo.isValid())
        return failure(QStringLiteral("The settings file \"%1\" holds a timer program without "
                                      "both its times; it is ignored.")
                           .arg(path));
    if (!r.failed() && (s.timerStartSun || s.timerEndSun) && !s.timerPlace)
        return failure(QStringLiteral("The settings file \"%1\" holds a timer program that follows "
                                      "the sun without its place; it is ignored.")
                           .arg(path));
    if (r.failed())
        return failure(
            QStringLiteral("The settings file \"%1\" holds a bad value for %2: \"%3\"; it is "
                           "ignored.")
                .arg(path, r.badKey(), r.badValue()));
    return s;
}

Result<> SavedSettings::save(const QString &path) const
{
    if (const QString dir = QFileInfo(path).absolutePath(); !QDir().mkpath(dir))
        return failure(QStringLiteral("The settings cannot be saved: the folder \"%1\" cannot be "
                                      "created.")
                           .arg(dir));
    QSettings file(path, QSettings::IniFormat);
    file.clear();
    file.setValue(QStringLiteral("Run/StartAsLeft"), startAsLeft);
    for (const auto &[value, name] : RunningNames) {
        if (value == running)
            file.setValue(QStringLiteral("Run/Running"), QString(name));
    }
    file.setValue(QStringLiteral("Capture/Driver"), driver);
    file.setValue(QStringLiteral("Capture/Size"), sizeText(size));
    file.setValue(QStringLiteral("Capture/Quality"), quality);
    file.setValue(QStringLiteral("Capture/Greyscale"), greyscale);
    file.setValue(QStringLiteral("Capture/TimeStamp"), timeStamp);
    file.setValue(QStringLiteral("Store/Interval"), intervalText(intervalSeconds));
    file.setValue(QStringLiteral("Store/MaxFrames"), maxFrames);
    file.setValue(QStringLiteral("Store/FramesStep"), framesStep);
    file.setValue(QStringLiteral("Store/KeepFree"), keepFreeMb);
    file.setValue(QStringLiteral("Motion/Grid"), grid);
    file.setValue(QStringLiteral("Motion/Frames"), framesAfterMotion);
    file.setValue(QStringLiteral("Motion/On"), motionOn);
    // Only when set, so that a file of the described settings stays as it was.
    if (picturesBeforeMotion > 0)
        file.setValue(QStringLiteral("Motion/PicturesBefore"), picturesBeforeMotion);
    if (ignoreLightAbove > 0)
        file.setValue(QStringLiteral("Motion/IgnoreLightAbove"), ignoreLightAbove);
    if (timerFrom.isValid() && timerTo.isValid()) {
        file.setValue(QStringLiteral("TimerProgram/From"), timerFrom.toString(TimeFormat));
        file.setValue(QStringLiteral("TimerProgram/To"), timerTo.toString(TimeFormat));
    }
    file.setValue(QStringLiteral("TimerProgram/On"), timerOn);
    // Written only for a program that follows the sun, so that other files stay as they were.
    if (timerStartSun)
        file.setValue(QStringLiteral("TimerProgram/StartSun"), timerStartSun->text());
    if (timerEndSun)
        file.setValue(QStringLiteral("TimerProgram/EndSun"), timerEndSun->text());
    if (timerPlace && (timerStartSun || timerEndSun))
        file.setValue(QStringLiteral("TimerProgram/Where"), timerPlace->text());
    file.setValue(QStringLiteral("Custom/ButtonSoundOff"), buttonSoundOff);
    file.setValue(QStringLiteral("Custom/MotionSound"), motionSound);
    file.setValue(QStringLiteral("Custom/Skin"), skin);
    if (webOn) {
        file.setValue(QStringLiteral("Web/On"), webOn);
        file.setValue(QStringLiteral("Web/Address"), webAddress);
        file.setValue(QStringLiteral("Web/Port"), webPort);
        if (!webHash.isEmpty()) {
            file.setValue(QStringLiteral("Web/Realm"), webRealm);
            file.setValue(QStringLiteral("Web/Hash"), webHash);
        }
    }
    for (auto it = eventCommands.cbegin(); it != eventCommands.cend(); ++it) {
        if (!it.value().isEmpty())
            file.setValue(QStringLiteral("Events/") + it.key(), it.value());
    }
    file.sync();
    if (file.status() != QSettings::NoError)
        return failure(QStringLiteral("The settings cannot be saved to \"%1\".").arg(path));
    return {};
}
