#pragma once
// What the store needs of the viewer's page of thumbnails: a clear of the store empties them.
// Does nothing until the viewer provides it.

class ThumbnailPage
{
public:
    virtual ~ThumbnailPage() = default;
    /// Empties the pictures of the page's thumbnails.
    virtual void clearThumbnails() {}
};
