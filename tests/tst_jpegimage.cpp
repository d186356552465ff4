#include "app/aboutpicture.h"
#include "app/jpegimage.h"

#include <QFile>
#include <QTest>

class TestJpegImage : public QObject
{
    Q_OBJECT
private slots:
    void decodesTheAboutPicture();
    void refusesBadData_data();
    void refusesBadData();
    void truncatedDataDoesNotCrash();
};

static QByteArray aboutJpeg()
{
    return aboutPictureJpeg();
}

void TestJpegImage::decodesTheAboutPicture()
{
    const QImage image = decodeJpeg(aboutJpeg());
    QCOMPARE(image.size(), QSize(49, 49));
    // The corner is the light background, the centre of the face is light too,
    // the case's edge is dark walnut: a decode that scrambled rows or channels
    // would not give all three.
    const QColor corner = image.pixelColor(1, 1);
    QVERIFY2(corner.red() > 200 && corner.green() > 200, qPrintable(corner.name()));
    const QColor caseEdge = image.pixelColor(12, 40);
    QVERIFY2(caseEdge.red() < 140 && caseEdge.blue() < 80 && caseEdge.red() > caseEdge.blue(),
             qPrintable(caseEdge.name()));
}

void TestJpegImage::refusesBadData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a jpeg") << QByteArray("GIF89a not a jpeg at all");
    QTest::newRow("marker only") << QByteArray("\xff\xd8", 2);
}

void TestJpegImage::refusesBadData()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(decodeJpeg(bytes).isNull());
}

void TestJpegImage::truncatedDataDoesNotCrash()
{
    const QByteArray whole = aboutJpeg();
    QVERIFY(whole.size() > 400);
    // libjpeg pads a cut stream; what matters is that it returns.
    for (qsizetype n : {qsizetype(100), whole.size() / 2, whole.size() - 2}) {
        const QImage image = decodeJpeg(whole.left(n));
        QVERIFY(image.isNull() || image.size() == QSize(49, 49));
    }
}

QTEST_MAIN(TestJpegImage)
#include "tst_jpegimage.moc"
