#include "runtimeerror.h"

#include "ioerrortext.h"
#include "platform/platform.h"

RuntimeError::RuntimeError(QString message)
    : m_message(std::move(message)), m_what(m_message.toLocal8Bit())
{
}

EInOutError::EInOutError(int code) : RuntimeError(textFor(code)), m_code(code) {}

QString EInOutError::textFor(int code)
{
    return QString::fromStdString(ioErrorText(code));
}

void EInOutError::raiseLast()
{
    throw EInOutError(Platform::lastFileErrorCode());
}
