#include "platform.h"

#include "win/winfiles.h"
#include "win/wininstance.h"
#include "win/winshell.h"
#include "win/winsound.h"
#include "win/wintime.h"
#include "win/wintrim.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QWinEventNotifier>

#include <windows.h>

// The Qt side of the Windows layer: converts Qt's types and hands over to
// the Win32 primitives of win/, which are built and tested on their own.
namespace Platform {

namespace {

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

void openWithAssociatedApplication(const QString &path)
{
    Win::shellExecuteOpen(wide(path));
}

} // namespace

QString programDirectory()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

bool acquireSingleInstance(const QString &name)
{
    // The handle stays open until the process ends: it is the marker.
    return Win::holdNamedMutex(name.toLocal8Bit().constData());
}

void startTarget(const QByteArray &path, const QByteArray &parameters, QObject *context,
                 std::function<void(const TargetEvent &)> report)
{
    // The ANSI call: the bytes of the schedule file are in the ANSI code page.
    // A program with parameters has the desktop window as owner.
    const Win::ShellStart start =
        Win::shellOpen(path.toStdString(), parameters.toStdString(), !parameters.isEmpty());
    if (!start.started) {
        report({TargetEvent::Refused, 0});
        return;
    }
    // Only what was started directly reports its end; a document's viewer is
    // none of the schedule's business.
    const QByteArray lower = path.toLower();
    const bool program = lower.endsWith(".exe") || lower.endsWith(".com") ||
                         lower.endsWith(".bat") || lower.endsWith(".cmd");
    if (start.process && !program)
        CloseHandle(start.process);
    // Watched before the start is told: recording it may fail, and the end
    // must still be recorded.
    if (start.process && program) {
        auto *notifier = new QWinEventNotifier(start.process, context);
        QObject::connect(notifier, &QWinEventNotifier::activated, notifier,
                         [notifier, report](HANDLE process) {
                             notifier->setEnabled(false);
                             notifier->deleteLater();
                             report({TargetEvent::Exited, int(Win::endedProcessCode(process))});
                         });
    }
    report({TargetEvent::Started, 0});
}

void openHelp(const QString &compiledHelp, const QString &)
{
    openWithAssociatedApplication(compiledHelp);
}

QString targetSeparators()
{
    return QStringLiteral("\\:");
}

QString allFilesPattern()
{
    return QStringLiteral("*.*");
}

QString fixedExecutableName()
{
    return QStringLiteral("Pendulix.exe");
}

void trimWorkingSet(const QString &executableName)
{
    Win::trimWorkingSet(executableName.toStdWString());
}

void tone(int frequencyHz, int durationMs)
{
    Win::tone(frequencyHz, durationMs);
}

QString longTimeText(const QTime &time)
{
    return QString::fromStdWString(Win::longTimeText(time.hour(), time.minute(), time.second()));
}

QString decodeText(const QByteArray &bytes)
{
    // The ANSI code pages map every byte to a character of their own.
    return QString::fromLocal8Bit(bytes);
}

QByteArray encodeText(const QString &text)
{
    return text.toLocal8Bit();
}

QString displayText(const QString &text)
{
    return text;
}

QByteArray nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toLocal8Bit();
}

bool isRegularFile(const QString &path)
{
    return Win::isRegularFile(wide(path));
}

bool isOtherThanRegularFile(const QString &path)
{
    return Win::isOtherThanRegularFile(wide(path));
}

void copyPermissions(std::FILE *, const QString &)
{
    // Windows files keep their access rights in the folder's inheritance.
}

QString finalTarget(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    return target.isEmpty() ? path : QDir::toNativeSeparators(target);
}

bool truncateFile(std::FILE *file, qint64 size)
{
    return Win::truncateFile(file, size);
}

std::FILE *openFile(const QString &path, const char *mode)
{
    return Win::openFile(wide(path), mode);
}

bool syncFile(std::FILE *file)
{
    return Win::syncFile(file);
}

bool replaceFile(const QString &from, const QString &to)
{
    return Win::replaceFile(wide(from), wide(to));
}

int lastFileErrorCode()
{
    return Win::lastRuntimeIoCode();
}

QString startWithSessionEntry()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Pendulix");
}

QString setStartWithSession(bool start, const QString &executable)
{
    QSettings run(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QSettings::NativeFormat);
    if (start)
        run.setValue(QStringLiteral("Pendulix"),
                     QLatin1Char('"') + QDir::toNativeSeparators(executable) + QLatin1Char('"'));
    else
        run.remove(QStringLiteral("Pendulix"));
    run.sync();
    if (run.status() == QSettings::NoError)
        return QString();
    return QStringLiteral("Démarrage avec la session impossible : Accès au registre refusé");
}

void prepareProcess()
{
}

void onSessionEnd(std::function<void()>)
{
    // Qt ends the event loop itself on WM_ENDSESSION, without closing windows.
}

} // namespace Platform
