#pragma once
// The window skin: "Deep blue sea", an application-wide style sheet, or the platform's plain look.

#include <QRgb>
#include <QString>

class QApplication;

/// The colours of "Deep blue sea", in one place so that their contrast can be checked.
namespace SkinColours {
inline constexpr QRgb Window = 0x0b2545;    // window and panel backgrounds
inline constexpr QRgb Group = 0x13315c;     // group boxes, status bar, loading panel
inline constexpr QRgb Text = 0xd6e4f0;      // captions on Window and Group
inline constexpr QRgb Line = 0x3a6ea5;      // borders, progress
inline constexpr QRgb Field = 0xe8f1f8;     // boxes, lists and check box squares
inline constexpr QRgb FieldText = 0x0b2545; // text in them
inline constexpr QRgb CheckMark = 0x0b2545; // the colour checkmark.png is drawn in
inline constexpr QRgb Selection = 0x3a6ea5;
inline constexpr QRgb SelectionText = 0xffffff;
// Buttons keep a white face in every state but the disabled one, so that the caption colours
// the windows set (green, the reds of "Start" and "stop!", black) stay readable on it.
inline constexpr QRgb ButtonFace = 0xffffff;
inline constexpr QRgb ButtonBorder = 0x3a6ea5;
inline constexpr QRgb ButtonHoverBorder = 0xd6e4f0;
inline constexpr QRgb ButtonPressedBorder = 0x0b2545;
inline constexpr QRgb ButtonDisabledFace = 0x9aabc2;
inline constexpr QRgb ToolTip = 0xeef4ed;
inline constexpr QRgb ToolTipText = 0x0b2545;
} // namespace SkinColours

class Skin
{
public:
    explicit Skin(QApplication &app);

    void setActive(bool active);
    bool isActive() const { return m_active; }

    /// The style sheet of "Deep blue sea".
    static QString deepBlueSea();

private:
    QApplication &m_app;
    bool m_active = false;
};
