#include "capture/captureformatcontrols.h"

#include "app/updowncontrol.h"
#include "capture/capturesettings.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <array>

namespace {
struct SizeEntry
{
    const char *text;
    int width;
    int height;
};
// The last, empty entry picks no size.
constexpr std::array<SizeEntry, 5> SizeEntries{{{"640 x 480", 640, 480},
                                                {"320 x 240", 320, 240},
                                                {"160 x 120", 160, 120},
                                                {"  80   x 60", 80, 60},
                                                {"", 0, 0}}};

QLabel *label(const QString &text, QWidget *window, const QRect &geometry)
{
    auto *l = new QLabel(text, window);
    l->setGeometry(geometry);
    return l;
}
} // namespace

CaptureFormatControls::CaptureFormatControls(CaptureSettings &settings, QWidget *window)
    : QObject(window), m_settings(settings)
{
    buildSizeControls(window);
    buildCustomControls(window);
    buildQualityControls(window);
    buildColourControls(window);
}

void CaptureFormatControls::buildSizeControls(QWidget *window)
{
    label("Capture window size :", window, QRect(16, 18, 136, 18));
    sizeList = new QComboBox(window);
    sizeList->setObjectName("sizeList");
    sizeList->setAccessibleName("Capture window size");
    sizeList->setGeometry(160, 14, 110, 24);
    // Editable so that it can show a size no entry has; the text itself is never typed.
    sizeList->setEditable(true);
    sizeList->lineEdit()->setReadOnly(true);
    sizeList->setInsertPolicy(QComboBox::NoInsert);
    sizeList->lineEdit()->installEventFilter(this);
    for (const SizeEntry &entry : SizeEntries)
        sizeList->addItem(QString::fromLatin1(entry.text));
    sizeList->setCurrentIndex(-1);
    showSize(m_settings.FrameWidth, m_settings.FrameHeight);
    m_settings.SizeListIndex = -1;
    connect(sizeList, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_settings.SizeListIndex = index; });
    connect(sizeList, &QComboBox::activated, this, &CaptureFormatControls::sizePicked);

    custom = new QPushButton("custom", window);
    custom->setObjectName("custom");
    custom->setGeometry(290, 14, 58, 24);
    connect(custom, &QPushButton::clicked, this, &CaptureFormatControls::toggleCustomSize);
}

void CaptureFormatControls::buildCustomControls(QWidget *window)
{
    xLabel = label("X", window, QRect(150, 18, 10, 18));
    yLabel = label("Y", window, QRect(220, 18, 10, 18));
    widthBox = new QLineEdit("640", window);
    widthBox->setObjectName("widthBox");
    widthBox->setAccessibleName("Custom width");
    widthBox->setGeometry(160, 14, 40, 24);
    widthBox->setReadOnly(true);
    heightBox = new QLineEdit("480", window);
    heightBox->setObjectName("heightBox");
    heightBox->setAccessibleName("Custom height");
    heightBox->setGeometry(230, 14, 40, 24);
    heightBox->setReadOnly(true);
    widthArrows = new UpDownControl(80, 768, 10, 640, window);
    widthArrows->setObjectName("widthArrows");
    widthArrows->setAccessibleName("Custom width arrows");
    widthArrows->setGeometry(200, 14, 16, 24);
    heightArrows = new UpDownControl(60, 568, 10, 480, window);
    heightArrows->setObjectName("heightArrows");
    heightArrows->setAccessibleName("Custom height arrows");
    heightArrows->setGeometry(270, 14, 16, 24);
    connect(widthArrows, &UpDownControl::clicked, this, [this](int position) {
        widthBox->setText(QString::number(position));
        m_settings.FrameWidth = position;
    });
    connect(heightArrows, &UpDownControl::clicked, this, [this](int position) {
        heightBox->setText(QString::number(position));
        m_settings.FrameHeight = position;
    });
    setCustomControlsVisible(false);
}

