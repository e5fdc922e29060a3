#include "settings/skin.h"

#include <QApplication>

Skin::Skin(QApplication &app) : m_app(app) {}

void Skin::setActive(bool active)
{
    m_active = active;
    m_app.setStyleSheet(active ? QString::fromLatin1(deepBlueSea()) : QString());
}

const char *Skin::deepBlueSea()
{
    // Deep blues for the frames, light text; the video area and the font colours that carry
    // meaning (green buttons, the red "stop!") are left to the windows.
    return R"(
QMainWindow, QDialog, CaptureToolWindow, CustomSettingsWindow, QWidget#controlPanel {
    background-color: #0b2545;
}
QGroupBox {
    color: #d6e4f0; border: 1px solid #3a6ea5; border-radius: 3px;
    margin-top: 7px; background-color: #13315c;
}
QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }
QPushButton {
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e3eefa, stop:1 #9dbbe0);
    border: 1px solid #0b2545; border-radius: 3px; padding: 0px;
}
QPushButton:hover { background-color: #c4daf2; }
QPushButton:pressed { background-color: #7fa3d1; }
QPushButton:disabled { background-color: #5d7391; }
QLineEdit, QPlainTextEdit, QTextEdit, QComboBox, QSpinBox, QListWidget {
    background-color: #e8f1f8; color: #0b2545; border: 1px solid #3a6ea5;
}
QCheckBox, QLabel, QRadioButton { color: #d6e4f0; }
QStatusBar { background-color: #13315c; color: #d6e4f0; }
QStatusBar QLabel { color: #d6e4f0; border: 1px solid #3a6ea5; padding-left: 2px; }
QProgressBar { border: 1px solid #3a6ea5; background: #e8f1f8; }
QProgressBar::chunk { background-color: #3a6ea5; }
QToolTip { background-color: #eef4ed; color: #0b2545; border: 1px solid #134074; }
)";
}
