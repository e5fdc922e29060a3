#include "app/messages.h"

#include <QMessageBox>
#include <QWidget>

void MessageBoxes::information(const QString &text)
{
    QMessageBox::information(m_parent, QStringLiteral("Vardella 1.3"), text, QMessageBox::Ok);
}

void MessageBoxes::error(const QString &text)
{
    QMessageBox::critical(m_parent, QStringLiteral("Vardella 1.3"), text, QMessageBox::Ok);
}
