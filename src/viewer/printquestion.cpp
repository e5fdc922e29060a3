#include "viewer/printquestion.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

PrintQuestion::PrintQuestion(QWidget *parent, const QString &caption, const QString &question,
                             Placement placement, bool okIsDefault)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_question(new QLineEdit(this)),
      m_placement(placement)
{
    setWindowTitle(caption);
    m_question->setObjectName("question");
    m_question->setReadOnly(true);
    m_question->setFrame(false);
    m_question->setFocusPolicy(Qt::NoFocus);
    m_question->setAccessibleName(caption);
    m_question->setText(question);
    m_question->setMinimumWidth(
        m_question->fontMetrics().horizontalAdvance(QStringLiteral(" ").repeated(20) +
                                                    QStringLiteral("Print range 31990-31999 ?")) +
        16);
    QPalette palette = m_question->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    m_question->setPalette(palette);

    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(okIsDefault);
    ok->setAutoDefault(okIsDefault);
    auto *cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancelButton");
    connect(ok, &QPushButton::clicked, this, &PrintQuestion::okPressed);
    connect(cancel, &QPushButton::clicked, this, &PrintQuestion::cancelPressed);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_question);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(340, 110)));
}

QString PrintQuestion::question() const
{
    return m_question->text();
}

void PrintQuestion::ask(const QString &question)
{
    m_question->setText(question);
    QRect outer = frameGeometry();
    if (m_placement == Placement::ParentCentre && parentWidget())
        outer.moveCenter(parentWidget()->frameGeometry().center());
    else if (QScreen *s = screen())
        outer.moveCenter(s->availableGeometry().center());
    move(outer.topLeft());
    show();
    raise();
    activateWindow();
}

void PrintQuestion::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit cancelPressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PrintQuestion::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit closedByBox();
}
