#include "desktopexec.h"

namespace DesktopExec {

std::optional<QByteArray> quoted(const QString &program)
{
    QByteArray argument;
    for (const char c : program.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return std::nullopt;
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            argument += '\\';
        if (c == '%')
            argument += '%';
        argument += c;
    }
    QByteArray value = '"' + argument + '"';
    // The key's value is a string first: its own backslashes are escaped.
    value.replace('\\', "\\\\");
    return value;
}

} // namespace DesktopExec
