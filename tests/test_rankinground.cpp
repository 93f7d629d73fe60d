// The ranking round: ranking a finished round into the stored rows, taking the name, saving,
// and never losing a row to a file that is not a file, a full disk or a second copy of the game.

#include "files.h"
#include "rankingfile.h"
#include "rankinground.h"

#include <QDir>
#include <QLockFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

using namespace ranking;
using platform::RankingFiles;
using Load = RankingRound::Load;
using Save = RankingRound::Save;

// Something done to where the game keeps its ranking.
using Fault = std::function<void(RankingFiles &)>;
Q_DECLARE_METATYPE(Fault)

// A disk that fills up: a tmpfs of that many kB mounted on the folder, where the system has one
// and lets this process mount it (Linux, as root).
bool mountSmallDisk(const QByteArray &folder, int kilobytes)
{
#ifdef Q_OS_LINUX
    return ::mount("tmpfs", folder, "tmpfs", 0, "size=" + QByteArray::number(kilobytes) + "k") == 0;
#else
    Q_UNUSED(folder);
    Q_UNUSED(kilobytes);
    return false;
#endif
}

void unmountSmallDisk(const QByteArray &folder)
{
#ifdef Q_OS_LINUX
    ::umount2(folder, MNT_DETACH);
#else
    Q_UNUSED(folder);
#endif
}

class TestRankingRound : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> folder;
    platform::RankingFiles files;
    std::unique_ptr<QLockFile> otherCopysLock;
#ifdef Q_OS_WIN
    std::unique_ptr<HeldFile> otherProgramsHold;
#endif
    RankingTable table; // kept from one round to the next, as the main window keeps it

    // A round's ranking from load to save, the name typed where it enters (`row`, -1 for none).
    void play(int score, const QString &typed, Load loaded, int row)
    {
        RankingRound round(table, qint16(score));
        QCOMPARE(round.load(files), loaded);
        QCOMPARE(round.entryRow().value_or(-1), row);
        round.enter(typed);
        QCOMPARE(round.save(), Save::Saved);
    }

