// The hyperlink label's colours through press, drag and release, what opens its target, its
// status bar panel, its size; and the about box's link.

#include "common/fakesound.h"
#include "settings/aboutbox.h"
#include "settings/hyperlinklabel.h"
#include "shell/toolwindows.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace {
// Stands in for the browser: the addresses the desktop was asked to open.
class Opened : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

struct Panels : StatusPanels
{
    QStringList texts{"zero", "one"};
    QString statusPanel(int index) const override { return texts[index]; }
    void showStatusPanel(int index, const QString &text) override { texts[index] = text; }
};

void move(QWidget *w, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, buttons, {});
    QCoreApplication::sendEvent(w, &event);
}
} // namespace

class TestHyperLinkLabel : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        for (const char *scheme : {"https", "file"})
            QDesktopServices::setUrlHandler(scheme, &m_opened, "open");
        m_opened.urls.clear();
    }
    void cleanup()
    {
        for (const char *scheme : {"https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    void coloursAndOpening();
    void enterOpensWithoutClicking();
    void statusPanelFollowsFocus();
    void italicCaptionIsSizedWithAComma();
    void aboutBoxLink();

private:
    Opened m_opened;
};

void TestHyperLinkLabel::coloursAndOpening()
{
    HyperLinkLabel link("example.org");
    link.setHref("https://example.org/");
    link.show();
    QSignalSpy clicked(&link, &HyperLinkLabel::clicked);
    QCOMPARE(link.textColor(), QColor(Qt::blue));
    QVERIFY(link.font().underline());
    QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    move(&link, QPoint(2, 2), Qt::NoButton);
    QCOMPARE(link.textColor(), QColor(Qt::green));

    // Pressed, dragged off and released outside: rest colour, nothing opened.
    QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(link.textColor(), QColor(Qt::red));
    move(&link, QPoint(2, 2), Qt::LeftButton);
    move(&link, QPoint(link.width() + 20, 2), Qt::LeftButton);
    QCOMPARE(link.textColor(), QColor(Qt::blue));
    move(&link, QPoint(3, 3), Qt::LeftButton); // back inside: pressed again
    QCOMPARE(link.textColor(), QColor(Qt::red));
    move(&link, QPoint(link.width() + 20, 2), Qt::LeftButton);
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(link.width() + 20, 2));
    QCOMPARE(link.textColor(), QColor(Qt::blue));
    QVERIFY(m_opened.urls.isEmpty());
    QCOMPARE(clicked.size(), 0);

    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(m_opened.urls, QList<QUrl>{QUrl("https://example.org/")});
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(link.textColor(), QColor(Qt::blue));

    // A colour set from outside while at rest becomes the rest colour.
    QPalette palette = link.palette();
    palette.setColor(QPalette::WindowText, Qt::darkMagenta);
    link.setPalette(palette);
    QCOMPARE(link.notPressedColor(), QColor(Qt::darkMagenta));
}

void TestHyperLinkLabel::enterOpensWithoutClicking()
{
    HyperLinkLabel link("no target");
    QSignalSpy clicked(&link, &HyperLinkLabel::clicked);
    QTest::keyClick(&link, Qt::Key_Return);
    QVERIFY(m_opened.urls.isEmpty());
    link.setHref("https://example.org/guide");
    QTest::keyClick(&link, Qt::Key_Return);
    QCOMPARE(m_opened.urls, QList<QUrl>{QUrl("https://example.org/guide")});
    QCOMPARE(clicked.size(), 0);
}

void TestHyperLinkLabel::statusPanelFollowsFocus()
{
    QWidget window;
    auto *other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    auto *link = new HyperLinkLabel("home", &window);
    link->setHref("https://example.org/");
    Panels panels;
    link->setStatusBar(&panels, 1);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    link->setFocus();
    QCOMPARE(panels.texts[1], QStringLiteral("https://example.org/"));
    QCOMPARE(link->textColor(), QColor(Qt::green));
    other->setFocus();
    QCOMPARE(panels.texts[1], QStringLiteral("one"));
    QCOMPARE(link->textColor(), QColor(Qt::blue));
    // Changed meanwhile: left as it is.
    link->setFocus();
    panels.texts[1] = "capture running";
    other->setFocus();
    QCOMPARE(panels.texts[1], QStringLiteral("capture running"));
}

void TestHyperLinkLabel::italicCaptionIsSizedWithAComma()
{
    HyperLinkLabel upright("Homepage");
    HyperLinkLabel italic("Homepage");
    QFont font = italic.font();
    font.setItalic(true);
    italic.setFont(font);
    const QFontMetrics metrics(italic.font());
    QCOMPARE(italic.width(), metrics.horizontalAdvance("Homepage,") + 1);
    QCOMPARE(upright.width(), QFontMetrics(upright.font()).horizontalAdvance("Homepage") + 1);
    italic.setCaption("Home");
    QCOMPARE(italic.width(), metrics.horizontalAdvance("Home,") + 1);
}

void TestHyperLinkLabel::aboutBoxLink()
{
    QWidget main;
    FakeSound click;
    ToolWindows tools;
    tools.setClick(click.sound);
    AboutBox about(&main, tools);
    about.open();
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QCOMPARE(click.backend->plays, 1);
    HyperLinkLabel *link = about.link();
    QVERIFY(AboutBox::guideUrl().isLocalFile());
    QVERIFY(AboutBox::guideUrl().path().endsWith("/guide.html"));
    QCOMPARE(link->text(), AboutBox::guideUrl().toLocalFile());
    // Enter on the link does nothing: it has no target of its own and Enter does not click.
    QTest::keyClick(link, Qt::Key_Return);
    QVERIFY(m_opened.urls.isEmpty());
    QVERIFY(about.isVisible());
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(m_opened.urls, QList<QUrl>{AboutBox::guideUrl()});
    about.findChild<QPushButton *>("okButton")->click();
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(TestHyperLinkLabel)
#include "tst_hyperlinklabel.moc"
