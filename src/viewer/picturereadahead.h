#pragma once
// The full-screen view's pictures: while the user looks at one, the next in the direction of
// travel is decoded on a thread of its own, so that the step to it costs little more than
// painting: it is decoded and brought to the size it is drawn at there. A picture read ahead is
// used only while its file is still the one that was read, since the capture may replace any
// stored picture meanwhile; otherwise it is read anew.

#include "viewer/picturesource.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class PictureReadAhead : public PictureSource
{
public:
    /// The source is read from the worker too; it outlives this.
    explicit PictureReadAhead(const PictureSource &pictures);
    /// Waits for a decode in progress.
    ~PictureReadAhead() override;
    PictureReadAhead(const PictureReadAhead &) = delete;
    PictureReadAhead &operator=(const PictureReadAhead &) = delete;

    bool exists(int directory, int n) const override;
    Result<QImage> load(int directory, int n) const override;
    /// The picture read ahead if it is this one, for this box, and its file is unchanged
    /// (waiting for it if it is still being decoded); else read here. Either way at the size
    /// it is drawn at in the box.
    Result<QImage> loadScaled(int directory, int n, QSize box) const override;
    /// The time stamp read with the picture ahead, or the last one given, while the file is
    /// unchanged; else read here.
    Result<QString> timeStamp(int directory, int n) const override;
    QByteArray fileIdentity(int directory, int n) const override;
    /// Starts decoding picture n in place of anything read ahead before.
    void readAhead(int directory, int n, QSize box) override;
    /// Drops what was read ahead, and what is being read, freeing its memory.
    void clear();

private:
    struct Key
    {
        int directory = 0;
        int n = 0;
        QSize box;
        bool operator==(const Key &) const = default;
    };
    struct Decoded
    {
        Key key;
        QByteArray identity; // of the file before it was read
        QImage picture;
        QString timeStamp; // empty if it could not be read
    };
    struct Stamp
    {
        int directory = 0;
        int n = 0;
        QByteArray identity;
        QString text;
    };
    void run();

    const PictureSource &m_pictures;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    mutable std::optional<Key> m_wanted;      // waiting for the worker
    std::optional<Key> m_decoding;            // in the worker's hands
    mutable std::optional<Decoded> m_done;    // the worker's last result
    mutable std::optional<Stamp> m_lastStamp; // the user-interface thread's alone
    unsigned m_generation = 0;                // a clear() since the worker began drops its result
    bool m_stopping = false;
    std::thread m_thread; // started with the first read ahead
};
