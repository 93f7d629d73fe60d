// The real platform services: the random numbers, the clock, where the ranking file lies, and
// Qt's Japanese buttons.

#include "controls.h"
#include "files.h"
#include "rankinglocation.h"
#include "systemservices.h"
#include "translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    // Skewed digits, a digit of 10, or every run dealing the same pairs: every digit comes about
    // equally often, and two runs differ.
    void randomNumbersAreUniformAndDifferEachRun()
    {
        platform::SystemServices first, second;
        first.seedRandom();
        QTest::qWait(2);
        second.seedRandom();
        QList<int> counts(10);
        int same = 0;
        for (int i = 0; i < 20000; ++i) {
            const float r = first.nextRandom();
            QVERIFY(r >= 0 && r < 1);
            ++counts[int(r * 10)];
            same += r == second.nextRandom();
        }
        QString counted; // of each digit
        QDebug(&counted) << counts;
        for (int count : counts)
            QVERIFY2(count > 1700 && count < 2300, qPrintable(counted));
        QVERIFY(same < 20000);
    }

    // A clock in other units than seconds: however slow the machine, it moves as far as a timer
    // of Qt's own sees.
    void clockCountsSeconds()
    {
        platform::SystemServices services;
        QElapsedTimer waited;
        waited.start();
        const double before = services.clockSeconds();
        QTest::qWait(100);
        const double moved = services.clockSeconds() - before;
        QVERIFY2(moved >= 0.099 && moved <= waited.elapsed() / 1000.0 + 0.002, qPrintable(QString::number(moved)));
    }

    // A portable copy keeps the file beside its executable; an installed one in the player's data
    // folder, reading the rows beside the executable until that file exists. An install is told by
    // the desktop entry it lays down, not by permissions: root, who may write anywhere, keeps the
    // file beside a portable copy only. Without the entry, only a folder that can take a new file
    // keeps it: for root, not one below a file or one that does not exist.
    void rankingFileLiesWhereThePlayerCanWrite()
    {
        const platform::RankingFiles portable = platform::rankingFiles("/qp", true, "/home/p");
        QCOMPARE(portable.file, QString("/qp/quip.ini"));
        QCOMPARE(portable.fallback, QString());
        const platform::RankingFiles installed = platform::rankingFiles("/qp", false, "/home/p");
        QCOMPARE(installed.file, QString("/home/p/quip.ini"));
        QCOMPARE(installed.fallback, QString("/qp/quip.ini"));
        QTemporaryDir dir;
        const QString games = dir.filePath("games");
        QVERIFY(QDir().mkpath(games) && QDir().mkpath(dir.filePath("share/applications")));
        QVERIFY(platform::keepsRankingBeside(games));
        QVERIFY(write(dir.filePath("plain"), ""));
        QVERIFY(write(dir.filePath("share/applications/org.example.Quickpair.desktop"), ""));
        for (const QString &folder : { games, dir.filePath("plain/bin"), dir.filePath("missing/bin"), QString() })
            QVERIFY2(!platform::keepsRankingBeside(folder), qPrintable(folder));
    }

    // Captions in a font without kana and kanji, or English buttons: the Windows fonts the
    // windows ask for come out as installed free fonts with their metrics, and with Qt's Japanese
    // translations installed (scripts/setup does) the buttons say キャンセル.
    void fontsAndButtonsSuitJapanese()
    {
        platform::installFontSubstitutes();
        QStringList families;
        for (const char *family : { "ＭＳ ゴシック", "ＭＳ 明朝", "Arial", "Comic Sans MS" })
            families << QFontInfo(QFont(family)).family();
        QCOMPARE(families, QStringList({ "IPAGothic", "IPAMincho", "Liberation Sans", "Comic Neue" }));
        const auto cancel = [] {
            return QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text();
        };
        QVERIFY(!platform::installQtTranslations(QTemporaryDir().path()));
        QVERIFY(platform::installQtTranslations());
        QCOMPARE(cancel(), QString("キャンセル"));
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
