#pragma once
// Where the viewer and the full-screen view get their pictures and time stamps: the files of
// the picture store, read by name only; tests give a made-up store. The loads may run on worker
// threads at the same time: a source keeps no state that a load changes.

#include "shell/result.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class PictureSource
{
public:
    virtual ~PictureSource() = default;
    /// Whether picture n of directory d is there (not whether it decodes).
    virtual bool exists(int directory, int n) const = 0;
    /// Picture n of directory d, decoded in full; fails with a reason that names the file.
    virtual Result<QImage> load(int directory, int n) const = 0;
    /// Picture n of directory d to be shown in a box of the given size (device pixels): decoded
    /// smaller where the picture still covers the box, in its own proportions; an invalid box
    /// asks for the full size. By default, in full.
    virtual Result<QImage> loadScaled(int directory, int n, QSize box) const;
    /// PictureTimeStamp of picture n in directory d.
    virtual Result<QString> timeStamp(int directory, int n) const = 0;
    /// What tells the file of picture n of directory d as it is now from any file that may
    /// replace it, so that a picture decoded earlier is known to be still the one stored; empty
    /// when the picture is not there or the source cannot tell. By default empty.
    virtual QByteArray fileIdentity(int directory, int n) const;
    /// A hint that picture n of directory d is likely asked for next, for a box of that size.
    /// By default nothing comes of it.
    virtual void readAhead(int directory, int n, QSize box);
};

/// The size a picture is drawn at in a box: the largest of its proportions that fits, centred;
/// less than a pixel from the box's own proportions it fills the box, which is no distortion.
QSize drawnSize(QSize picture, QSize box);

/// The pictures of the store below the working directory.
class StorePictures : public PictureSource
{
public:
    bool exists(int directory, int n) const override;
    Result<QImage> load(int directory, int n) const override;
    Result<QImage> loadScaled(int directory, int n, QSize box) const override;
    Result<QString> timeStamp(int directory, int n) const override;
    QByteArray fileIdentity(int directory, int n) const override;
};