void CaptureFormatControls::buildQualityControls(QWidget *window)
{
    label("Jpeg Compression quality :", window, QRect(16, 62, 170, 18));
    qualityBox = new QLineEdit(m_settings.JpegQuality, window);
    qualityBox->setObjectName("qualityBox");
    qualityBox->setAccessibleName("Jpeg Compression quality");
    qualityBox->setGeometry(200, 58, 40, 24);
    // Digits only: a stored picture never meets a quality that is not a number.
    qualityBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{1,3}"), qualityBox));
    qualityArrows = new UpDownControl(50, 100, 1, 100, window);
    qualityArrows->setObjectName("qualityArrows");
    qualityArrows->setAccessibleName("Jpeg Compression quality arrows");
    qualityArrows->setGeometry(240, 58, 16, 24);
    connect(qualityArrows, &UpDownControl::clicked, this,
            [this](int position) { qualityBox->setText(QString::number(position)); });
    connect(qualityBox, &QLineEdit::textChanged, this, &CaptureFormatControls::qualityTyped);
}

void CaptureFormatControls::buildColourControls(QWidget *window)
{
    label("Jpeg color or greyscale :", window, QRect(16, 106, 170, 18));
    colourList = new QComboBox(window);
    colourList->setObjectName("colourList");
    colourList->setAccessibleName("Jpeg color or greyscale");
    colourList->setGeometry(200, 102, 110, 24);
    colourList->addItems({QStringLiteral("24 bit color"), QStringLiteral("grey scale ")});
    colourList->setCurrentIndex(0);
    connect(colourList, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_settings.Greyscale = index == 1; });
}

bool CaptureFormatControls::eventFilter(QObject *watched, QEvent *event)
{
    // The size list's text is not typed: a click on it opens the list, as on the arrow.
    if (watched == sizeList->lineEdit() && event->type() == QEvent::MouseButtonPress) {
        sizeList->showPopup();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CaptureFormatControls::sizePicked(int index)
{
    if (index < 0 || index >= int(SizeEntries.size()) || SizeEntries[index].width == 0)
        return;
    m_settings.FrameWidth = SizeEntries[index].width;
    m_settings.FrameHeight = SizeEntries[index].height;
}

void CaptureFormatControls::qualityTyped(const QString &text)
{
    if (text.isEmpty())
        return; // settled when the preferences are confirmed
    m_settings.JpegQuality = text;
    // The arrows go on from the number typed, as arrows tied to a box do.
    qualityArrows->setPosition(text.toInt());
}

void CaptureFormatControls::settleQuality()
{
    if (qualityBox->text().isEmpty())
        qualityBox->setText(m_settings.JpegQuality);
}

void CaptureFormatControls::setCustomControlsVisible(bool visible)
{
    for (QWidget *w : std::initializer_list<QWidget *>{xLabel, yLabel, widthBox, heightBox,
                                                       widthArrows, heightArrows})
        w->setVisible(visible);
}

void CaptureFormatControls::toggleCustomSize()
{
    if (!m_settings.CustomSize) {
        m_settings.CustomSize = true;
        custom->setText("preselect");
        sizeList->hide();
        sizeList->setCurrentIndex(-1);
        setCustomControlsVisible(true);
        m_settings.FrameWidth = widthBox->text().toInt();
        m_settings.FrameHeight = heightBox->text().toInt();
        return;
    }
    m_settings.CustomSize = false;
    custom->setText("custom");
    sizeList->show();
    setCustomControlsVisible(false);
}

void CaptureFormatControls::showSize(int width, int height)
{
    sizeList->setEditText(QStringLiteral("%1 x %2").arg(width).arg(height));
}

QString CaptureFormatControls::qualityText() const
{
    return qualityBox->text();
}

bool CaptureFormatControls::greyscaleSelected() const
{
    return colourList->currentIndex() == 1;
}
