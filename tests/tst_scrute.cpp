#include "journal/Scrute.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

#include <unistd.h>

namespace {

// Records the walk as "F name" and "D name", paths relative to the root.
struct Recorder
{
    explicit Recorder(const QString &root) : root(root)
    {
        walker.Dossier = root;
        walker.OnFichier = [this](TScruteDossier &, const QString &path) { log << "F " + relative(path); };
        walker.OnDossier = [this](TScruteDossier &, const QString &path) { log << "D " + relative(path); };
        walker.OnExecute = [this](TScruteDossier &) { log << QStringLiteral("begin"); };
        walker.OnFinExecute = [this](TScruteDossier &) { log << QStringLiteral("end"); };
    }
    QString relative(const QString &path) const
    {
        QString rest = path.mid(root.size());
        return rest.startsWith(QLatin1Char('/')) ? rest.mid(1) : rest;
    }
    QString root;
    TScruteDossier walker;
    QStringList log;
};

void touch(const TestProgramDir &dir, const QString &name)
{
    QDir(dir.path()).mkpath(QFileInfo(dir.file(name)).path());
    dir.write(name, "x");
}

} // namespace

class TestScrute : public QObject
{
    Q_OBJECT
private slots:
    void preOrderWithPatterns();
    void onlyTheTopFolder();
    void depthLimits();
    void unreadableAndMissingFolders();
    void linkLoopEnds();
    void onlyFoldersAreWalked();
    void nestedWalkKeepsItsOwnSettings();
};

void TestScrute::preOrderWithPatterns()
{
    TestProgramDir dir;
    touch(dir, "a.log");
    touch(dir, "b.txt");
    touch(dir, "sub/c.log");
    touch(dir, "sub/deeper/d.log");
    touch(dir, ".hidden/e.log");
    QDir(dir.path()).mkdir("folder.log"); // a folder matching the pattern is no file
    Recorder r(dir.path());
    r.walker.Filtre = QStringLiteral("*.log;a.*");
    r.walker.Execute();
    QCOMPARE(r.log.first(), QStringLiteral("begin"));
    QCOMPARE(r.log.last(), QStringLiteral("end"));
    // Two patterns matching one file report it twice; files before folders.
    QCOMPARE(r.log.mid(1, 2), (QStringList{"F a.log", "F a.log"}));
    QVERIFY(!r.log.contains("F b.txt"));
    QVERIFY(!r.log.contains("F folder.log"));
    QVERIFY(r.log.contains("D folder.log"));
    // Each folder is reported, then entered, before its next sibling.
    const qsizetype sub = r.log.indexOf("D sub");
    QCOMPARE(r.log.mid(sub, 4), (QStringList{"D sub", "F sub/c.log", "D sub/deeper", "F sub/deeper/d.log"}));
    QVERIFY(r.log.contains("F .hidden/e.log"));
    QCOMPARE(r.log.filter(QStringLiteral("..")).size(), 0);

    // One trailing separator is dropped; case counts like the file system.
    Recorder upper(dir.path() + QLatin1Char('/'));
    upper.root = dir.path();
    upper.walker.Filtre = QStringLiteral("A.LOG");
    upper.walker.Execute();
    QCOMPARE(upper.log.filter(QStringLiteral("F ")).size(), 0);
}

void TestScrute::onlyTheTopFolder()
{
    TestProgramDir dir;
    touch(dir, "a.log");
    touch(dir, "sub/c.log");
    Recorder r(dir.path());
    r.walker.Filtre = QStringLiteral("*.log");
    r.walker.SousDossier = false;
    r.walker.Execute();
    QCOMPARE(r.log, (QStringList{"begin", "F a.log", "D sub", "end"}));
}

