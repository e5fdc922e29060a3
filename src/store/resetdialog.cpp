#include "store/resetdialog.h"

#include "app/applicationstate.h"
#include "app/controlpanel.h"
#include "app/mainwindow.h"
#include "app/toolwindows.h"
#include "app/updowncontrol.h"
#include "settings/sound.h"
#include "store/picturestore.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ResetDialog::ResetDialog(MainWindow &main, ToolWindows &tools)
    : QDialog(&main, Qt::Tool | Qt::WindowStaysOnTopHint), m_main(main), m_tools(tools),
      m_warning(new QLabel("This will overwrite earlier captured pictures !", this)),
      m_label(new QLabel("start with picture  no. :", this)), m_numberBox(new QLineEdit("0", this)),
      m_arrows(new UpDownControl(0, 32000, 1, 0, this)), m_ok(new QPushButton("OK", this)),
      m_cancel(new QPushButton("Cancel", this))
{
    setObjectName("resetDialog");
    setWindowTitle("Reset");
    setFixedSize(320, 130);
    buildLayout();

    connect(m_arrows, &UpDownControl::clicked, this,
            [this](int position) { arrowsMoved(position); });
    connect(m_ok, &QPushButton::clicked, this, &ResetDialog::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &ResetDialog::cancelClicked);
    connect(main.panel()->reset, &QPushButton::clicked, this, &ResetDialog::resetClicked);
}

void ResetDialog::buildLayout()
{
    m_warning->setObjectName("warning");
    m_warning->setGeometry(16, 12, 290, 18);
    m_label->setObjectName("numberLabel");
    m_label->setGeometry(16, 44, 150, 18);
    m_numberBox->setObjectName("numberBox");
    // Only the arrows set the number; the box shows it.
    m_numberBox->setReadOnly(true);
    m_numberBox->setAccessibleName(m_label->text());
    m_numberBox->setGeometry(170, 42, 90, 22);
    m_arrows->setObjectName("arrows");
    m_arrows->setGeometry(260, 42, 16, 22);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_ok->setGeometry(76, 90, 75, 25);
    m_cancel->setObjectName("cancel");
    m_cancel->setGeometry(166, 90, 75, 25);
}

void ResetDialog::resetClicked()
{
    using Role = ToolWindows::Role;
    m_main.clickSound().play();
    m_tools.hide({Role::Delete, Role::CapturePreferences, Role::TimerMotionMenu,
                  Role::CustomSettings, Role::Driver, Role::ProgramInfo, Role::About});
    if (!isVisible()) {
        QRect r = frameGeometry();
        r.moveCenter(m_main.frameGeometry().center());
        move(r.topLeft());
    }
    show();
    raise();
}

void ResetDialog::arrowsMoved(int position)
{
    // The first press moves one position; from then on the arrows move by the step size.
    m_arrows->setIncrement(m_main.panel()->maxArrows->increment());
    const QString text = QString::number(position) + "0";
    m_restartNumber = text.toInt();
    m_numberBox->setText(text);
}

void ResetDialog::okClicked()
{
    m_main.clickSound().play();
    hide();
    enableStartAndAbout();
    ApplicationState &state = m_main.state();
    // A number past the last picture starts the store again at 0 in directory "1".
    state.PictureCounter = PictureStore::SelectDirectoryForPicture(state, m_restartNumber);
    state.MaxFrames = state.UserMaxFrames;
    m_main.videoArea()->update();
}

void ResetDialog::cancelClicked()
{
    m_main.clickSound().play();
    enableStartAndAbout();
    hide();
    m_main.state().MaxFrames = m_main.state().UserMaxFrames;
}

void ResetDialog::reject()
{
    cancelClicked();
}

void ResetDialog::closeEvent(QCloseEvent *event)
{
    // Not QDialog's close handling, which would run "Cancel".
    enableStartAndAbout();
    event->accept();
}

void ResetDialog::enableStartAndAbout()
{
    m_main.panel()->start->setEnabled(true);
    m_main.panel()->about->setEnabled(true);
}
