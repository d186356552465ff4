#include "app/showrequests.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestShowRequests : public QObject
{
    Q_OBJECT
private slots:
    void onlyTheRequestIsHeard_data();
    void onlyTheRequestIsHeard();
    void aDeadInstancesSocketIsTakenOver();
    void peersAreBounded();
    void nobodyListening();
};

void TestShowRequests::onlyTheRequestIsHeard_data()
{
    QTest::addColumn<QByteArray>("said");
    QTest::addColumn<int>("shows");
    QTest::newRow("the request") << QByteArray("show\n") << 1;
    QTest::newRow("another word") << QByteArray("quit\n") << 0;
    QTest::newRow("more than the request") << QByteArray("show\nshow\n") << 0;
    QTest::newRow("the request cut short") << QByteArray("show") << 0;
    QTest::newRow("a lot of bytes") << QByteArray(100000, 'x') << 0;
}

void TestShowRequests::onlyTheRequestIsHeard()
{
    QFETCH(QByteArray, said);
    QFETCH(int, shows);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pendulix.show"));
    ShowRequests requests;
    QVERIFY2(requests.listen(path), qPrintable(requests.errorString()));
    // Reachable by its user only.
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
    QCOMPARE(info.st_mode & 077, 0u);
    QSignalSpy spy(&requests, &ShowRequests::showWanted);
    QLocalSocket peer;
    peer.connectToServer(path);
    QVERIFY(peer.waitForConnected(2000));
    peer.write(said);
    // Dropped once it has spoken, or when it stays silent too long.
    QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QLocalSocket::UnconnectedState, ShowRequests::kPeerTimeoutMs + 2000);
    QCOMPARE(spy.count(), shows);
}

void TestShowRequests::aDeadInstancesSocketIsTakenOver()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pendulix.show"));
    {
        ShowRequests dead;
        QVERIFY(dead.listen(path));
    }
    QFile stale(path);
    // A crash leaves the file; QLocalServer's own end removed it here.
    if (!stale.exists())
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    ShowRequests running;
    QVERIFY2(running.listen(path), qPrintable(running.errorString()));
    QSignalSpy spy(&running, &ShowRequests::showWanted);
    // The second start has no event loop: it writes and goes.
    QVERIFY(ShowRequests::ask(path));
    QTRY_COMPARE(spy.count(), 1);
}

void TestShowRequests::peersAreBounded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pendulix.show"));
    ShowRequests requests;
    QVERIFY(requests.listen(path));
    QSignalSpy spy(&requests, &ShowRequests::showWanted);
    // Silent peers beyond the bound are turned away at once, and the
    // instance still hears a real request once they are gone.
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < ShowRequests::kMaxPeers + 4; ++i) {
        silent.push_back(std::make_unique<QLocalSocket>());
        silent.back()->connectToServer(path);
        QVERIFY(silent.back()->waitForConnected(2000));
    }
    QTRY_COMPARE(std::count_if(silent.begin(), silent.end(),
                               [](const auto &peer) { return peer->state() == QLocalSocket::UnconnectedState; }),
                 4);
    QTRY_COMPARE_WITH_TIMEOUT(std::count_if(silent.begin(), silent.end(),
                                            [](const auto &peer) { return peer->state() == QLocalSocket::UnconnectedState; }),
                              ShowRequests::kMaxPeers + 4, ShowRequests::kPeerTimeoutMs + 2000);
    QVERIFY(ShowRequests::ask(path));
    QTRY_COMPARE(spy.count(), 1);
}

void TestShowRequests::nobodyListening()
{
    QTemporaryDir dir;
    QVERIFY(!ShowRequests::ask(dir.filePath(QStringLiteral("Pendulix.show")), 200));
    QVERIFY(!ShowRequests::ask(QString()));
}

QTEST_MAIN(TestShowRequests)
#include "tst_showrequests.moc"
