#include "capture/jpegerrormanager.h"

JpegErrorManager::JpegErrorManager(bool warningsAreErrors)
    : jpeg_error_mgr{}, m_warningsAreErrors(warningsAreErrors)
{
    jpeg_std_error(this);
    error_exit = &JpegErrorManager::errorExit;
    emit_message = &JpegErrorManager::emitMessage;
    output_message = &JpegErrorManager::outputMessage;
}

bool JpegErrorManager::guard(void (*step)(void *), void *context)
{
    if (setjmp(m_jump) != 0)
        return false;
    step(context);
    return true;
}

void JpegErrorManager::errorExit(j_common_ptr cinfo)
{
    auto *self = static_cast<JpegErrorManager *>(cinfo->err);
    outputMessage(cinfo);
    std::longjmp(self->m_jump, 1);
}

void JpegErrorManager::emitMessage(j_common_ptr cinfo, int level)
{
    auto *self = static_cast<JpegErrorManager *>(cinfo->err);
    if (level >= 0) // trace messages: not wanted
        return;
    ++self->num_warnings;
    if (self->m_warningsAreErrors)
        errorExit(cinfo);
}

// Keeps the text instead of printing it; the caller decides whether and where to show it.
void JpegErrorManager::outputMessage(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX] = {};
    cinfo->err->format_message(cinfo, text);
    static_cast<JpegErrorManager *>(cinfo->err)->m_error = QString::fromLocal8Bit(text);
}
