#include "controls.h"
#include "fakeservices.h"
#include "form1.h"
#include "form2.h"
#include "icon.h"
#include "versiontext.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using version::Form2;

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    // Measured in the fonts the game itself asks for.
    void initTestCase() { platform::installFontSubstitutes(); }
    void init() { services = FakeServices(); }

    void versionTextIsHalfWidthKatakanaAndPlainNumbers_data();
    void versionTextIsHalfWidthKatakanaAndPlainNumbers();

    void showsTheInjectedVersion();
    void japaneseTextsHaveTheirGlyphs();
    void controlsKeepTheirPlacesWhenResized();
    void ruleIsTealFiveLinesAcrossTheWholeWidth();
    void iconSitsInASunkenTwoPixelBorder();
    void ownTextsFitTheirLabels();

    void closesByEachWay_data();
    void closesByEachWay();

    void menuOpensItModallyAndReadsTheVersionEachTime();
    void menuOpensItCentredEveryTime();
    void menuDoesNotOpenItDuringARound();

private:
    QLabel *label(QWidget *form, const char *name) { return form->findChild<QLabel *>(QString::fromLatin1(name)); }

    FakeServices services;
};

void TestForm2::versionTextIsHalfWidthKatakanaAndPlainNumbers_data()
{
    QTest::addColumn<int>("majorNumber");
    QTest::addColumn<int>("minorNumber");
    QTest::addColumn<QString>("numbers");
    QTest::newRow("1.0") << 1 << 0 << QStringLiteral("1.0");
    QTest::newRow("minor 12 is not 1.012 or 1.1") << 1 << 12 << QStringLiteral("1.12");
    QTest::newRow("minor 5 is not padded to 1.05") << 1 << 5 << QStringLiteral("1.5");
    QTest::newRow("two-digit major") << 10 << 3 << QStringLiteral("10.3");
}

void TestForm2::versionTextIsHalfWidthKatakanaAndPlainNumbers()
{
    QFETCH(int, majorNumber);
    QFETCH(int, minorNumber);
    QFETCH(QString, numbers);
    const QString text = version::versionText({ majorNumber, minorNumber });
    // The eight code points of the half-width word and its one blank, then the numbers.
    const char16_t prefix[] = { 0xFF8A, 0xFF9E, 0xFF70, 0xFF7C, 0xFF9E, 0xFF6E, 0xFF9D, 0x0020 };
    QCOMPARE(text, QString::fromUtf16(prefix, 8) + numbers);
}

void TestForm2::showsTheInjectedVersion()
{
    services.version = { 1, 12 };
    Form2 form(services);
    QCOMPARE(label(&form, "Label3")->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.12"));
    services.version = { 1, 0 };
    Form2 again(services);
    QCOMPARE(label(&again, "Label3")->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0"));
}

// The half-width katakana of the version and the Japanese title must come out in fonts that
// have them, on the window's white.
void TestForm2::japaneseTextsHaveTheirGlyphs()
{
    Form2 form(services);
    QVERIFY(QFontMetrics(label(&form, "Label3")->font()).inFont(QChar(0xFF8A)));
    QVERIFY(QFontMetrics(form.findChild<QPushButton *>("Command1")->font()).inFont(QChar(u'戻')));
    QVERIFY(!form.windowIcon().isNull());

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage shot = form.grab().toImage();
    QCOMPARE(shot.pixelColor(4, 4), QColor(255, 255, 255));
    QCOMPARE(shot.pixelColor(180, 150), QColor(255, 255, 255));
}

void TestForm2::controlsKeepTheirPlacesWhenResized()
{
    Form2 form(services);
    QVERIFY(form.minimumSize() != form.maximumSize()); // the player may drag the edges
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QList<QWidget *> controls = form.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(controls.size() >= 8);
    QList<QRect> designed;
    for (const QWidget *control : controls)
        designed << control->geometry();
    for (const QSize &size : { QSize(500, 400), QSize(120, 90), QSize(263, 160) }) {
        form.resize(size);
        QCoreApplication::processEvents();
        for (int i = 0; i < controls.size(); ++i)
            QCOMPARE(controls[i]->geometry(), designed[i]);
    }
}

void TestForm2::ruleIsTealFiveLinesAcrossTheWholeWidth()
{
    Form2 form(services);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage shot = form.grab().toImage();
    const QColor teal(0, 128, 128);
    for (int x : { 0, 131, 262 }) {
        for (int y = 86; y <= 90; ++y)
            QCOMPARE(shot.pixelColor(x, y), teal);
        QCOMPARE(shot.pixelColor(x, 85), QColor(255, 255, 255));
        QCOMPARE(shot.pixelColor(x, 91), QColor(255, 255, 255));
    }
}

void TestForm2::iconSitsInASunkenTwoPixelBorder()
{
    Form2 form(services);
    auto *picIcon = form.findChild<QLabel *>("picIcon");
    QCOMPARE(picIcon->frameShadow(), QFrame::Sunken);
    QCOMPARE(picIcon->frameWidth(), 2);
    QCOMPARE(picIcon->contentsRect().size(), QSize(32, 32));
    QCOMPARE(picIcon->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
             platform::windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32));

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The icon's blue edge starts right inside the border.
    const QImage shot = form.grab().toImage();
    QCOMPARE(shot.pixelColor(18, 18), QColor(0, 0, 255));
    QCOMPARE(shot.pixelColor(49, 49), QColor(0, 0, 255));
    QVERIFY(shot.pixelColor(16, 16) != QColor(0, 0, 255));
}

// Texts of our own must not lose their ends to a fixed-size label: a longer credit line or
// address would be clipped without any other sign.
void TestForm2::ownTextsFitTheirLabels()
{
    services.version = { 1, 12 };
    Form2 form(services);
    for (const char *name : { "Label1", "Label2", "Label3", "Label4", "Label5" }) {
        const QLabel *each = label(&form, name);
        QVERIFY2(!each->text().isEmpty(), name);
        QVERIFY2(QFontMetrics(each->font()).horizontalAdvance(each->text()) <= each->width(),
                 qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(name), each->text())));
    }
}

