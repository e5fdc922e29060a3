#pragma once
// The window skin: "Deep blue sea", an application-wide style sheet, or the platform's plain look.

class QApplication;

class Skin
{
public:
    explicit Skin(QApplication &app);

    void setActive(bool active);
    bool isActive() const { return m_active; }

    /// The style sheet of "Deep blue sea".
    static const char *deepBlueSea();

private:
    QApplication &m_app;
    bool m_active = false;
};
