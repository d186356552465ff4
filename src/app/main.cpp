#include "Unit1.h"
#include "Unit3.h"
#include "journal/Unit2.h"
#include "application.h"
#include "composition.h"
#include "engine/schedulingengine.h"
#include "sessionend.h"
#include "commandline.h"
#include "instancecommands.h"
#include "journal/errorboundary.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    // From a terminal: no window, no lock; the running instance is asked.
    if (CommandLine::wanted(argc, argv))
        return CommandLine::run(argc, argv);

    // Checked before anything else exists: a second instance leaves without
    // a window or a message, asking the one that runs to show its window.
    const QString name = QStringLiteral("Pendulix");
    const QString channel = Platform::singleInstanceChannel(name);
    if (!Platform::acquireSingleInstance(name)) {
        QCoreApplication asking(argc, argv);
        // One way or the other, never both: the window is asked to show once.
        if (!InstanceRequests::askToShow(channel))
            Platform::askRunningInstanceToShow(name);
        return 0;
    }
    Platform::prepareProcess();

    Application app(argc, argv);
    // Hiding into the tray or closing the about window must not end the program.
    Application::setQuitOnLastWindowClosed(false);

    const Platform::ProgramFolders folders = Platform::programFolders();
    const QString &programDirectory = folders.own;
    // An install for everyone: the user's own folder is made, for that user only.
    if (folders.own != folders.executable) {
        QDir().mkpath(QFileInfo(QDir::cleanPath(folders.own)).path());
        Platform::makePrivateFolder(folders.own);
    }
    // The keeper of every run lives beside the executable.
    SchedulingEngine engine(
        {.programDirectory = programDirectory, .keeper = folders.executable + QStringLiteral("pendulix-run")});
    TForm1 form1(engine, {.programDirectory = programDirectory,
                          .executableFileName = QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                          .dataDirectory = folders.data});
    connectEngineAndWindow(engine, form1);
    ErrorBoundary::run([&form1] { form1.restoreSettings(); });
    engine.startMinuteTimer();
    TForm2 form2({.programDirectory = programDirectory,
                  .languageName = [&form1] { return form1.languageName(); },
                  .iniLang = [&form1](const QString &key) { return form1.IniLang(key); }});
    TForm3 form3;
    form1.setJournalViewer(&form2);
    form1.setAboutWindow(&form3);
    form3.setLanguageLookup([&form1](const QString &key) { return form1.IniLang(key); });

    Platform::onSessionEnd([&form1] { form1.endSession(); });
    // The session manager asks for the data at a checkpoint as well as at the
    // end of the session: save, and go on scheduling. The settings are also
    // the state a restarted program comes back to, so a save of the local
    // state only (xsm's remote checkpoint, its shutdown on SIGTERM), which Qt
    // tells as saveStateRequest alone, saves them too.
    const auto save = [&form1] { ErrorBoundary::run([&form1] { form1.Sauvegarde(); }); };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form1, save);
    QObject::connect(&app, &QGuiApplication::saveStateRequest, &form1, save);
    // The end of the session comes as the request to quit: no question then.
    SessionEndWatcher sessionEnd([&form1] { form1.sessionEnds(); });
    app.installEventFilter(&sessionEnd);

    const auto showWindow = [&form1] { ErrorBoundary::run([&form1] { form1.Affiche1Click(); }); };
    InstanceRequests requests(instanceAnswerer(engine, form1));
    if (!channel.isEmpty() && !requests.listen(channel))
        qWarning("Another start cannot reach this instance: %s", qPrintable(requests.errorString()));
    Platform::onShowAsked(name, &form1, showWindow);

    ErrorBoundary::run([&] { form1.FormCreate(); });
    if (form1.showMainWindowSetting())
        form1.show();
    return app.exec();
}
