// A save of the ranking that is killed at any moment leaves the file as it was before the
// save or as the save meant it, byte for byte: never empty, never half written.
//
// A child process stores two tables in turn, as fast as it can, with the ranking's own save;
// the test kills it with SIGKILL after a random delay and then reads the file. 300 kills, or
// as many as QUICKPAIR_KILLS asks for (thousands for a long run).

#include "rankingfile.h"
#include "rankingstore.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

// 山田太郎, 鈴木① and ｱﾘｽ～, then with Bob's new best score above the first two.
const QByteArray before = QByteArray::fromHex("2031323020 0d0a 8e529363 91be9859 0d0a 20333520 0d0a 97e996d8 8740 0d0a 2d3720 0d0a b1d8bd 8160 0d0a");
const QByteArray after = QByteArray::fromHex("2031333020 0d0a 426f62 0d0a") + before.left(before.lastIndexOf("-7"));

class TestKillSave : public QObject {
    Q_OBJECT
private slots:
    void fileIsOldOrNewAfterEveryKill()
    {
        QTemporaryDir folder;
        QFile file(folder.filePath("quip.ini"));
        ranking::RankingTable tables[2];
        ranking::decodeRankingFile(after, tables[0]);
        ranking::decodeRankingFile(before, tables[1]);
        const int kills = qEnvironmentVariableIsSet("QUICKPAIR_KILLS") ? qEnvironmentVariableIntValue("QUICKPAIR_KILLS") : 300;
        const unsigned seed = std::random_device()();
        std::mt19937 random(seed);
        QList<int> found(2);
        for (int kill = 0; kill < kills; ++kill) {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
            file.close();
            int saved[2]; // the saver writes a byte down this pipe after every save
            QVERIFY(::pipe(saved) == 0);
            const pid_t saver = fork();
            if (saver == 0) {
                for (int n = 0; ranking::writeRankingFile(file.fileName(), tables[n % 2]) && ::write(saved[1], "s", 1) == 1; ++n) { }
                _exit(2);
            }
            ::close(saved[1]);
            char byte;
            QVERIFY(::read(saved[0], &byte, 1) == 1); // killed only once it saves, at a random moment amid the saves
            QThread::usleep(random() % 20000);
            int status = 0;
            QVERIFY(::kill(saver, SIGKILL) == 0 && ::waitpid(saver, &status, 0) == saver && WIFSIGNALED(status));
            ::close(saved[0]);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray left = file.readAll();
            file.close();
            QVERIFY2(left == before || left == after, qPrintable(QString("seed %1, kill %2 left %3").arg(seed).arg(kill).arg(left.toHex(' '))));
            ++found[left == after];
        }
        qInfo("seed %u: %d kills; the old table %d times, the new one %d times", seed, kills, found[0], found[1]);
        // The first save writes the new table, so finding the old one as well shows kills amid
        // later saves too: without them, finding the old file would prove nothing.
        QVERIFY(found[0] > 0 && found[1] > 0);
    }
};

QTEST_GUILESS_MAIN(TestKillSave)
#include "test_killsave.moc"
