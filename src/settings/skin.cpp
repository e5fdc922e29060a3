#include "settings/skin.h"

#include <QApplication>
#include <QColor>

#include <utility>

Skin::Skin(QApplication &app) : m_app(app) {}

void Skin::setActive(bool active)
{
    m_active = active;
    m_app.setStyleSheet(active ? deepBlueSea() : QString());
}

QString Skin::deepBlueSea()
{
    // Deep blues for the frames, light text; the video area and the font colours that carry
    // meaning (green buttons, the red "stop!") are left to the windows. Lengths in em follow
    // the font, so that a larger desktop font gets larger check boxes and group titles.
    QString sheet = QStringLiteral(R"(
QMainWindow, QDialog, CaptureToolWindow, CustomSettingsWindow, AboutBox, PrintQuestion,
QWidget#controlPanel,
QWidget#fullScreenToolbar {
    background-color: {window};
}
QGroupBox {
    color: {text}; border: 1px solid {line}; border-radius: 3px;
    margin-top: 0.5em; padding-top: 0.5em; background-color: {group};
}
QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }
QPushButton {
    background-color: {buttonFace}; border: 1px solid {buttonBorder}; border-radius: 3px;
    padding: 3px 12px;
}
QWidget#controlPanel QPushButton { padding: 0px 1px; }
QPushButton:hover { border-color: {buttonHoverBorder}; }
QPushButton:pressed { border-color: {buttonPressedBorder}; padding-top: 1px; }
QPushButton:disabled { background-color: {buttonDisabledFace}; }
QLineEdit, QPlainTextEdit, QTextEdit, QComboBox, QSpinBox, QListWidget {
    background-color: {field}; color: {fieldText}; border: 1px solid {line};
}
/* A bordered spin box takes its buttons from the sheet, arrows included, else they are flat
   and blank. */
QSpinBox { padding-right: 1.3em; }
QSpinBox::up-button, QSpinBox::down-button {
    subcontrol-origin: border; width: 1.3em; background-color: {buttonFace};
    border: 1px solid {buttonBorder};
}
QSpinBox::up-button { subcontrol-position: top right; }
QSpinBox::down-button { subcontrol-position: bottom right; }
QSpinBox::up-arrow { image: url(:/skin/arrowup.png); width: 0.7em; }
QSpinBox::down-arrow { image: url(:/skin/arrowdown.png); width: 0.7em; }
QSpinBox::up-button:hover, QSpinBox::down-button:hover { border-color: {buttonHoverBorder}; }
QSpinBox::up-button:disabled, QSpinBox::down-button:disabled {
    background-color: {buttonDisabledFace};
}
/* Without padding, a list's text runs under its arrow. */
QComboBox { padding: 1px 2px 1px 3px; }
QComboBox QAbstractItemView {
    background-color: {field}; color: {fieldText};
    selection-background-color: {selection}; selection-color: {selectionText};
}
QCheckBox, QLabel, QRadioButton { color: {text}; }
QCheckBox::indicator {
    width: 0.8em; height: 0.8em; border: 1px solid {line}; border-radius: 2px;
    background-color: {field};
}
QCheckBox::indicator:hover { border-color: {text}; }
QCheckBox::indicator:checked { image: url(:/skin/checkmark.png); }
QCheckBox::indicator:disabled { background-color: {buttonDisabledFace}; }
QStatusBar, QFrame#loadingPanel { background-color: {group}; color: {text}; }
QStatusBar QLabel { color: {text}; border: 1px solid {line}; padding-left: 2px; }
QProgressBar {
    border: 1px solid {line}; background: {field}; color: {fieldText}; text-align: right;
}
QProgressBar::chunk { background-color: {line}; }
QToolTip { background-color: {toolTip}; color: {toolTipText}; border: 1px solid {line}; }
)");
    using namespace SkinColours;
    const std::pair<const char *, QRgb> colours[] = {{"{window}", Window},
                                                     {"{group}", Group},
                                                     {"{text}", Text},
                                                     {"{line}", Line},
                                                     {"{field}", Field},
                                                     {"{fieldText}", FieldText},
                                                     {"{selection}", Selection},
                                                     {"{selectionText}", SelectionText},
                                                     {"{buttonFace}", ButtonFace},
                                                     {"{buttonBorder}", ButtonBorder},
                                                     {"{buttonHoverBorder}", ButtonHoverBorder},
                                                     {"{buttonPressedBorder}", ButtonPressedBorder},
                                                     {"{buttonDisabledFace}", ButtonDisabledFace},
                                                     {"{toolTip}", ToolTip},
                                                     {"{toolTipText}", ToolTipText}};
    for (const auto &[name, rgb] : colours)
        sheet.replace(QLatin1String(name), QColor(rgb).name());
    return sheet;
}