void TestScrute::depthLimits()
{
    TestProgramDir dir;
    touch(dir, "a.log");
    touch(dir, "one/b.log");
    touch(dir, "one/two/c.log");
    Recorder r(dir.path());
    r.walker.Filtre = QStringLiteral("*.log");
    r.walker.MaxPenetration = 0;
    r.walker.Execute();
    QCOMPARE(r.log, (QStringList{"begin", "F a.log", "D one", "end"}));
    r.log.clear();
    r.walker.MaxPenetration = 1;
    r.walker.Execute();
    QCOMPARE(r.log, (QStringList{"begin", "F a.log", "D one", "F one/b.log", "D one/two", "end"}));
    r.log.clear();
    r.walker.MaxPenetration = -1;
    r.walker.Execute();
    QVERIFY(r.log.contains("F one/two/c.log"));
}

void TestScrute::unreadableAndMissingFolders()
{
    TestProgramDir dir;
    Recorder missing(dir.file("nowhere"));
    missing.walker.Execute();
    QCOMPARE(missing.log, (QStringList{"begin", "end"}));

    // Root lists every folder: the locked one is walked as an ordinary user.
    touch(dir, "locked/x.log");
    giveToUnprivilegedUser(dir.path());
    QFile::setPermissions(dir.file("locked"), QFileDevice::WriteOwner);
    const bool walked = asUnprivilegedUser([&] {
        Recorder r(dir.path());
        r.walker.Filtre = QStringLiteral("*.log");
        r.walker.Execute();
        return r.log == QStringList{"begin", "D locked", "end"};
    });
    QFile::setPermissions(dir.file("locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
    QVERIFY(walked);
}

void TestScrute::linkLoopEnds()
{
    TestProgramDir dir;
    touch(dir, "loop/a.log");
    QVERIFY(QFile::link(dir.file("loop"), dir.file("loop/back")));
    QVERIFY(QFile::link(dir.file("loop/a.log"), dir.file("loop/link.log")));
    Recorder r(dir.path());
    r.walker.Filtre = QStringLiteral("*.log");
    r.walker.Execute();
    QVERIFY(r.log.contains("D loop/back"));
    QVERIFY(r.log.contains("F loop/link.log"));
    QVERIFY(r.log.filter(QStringLiteral("loop/back/")).isEmpty());
    QCOMPARE(r.log.last(), QStringLiteral("end"));
}

void TestScrute::nestedWalkKeepsItsOwnSettings()
{
    TestProgramDir dir;
    touch(dir, "a.log");
    touch(dir, "b.log");
    touch(dir, "sub/c.log");
    touch(dir, "other/x.txt");
    Recorder r(dir.path());
    r.walker.Filtre = QStringLiteral("*.log");
    bool nested = false;
    // A second walk started from the message delivery of the first.
    r.walker.processMessages = [&] {
        if (nested)
            return;
        nested = true;
        r.walker.Dossier = dir.file("other");
        r.walker.Filtre = QStringLiteral("*.txt");
        r.walker.Execute();
    };
    r.walker.Execute();
    QVERIFY(r.log.contains("F other/x.txt"));
    QVERIFY(r.log.contains("F a.log"));
    QVERIFY(r.log.contains("F b.log"));
    QVERIFY(r.log.contains("F sub/c.log"));
    QCOMPARE(r.log.count(QStringLiteral("end")), 2);
}

void TestScrute::onlyFoldersAreWalked()
{
    TestProgramDir dir;
    touch(dir, "real/a.log");
    QCOMPARE(::mkfifo(QFile::encodeName(dir.file("pipe")).constData(), 0600), 0);
    QCOMPARE(::mknod(QFile::encodeName(dir.file("socket")).constData(), S_IFSOCK | 0600, 0), 0);
    QVERIFY(QFile::link(dir.file("gone"), dir.file("dangling")));
    Recorder r(dir.path());
    r.walker.Filtre = QStringLiteral("*.log");
    r.walker.Execute();
    // Pipes, sockets and dangling links are no folders to report or enter.
    QCOMPARE(r.log, (QStringList{"begin", "D real", "F real/a.log", "end"}));
}

QTEST_GUILESS_MAIN(TestScrute)
#include "tst_scrute.moc"
