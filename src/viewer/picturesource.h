#pragma once
// Where the viewer and the full-screen view get their pictures and time stamps: the files of
// the picture store, read by name only; tests give a made-up store.

#include "shell/result.h"

#include <QImage>
#include <QString>

class PictureSource
{
public:
    virtual ~PictureSource() = default;
    /// Whether picture n of directory d is there (not whether it decodes).
    virtual bool exists(int directory, int n) const = 0;
    /// Picture n of directory d, decoded in full; fails with a reason that names the file.
    virtual Result<QImage> load(int directory, int n) const = 0;
    /// PictureTimeStamp of picture n in directory d.
    virtual Result<QString> timeStamp(int directory, int n) const = 0;
};

/// The pictures of the store below the working directory.
class StorePictures : public PictureSource
{
public:
    bool exists(int directory, int n) const override;
    Result<QImage> load(int directory, int n) const override;
    Result<QString> timeStamp(int directory, int n) const override;
};
