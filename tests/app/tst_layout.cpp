// Every window shows its texts whole at the desktop's font and at 125 % and 150 % of it, in both
// looks, and closes with Escape; the main window keeps every control at its minimum size; the
// panel's buttons answer their Alt shortcuts.
#include "common/captureapp.h"
#include "viewer/storedpictures.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTest>

namespace {
QString clipped(const QWidget *w, const QString &text, int room)
{
    const int advance = w->fontMetrics().horizontalAdvance(text);
    return text.isEmpty() || advance <= room ? QString()
                                             : QStringLiteral("%1 \"%2\": %3 px in %4")
                                                   .arg(w->objectName(), text)
                                                   .arg(advance)
                                                   .arg(room);
}

// What a widget's text needs against the room the style leaves it, as the widget paints it.
QString clippedText(QWidget *w)
{
    QStyle *style = w->style();
    if (auto *label = qobject_cast<QLabel *>(w)) {
        if (label->wordWrap() || label->text().isEmpty())
            return {};
        int indent = label->indent();
        if (indent < 0 && label->frameWidth() > 0)
            indent = label->fontMetrics().horizontalAdvance(u'x') / 2 - label->margin();
        const int room = label->contentsRect().width() - 2 * label->margin() - std::max(0, indent);
        return clipped(w, label->text(), room);
    }
    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool check = qobject_cast<QCheckBox *>(w);
        const auto element = check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents;
        return clipped(w, button->text(), style->subElementRect(element, &option, w).width());
    }
    if (auto *box = qobject_cast<QLineEdit *>(w)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.rect = box->contentsRect();
        option.lineWidth = box->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        const QMargins text = box->textMargins();
        const int room = style->subElementRect(QStyle::SE_LineEditContents, &option, w).width() -
                         text.left() - text.right() - 2 * 2;
        return clipped(w, box->text(), room);
    }
    if (auto *group = qobject_cast<QGroupBox *>(w)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, w);
        return clipped(w, group->title(), group->width() - title.left());
    }
    if (auto *list = qobject_cast<QComboBox *>(w); list && !list->isEditable()) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.currentText = list->currentText();
        const QRect field =
            style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, w);
        return clipped(w, list->currentText(), field.width() - 2); // a pixel either side
    }
    return {};
}

QStringList clippedTexts(QWidget *window)
{
    QStringList found;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->isVisible() && w->window() == window)
            found << clippedText(w);
    }
    found.removeAll(QString());
    return found;
}

// The tool windows shown now, all but the main window.
QList<QWidget *> shownTools(QWidget *main)
{
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != main && w->isVisible())
            shown << w;
    }
    return shown;
}
} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { m_font = QApplication::font(); }
    void cleanup() { QApplication::setFont(m_font); }
    void textsWhole_data();
    void textsWhole();
    void minimumSizeKeepsEveryControl_data() { textsWhole_data(); }
    void minimumSizeKeepsEveryControl();
    void windowsFitTheScreen_data();
    void windowsFitTheScreen();
    void shortcutPressesItsButton_data();
    void shortcutPressesItsButton();

private:
    /// The program started at scale times the desktop's font, in the plain look or the skin.
    bool start(CaptureApp &app, double scale = 1.0, bool skin = true);

    QFont m_font;
};

bool TestLayout::start(CaptureApp &app, double scale, bool skin)
{
    QFont font = m_font;
    font.setPointSizeF(m_font.pointSizeF() * scale);
    QApplication::setFont(font);
    QString error;
    if (!app.start(&error))
        return false;
    if (!skin)
        qApp->setStyleSheet(QString());
    app.main().show();
    return QTest::qWaitForWindowActive(&app.main());
}

void TestLayout::textsWhole_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("skin");
    for (double scale : {1.0, 1.25, 1.5}) {
        const QString percent = QString::number(scale * 100) + " %";
        QTest::newRow(qPrintable(percent + ", Deep blue sea")) << scale << true;
        QTest::newRow(qPrintable(percent + ", plain")) << scale << false;
    }
}

void TestLayout::textsWhole()
{
    QFETCH(double, scale);
    QFETCH(bool, skin);
    CaptureApp app;
    QVERIFY(start(app, scale, skin));
    QStringList found = clippedTexts(&app.main());
    // Each tool window as its button opens it, then closed with Escape as with "Cancel".
    const auto openAndEscape = [&](const char *name) {
        CaptureApp::button(&app.main(), name)->click();
        const QList<QWidget *> tools = shownTools(&app.main());
        QCOMPARE(tools.size(), 1);
        found << clippedTexts(tools.first());
        QTest::keyClick(tools.first(), Qt::Key_Escape);
        QVERIFY2(!tools.first()->isVisible(), name);
    };
    openAndEscape("driver");
    QVERIFY(app.chooseTestScene());
    openAndEscape("format");
    QVERIFY(app.confirmFormat()); // the status bar shows its longest values
    for (const char *name : {"clear", "reset", "pref", "prog", "info", "about"})
        openAndEscape(name);
    // "Custom settings" again with its event commands unfolded.
    CaptureApp::button(&app.main(), "pref")->click();
    QWidget *custom = app.app->toolWindows().window(ToolWindows::Role::CustomSettings);
    custom->findChild<QAbstractButton *>("eventCommandsToggle")->click();
    QVERIFY(custom->findChild<QWidget *>("eventCommands")->isVisible());
    found << clippedTexts(custom);
    QTest::keyClick(custom, Qt::Key_Escape);
    QTest::qWait(50); // the status bar takes its new values' widths
    found << clippedTexts(&app.main());
    // The viewer over ten pictures, and its first picture full screen with the toolbar.
    QVERIFY(storePictures(0, 9));
    openAndEscape("view");
    CaptureApp::button(&app.main(), "view")->click();
    QTest::mouseClick(app.main().findChild<QWidget *>("thumbnail1"), Qt::LeftButton);
    found << clippedTexts(&app.main());
    QTest::mouseClick(app.main().findChild<QWidget *>("fullScreenPicture"), Qt::LeftButton);
    QTest::keyClick(shownTools(&app.main()).value(0), Qt::Key_Escape);
    QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
}

