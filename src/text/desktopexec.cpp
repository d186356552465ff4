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
    // GLib's launcher looks the program up before it turns "%%" into "%",
    // and finds no such file: through env, the lookup is env's, and env gets
    // the path once it is expanded.
    if (program.contains(QLatin1Char('%')))
        value.prepend("env ");
    // The key's value is a string first: its own backslashes are escaped.
    value.replace('\\', "\\\\");
    return value;
}

} // namespace DesktopExec
