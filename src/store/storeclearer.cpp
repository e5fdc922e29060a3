#include "store/storeclearer.h"

#include "shell/applicationstate.h"
#include "store/picturestore.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using PictureStore::DirectoryCount;
using PictureStore::PicturesPerDirectory;

namespace {

// Up to 320000 names are formed per clear, nearly all of missing files: the file name is built
// in a byte buffer, as PictureStore::PicturePath names it, instead of as a QString.
class PictureName
{
public:
    const char *of(int n)
    {
        char *p = std::to_chars(m_buffer + StemLength, m_buffer + sizeof m_buffer, n).ptr;
        std::memcpy(p, ".jpg", 5); // with the terminating zero
        return m_buffer;
    }

private:
    static constexpr int StemLength = 7;
    char m_buffer[32] = {'c', 'a', 'p', 't', 'u', 'r', 'e'};
};

} // namespace

void StoreClearer::DeletePictures(int directory, int first, int last, ClearReport &report)
{
    report.lastDirectory = directory;
    first = std::max(first, 0);
    if (last < first)
        return;
    report.namesTried += last - first + 1;
    // Names are resolved against the directory once opened, not path by path; when the
    // directory itself is missing, so is every picture in it.
    const QByteArray path = QFile::encodeName(QString::number(directory));
    const int dir = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return;
    PictureName name;
    for (int n = first; n <= last; ++n) {
        if (::unlinkat(dir, name.of(n), 0) == 0) // a missing file is no failure here
            ++report.filesDeleted;
    }
    ::close(dir);
}

ClearReport StoreClearer::ClearStore(ApplicationState &state, bool confirmed,
                                     const Progress &progress)
{
    ClearReport report;
    state.setClearConfirmed(confirmed);
    if (!state.ClearConfirmed())
        return report;
    report.ran = true;
    state.setCurrentDirectory(1);
    const int maxFrames = state.MaxFrames();
    if (maxFrames < PicturesPerDirectory) {
        if (progress)
            progress(1);
        DeletePictures(1, 0, maxFrames, report);
    } else {
        for (int d = 1; d <= DirectoryCount; ++d) {
            state.setCurrentDirectory(d);
            if (progress)
                progress(d);
            DeletePictures(d, (d - 1) * PicturesPerDirectory, d * PicturesPerDirectory - 1, report);
            if (maxFrames < d * PicturesPerDirectory)
                break;
        }
    }
    state.setClearConfirmed(false);
    return report;
}
