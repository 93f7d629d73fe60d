// A save of the ranking that is killed at any moment leaves the file as it was before the
// save or as the save meant it, byte for byte: never empty, never half written.
//
// The test starts this same program as a saver that stores two tables in turn, as fast as it
// can, with the ranking's own save; it kills the saver with SIGKILL after a random delay and
// then reads the file. `test_killsave N` runs N kills (default 300).

#include "rankingstore.h"
#include "rankingtable.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The two tables as the file holds them, in CP932 with CR LF: what the saver stores first
// (the file it starts from) and the table after a new best score.
const QByteArray before = QByteArray::fromHex("2031323020"
                                              "0d0a" "8e529363 91be9859" "0d0a" // 山田太郎
                                              "20333520" "0d0a" "97e996d8 8740" "0d0a" // 鈴木①
                                              "2d3720" "0d0a" "b1d8bd 8160" "0d0a"); // ｱﾘｽ～
const QByteArray after = QByteArray::fromHex("2031333020" "0d0a" "426f62" "0d0a" // Bob
                                             "2031323020" "0d0a" "8e529363 91be9859" "0d0a"
                                             "20333520" "0d0a" "97e996d8 8740" "0d0a");

ranking::RankingTable tableBefore()
{
    ranking::RankingTable table;
    table.rankScores = { qint16(120), qint16(35), qint16(-7), std::nullopt };
    table.rankNames = { QStringLiteral("山田太郎"), QStringLiteral("鈴木①"), QStringLiteral("ｱﾘｽ～"), std::nullopt };
    return table;
}

ranking::RankingTable tableAfter()
{
    ranking::RankingTable table;
    table.rankScores = { qint16(130), qint16(120), qint16(35), std::nullopt };
    table.rankNames = { QStringLiteral("Bob"), QStringLiteral("山田太郎"), QStringLiteral("鈴木①"), std::nullopt };
    return table;
}

// The saver: reads the file the test seeded, then saves again and again, switching the table
// between the two each time. Writes "r" once it is about to save and one "s" after every save.
int runSaver(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/quip.ini");
    ranking::RankingTable table;
    if (ranking::readRanking(path, table) != ranking::ReadResult::Read || table != tableBefore()) {
        std::fprintf(stderr, "the saver did not read the table it starts from\n");
        return 2;
    }
    std::fputs("r", stdout);
    std::fflush(stdout);
    for (unsigned long saves = 0;; ++saves) {
        if (!ranking::writeRankingFile(path, saves % 2 == 0 ? tableAfter() : tableBefore())) {
            std::fprintf(stderr, "save failed\n");
            return 2;
        }
        std::fputs("s", stdout);
        std::fflush(stdout);
    }
}

int killCount = 300;

} // namespace

class TestKillSave : public QObject {
    Q_OBJECT
private slots:
    void fileIsOldOrNewAfterEveryKill();
};

// Runs the saver under a kill at a random moment after it has started saving, `killCount`
// times, and looks at the file after each kill. The delays are spread so that some kills
// land before the first save and most land amid the saves.
void TestKillSave::fileIsOldOrNewAfterEveryKill()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("quip.ini"));
    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 20000);
    qInfo("seed %u, %d kills", seed, killCount);

    int foundBefore = 0;
    int foundAfter = 0;
    long totalSaves = 0;
    for (int attempt = 0; attempt < killCount; ++attempt) {
        QFile seedFile(path);
        QVERIFY(seedFile.open(QIODevice::WriteOnly));
        QCOMPARE(seedFile.write(before), before.size());
        seedFile.close();

        int pipeEnds[2];
        QVERIFY(pipe(pipeEnds) == 0);
        const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
        const QByteArray folderName = QFile::encodeName(folder.path());
        const pid_t saver = fork();
        QVERIFY(saver >= 0);
        if (saver == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            execl(program.constData(), program.constData(), "--saver", folderName.constData(),
                  "-platform", "offscreen", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        char ready = 0;
        const bool started = read(pipeEnds[0], &ready, 1) == 1 && ready == 'r';
        if (started)
            usleep(delayMicroseconds(random));
        kill(saver, SIGKILL);
        int status = 0;
        waitpid(saver, &status, 0);
        char buffer[4096];
        for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            totalSaves += got;
        close(pipeEnds[0]);
        QVERIFY2(started, "the saver did not start");
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the saver ended before the kill");

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(bytes == before || bytes == after,
                 qPrintable(QStringLiteral("kill %1 left %2").arg(attempt).arg(QString::fromLatin1(bytes.toHex(' ')))));
        (bytes == before ? foundBefore : foundAfter) += 1;
    }
    const QStringList leftOver = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    qInfo("%d kills, %ld saves in all; file held the old table %d times, the new one %d times; files in the "
          "folder afterwards: %s",
          killCount, totalSaves, foundBefore, foundAfter, qPrintable(leftOver.join(QStringLiteral(", "))));
    // Without kills amid the saves, finding the old file would prove nothing.
    QVERIFY(foundBefore > 0 && foundAfter > 0);
    QVERIFY(totalSaves > killCount);
}

int main(int argc, char *argv[])
{
    if (argc >= 3 && qstrcmp(argv[1], "--saver") == 0)
        return runSaver(argc, argv);
    if (argc >= 2 && QByteArray(argv[argc - 1]).toInt() > 0)
        killCount = QByteArray(argv[--argc]).toInt();
    QCoreApplication app(argc, argv);
    TestKillSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_killsave.moc"
