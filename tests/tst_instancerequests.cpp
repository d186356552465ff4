#include "app/instancerequests.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// An instance that answers "ok" and keeps what it was asked.
struct Listening
{
    Listening()
        : requests([this](const InstanceRequest &request) {
              heard << request.verb + ' ' + request.entry.toUtf8();
              return QByteArray("ok");
          })
    {
    }
    bool listen() { return requests.listen(path); }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Pendulix.show"));
    QList<QByteArray> heard;
    InstanceRequests requests;
};

} // namespace

class TestInstanceRequests : public QObject
{
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void onlyARequestIsHeard_data();
    void onlyARequestIsHeard();
    void aDeadInstancesSocketIsTakenOver();
    void peersAreBounded();
    void nobodyListening();
};

void TestInstanceRequests::lines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<QString>("entry");
    QTest::newRow("show") << QByteArray("show") << QByteArray("show") << QString();
    QTest::newRow("a number") << QByteArray("run-now 12") << QByteArray("run-now") << QStringLiteral("12");
    QTest::newRow("a name with blanks") << QByteArray("pause ma sauvegarde") << QByteArray("pause")
                                        << QStringLiteral("ma sauvegarde");
    QTest::newRow("an accented name") << QByteArray("resume \xc3\xa9t\xc3\xa9") << QByteArray("resume")
                                      << QStringLiteral("été");
    QTest::newRow("stop") << QByteArray("stop 3") << QByteArray("stop") << QStringLiteral("3");
    QTest::newRow("show takes nothing") << QByteArray("show 1") << QByteArray() << QString();
    QTest::newRow("no entry") << QByteArray("pause") << QByteArray() << QString();
    QTest::newRow("an empty entry") << QByteArray("pause ") << QByteArray() << QString();
    QTest::newRow("an unknown verb") << QByteArray("quit 1") << QByteArray() << QString();
    QTest::newRow("not UTF-8") << QByteArray("pause \xe9t\xe9") << QByteArray() << QString();
    QTest::newRow("a tab") << QByteArray("pause a\tb") << QByteArray() << QString();
    QTest::newRow("a carriage return") << QByteArray("show\r") << QByteArray() << QString();
}

void TestInstanceRequests::lines()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, verb);
    QFETCH(QString, entry);
    const std::optional<InstanceRequest> request = InstanceRequests::parse(line);
    QCOMPARE(request.has_value(), !verb.isEmpty());
    if (!request)
        return;
    QCOMPARE(request->verb, verb);
    QCOMPARE(request->entry, entry);
    // What a client sends is what the instance reads.
    QCOMPARE(InstanceRequests::lineOf(*request), line + '\n');
}

void TestInstanceRequests::onlyARequestIsHeard_data()
{
    QTest::addColumn<QByteArray>("said");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("heard");
    QTest::newRow("the request") << QByteArray("show\n") << QByteArray("ok\n") << 1;
    QTest::newRow("an action") << QByteArray("pause 2\n") << QByteArray("ok\n") << 1;
    QTest::newRow("another word") << QByteArray("quit\n") << QByteArray("refused\n") << 0;
    QTest::newRow("more than the request") << QByteArray("show\nshow\n") << QByteArray("refused\n") << 0;
    QTest::newRow("the request cut short") << QByteArray("show") << QByteArray() << 0;
    QTest::newRow("a lot of bytes") << QByteArray(100000, 'x') << QByteArray() << 0;
    QTest::newRow("just too long") << "pause " + QByteArray(InstanceRequests::kMostBytes - 5, 'a') + '\n'
                                   << QByteArray() << 0;
}

void TestInstanceRequests::onlyARequestIsHeard()
{
    QFETCH(QByteArray, said);
    QFETCH(QByteArray, answer);
    QFETCH(int, heard);
    Listening instance;
    QVERIFY2(instance.listen(), qPrintable(instance.requests.errorString()));
    // Reachable by its user only.
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(instance.path).constData(), &info), 0);
    QCOMPARE(info.st_mode & 077, 0u);
    QLocalSocket peer;
    peer.connectToServer(instance.path);
    QVERIFY(peer.waitForConnected(2000));
    peer.write(said);
    QByteArray answered;
    // Dropped once it has spoken, or when it stays silent too long.
    QTRY_VERIFY_WITH_TIMEOUT((answered += peer.readAll(), peer.state() == QLocalSocket::UnconnectedState),
                             InstanceRequests::kPeerTimeoutMs + 2000);
    QCOMPARE(answered + peer.readAll(), answer);
    QCOMPARE(instance.heard.size(), heard);
}

void TestInstanceRequests::aDeadInstancesSocketIsTakenOver()
{
    Listening running;
    {
        InstanceRequests dead([](const InstanceRequest &) { return QByteArray("ok"); });
        QVERIFY(dead.listen(running.path));
    }
    QFile stale(running.path);
    // A crash leaves the file; QLocalServer's own end removed it here.
    if (!stale.exists())
        QVERIFY(QFile(running.path).open(QIODevice::WriteOnly));
    QVERIFY2(running.listen(), qPrintable(running.requests.errorString()));
    // The second start has no event loop: it writes and goes.
    QVERIFY(InstanceRequests::askToShow(running.path));
    QTRY_COMPARE(running.heard, QList<QByteArray>{"show "});
}

void TestInstanceRequests::peersAreBounded()
{
    Listening instance;
    QVERIFY(instance.listen());
    // Silent peers beyond the bound are turned away at once, and the
    // instance still hears a real request once they are gone.
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < InstanceRequests::kMaxPeers + 4; ++i) {
        silent.push_back(std::make_unique<QLocalSocket>());
        silent.back()->connectToServer(instance.path);
        QVERIFY(silent.back()->waitForConnected(2000));
    }
    const auto dropped = [&silent] {
        return std::count_if(silent.begin(), silent.end(),
                             [](const auto &peer) { return peer->state() == QLocalSocket::UnconnectedState; });
    };
    QTRY_COMPARE(dropped(), 4);
    QTRY_COMPARE_WITH_TIMEOUT(dropped(), InstanceRequests::kMaxPeers + 4, InstanceRequests::kPeerTimeoutMs + 2000);
    QVERIFY(InstanceRequests::askToShow(instance.path));
    QTRY_COMPARE(instance.heard.size(), 1);
}

void TestInstanceRequests::nobodyListening()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pendulix.show"));
    QVERIFY(!InstanceRequests::askToShow(path, 200));
    QVERIFY(!InstanceRequests::askToShow(QString()));
    QVERIFY(!InstanceRequests::ask(path, {QByteArray("show")}, 200));
}

QTEST_MAIN(TestInstanceRequests)
#include "tst_instancerequests.moc"
