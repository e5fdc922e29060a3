#pragma once
// Shows the motion detector's diagnostic view. The widget is the detector's control surface: its
// size is the detector's working size, and it repaints after every analysed picture.

#include <QWidget>

class TMJ;

class MotionView : public QWidget
{
    Q_OBJECT
public:
    /// engine must outlive the view.
    explicit MotionView(TMJ &engine, QWidget *parent = nullptr);
    ~MotionView() override;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    TMJ &m_engine;
};
