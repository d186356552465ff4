#include "commandline.h"

#include "instancerequests.h"
#include "qttranslations.h"
#include "engine/captionwords.h"
#include "engine/entrylisting.h"
#include "files/runtimeerror.h"
#include "platform/platform.h"
#include "schedule/schedulefile.h"
#include "settings/languages.h"
#include "settings/profile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QSet>

#include <algorithm>
#include <cstdio>

namespace CommandLine {

namespace {

// The terminal's texts, French then English.
struct Text
{
    const char *french;
    const char *english;
};

const Text kDescription = {
    "Planificateur de tâches résident : lance programmes, documents et adresses web à heure fixe. "
    "Sans option, Pendulix démarre dans la zone de notification.",
    "Resident task scheduler: starts programs, documents and web addresses on time. "
    "Without an option, Pendulix starts in the notification area."};
const Text kExitCodes = {
    "Codes de sortie : 0 fait ; 1 arguments incorrects ; 2 aucune programmation de ce numéro ou de ce nom ; "
    "3 Pendulix ne fonctionne pas.",
    "Exit codes: 0 done; 1 bad arguments; 2 no such entry; 3 no instance running."};
const Text kList = {"Affiche une ligne par programmation : numéro, nom, programmation, prochaine exécution, "
                    "dernière exécution, résultat, cible.",
                    "Prints one line per entry: number, name, schedule, next run, last run, result, target."};
const Text kJson = {"Avec --list : un tableau JSON, pour les scripts.", "With --list: a JSON array, for scripts."};
const Text kRunNow = {"Lance maintenant la programmation N, ou celles nommées NOM.",
                      "Runs entry N, or the entries named NAME, now."};
const Text kPause = {"Suspend la programmation N, ou celles nommées NOM.", "Pauses entry N, or the entries named NAME."};
const Text kResume = {"Reprend la programmation N, ou celles nommées NOM.",
                      "Resumes entry N, or the entries named NAME."};
const Text kStop = {"Arrête les exécutions en cours de la programmation N, ou de celles nommées NOM.",
                    "Stops the running runs of entry N, or of the entries named NAME."};
const Text kShow = {"Affiche la fenêtre de Pendulix.", "Shows the window of the running Pendulix."};
const Text kHelp = {"Affiche les options et les codes de sortie.", "Prints the options and the exit codes."};
const Text kVersion = {"Affiche la version.", "Prints the version."};
const Text kEntryValue = {"N|NOM", "N|NAME"};
const Text kNotRunning = {"Pendulix ne fonctionne pas.", "Pendulix is not running."};
const Text kNoEntry = {"Aucune programmation n'a le numéro ou le nom « %1 ».", "No entry has the number or name \"%1\"."};
const Text kOneAction = {"Une seule action à la fois : --list, --run-now, --pause, --resume, --stop ou --show.",
                         "One action at a time: --list, --run-now, --pause, --resume, --stop or --show."};
const Text kJsonWithList = {"--json va avec --list.", "--json goes with --list."};
const Text kUnexpected = {"Argument inattendu : %1", "Unexpected argument: %1"};
const Text kFailed = {"Pendulix n'a pas pu le faire ; son historique dit pourquoi.",
                      "Pendulix could not do it; its history says why."};
const Text kRanNow = {"Programmations lancées : %1", "Entries run now: %1"};
const Text kPaused = {"Programmations suspendues : %1", "Entries paused: %1"};
const Text kResumed = {"Programmations reprises : %1", "Entries resumed: %1"};
const Text kStopped = {"Exécutions arrêtées : %1", "Runs stopped: %1"};

// The long options of the window's toolkit, which a session manager or a
// user may give the window's start ("-session", or "--session" alike).
const char *const kToolkitOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "reverse", "session", "display", "geometry", "style", "stylesheet", "widgetcount",
    "name", "title", "visual", "nograb", "dograb", "sync", "qmljsdebugger"};
const char *const kOwnOptions[] = {"help", "h", "?", "version", "v", "list", "json",
                                   "run-now", "pause", "resume", "stop", "show"};

bool isOneOf(QByteArrayView name, const auto &names)
{
    for (const char *known : names) {
        if (name == known)
            return true;
    }
    return false;
}

class Terminal
{
public:
    explicit Terminal(bool french) : m_french(french) {}
    QString text(const Text &text) const { return QString::fromUtf8(m_french ? text.french : text.english); }
    static void out(const QByteArray &bytes) { std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout); }
    static void say(const QString &line) { out(line.toUtf8() + '\n'); }
    static void complain(const QString &line)
    {
        const QByteArray bytes = QStringLiteral("Pendulix: %1\n").arg(line).toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    }
    bool french() const { return m_french; }

private:
    bool m_french;
};

// The interface's language as the window keeps it; on a first start, the
// terminal's: French where its locale is, English elsewhere.
bool frenchWanted(const Platform::ProgramFolders &folders)
{
    const QString saved = Profile::GetPrivateProfileString(QStringLiteral("Form1"), QStringLiteral("Edit_4"),
                                                           QString(), folders.own + QStringLiteral("serie.ini"));
    if (saved == QLatin1String("French") || saved == QLatin1String("English"))
        return saved == QLatin1String("French");
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray locale = qgetenv(variable);
        if (!locale.isEmpty())
            return locale.startsWith("fr");
    }
    return false;
}

