#pragma once
// A fresh temporary directory made the current working directory for the lifetime of the
// object; the previous working directory is restored afterwards.

#include <QDir>
#include <QTemporaryDir>

class TempWorkDir
{
public:
    TempWorkDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TempWorkDir() { QDir::setCurrent(m_previous); }
    TempWorkDir(const TempWorkDir &) = delete;
    TempWorkDir &operator=(const TempWorkDir &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    bool exists(const QString &relative) const { return QDir(m_dir.path()).exists(relative); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};
