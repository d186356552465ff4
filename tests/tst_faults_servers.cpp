#include "faultrun.h"
#include "programrun.h"
#include "scriptedserver.h"
#include "testprogramdir.h"

#include <QFile>
#include <QProcess>
#include <QTest>

// The real program against web servers that trickle, flood or answer with
// control characters: the jobs beside go on, the journal holds only text,
// and SIGTERM is answered within a second with the requests in flight.
class TestFaultServers : public QObject
{
    Q_OBJECT
private slots:
    void hostileServers();
};

void TestFaultServers::hostileServers()
{
    using S = ScriptedServer;
    QList<S::Step> trickle{S::send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")};
    for (int i = 0; i < 60; ++i)
        trickle << S::send("x") << S::pause(500);
    QList<S::Step> flood{S::send("HTTP/1.1 200 OK\r\n\r\n")};
    for (int i = 0; i < 2000; ++i)
        flood << S::send(QByteArray(64 * 1024, 'z'));
    S trickling(trickle), flooding(flood);
    S controlling({S::send("HTTP/1.1 500 Bad\x1a\x01news\x7f!\r\nContent-Length: 0\r\n\r\n")});
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QString job = ProgramRun::writeJob(dir, QStringLiteral("job"));
    QByteArray schedule = "\r\n";
    for (const S *server : {&trickling, &flooding, &controlling})
        schedule += "1|0|0|0|0|0|0|0|0|http://127.0.0.1:" + QByteArray::number(server->port()) + "/x|\r\n";
    schedule += "1|0|0|0|0|0|0|0|0|" + job.toUtf8() + "|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    QProcess program;
    ProgramRun::start(dir, program);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 30000);
    // The server's text is data: a character 26 would end the journal for its viewer.
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(ProgramRun::todaysJournal()).contains(" HTTP/1.1 500 Bad  news !;"),
                             15000);
    QVERIFY(!dir.read(ProgramRun::todaysJournal()).contains('\x1a'));
    // With the trickle and the flood still in flight.
    QVERIFY(ProgramRun::stop(program, FaultRun::kAnswerMs));
}

QTEST_GUILESS_MAIN(TestFaultServers)
#include "tst_faults_servers.moc"
