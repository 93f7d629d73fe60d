// A save of the ranking that is killed at any moment leaves the file as it was before the
// save or as the save meant it, byte for byte: never empty, never half written.
//
// The test starts this same program as a saver that stores two tables in turn, as fast as it
// can, with the ranking's own save; it kills the saver with SIGKILL after a random delay and
// then reads the file. `test_killsave N` runs N kills (default 300; thousands for a long run).

#include "rankingfile.h"
#include "rankingstore.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <random>

// 山田太郎, 鈴木① and ｱﾘｽ～, then with Bob's new best score above the first two.
const QByteArray before = QByteArray::fromHex("2031323020 0d0a 8e529363 91be9859 0d0a 20333520 0d0a 97e996d8 8740 0d0a 2d3720 0d0a b1d8bd 8160 0d0a");
const QByteArray after = QByteArray::fromHex("2031333020 0d0a 426f62 0d0a") + before.left(before.lastIndexOf("-7"));
int killCount = 300;

class TestKillSave : public QObject {
    Q_OBJECT
private slots:
    void fileIsOldOrNewAfterEveryKill()
    {
        QTemporaryDir folder;
        QFile file(folder.filePath("quip.ini"));
        const unsigned seed = std::random_device()();
        std::mt19937 random(seed);
        QList<int> found(2);
        qint64 saves = 0;
        for (int kill = 0; kill < killCount; ++kill) {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
            file.close();
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(), { "--saver", folder.path() });
            // Killed only once it saves, at a random moment amid the saves.
            QVERIFY(saver.waitForReadyRead(5000));
            QThread::usleep(random() % 20000);
            saver.kill();
            QVERIFY(saver.waitForFinished(5000) && saver.exitStatus() == QProcess::CrashExit);
            saves += saver.readAll().size();
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            file.close();
            QVERIFY2(bytes == before || bytes == after, qPrintable(QString("seed %1, kill %2 left %3").arg(seed).arg(kill).arg(bytes.toHex(' '))));
            ++found[bytes == after];
        }
        qInfo("seed %u: %d kills, %lld saves; the old table %d times, the new one %d times", seed, killCount, saves, found[0], found[1]);
        // Without kills amid the saves, finding the old file would prove nothing.
        QVERIFY(found[0] > 0 && found[1] > 0 && saves > killCount);
    }
};

// The saver: stores the two tables in turn, writing one "s" after every save.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--saver") == 0) {
        ranking::RankingTable tables[2];
        ranking::decodeRankingFile(after, tables[0]);
        ranking::decodeRankingFile(before, tables[1]);
        for (int saves = 0; ranking::writeRankingFile(QString(argv[2]) + "/quip.ini", tables[saves % 2]); ++saves)
            QTextStream(stdout) << "s" << Qt::flush;
        return 2;
    }
    const int asked = QByteArray(argv[argc - 1]).toInt();
    killCount = asked > 0 ? asked : killCount;
    TestKillSave test;
    return QTest::qExec(&test, asked > 0 ? argc - 1 : argc, argv);
}

#include "test_killsave.moc"
