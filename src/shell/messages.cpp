#include "shell/messages.h"

#include "vardella_version.h"

#include <QMessageBox>
#include <QWidget>

void MessageBoxes::information(const QString &text)
{
    QMessageBox::information(m_parent, QString::fromLatin1(Product::caption), text,
                             QMessageBox::Ok);
}

void MessageBoxes::error(const QString &text)
{
    QMessageBox::critical(m_parent, QString::fromLatin1(Product::caption), text, QMessageBox::Ok);
}