private slots:
    void init()
    {
        otherCopysLock.reset(); // before its folder goes
#ifdef Q_OS_WIN
        otherProgramsHold.reset();
#endif
        folder = std::make_unique<QTemporaryDir>();
        files = { folder->filePath("quip.ini"), QString() };
        table = {};
    }

    void ranksTheRoundAndSavesTheRows_data()
    {
        QTest::addColumn<QByteArray>("stored"); // with "|" for CR LF
        QTest::addColumn<int>("score");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray full(" 30 |a| 20 |b| 10 |c|");
        // A save rewrites the file even when nothing changed, in the form the game writes.
        QTest::newRow("out") << QByteArray("30|a|20|b|10|c|") << 9 << "" << full;
        QTest::newRow("0, no file, empty name") << QByteArray() << 0 << "" << QByteArray(" 0 ||||||");
        // An empty score counts as 0: a round above it enters, one below it stays out.
        QTest::newRow("above an empty row")
            << QByteArray(" 5 |a| 4 |b|") << 3 << "new" << QByteArray(" 5 |a| 4 |b| 3 |new|");
        QTest::newRow("below an empty row") << QByteArray(" 5 |a|") << -1 << "" << QByteArray(" 5 |a|||||");
        // Blanks, widths and markup are kept as typed; an emoji CP932 lacks is one "?".
        QTest::newRow("as typed") << QByteArray() << 1 << "  <b>Ｔ</b>\U0001F600 ｶ "
                                  << QByteArray(" 1 |  <b>\x82\x73</b>? \xb6 |||||");
        // A name holding bytes CP932 has no character for is written back as it was read.
        const QByteArray odd("bad\x80\xa0\xfd\xfe\xffname\x82");
        QTest::newRow("odd bytes") << " 30 |" + odd + "|" << 31 << "new"
                                   << " 31 |new| 30 |" + odd + "|||";
    }
    // The round enters the stored rows where its score is at least a row's, ties above, with the
    // name as the file holds it, and saves the rows it shows. The save deletes no file it did not
    // create, not even one named like its own new file.
    void ranksTheRoundAndSavesTheRows()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, score);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        QVERIFY(write(files.file + ".BzTcZu", "own"));
        QVERIFY(stored.isEmpty() || write(files.file, crlf(stored)));
        RankingRound round(table, qint16(score));
        QCOMPARE(round.load(files), Load::Read);
        round.enter(typed);
        QCOMPARE(round.save(), Save::Saved);
        QCOMPARE(at(files.file), crlf(saved));
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList({ "quip.ini", "quip.ini.BzTcZu" }));
    }

    void fileFaultsLoseNothing_data()
    {
        QTest::addColumn<int>("disk"); // the size in kB of a small disk of the folder's own, if any
        QTest::addColumn<Fault>("before"); // made before the round loads
        QTest::addColumn<Fault>("during"); // made between load and save
        QTest::addColumn<Load>("loaded");
        QTest::addColumn<Save>("saved");
        const Fault none = [](RankingFiles &) {};
#ifdef Q_OS_WIN
        // Windows has no pipe in a folder: these rows are skipped there, saying so.
        const auto pipe = [](const char *, bool = false) { return Fault(); };
#else
        const auto pipe = [](const char *suffix, bool linked = false) -> Fault {
            return [=](RankingFiles &f) { QVERIFY(makePipe(f.file + suffix, linked)); };
        };
#endif
        QTest::newRow("pipe") << 0 << pipe("") << none << Load::FileUnreadable << Save::LeftAlone;
        QTest::newRow("link to a pipe, later") << 0 << none << pipe("", true) << Load::Read << Save::Unreadable;
        // Room for the old file and the lock but not for the new file, which takes two pages.
        QTest::newRow("disk full") << 12 << none << none << Load::Read << Save::Failed;
        // No room even for the lock.
        QTest::newRow("no room") << 4 << none << none << Load::Read << Save::Failed;
        const Fault belowAFile = [](RankingFiles &f) { f.file += "/quip.ini"; };
        QTest::newRow("below a file") << 0 << belowAFile << none << Load::Read << Save::Failed;
        // The lock of another copy that runs; of one that died holding it, its process number
        // since taken by another program, which blocks nothing.
        const Fault runs = [this](RankingFiles &f) {
            otherCopysLock = std::make_unique<QLockFile>(f.file + ".lock");
            QVERIFY(otherCopysLock->tryLock(0));
        };
        QTest::newRow("locked") << 0 << runs << none << Load::Read << Save::Failed;
        const Fault died = [](RankingFiles &f) {
            QLockFile lock(f.file + ".lock");
            QVERIFY(lock.tryLock(0));
            QList<QByteArray> lines = at(f.file + ".lock").split('\n');
            lock.unlock();
            QVERIFY(lines.size() > 2);
            lines[1] = "another program";
            QVERIFY(write(f.file + ".lock", lines.join('\n')));
        };
        QTest::newRow("stale lock") << 0 << died << none << Load::Read << Save::Saved;
        QTest::newRow("lock a link to a pipe") << 0 << pipe(".lock", true) << none << Load::Read << Save::Failed;
    }
    // Only a regular file is read or replaced: anything else named quip.ini or quip.ini.lock is
    // never opened (a pipe would block the game for good) and stays as it is. A save that could
    // not lock, or write every byte, never replaces the old file. The full disk is real: a small
    // tmpfs. A lock left by a copy that died blocks nothing.
    void fileFaultsLoseNothing()
    {
        QFETCH(int, disk);
        QFETCH(Fault, before);
        QFETCH(Fault, during);
        QFETCH(Load, loaded);
        QFETCH(Save, saved);
        if (!before || !during)
            QSKIP("a pipe, or a link to one, in the place of a file: Linux's fault, not Windows'");
        const QByteArray path = QFile::encodeName(folder->path());
        if (disk && !mountSmallDisk(path, disk))
            QSKIP("a full disk is a small tmpfs: Linux only, and as root");
        const auto unmount = qScopeGuard([&] { unmountSmallDisk(path); });
        const QString ownFile = files.file;
        QVERIFY(write(ownFile, crlf(" 30 |old|||||")));
        before(files);
        RankingRound round(table, 40);
        QCOMPARE(round.load(files), loaded);
        round.enter(QString(5000, 'x'));
        during(files);
        const bool saves = saved == Save::Saved;
        const QByteArray file = saves ? crlf(" 40 |" + QByteArray(5000, 'x') + "| 30 |old|||") : at(ownFile),
                         lock = saves ? "(no file)" : at(ownFile + ".lock");
        QCOMPARE(round.save(), saved);
        QCOMPARE(at(ownFile), file);
        QCOMPARE(at(ownFile + ".lock"), lock);
    }

