#pragma once
// "Keep free": a store that never fills its disk. Before a picture is written, the free space of
// the store's file system decides whether the picture takes its number or restarts the
// numbering at 0, overwriting the oldest pictures as the ring does at its maximum frame count.

#include "shell/picturenames.h"

#include <QString>
#include <QtGlobal>

#include <optional>

/// The file system that holds the store, as far as the limit needs to know it.
class StoreSpace
{
public:
    virtual ~StoreSpace() = default;
    /// The bytes an ordinary user may still write there; none when it cannot be asked.
    virtual std::optional<qint64> availableBytes() = 0;
    /// Where that file system is mounted ("/media/x"), to tell the user.
    virtual QString mountPoint() = 0;
};

/// The file system of the working directory, where the store lies.
class WorkingDirectorySpace final : public StoreSpace
{
public:
    std::optional<qint64> availableBytes() override; // one statvfs call
    QString mountPoint() override;
};

class KeepFree
{
public:
    static constexpr int DefaultMegabytes = PictureStore::KeepFreeDefaultMegabytes;
    static constexpr int MaxMegabytes = PictureStore::KeepFreeMaxMegabytes;
    static constexpr qint64 BytesPerMegabyte = 1024 * 1024;

    struct Space
    {
        qint64 available = 0; // free for us now
        qint64 keepFree = 0;  // to be left free; 0: no limit
        qint64 picture = 0;   // the expected size of the new picture
        qint64 replaced = 0;  // the size of the file the new picture replaces, freed by it
    };
    /// Whether picture number must become picture 0 instead: storing it would leave less than
    /// keepFree bytes free. Never with keepFree 0 or for picture 0, which has nowhere to go.
    static bool restartNeeded(int number, const Space &space);

    /// space must outlive this.
    explicit KeepFree(StoreSpace &space) : m_space(space) {}

    /// 0 switches the limit off; the file system is then never asked.
    void setMegabytes(int megabytes) { m_megabytes = qMax(0, megabytes); }
    int megabytes() const { return m_megabytes; }
    /// The next picture is expected to be as large as the last one stored.
    void pictureStored(qint64 bytes) { m_lastPicture = bytes; }
    /// After a change of format the last size says nothing about the next picture.
    void forgetPictureSize() { m_lastPicture = 0; }

    /// Whether picture number, to be written to path, must restart the numbering, judged by one
    /// look at the file system. Without a picture stored yet, its size is guessed as frameBytes
    /// (the uncompressed frame, which a JPEG file hardly exceeds). A file system that cannot be
    /// asked limits nothing: a write that finds the disk full still restarts the numbering.
    bool restartNeeded(int number, const QString &path, qint64 frameBytes);
    QString mountPoint() { return m_space.mountPoint(); }

private:
    StoreSpace &m_space;
    int m_megabytes = DefaultMegabytes;
    qint64 m_lastPicture = 0;
};
