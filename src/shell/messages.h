#pragma once
// How windows tell the user something: refusals ("Select a videoformat first!") and errors
// (a picture that could not be written). Tests record them instead of showing boxes.

#include <QString>

class QWidget;

class Messages
{
public:
    virtual ~Messages() = default;
    /// An information box with one "OK" button; returns when it is closed.
    virtual void information(const QString &text) = 0;
    /// An error box with its reason; returns when it is closed.
    virtual void error(const QString &text) = 0;
};

/// Message boxes over the given window.
class MessageBoxes : public Messages
{
public:
    explicit MessageBoxes(QWidget *parent) : m_parent(parent) {}
    /// The window the boxes open over, once it exists.
    void setParent(QWidget *parent) { m_parent = parent; }
    void information(const QString &text) override;
    void error(const QString &text) override;

private:
    QWidget *m_parent;
};
