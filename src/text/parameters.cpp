#include "parameters.h"

namespace Parameters {

QList<QByteArray> split(const QByteArray &text)
{
    QList<QByteArray> arguments;
    QByteArray current;
    int quotes = 0;
    bool inQuote = false;
    for (const char c : text) {
        if (c == '"') {
            if (++quotes == 3) {
                quotes = 0;
                current += c;
            }
            continue;
        }
        if (quotes) {
            if (quotes == 1)
                inQuote = !inQuote;
            quotes = 0;
        }
        if (!inQuote && (c == ' ' || (c >= '\t' && c <= '\r'))) {
            if (!current.isEmpty()) {
                arguments << current;
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (quotes == 1)
        inQuote = !inQuote;
    if (!current.isEmpty())
        arguments << current;
    return arguments;
}

} // namespace Parameters
