#pragma once
// The controls of the capture preferences: frame size (a list of sizes, or custom width and
// height with arrows), JPEG quality, colour or greyscale. Each change goes into CaptureSettings
// at once; applying the settings is the window's business.

#include <QList>
#include <QObject>
#include <QSize>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class UpDownControl;
struct CaptureSettings;

class CaptureFormatControls : public QObject
{
    Q_OBJECT
public:
    /// Builds the controls on window, which owns them.
    CaptureFormatControls(CaptureSettings &settings, QWidget *window);

    /// "custom" / "preselect": switches between the size list and the custom width and height.
    void toggleCustomSize();
    /// Puts "W x H" into the size list's text, leaving its selection alone.
    void showSize(int width, int height);
    /// Shows the settings' size, quality and colour, as set elsewhere than in the controls.
    void showSettings();
    /// After the described entries, the list offers the connected camera's own larger sizes.
    void setCameraSizes(const QList<QSize> &sizes);
    /// Whether the controls can set width x height: a listed size, a custom one or one that a
    /// camera may offer (up to 1920 x 1080).
    static bool offers(int width, int height);
    /// An emptied quality box takes back the last quality, so that it always holds a number.
    void settleQuality();
    QString qualityText() const;
    bool greyscaleSelected() const;

    QComboBox *sizeList = nullptr;
    QPushButton *custom = nullptr;
    QLabel *xLabel = nullptr;
    QLabel *yLabel = nullptr;
    QLineEdit *widthBox = nullptr;
    QLineEdit *heightBox = nullptr;
    UpDownControl *widthArrows = nullptr;
    UpDownControl *heightArrows = nullptr;
    QLineEdit *qualityBox = nullptr;
    UpDownControl *qualityArrows = nullptr;
    QComboBox *colourList = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildSizeControls(QWidget *window);
    void buildCustomControls(QWidget *window);
    void buildQualityControls(QWidget *window);
    void buildColourControls(QWidget *window);
    void sizePicked(int index);
    void qualityTyped(const QString &text);
    void setCustomControlsVisible(bool visible);

    CaptureSettings &m_settings;
    QList<QSize> m_cameraSizes; // the entries after the described ones
};
