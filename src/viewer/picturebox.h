#pragma once
// A decoded picture drawn stretched to the widget, whatever its proportions: a thumbnail of
// the viewer (a button, so that it is clicked and reached like one) and the full-screen picture.

#include <QAbstractButton>
#include <QImage>

class PictureBox : public QAbstractButton
{
    Q_OBJECT
public:
    PictureBox(const QString &hint, QSize preferred, QWidget *parent);

    /// The picture to draw; a null image leaves the box empty.
    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }

    QSize sizeHint() const override { return m_preferred; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    /// Where the picture is drawn: the largest rectangle of its proportions, centred.
    QRect fitted() const;
    void coverChanged();
    QImage m_picture;
    QSize m_preferred;
};
