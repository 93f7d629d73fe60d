#include "icon.h"

#include <QImage>
#include <QSet>
#include <QTest>

// The program's icon: 32 x 32 in the 16 colours of the standard palette, and its hicolor
// renderings made by the build, which must be blown up pixel for pixel without blur.
class TestIcon : public QObject {
    Q_OBJECT
private slots:
    void iconIs32By32InTheStandardPalette();
    void iconHasItsFrameDigitsAndMarks();
    void hicolorRenderingsAreBlockScaledCopies_data();
    void hicolorRenderingsAreBlockScaledCopies();

private:
    static QImage icon() { return platform::windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32); }
    static const QSet<QRgb> &standardPalette();
};

const QSet<QRgb> &TestIcon::standardPalette()
{
    static const QSet<QRgb> palette = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    return palette;
}

void TestIcon::iconIs32By32InTheStandardPalette()
{
    const QIcon windowIcon = platform::windowIcon();
    QVERIFY(!windowIcon.isNull());
    QCOMPARE(windowIcon.availableSizes(), QList<QSize>({ QSize(32, 32) }));
    const QImage image = icon();
    QCOMPARE(image.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            QVERIFY2(standardPalette().contains(image.pixel(x, y)), qPrintable(QStringLiteral("pixel %1, %2").arg(x).arg(y)));
}

void TestIcon::iconHasItsFrameDigitsAndMarks()
{
    const QImage image = icon();
    const QRgb blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0), black = qRgb(0, 0, 0);
    for (int i = 0; i < 32; ++i) {
        for (int ring : { 0, 1, 30, 31 }) {
            QCOMPARE(image.pixel(i, ring), blue);
            QCOMPARE(image.pixel(ring, i), blue);
        }
        if (i >= 2 && i <= 29) {
            for (int ring : { 2, 29 }) {
                QCOMPARE(image.pixel(i, ring), green);
                QCOMPARE(image.pixel(ring, i), green);
            }
        }
    }
    QCOMPARE(image.pixel(3, 3), black);
    QCOMPARE(image.pixel(28, 28), black);

    // Yellow lights only in the left half's "1" (right-hand bars) and the right half's "0".
    int yellowLeft = 0, yellowRight = 0;
    for (int y = 3; y < 29; ++y)
        for (int x = 3; x < 29; ++x)
            if (image.pixel(x, y) == qRgb(255, 255, 0))
                ++(x < 14 ? yellowLeft : yellowRight);
    QCOMPARE(yellowLeft, 2 * 14); // two bars of 2 x 7
    QVERIFY(yellowRight > yellowLeft);
    QCOMPARE(image.pixel(19, 10), black); // the hollow of the 0

    QCOMPARE(image.pixel(5, 26), qRgb(255, 0, 0)); // red mark lower left
    QCOMPARE(image.pixel(26, 26), qRgb(128, 128, 128)); // grey triangle lower right
    QCOMPARE(image.pixel(24, 24), black); // ... above its slope
}

void TestIcon::hicolorRenderingsAreBlockScaledCopies_data()
{
    QTest::addColumn<int>("size");
    for (const QByteArray &size : QByteArray(QUICKPAIR_ICON_SIZES).split(' '))
        QTest::newRow(size.constData()) << size.toInt();
}

void TestIcon::hicolorRenderingsAreBlockScaledCopies()
{
    QFETCH(int, size);
    const QString file = QStringLiteral("%1/%2x%2/%3.png").arg(QStringLiteral(QUICKPAIR_ICON_DIR)).arg(size).arg(QStringLiteral(QUICKPAIR_APP_ID));
    const QImage rendering = QImage(file).convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!rendering.isNull(), qPrintable(file));
    QCOMPARE(rendering.size(), QSize(size, size));
    const QImage source = icon();
    const int block = size / 32;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (rendering.pixel(x, y) != source.pixel(x / block, y / block))
                QFAIL(qPrintable(QStringLiteral("%1 differs at %2, %3").arg(file).arg(x).arg(y)));
}

QTEST_MAIN(TestIcon)
#include "test_icon.moc"
