#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The record of the last wall-clock minute the scheduler examined, kept in
// the program directory across runs so that a restart inside a minute does
// not run that minute's entries again. One line, "yyyyMMddHHmm", rewritten
// in place once a minute at most.
namespace ExaminedMinute {

QString fileName();

QString text(qint64 minute);

// The minute a record holds; none for anything but one such line (a missing,
// empty, cut or garbled record means that nothing was examined yet).
std::optional<qint64> parse(const QByteArray &bytes);

} // namespace ExaminedMinute