#ifdef Q_OS_WIN
    void windowsFaultsLoseNothing_data()
    {
        QTest::addColumn<Fault>("before"); // made before the round loads
        QTest::addColumn<Fault>("during"); // made between load and save
        QTest::addColumn<Load>("loaded");
        QTest::addColumn<Save>("saved");
        const Fault none = [](RankingFiles &){};
        const Fault hold = [this](RankingFiles &f) {
            otherProgramsHold = std::make_unique<HeldFile>(f.file);
            QVERIFY(otherProgramsHold->isHeld());
        };
        QTest::newRow("held, at load") << hold << none << Load::FileUnreadable << Save::LeftAlone;
        QTest::newRow("held, at save") << none << hold << Load::Read << Save::Unreadable;
        const Fault readOnly = [](RankingFiles &f) {
            QVERIFY(SetFileAttributesW(qUtf16Printable(f.file), FILE_ATTRIBUTE_READONLY));
        };
        QTest::newRow("read-only") << readOnly << none << Load::Read << Save::Failed;
        const Fault folderInstead = [](RankingFiles &f) { QVERIFY(QFile::remove(f.file) && QDir().mkdir(f.file)); };
        QTest::newRow("folder") << folderInstead << none << Load::FileUnreadable << Save::LeftAlone;
        for (const char *device : { "CON", "NUL", "COM1" }) {
            const Fault name = [device](RankingFiles &f) { f.file = QFileInfo(f.file).path() + '/' + device; };
            QTest::newRow(device) << name << none << Load::FileUnreadable << Save::LeftAlone;
        }
    }
#endif
    // A file another program holds open without sharing, a read-only file, a folder or a device
    // in its place: told, never read, and the file as it was.
    void windowsFaultsLoseNothing()
    {
#ifndef Q_OS_WIN
        QSKIP("Windows' own faults: a file held without sharing, a read-only file, a device name");
#else
        QFETCH(Fault, before);
        QFETCH(Fault, during);
        QFETCH(Load, loaded);
        QFETCH(Save, saved);
        const QString ownFile = files.file;
        QVERIFY(write(ownFile, crlf(" 30 |old|||||")));
        before(files);
        const QByteArray file = QFileInfo(ownFile).isDir() ? "(not a file)" : crlf(" 30 |old|||||");
        RankingRound round(table, 40);
        QCOMPARE(round.load(files), loaded);
        round.enter("new");
        during(files);
        QCOMPARE(round.save(), saved);
        otherProgramsHold.reset();
        QCOMPARE(at(ownFile), file);
        QCOMPARE(at(ownFile + ".lock"), QByteArray("(no file)"));
        SetFileAttributesW(qUtf16Printable(ownFile), FILE_ATTRIBUTE_NORMAL); // for the folder to go
#endif
    }

    // Copies of the game in one folder, all past their load when the player deletes the file and
    // the first saves: each ranks its round into the file as it stands when it saves, so an entry
    // that another copy saved meanwhile is never dropped, one that no longer makes the top three
    // drops out, a deleted file's rows never come back, and saving again adds nothing twice.
    void copiesKeepEachOthersEntries()
    {
        QVERIFY(write(files.file, crlf("-1 |a|-2 |b|-3 |c|")));
        RankingTable firstRows, laterRows, lastRows;
        RankingRound first(firstRows, 0), later(laterRows, 0), last(lastRows, -3);
        for (RankingRound *round : { &first, &later, &last })
            QCOMPARE(round->load(files), Load::Read);
        QCOMPARE(last.entryRow(), 2); // tied with row 3 at its load
        first.enter("alice");
        later.enter("bob");
        last.enter("");
        QVERIFY(QFile::remove(files.file));
        for (RankingRound *round : { &first, &later, &later, &last })
            QCOMPARE(round->save(), Save::Saved);
        const QByteArray saved = crlf(" 0 |bob| 0 |alice|||");
        QCOMPARE(at(files.file), saved);
        QCOMPARE(encodeRankingFile(lastRows), saved);
    }

    // A copy whose folder the player cannot write saves in the player's own folder; until that
    // file exists it shows the rows left beside the program, and its first save carries them
    // over. The file beside the program is only ever read, and where it cannot be read (a folder
    // of that name) the player's file is saved all the same. Once the player deletes their file,
    // the next round meets the rows beside the program again, not those it last saw.
    void installedCopyCarriesTheRowsBesideTheProgram()
    {
        files.fallback = files.file + ".beside";
        QVERIFY(QDir().mkdir(files.fallback));
        play(5, "first", Load::FallbackUnreadable, 0);
        QCOMPARE(at(files.file), crlf(" 5 |first|||||"));
        QVERIFY(QDir().rmdir(files.fallback) && QFile::remove(files.file)
                && write(files.fallback, crlf(" 30 |admin| 20 |b|")));
        for (int score : { 25, 1 }) {
            play(score, "mine", Load::Read, score == 25 ? 1 : -1); // below the rows beside the program
            QCOMPARE(at(files.file), crlf(" 30 |admin| 25 |mine| 20 |b|"));
            QVERIFY(write(files.fallback, crlf(" 99 |later|")));
        }
        QVERIFY(QFile::remove(files.file));
        play(2, "again", Load::Read, 1);
        QCOMPARE(at(files.file), crlf(" 99 |later| 2 |again|||"));
    }
};

QTEST_GUILESS_MAIN(TestRankingRound)
#include "test_rankinground.moc"
