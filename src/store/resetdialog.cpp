#include "store/resetdialog.h"

#include "shell/applicationstate.h"
#include "shell/boxfit.h"
#include "shell/sound.h"
#include "shell/storeview.h"
#include "shell/toolwindows.h"
#include "shell/updowncontrol.h"
#include "store/picturestore.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ResetDialog::ResetDialog(QWidget *parent, StoreView &view, ApplicationState &state, Sound &click,
                         ToolWindows &tools)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_view(view), m_state(state),
      m_click(click), m_tools(tools),
      m_warning(new QLabel("This will overwrite earlier captured pictures !", this)),
      m_label(new QLabel("start with picture  no. :", this)), m_numberBox(new QLineEdit("0", this)),
      m_arrows(new UpDownControl(0, 32000, 1, 0, this)),
      m_afterNewest(new QPushButton("after the newest picture", this)),
      m_ok(new QPushButton("OK", this)), m_cancel(new QPushButton("Cancel", this))
{
    setObjectName("resetDialog");
    setWindowTitle("Reset");
    resize(320, 130); // a default; the layout keeps the texts whole
    buildLayout();

    connect(m_arrows, &UpDownControl::clicked, this,
            [this](int position) { arrowsMoved(position); });
    connect(m_afterNewest, &QPushButton::clicked, this, &ResetDialog::continueAfterNewest);
    connect(m_ok, &QPushButton::clicked, this, &ResetDialog::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &ResetDialog::cancelClicked);
    tools.add(ToolWindows::Role::Reset, this, [this] { showOverMainWindow(); });
}

void ResetDialog::buildLayout()
{
    m_warning->setObjectName("warning");
    m_label->setObjectName("numberLabel");
    m_numberBox->setObjectName("numberBox");
    // Only the arrows set the number; the box shows it.
    m_numberBox->setReadOnly(true);
    m_numberBox->setAccessibleName(m_label->text());
    // The arrows reach 32000; the box shows that number with a 0 appended.
    m_numberBox->setMinimumWidth(BoxFit::lineEditWidth(m_numberBox, QStringLiteral("3200000")));
    m_arrows->setObjectName("arrows");
    BoxFit::arrowsBesideBox(m_arrows);
    m_afterNewest->setObjectName("afterNewest");
    m_afterNewest->setToolTip("Go on after the newest picture of an earlier run");
    m_afterNewest->setAutoDefault(false);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_cancel->setObjectName("cancel");

    auto *number = new QHBoxLayout;
    number->setSpacing(0);
    number->addWidget(m_label);
    number->addSpacing(4);
    number->addWidget(m_numberBox, 1);
    number->addWidget(m_arrows);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    buttons->setCenterButtons(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(m_warning);
    layout->addLayout(number);
    layout->addWidget(m_afterNewest, 0, Qt::AlignRight);
    layout->addStretch(1);
    layout->addWidget(buttons);
}

void ResetDialog::resetClicked()
{
    m_tools.open(ToolWindows::Role::Reset);
}

void ResetDialog::showOverMainWindow()
{
    // Opened again while open, it stays where the user moved it.
    if (!isVisible()) {
        QRect r = frameGeometry();
        r.moveCenter(m_view.centre());
        move(r.topLeft());
    }
    show();
    raise();
}

void ResetDialog::arrowsMoved(int position)
{
    // The first press moves one position; from then on the arrows move by the step size.
    m_arrows->setIncrement(m_view.maxArrowsIncrement());
    const QString text = QString::number(position) + "0";
    m_restartNumber = text.toInt();
    m_numberBox->setText(text);
}

// Numbering starts again at 0 at every start; this picks up where the store left off, so
// that nothing of an earlier run is overwritten.
void ResetDialog::continueAfterNewest()
{
    m_click.play();
    const std::optional<int> newest = PictureStore::NewestPicture();
    m_restartNumber = newest ? *newest + 1 : 0;
    m_numberBox->setText(QString::number(m_restartNumber));
}

void ResetDialog::okClicked()
{
    m_click.play();
    hide();
    enableStartAndAbout();
    ApplicationState &state = m_state;
    // A number past the last picture starts the store again at 0 in directory "1".
    state.setPictureCounter(PictureStore::SelectDirectoryForPicture(state, m_restartNumber));
    state.setMaxFrames(state.UserMaxFrames());
    m_view.redrawVideoArea();
}

void ResetDialog::cancelClicked()
{
    m_click.play();
    enableStartAndAbout();
    hide();
    m_state.setMaxFrames(m_state.UserMaxFrames());
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
    m_view.setStartAndAboutEnabled(true);
}
