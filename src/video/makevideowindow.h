#pragma once
// "Make video": a time-lapse video from a range of stored pictures. A small tool window opened
// from the viewer with its page start; the video is made on a worker thread while a progress
// bar counts the pictures, and "Cancel" stops it and leaves no file behind; once the video is
// done the button reads "Close".

#include "shell/capturetoolwindow.h"
#include "video/videoworker.h"

#include <QElapsedTimer>

class Messages;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QToolButton;
class ToolWindows;

class MakeVideoWindow : public CaptureToolWindow
{
    Q_OBJECT
public:
    /// parent is the main window, which owns this window.
    MakeVideoWindow(QWidget *parent, CaptureView &view, ToolWindows &tools, Messages &messages);

    /// Hides the other tool windows but the viewer and shows this one with the range first to
    /// last and a file named after the first picture's time. While a video is being made the
    /// range is left alone.
    void open(int first, int last);
    /// "Make": starts the video, or says why it cannot.
    void make();
    /// "Cancel": stops the video being made (its file is removed), or closes the window.
    void cancel();
    /// From "Make" until the worker's result is shown.
    bool isMaking() const { return m_making; }
    /// The status line: the file made and the pictures skipped, or why there is none.
    QString statusText() const;

signals:
    /// The video is finished; text names the file and the skipped pictures.
    void videoMade(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildForm();
    void browse();
    void showLength();
    void showWholePath();
    void setMaking(bool making);
    void showProgress(int done, int total);
    void showFinished(const VideoSummary &summary, const QString &error);

    ToolWindows &m_tools;
    Messages &m_messages;
    VideoWorker m_worker;
    QElapsedTimer m_clock;
    bool m_making = false;
    QString m_replaceAgreed; // a file the save dialog has asked to replace
    QSpinBox *m_first = nullptr;
    QSpinBox *m_last = nullptr;
    QSpinBox *m_fps = nullptr;
    QSpinBox *m_crf = nullptr;
    QCheckBox *m_deflickerOn = nullptr;
    QSpinBox *m_deflicker = nullptr;
    QLabel *m_length = nullptr;
    QLineEdit *m_output = nullptr;
    QToolButton *m_browse = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_make = nullptr;
    QPushButton *m_cancel = nullptr;
};
