#include "viewer/scrollerbox.h"

#include "shell/boxfit.h"
#include "viewer/arrowscrollbar.h"
#include "viewer/readonlybox.h"

ScrollerBox::ScrollerBox(int minimum, int maximum, int value, const QString &text,
                         const QStringList &longestTexts, QWidget *parent)
    : QWidget(parent), m_bar(new ArrowScrollBar(minimum, maximum, value, this)),
      m_box(new ReadOnlyBox(text, this)), m_longestTexts(longestTexts)
{
    m_box->setTextMargins(0, 0, 0, 0);
    // White whatever the skin, as the box stands for the bar it covers.
    m_box->setStyleSheet("QLineEdit { background-color: white; color: black; }");
    m_bar->setGrooveCovered(true);
    setFocusProxy(m_bar);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ScrollerBox::setNames(const QString &name, const QString &accessibleName)
{
    setObjectName(name);
    m_bar->setObjectName(name + QStringLiteral("Bar"));
    m_box->setObjectName(name + QStringLiteral("Box"));
    m_bar->setAccessibleName(accessibleName);
    m_box->setAccessibleName(accessibleName);
}

void ScrollerBox::setText(const QString &text)
{
    m_box->showText(text);
}

QString ScrollerBox::text() const
{
    return m_box->text();
}

QSize ScrollerBox::sizeHint() const
{
    m_box->ensurePolished();
    int width = BoxFit::lineEditWidth(m_box, m_box->text());
    for (const QString &longest : m_longestTexts)
        width = std::max(width, BoxFit::lineEditWidth(m_box, longest));
    const int height = std::max(m_box->sizeHint().height(), m_bar->sizeHint().height());
    return QSize(width + m_bar->arrowsWidth(), height);
}

void ScrollerBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_bar->setGeometry(rect());
    const QRect groove = m_bar->grooveRect();
    m_box->setGeometry(groove.left(), 0, groove.width(), height());
}
