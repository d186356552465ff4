#pragma once

#include <QByteArray>
#include <QList>

namespace Parameters {

// The parameters of a schedule target cut into arguments by the rules
// QProcess::splitCommand follows: blanks and tabs apart, double quotes
// group, a tripled quote is one quote. On bytes, so that a name in another
// code page reaches the program as it is.
QList<QByteArray> split(const QByteArray &text);

} // namespace Parameters
