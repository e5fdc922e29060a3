#pragma once
// Turns libjpeg's fatal errors into return values. libjpeg reports an error through error_exit,
// which must not return; ours jumps back to guard(). setjmp/longjmp live in this file pair only.

#include <QString>

#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

class JpegErrorManager : public jpeg_error_mgr
{
public:
    /// With warningsAreErrors, corrupt-data warnings (a truncated file, for one) abort like errors.
    explicit JpegErrorManager(bool warningsAreErrors = false);
    JpegErrorManager(const JpegErrorManager &) = delete;
    JpegErrorManager &operator=(const JpegErrorManager &) = delete;

    /// Runs step(context); returns false when libjpeg raised an error inside it, whose text is
    /// then errorString(). A libjpeg error leaves step by longjmp, so step must not hold
    /// objects with destructors across libjpeg calls.
    bool guard(void (*step)(void *), void *context);

    /// Convenience for a lambda; the same rule about destructors applies to its body.
    template <typename Step> bool guard(Step &step)
    {
        return guard([](void *c) { (*static_cast<Step *>(c))(); }, &step);
    }

    QString errorString() const { return m_error; }

private:
    static void errorExit(j_common_ptr cinfo);
    static void emitMessage(j_common_ptr cinfo, int level);
    static void outputMessage(j_common_ptr cinfo);

    std::jmp_buf m_jump;
    QString m_error;
    bool m_warningsAreErrors;
};