void TestLayout::minimumSizeKeepsEveryControl()
{
    QFETCH(double, scale);
    QFETCH(bool, skin);
    CaptureApp app;
    QVERIFY(start(app, scale, skin));
    QVERIFY(app.chooseTestScene() && app.confirmFormat());
    QTest::qWait(50); // the minimum follows the status bar's new values
    MainWindow &main = app.main();
    main.resize(main.minimumSize());
    QTRY_COMPARE(main.size(), main.minimumSize());
    QVERIFY(main.minimumWidth() < MainWindow::OuterWidth);
    for (QWidget *w : main.findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                             qobject_cast<QLabel *>(w);
        if (!control || !w->isVisible())
            continue;
        const QRect placed(w->mapTo(&main, QPoint()), w->size());
        QVERIFY2(main.rect().contains(placed),
                 qPrintable(w->objectName() + QString(" %1,%2 %3x%4 in %5x%6")
                                                  .arg(placed.x())
                                                  .arg(placed.y())
                                                  .arg(placed.width())
                                                  .arg(placed.height())
                                                  .arg(main.width())
                                                  .arg(main.height())));
    }
    const QStringList found = clippedTexts(&main);
    QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
}

void TestLayout::windowsFitTheScreen_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QSize>("screen");
    QTest::newRow("100 %, a laptop's screen") << 1.0 << QSize(1366, 768);
    QTest::newRow("150 %, a desktop's screen") << 1.5 << QSize(1920, 1080);
}

// The main window, the viewer and every tool window fit the screen; the panel's groups keep
// their least height.
void TestLayout::windowsFitTheScreen()
{
    QFETCH(double, scale);
    QFETCH(QSize, screen);
    CaptureApp app;
    QVERIFY(start(app, scale));
    QVERIFY(app.chooseTestScene() && app.confirmFormat() && storePictures(0, 9));
    QStringList tooLarge;
    const auto check = [&](QWidget *w) {
        const QSize size = w->frameGeometry().size();
        if (size.width() > screen.width() || size.height() > screen.height())
            tooLarge << QStringLiteral("%1 %2x%3")
                            .arg(w->objectName())
                            .arg(size.width())
                            .arg(size.height());
    };
    check(&app.main());
    for (QGroupBox *group : app.panel()->groups())
        QVERIFY2(group->height() >= 81, qPrintable(group->title()));
    // At the desktop's font the stated sizes hold: the panel in one row and the status panels
    // at their widths, while the window is wide enough for them.
    if (scale == 1.0) {
        QCOMPARE(app.main().findChild<QWidget *>("controlPanel")->height(), 84);
        for (QGroupBox *group : app.panel()->groups())
            QCOMPARE(group->height(), 81);
    }
    const int leastWidths[] = {385, 130, 140, 50};
    for (int i = 0; i < 4; ++i) {
        const QWidget *panel = app.main().findChild<QWidget *>(QString("statusPanel%1").arg(i));
        QTRY_VERIFY2(panel->width() >= leastWidths[i], qPrintable(panel->objectName()));
    }
    for (const char *name :
         {"driver", "format", "clear", "reset", "pref", "prog", "info", "about", "view"}) {
        CaptureApp::button(&app.main(), name)->click();
        for (QWidget *tool : shownTools(&app.main())) {
            check(tool);
            QTest::keyClick(tool, Qt::Key_Escape);
        }
    }
    QVERIFY2(tooLarge.isEmpty(), qPrintable(tooLarge.join('\n')));
}

void TestLayout::shortcutPressesItsButton_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("key");
    QTest::newRow("Alt+T, Step") << "step" << int(Qt::Key_T);
    QTest::newRow("Alt++, Fine +") << "finePlus" << int(Qt::Key_Plus);
    QTest::newRow("Alt+-, Fine -") << "fineMinus" << int(Qt::Key_Minus);
    QTest::newRow("Alt+C, Clear") << "clear" << int(Qt::Key_C);
}

void TestLayout::shortcutPressesItsButton()
{
    QFETCH(QString, name);
    QFETCH(int, key);
    CaptureApp app;
    QVERIFY(start(app));
    QPushButton *button = CaptureApp::button(&app.main(), qPrintable(name));
    QSignalSpy clicks(button, &QPushButton::clicked);
    QTest::keyClick(&app.main(), Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(clicks.count(), 1); // a shortcut presses the button for a moment
}

int main(int argc, char **argv)
{
    // A desktop's screen rather than the offscreen platform's 800 x 600, which would bound every
    // window and hide one that grows too large.
    const QString screen = QDir::temp().filePath(QStringLiteral("vardella-layout-screen.json"));
    QFile config(screen);
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,
                        "height": 1080, "logicalDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    QApplication app(argc, argv);
    TestLayout test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_layout.moc"
