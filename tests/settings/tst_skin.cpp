// "Deep blue sea" stays readable: text and marks stand out from what they are drawn on (WCAG 2
// contrast), and a checked box shows its check mark.
#include "settings/skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QStyleOptionSpinBox>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
double luminance(QRgb rgb)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The pixels of area in widget that differ clearly from the area's own colour.
int markPixels(QWidget *widget, QRect area, QRgb background)
{
    const QImage image = widget->grab().toImage();
    area.adjust(2, 2, -2, -2);
    int count = 0;
    const qreal scale = image.devicePixelRatio();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(QPoint(x, y) * scale);
            if (contrast(pixel, background) >= 3.0)
                ++count;
        }
    }
    return count;
}

// The check box's indicator: its mark against the square's colour.
int markPixels(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    return markPixels(box, box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box),
                      SkinColours::Field);
}

// A spin box's up or down button: its arrow against the button's face.
int markPixels(QSpinBox *box, QStyle::SubControl button)
{
    QStyleOptionSpinBox option;
    option.initFrom(box);
    option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    option.frame = box->hasFrame();
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    return markPixels(box, box->style()->subControlRect(QStyle::CC_SpinBox, &option, button, box),
                      SkinColours::ButtonFace);
}
} // namespace

class TestSkin : public QObject
{
    Q_OBJECT
private slots:
    void contrast_data();
    void contrast();
    void checkedBoxShowsItsMark();
    void spinBoxShowsItsArrows();
};

void TestSkin::contrast_data()
{
    using namespace SkinColours;
    QTest::addColumn<QRgb>("foreground");
    QTest::addColumn<QRgb>("background");
    QTest::addColumn<double>("minimum");
    const double text = 4.5;
    const double mark = 3.0;
    QTest::newRow("captions on windows") << Text << Window << text;
    QTest::newRow("captions on groups and the status bar") << Text << Group << text;
    QTest::newRow("boxes and lists") << FieldText << Field << text;
    QTest::newRow("selected list entry") << SelectionText << Selection << text;
    QTest::newRow("tool tip") << ToolTipText << ToolTip << text;
    // The caption colours the windows set on buttons.
    QTest::newRow("black caption") << qRgb(0, 0, 0) << ButtonFace << text;
    QTest::newRow("green caption") << qRgb(0, 128, 0) << ButtonFace << text;
    QTest::newRow("idle Start") << qRgb(1, 0, 0) << ButtonFace << text;
    QTest::newRow("running stop!") << qRgb(235, 0, 0) << ButtonFace << text;
    QTest::newRow("check mark in its square") << CheckMark << Field << mark;
    QTest::newRow("check box square on a group") << Field << Group << mark;
    QTest::newRow("check box square on a window") << Field << Window << mark;
    QTest::newRow("progress in its bar") << Line << Field << mark;
    QTest::newRow("spin box arrow on its button") << FieldText << ButtonFace << mark;
}

void TestSkin::contrast()
{
    QFETCH(QRgb, foreground);
    QFETCH(QRgb, background);
    QFETCH(double, minimum);
    const double ratio = ::contrast(foreground, background);
    if (ratio < minimum)
        QFAIL(qPrintable(QStringLiteral("contrast %1:1").arg(ratio, 0, 'f', 2)));
}

void TestSkin::checkedBoxShowsItsMark()
{
    Skin skin(*qApp);
    skin.setActive(true);
    QGroupBox group("Tv-video");
    auto *checked = new QCheckBox("Preview", &group);
    checked->setChecked(true);
    auto *unchecked = new QCheckBox("Overlay", &group);
    auto *layout = new QVBoxLayout(&group);
    layout->addWidget(checked);
    layout->addWidget(unchecked);
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    const int marked = markPixels(checked);
    const int unmarked = markPixels(unchecked);
    skin.setActive(false);
    QVERIFY2(marked >= 8, qPrintable(QString::number(marked)));
    QCOMPARE(unmarked, 0);
}

void TestSkin::spinBoxShowsItsArrows()
{
    Skin skin(*qApp);
    skin.setActive(true);
    QSpinBox box;
    box.setRange(0, 99);
    box.setValue(50);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const int up = markPixels(&box, QStyle::SC_SpinBoxUp);
    const int down = markPixels(&box, QStyle::SC_SpinBoxDown);
    skin.setActive(false);
    QVERIFY2(up >= 4 && down >= 4, qPrintable(QStringLiteral("%1 and %2").arg(up).arg(down)));
}

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
