#include "capture/captureformatcontrols.h"

#include "capture/camerasizes.h"
#include "capture/capturesettings.h"
#include "shell/boxfit.h"
#include "shell/updowncontrol.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <array>
#include <iterator>

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

// The grid the controls stand in, label left, controls right: the window's own layout, made on
// first use, so that the window can add its buttons below.
QGridLayout *gridOf(QWidget *window)
{
    if (auto *grid = qobject_cast<QGridLayout *>(window->layout()))
        return grid;
    auto *grid = new QGridLayout(window);
    grid->setContentsMargins(16, 12, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(12);
    grid->setColumnStretch(3, 1);
    return grid;
}

QLabel *label(const QString &text, QWidget *window, int row)
{
    auto *l = new QLabel(text, window);
    gridOf(window)->addWidget(l, row, 0);
    return l;
}

// A row of controls in the grid's middle columns, kept to the left.
QHBoxLayout *controlRow(QWidget *window, int row, int columnSpan = 1)
{
    auto *controls = new QHBoxLayout;
    controls->setSpacing(0);
    gridOf(window)->addLayout(controls, row, 1, 1, columnSpan, Qt::AlignLeft);
    return controls;
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
    label("Capture window size :", window, 0);
    sizeList = new QComboBox(window);
    sizeList->setObjectName("sizeList");
    sizeList->setAccessibleName("Capture window size");
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
    // Room for any size the list may show, custom ones included.
    sizeList->setMinimumWidth(BoxFit::editableListWidth(sizeList, QStringLiteral("1920 x 1080")));
    // The list and the custom width and height take turns in the same place.
    controlRow(window, 0)->addWidget(sizeList);

    custom = new QPushButton("custom", window);
    custom->setObjectName("custom");
    gridOf(window)->addWidget(custom, 0, 2);
    connect(custom, &QPushButton::clicked, this, &CaptureFormatControls::toggleCustomSize);
}

void CaptureFormatControls::buildCustomControls(QWidget *window)
{
    xLabel = new QLabel("X", window);
    yLabel = new QLabel("Y", window);
    widthBox = new QLineEdit("640", window);
    widthBox->setObjectName("widthBox");
    widthBox->setAccessibleName("Custom width");
    widthBox->setReadOnly(true);
    heightBox = new QLineEdit("480", window);
    heightBox->setObjectName("heightBox");
    heightBox->setAccessibleName("Custom height");
    heightBox->setReadOnly(true);
    widthArrows = new UpDownControl(80, 768, 10, 640, window);
    widthArrows->setObjectName("widthArrows");
    widthArrows->setAccessibleName("Custom width arrows");
    heightArrows = new UpDownControl(60, 568, 10, 480, window);
    heightArrows->setObjectName("heightArrows");
    heightArrows->setAccessibleName("Custom height arrows");
    QHBoxLayout *row = qobject_cast<QHBoxLayout *>(gridOf(window)->itemAtPosition(0, 1)->layout());
    for (QLineEdit *box : {widthBox, heightBox})
        box->setFixedWidth(BoxFit::lineEditWidth(box, QStringLiteral("0000")));
    for (UpDownControl *arrows : {widthArrows, heightArrows})
        BoxFit::arrowsBesideBox(arrows);
    for (QWidget *w : std::initializer_list<QWidget *>{xLabel, widthBox, widthArrows, yLabel,
                                                       heightBox, heightArrows})
        row->addWidget(w);
    // Apart from the boxes by their own margins, which hide with them.
    xLabel->setContentsMargins(0, 0, 3, 0);
    yLabel->setContentsMargins(6, 0, 3, 0);
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
    label("Jpeg Compression quality :", window, 1);
    qualityBox = new QLineEdit(QString::number(m_settings.JpegQuality), window);
    qualityBox->setObjectName("qualityBox");
    qualityBox->setAccessibleName("Jpeg Compression quality");
    qualityBox->setFixedWidth(BoxFit::lineEditWidth(qualityBox, QStringLiteral("0000")));
    // Digits only: a stored picture never meets a quality that is not a number.
    qualityBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{1,3}"), qualityBox));
    qualityArrows = new UpDownControl(50, 100, 1, 100, window);
    qualityArrows->setObjectName("qualityArrows");
    qualityArrows->setAccessibleName("Jpeg Compression quality arrows");
    BoxFit::arrowsBesideBox(qualityArrows);
    QHBoxLayout *row = controlRow(window, 1);
    row->addWidget(qualityBox);
    row->addWidget(qualityArrows);
    connect(qualityArrows, &UpDownControl::clicked, this,
            [this](int position) { qualityBox->setText(QString::number(position)); });
    connect(qualityBox, &QLineEdit::textChanged, this, &CaptureFormatControls::qualityTyped);
}

void CaptureFormatControls::buildColourControls(QWidget *window)
{
    label("Jpeg color or greyscale :", window, 2);
    colourList = new QComboBox(window);
    colourList->setObjectName("colourList");
    colourList->setAccessibleName("Jpeg color or greyscale");
    colourList->addItems({QStringLiteral("24 bit color"), QStringLiteral("grey scale ")});
    colourList->setCurrentIndex(0);
    controlRow(window, 2, 2)->addWidget(colourList);
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
    if (const qsizetype camera = index - qsizetype(SizeEntries.size());
        camera >= 0 && camera < m_cameraSizes.size()) {
        m_settings.FrameWidth = m_cameraSizes[camera].width();
        m_settings.FrameHeight = m_cameraSizes[camera].height();
        return;
    }
    if (index < 0 || index >= int(SizeEntries.size()) || SizeEntries[index].width == 0)
        return;
    m_settings.FrameWidth = SizeEntries[index].width;
    m_settings.FrameHeight = SizeEntries[index].height;
}

void CaptureFormatControls::qualityTyped(const QString &text)
{
    if (text.isEmpty())
        return; // settled when the preferences are confirmed
    // The box takes digits only; a number out of range is refused when the preferences are
    // confirmed.
    m_settings.JpegQuality = text.toInt();
    // The arrows go on from the number typed, as arrows tied to a box do.
    qualityArrows->setPosition(m_settings.JpegQuality);
}

void CaptureFormatControls::settleQuality()
{
    if (qualityBox->text().isEmpty())
        qualityBox->setText(QString::number(m_settings.JpegQuality));
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

void CaptureFormatControls::showSettings()
{
    const int width = m_settings.FrameWidth, height = m_settings.FrameHeight;
    const auto listed = std::find_if(SizeEntries.begin(), SizeEntries.end(), [&](const auto &e) {
        return e.width == width && e.height == height && width > 0;
    });
    int index = listed == SizeEntries.end() ? -1 : int(std::distance(SizeEntries.begin(), listed));
    if (const qsizetype camera = m_cameraSizes.indexOf(QSize(width, height)); camera >= 0)
        index = int(SizeEntries.size() + camera);
    // The list's entry follows its selection into the settings.
    sizeList->setCurrentIndex(index);
    showSize(width, height);
    qualityBox->setText(QString::number(m_settings.JpegQuality));
    colourList->setCurrentIndex(m_settings.Greyscale ? 1 : 0);
}

bool CaptureFormatControls::offers(int width, int height)
{
    const bool listed = std::any_of(SizeEntries.begin(), SizeEntries.end(), [&](const auto &e) {
        return e.width == width && e.height == height && width > 0;
    });
    // From the custom width and height arrows' least up to the largest camera size.
    return listed || (width >= 80 && width <= CameraSizes::Largest.width() && height >= 60 &&
                      height <= CameraSizes::Largest.height());
}

void CaptureFormatControls::setCameraSizes(const QList<QSize> &sizes)
{
    if (sizes == m_cameraSizes)
        return;
    const QString shown = sizeList->currentText();
    const bool cameraEntry = sizeList->currentIndex() >= int(SizeEntries.size());
    while (sizeList->count() > int(SizeEntries.size()))
        sizeList->removeItem(sizeList->count() - 1);
    m_cameraSizes = sizes;
    for (const QSize &size : sizes)
        sizeList->addItem(CameraSizes::text(size));
    // A size picked from the earlier camera stays shown as text, as a custom one is.
    if (cameraEntry)
        sizeList->setCurrentIndex(-1);
    sizeList->setEditText(shown);
}

QString CaptureFormatControls::qualityText() const
{
    return qualityBox->text();
}

bool CaptureFormatControls::greyscaleSelected() const
{
    return colourList->currentIndex() == 1;
}