void TestForm2::closesByEachWay_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Enter, the default button's key") << QStringLiteral("enter");
    QTest::newRow("Escape") << QStringLiteral("escape");
    QTest::newRow("clicking 戻る") << QStringLiteral("click");
    QTest::newRow("title-bar close") << QStringLiteral("close");
    QTest::newRow("reject") << QStringLiteral("reject");
}

void TestForm2::closesByEachWay()
{
    QFETCH(QString, way);
    Form2 form(services);
    auto *button = form.findChild<QPushButton *>("Command1");
    QSignalSpy clicks(button, &QPushButton::clicked);
    auto outcome = std::make_shared<QString>();
    whenModalShows([way, outcome](QWidget *modal) {
        QWidget *focus = QApplication::focusWidget();
        *outcome = focus ? focus->objectName() : QStringLiteral("no focus");
        if (way == QLatin1String("enter"))
            QTest::keyClick(focus ? focus : modal, Qt::Key_Return);
        else if (way == QLatin1String("escape"))
            QTest::keyClick(focus ? focus : modal, Qt::Key_Escape);
        else if (way == QLatin1String("click"))
            QTest::mouseClick(modal->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        else if (way == QLatin1String("close"))
            modal->close();
        else
            qobject_cast<QDialog *>(modal)->reject();
        if (modal->isVisible()) {
            *outcome = QStringLiteral("still open");
            modal->close(); // never leave the test hanging
        }
    });
    form.exec();
    // The icon holds the focus when the window opens, and Enter still reaches the button.
    QCOMPARE(*outcome, QStringLiteral("picIcon"));
    QVERIFY(!form.isVisible());
    QCOMPARE(clicks.count(), way == QLatin1String("enter") || way == QLatin1String("click") ? 1 : 0);
}

void TestForm2::menuOpensItModallyAndReadsTheVersionEachTime()
{
    game::Form1 main(services);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto *mnuVer = main.findChild<QAction *>("mnuVer");

    QStringList seen;
    auto openAndRead = [&] {
        whenModalShows([&seen](QWidget *modal) {
            seen << (qobject_cast<Form2 *>(modal) ? modal->findChild<QLabel *>("Label3")->text()
                                                  : QStringLiteral("not Form2"));
            QTest::mouseClick(modal->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        });
        mnuVer->trigger(); // returns only once the window has closed
    };
    openAndRead();
    openAndRead();
    services.version = { 1, 5 };
    openAndRead();
    QCOMPARE(seen, QStringList({ QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0"),
                                 QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.5") }));
    // Each showing is discarded when it closes.
    QCOMPARE(main.findChildren<Form2 *>().size(), 0);
}

void TestForm2::menuOpensItCentredEveryTime()
{
    game::Form1 main(services);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QRect screen = main.screen()->availableGeometry();

    QList<QPoint> centres;
    for (int i = 0; i < 2; ++i) {
        whenModalShows([&centres](QWidget *modal) {
            centres << modal->geometry().center();
            modal->move(3, 5); // the player drags it away before closing
            modal->close();
        });
        main.findChild<QAction *>("mnuVer")->trigger();
    }
    QCOMPARE(centres.size(), 2);
    for (const QPoint &centre : centres) {
        QVERIFY2(qAbs(centre.x() - screen.center().x()) <= 8 && qAbs(centre.y() - screen.center().y()) <= 16,
                 qPrintable(QStringLiteral("centre at %1, %2").arg(centre.x()).arg(centre.y())));
    }
}

void TestForm2::menuDoesNotOpenItDuringARound()
{
    game::Form1 main(services);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    services.queuePair(3, 4);
    main.findChild<QAction *>("mnuStart")->trigger();

    // Had the window opened, the trigger would not return until this closed it.
    auto opened = std::make_shared<bool>(false);
    QTimer::singleShot(200, [opened] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            *opened = true;
            modal->close();
        }
    });
    main.findChild<QAction *>("mnuVer")->trigger();
    QTest::qWait(300);
    QVERIFY(!*opened);
}

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