int list(const Platform::ProgramFolders &folders, bool french, bool json)
{
    // The files as the instance, running or not, keeps them; nothing is made.
    const ScheduleFile schedule(folders.own);
    const QStringList lines = schedule.exists() ? schedule.readLines() : QStringList();
    bool whole = true;
    const QHash<QString, PastRun> past = EntryPast::read(folders.own + EntryPast::fileName(),
                                                         QSet<QString>(lines.cbegin(), lines.cend()), &whole);
    const QString language = french ? QStringLiteral("French") : QStringLiteral("English");
    const CaptionOf caption = [&](const QString &name) { return IniLang(folders.data, language, name); };
    const QList<ListedEntry> entries = listEntries(lines, past, nextRunWordsFrom(caption), sentenceWordsFrom(caption),
                                                   QDateTime::currentDateTime());
    Terminal::out(json ? listedAsJson(entries) : listedAsText(entries));
    return Done;
}

int ask(const Terminal &terminal, const InstanceRequest &request)
{
    const std::optional<QByteArray> answer =
        InstanceRequests::ask(Platform::singleInstanceChannel(QStringLiteral("Pendulix")), request);
    if (!answer) {
        Terminal::complain(terminal.text(kNotRunning));
        return NotRunning;
    }
    if (*answer == "no-entry") {
        Terminal::complain(terminal.text(kNoEntry).arg(request.entry));
        return NoSuchEntry;
    }
    if (*answer == "ok")
        return Done;
    if (answer->startsWith("ok ")) {
        const QString count = QString::fromLatin1(answer->mid(3));
        const Text &said = request.verb == "run-now" ? kRanNow
                           : request.verb == "pause" ? kPaused
                           : request.verb == "resume" ? kResumed
                                                      : kStopped;
        Terminal::say(terminal.text(said).arg(count));
        return Done;
    }
    Terminal::complain(terminal.text(kFailed));
    return BadArguments;
}

} // namespace

bool wanted(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        QByteArrayView argument(argv[i]);
        if (argument == "--")
            break;
        if (!argument.startsWith('-') || argument.size() < 2)
            continue;
        const bool longForm = argument.startsWith("--");
        QByteArrayView name = argument.sliced(longForm ? 2 : 1);
        if (const qsizetype equals = name.indexOf('='); equals >= 0)
            name = name.first(equals);
        if (isOneOf(name, kOwnOptions))
            return true;
        if (longForm && !isOneOf(name, kToolkitOptions))
            return true;
    }
    return false;
}

int run(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pendulix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PENDULIX_VERSION));
    const Platform::ProgramFolders folders = Platform::programFolders();
    const Terminal terminal(frenchWanted(folders));
    // "Usage:", "Options:" and Qt's own options in the same language.
    useQtTranslationsFor(terminal.french() ? QStringLiteral("French") : QStringLiteral("English"));

    QCommandLineParser parser;
    parser.setApplicationDescription(terminal.text(kDescription) + QStringLiteral("\n\n") + terminal.text(kExitCodes));
    // Ours rather than Qt's, whose words are not all translated.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("?"), QStringLiteral("help")}, terminal.text(kHelp));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, terminal.text(kVersion));
    parser.addOptions({help, version});
    const QString entry = terminal.text(kEntryValue);
    const QCommandLineOption listOption(QStringLiteral("list"), terminal.text(kList));
    const QCommandLineOption json(QStringLiteral("json"), terminal.text(kJson));
    const QCommandLineOption runNow(QStringLiteral("run-now"), terminal.text(kRunNow), entry);
    const QCommandLineOption pause(QStringLiteral("pause"), terminal.text(kPause), entry);
    const QCommandLineOption resume(QStringLiteral("resume"), terminal.text(kResume), entry);
    const QCommandLineOption stop(QStringLiteral("stop"), terminal.text(kStop), entry);
    const QCommandLineOption show(QStringLiteral("show"), terminal.text(kShow));
    parser.addOptions({listOption, json, runNow, pause, resume, stop, show});

    if (!parser.parse(QCoreApplication::arguments())) {
        Terminal::complain(parser.errorText());
        return BadArguments;
    }
    if (parser.isSet(help)) {
        Terminal::out(parser.helpText().toUtf8());
        return Done;
    }
    if (parser.isSet(version)) {
        Terminal::say(QStringLiteral("Pendulix %1").arg(QCoreApplication::applicationVersion()));
        return Done;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Terminal::complain(terminal.text(kUnexpected).arg(parser.positionalArguments().first()));
        return BadArguments;
    }
    if (parser.isSet(json) && !parser.isSet(listOption)) {
        Terminal::complain(terminal.text(kJsonWithList));
        return BadArguments;
    }
    const QList<QCommandLineOption> actions = {listOption, runNow, pause, resume, stop, show};
    const auto chosen = std::count_if(actions.cbegin(), actions.cend(), [&](const QCommandLineOption &action) {
        return parser.isSet(action);
    });
    // One value an action, as one entry a request.
    bool twice = false;
    for (const QCommandLineOption &action : {runNow, pause, resume, stop})
        twice = twice || parser.values(action).size() > 1;
    if (chosen != 1 || twice) {
        Terminal::complain(terminal.text(kOneAction));
        return BadArguments;
    }
    if (parser.isSet(listOption)) {
        try {
            return list(folders, terminal.french(), parser.isSet(json));
        } catch (const RuntimeError &error) {
            Terminal::complain(error.message());
            return BadArguments;
        }
    }
    if (parser.isSet(show))
        return ask(terminal, {QByteArray("show")});
    for (const QCommandLineOption &action : {runNow, pause, resume, stop}) {
        if (parser.isSet(action)) {
            const QString which = parser.value(action);
            // What the instance could not take is no entry of its.
            if (!InstanceRequests::parse(InstanceRequests::lineOf({action.names().first().toUtf8(), which}).chopped(1))) {
                Terminal::complain(terminal.text(kNoEntry).arg(which));
                return NoSuchEntry;
            }
            return ask(terminal, {action.names().first().toUtf8(), which});
        }
    }
    return BadArguments;
}

} // namespace CommandLine
