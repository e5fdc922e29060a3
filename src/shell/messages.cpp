#include "shell/messages.h"

#include "vardella_version.h"

#include <QMessageBox>
#include <QWidget>

void MessageBoxes::information(const QString &text)
{
    // Some texts break their lines with carriage returns, which a box would not show as breaks.
    QString shown = text;
    shown.replace(u'\r', u'\n');
    QMessageBox::information(m_parent, QString::fromLatin1(Product::caption), shown,
                             QMessageBox::Ok);
}

void MessageBoxes::error(const QString &text)
{
    QMessageBox::critical(m_parent, QString::fromLatin1(Product::caption), text, QMessageBox::Ok);
}
