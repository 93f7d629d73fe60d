#include "rankinglocation.h"
#include "systemservices.h"

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestRankingLocation : public QObject {
    Q_OBJECT
private slots:
    void portableCopyKeepsTheFileBesideTheProgram();
    void installedCopyUsesThePlayersDataFolder();
    void writableFolderIsRecognised();
    void folderThatCannotHoldFilesIsNotWritable();
    void systemServicesFollowTheRule();
};

void TestRankingLocation::portableCopyKeepsTheFileBesideTheProgram()
{
    const platform::RankingFiles files = platform::rankingFiles(
        QStringLiteral("/home/player/quickpair/bin"), true, QStringLiteral("/home/player/.local/share/Quickpair"));
    QCOMPARE(files.file, QStringLiteral("/home/player/quickpair/bin/quip.ini"));
    QCOMPARE(files.fallback, QString());
}

// Saved in the player's own folder; the rows beside the program are only ever read.
void TestRankingLocation::installedCopyUsesThePlayersDataFolder()
{
    const platform::RankingFiles files =
        platform::rankingFiles(QStringLiteral("/usr/games"), false, QStringLiteral("/home/player/.local/share/Quickpair"));
    QCOMPARE(files.file, QStringLiteral("/home/player/.local/share/Quickpair/quip.ini"));
    QCOMPARE(files.fallback, QStringLiteral("/usr/games/quip.ini"));
}

void TestRankingLocation::writableFolderIsRecognised()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(platform::canCreateFilesIn(dir.path()));
}

// Tests run as root, for whom mode bits never forbid writing; a folder that does not exist,
// or whose parent is a regular file, cannot take a file for anyone.
void TestRankingLocation::folderThatCannotHoldFilesIsNotWritable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("plain-file"));
    QFile plain(file);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(!platform::canCreateFilesIn(file + QStringLiteral("/bin")));
    QVERIFY(!platform::canCreateFilesIn(dir.filePath(QStringLiteral("missing/bin"))));
    QVERIFY(!platform::canCreateFilesIn(QString()));
}

// This test program's own folder is a build folder the test may write, so the real service
// answers like a portable copy, and creates nothing elsewhere.
void TestRankingLocation::systemServicesFollowTheRule()
{
    QStandardPaths::setTestModeEnabled(true);
    platform::SystemServices services;
    QCOMPARE(services.rankingFiles().file, QApplication::applicationDirPath() + QStringLiteral("/quip.ini"));
    QCOMPARE(services.rankingFiles().fallback, QString());
}

QTEST_MAIN(TestRankingLocation)
#include "test_rankinglocation.moc"
