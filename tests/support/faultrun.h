#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>

#include <sys/types.h>

#include <functional>

// What the fault tests share: the program under a fault must still answer
// SIGTERM within a second, whatever the fault did to it.
namespace FaultRun {

constexpr int kAnswerMs = 1000;

// The settings the program writes at its first hide, in their order.
inline const QList<QByteArray> kSettingsLines{"[Form1]",     "CheckBox_1=1",  "SpinEdit_1=1",
                                               "CheckBox_9=1", "CheckBox_11=0", "CheckBox_12=0",
                                               "CheckBox_13=0", "CheckBox_14=1", "Edit_4=French"};

// Makes the started process the user "nobody" (when run as root), then applies `more`.
void asNobody(QProcess &program, std::function<void()> more = {});
// A journal or record the program wrote ends with a whole line, or is empty.
bool endsWithWholeLine(const QByteArray &bytes);
// Gone, or ended and waiting for a parent that is not there to reap it.
bool processGone(pid_t pid);

} // namespace FaultRun
