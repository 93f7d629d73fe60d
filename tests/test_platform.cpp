// The real platform services: the random numbers, the clock, where the ranking file lies, and
// Qt's Japanese buttons.

#include "controls.h"
#include "buildconfig.h"
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

#include <algorithm>
#include <chrono>

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    // Skewed digits, a digit of 10, or every run dealing the same pairs: every digit comes about
    // equally often, and two runs differ.
    void randomNumbersAreUniformAndDifferEachRun()
    {
        platform::SystemServices first, second;
        first.seedRandom();
        // Two runs never start within one tick of the clock the seed is taken from.
        const auto seeded = std::chrono::system_clock::now();
        QTRY_VERIFY(std::chrono::system_clock::now() > seeded);
        second.seedRandom();
        QList<int> counts(10);
        int same = 0;
        for (int i = 0; i < 20000; ++i) {
            const float r = first.nextRandom();
            QVERIFY(r >= 0 && r < 1);
            ++counts[int(r * 10)];
            same += r == second.nextRandom();
        }
        const auto [least, most] = std::minmax_element(counts.begin(), counts.end());
        QVERIFY2(*least > 1700 && *most < 2300, qPrintable(QString("%1 to %2 of a digit").arg(*least).arg(*most)));
        QVERIFY(same < 20000);
    }

    // A clock in other units than seconds: however slow the machine, it moves as far as a timer
    // of Qt's own sees.
    void clockCountsSeconds()
    {
        platform::SystemServices services;
        const double before = services.clockSeconds();
        QElapsedTimer waited;
        waited.start();
        QTRY_VERIFY(waited.elapsed() >= 100);
        const qint64 seen = waited.elapsed();
        const double moved = services.clockSeconds() - before;
        QVERIFY2(moved >= seen / 1000.0 && moved <= waited.elapsed() / 1000.0 + 0.002,
                 qPrintable(QString::number(moved)));
    }

    void rankingFileLiesBesideOrInTheDataFolder_data()
    {
        QTest::addColumn<QString>("program"); // the program's folder, in a folder of the test's own
        QTest::addColumn<QString>("installed"); // where its build installs it
        QTest::addColumn<bool>("entry"); // whether an install laid the desktop entry down beside it
        QTest::addColumn<QString>("files"); // the ranking file, and the rows read until it exists
        const QString beside("games/quip.ini "), mine("data/quip.ini games/quip.ini");
        QTest::newRow("portable") << "games" << "usr/games" << false << beside;
        QTest::newRow("installed, the entry left out") << "games" << "games" << false << mine;
        QTest::newRow("installed elsewhere, with its entry") << "games" << "usr/games" << true << mine;
        QTest::newRow("folder below a file")
            << "plain/bin" << "usr/games" << false << "data/quip.ini plain/bin/quip.ini";
        QTest::newRow("no folder") << "missing/bin" << "missing/bin" << false << "data/quip.ini missing/bin/quip.ini";
    }
    // A portable copy keeps the file beside its executable; an installed one in the player's data
    // folder, reading the rows beside the executable until that file exists. An install is told by
    // the folder the build installs it in, whatever the package left out, or by the desktop entry an
    // install with another prefix lays down; not by permissions, so that root, who may write
    // anywhere, keeps the file beside a portable copy only. Otherwise only a folder that can take a
    // new file keeps it: for root too, not one below a file or one that does not exist.
    void rankingFileLiesBesideOrInTheDataFolder()
    {
        QFETCH(QString, program);
        QFETCH(QString, installed);
        QFETCH(bool, entry);
        QFETCH(QString, files);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("games")) && write(dir.filePath("plain"), ""));
        QVERIFY(!entry
                || (QDir().mkpath(dir.filePath("share/applications"))
                    && write(dir.filePath("share/applications/" QUICKPAIR_APP_ID ".desktop"), "")));
        const bool beside = platform::keepsRankingBeside(dir.filePath(program), dir.filePath(installed));
        const platform::RankingFiles found =
            platform::rankingFilesFor(dir.filePath(program), beside, dir.filePath("data"));
        QCOMPARE(QDir(dir.path()).relativeFilePath(found.file) + " "
                     + QDir(dir.path()).relativeFilePath(found.fallback),
                 files);
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
        QVERIFY(!platform::installQtTranslations(QTemporaryDir().path()));
        QVERIFY(platform::installQtTranslations());
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), "キャンセル");
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
