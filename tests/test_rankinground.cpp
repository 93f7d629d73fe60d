// The ranking file: its format, six CP932 lines read as far as they go and written back in the
// game's own form; and the ranking round: ranking a finished round into the stored rows, taking
// the name, saving, and never losing a row to a file that is not a file, a full disk or a second
// copy of the game.

#include "files.h"
#include "rankingfile.h"
#include "rankinground.h"

#include <QDir>
#include <QLockFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace ranking;
using platform::RankingFiles;
using Load = LoadResult;
using Save = SaveResult;

// The rows the game showed last, before a round of an installed copy.
const QByteArray shown(" 30 |admin| 25 |me| 20 |b|");

// Something done to where the game keeps its ranking.
using Fault = std::function<void(RankingFiles &)>;
Q_DECLARE_METATYPE(Fault)

// Why this process cannot mount a small disk, if it cannot.
QByteArray cannotMount = "a full disk is a small tmpfs: Linux only";

#ifdef Q_OS_LINUX
// Mounting takes root: a player runs the test as root of a user and mount namespace of its own,
// where the kernel allows one. Only a process of one thread may enter one, so main() calls this
// before Qt starts a thread.
void enterMountNamespace()
{
    const QByteArray uid = QByteArray::number(::getuid()), gid = QByteArray::number(::getgid());
    const auto put = [](const char *path, const QByteArray &text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(text) == text.size();
    };
    const bool entered = ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 && put("/proc/self/setgroups", "deny")
        && put("/proc/self/uid_map", "0 " + uid + " 1") && put("/proc/self/gid_map", "0 " + gid + " 1");
    const QByteArray why =
        "a full disk is a small tmpfs, mounted as root or in a user namespace: " + QByteArray(strerror(errno));
    cannotMount = entered || uid == "0" ? QByteArray() : why;
}
#endif

// A disk that fills up: a tmpfs of that many kB mounted on the folder.
bool mountSmallDisk([[maybe_unused]] const QByteArray &folder, [[maybe_unused]] int kilobytes)
{
#ifdef Q_OS_LINUX
    const QByteArray size = "size=" + QByteArray::number(kilobytes) + "k";
    return cannotMount.isEmpty() && ::mount("tmpfs", folder, "tmpfs", 0, size) == 0;
#else
    return false;
#endif
}

void unmountSmallDisk([[maybe_unused]] const QByteArray &folder)
{
#ifdef Q_OS_LINUX
    ::umount2(folder, MNT_DETACH);
#endif
}

class TestRankingRound : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> folder;
    platform::RankingFiles files;
    std::unique_ptr<QLockFile> otherCopysLock;
#ifdef Q_OS_WIN
    HeldFile otherProgramsHold{ nullptr, &CloseHandle };
#endif

private slots:
    void init()
    {
        otherCopysLock.reset(); // before its folder goes
#ifdef Q_OS_WIN
        otherProgramsHold.reset();
#endif
        folder = std::make_unique<QTemporaryDir>();
        files = { folder->filePath("quip.ini"), QString() };
    }

    void readsWhatTheFileSuppliesAndWritesItBack_data()
    {
        QTest::addColumn<QByteArray>("file"); // with "|" for CR LF
        QTest::addColumn<QByteArray>("written"); // "old" rows are those the file did not supply
        const QByteArray own(" 25 | A, B |-7 |||C|"), old(" 77 |old|");
        QTest::newRow("as the game writes") << own << own;
        QTest::newRow("empty file") << QByteArray() << old + old + old;
        QTest::newRow("ends after a score") << QByteArray("5") << " 5 ||" + old + old;
        QTest::newRow("LF and CR line ends") << QByteArray("1\nA\r2\nB\n") << " 1 |A| 2 |B|" + old;
        QTest::newRow("four pairs") << own + " 9 |D|" << own;
        QTest::newRow("blanks, tabs, plus, zeros")
            << QByteArray("\t 12\t|x|+4|y|007|z|") << QByteArray(" 12 |x| 4 |y| 7 |z|");
        QTest::newRow("not whole numbers") << QByteArray("12a|x|1 2|y|-|z|") << QByteArray("|x||y||z|");
        // Beyond the 16-bit range a score is held at the nearer end: it never wraps round.
        QTest::newRow("beyond 16 bits") << QByteArray("32768|a|-32769|b|65536|c|")
                                        << QByteArray(" 32767 |a|-32768 |b| 32767 |c|");
        QTest::newRow("forty digits") << QByteArray(40, '9') + "|a|-" + QByteArray(40, '9') + "|b|-32768|c|"
                                      << QByteArray(" 32767 |a|-32768 |b|-32768 |c|");
        // ①, ～, ｶﾀｶﾅ, 髙, and second bytes that are the ASCII code of "\".
        const QByteArray japanese(" 1 |\x87\x40\x81\x60\xb6\xc0\xfb\xfc| 2 |\x83\x5c\x95\x5c| 1 ||");
        QTest::newRow("Japanese names") << japanese << japanese;
    }
    // A file from another program or an old copy read wrongly, or a row it does not supply
    // overwritten (the candidate in slot 3 above all): what is read is written back in the
    // game's own form (a name line whole, blanks and commas too), and every slot the file does not
    // supply keeps what it held.
    void readsWhatTheFileSuppliesAndWritesItBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        RankingTable table;
        table.fill({ 77, "old", {} });
        decodeRankingFile(crlf(file), table);
        QCOMPARE(encodeRankingFile(table), crlf(written));
        QCOMPARE(int(table[candidateSlot].rankScore.value_or(0)), 77);
        QCOMPARE(table[candidateSlot].rankName.value_or(""), QString("old"));
    }

    void namesAreStoredAsCp932HoldsThem_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        // Wave dash, minus, double vertical line, cent, pound, not and em dash as Linux input
        // methods give them, and the yen and overline of a Japanese keyboard, become the forms a
        // Windows copy stores.
        QTest::newRow("input-method forms")
            << QString::fromUtf16(u"\u301C\u2212\u2016\u00A2\u00A3\u00AC\u2014\u00A5\u203E")
            << QString::fromUtf16(u"\uFF5E\uFF0D\u2225\uFFE0\uFFE1\uFFE2\u2015\\~");
        // An emoji is one character in two UTF-16 units, also at the very end: it becomes one "?".
        // A character with a look-alike in CP932 (é and e, « and ≪) is not stored as that.
        QTest::newRow("not in CP932") << QString::fromUtf16(u"A\uD55CB\u00E9\u00AB\U0001F600")
                                      << QStringLiteral("A?B???");
        // Alone, whole, and at the very end.
        QTest::newRow("surrogates") << QString::fromUtf16(u"\xD83D-\xDE00\U0001F600\xD83D") << QStringLiteral("?-???");
        QTest::newRow("line ends and controls")
            << QString::fromUtf16(u"a\r\nb\tc\x01\u0085d\u2028") << QStringLiteral("a  b c  d?");
    }
    // A typed name stored as "FC FC" or split over the file's lines, or a row showing other
    // than the file holds: a name that CP932 cannot hold whole is stored as near to the typed
    // one as CP932 allows, and what is stored is what a row shows.
    void namesAreStoredAsCp932HoldsThem()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QVERIFY(cp932Available());
        RankingTable table, read;
        table[0].rankName = typed;
        decodeRankingFile(encodeRankingFile(table), read);
        QCOMPARE(storableName(typed), stored);
        QCOMPARE(read[0].rankName.value_or(""), stored);
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
        RankingRound round({}, qint16(score));
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
#ifdef Q_OS_WIN
        // Windows' own: a file another program holds open without sharing, a read-only file, a
        // folder or a device in its place.
        const Fault held = [this](RankingFiles &f) {
            otherProgramsHold = hold(f.file);
            QVERIFY(otherProgramsHold);
        };
        QTest::newRow("held, at load") << 0 << held << none << Load::FileUnreadable << Save::LeftAlone;
        QTest::newRow("held, at save") << 0 << none << held << Load::Read << Save::Unreadable;
        const Fault readOnly = [](RankingFiles &f) {
            QVERIFY(SetFileAttributesW(qUtf16Printable(f.file), FILE_ATTRIBUTE_READONLY));
        };
        QTest::newRow("read-only") << 0 << readOnly << none << Load::Read << Save::Failed;
        const Fault folder = [](RankingFiles &f) { QVERIFY(QFile::remove(f.file) && QDir().mkdir(f.file)); };
        QTest::newRow("folder") << 0 << folder << none << Load::FileUnreadable << Save::LeftAlone;
        for (const char *device : { "CON", "NUL", "COM1" }) {
            const Fault name = [device](RankingFiles &f) { f.file = QFileInfo(f.file).path() + '/' + device; };
            QTest::newRow(device) << 0 << name << none << Load::FileUnreadable << Save::LeftAlone;
        }
#endif
    }
    // Only a regular file is read or replaced: anything else named quip.ini or quip.ini.lock is
    // never opened (a pipe would block the game for good) and stays as it is, and so does a file
    // that another program holds. A save that could
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
            QSKIP(cannotMount.isEmpty() ? "the small tmpfs could not be mounted" : cannotMount.constData());
        const auto unmount = qScopeGuard([&] { unmountSmallDisk(path); });
        const QString ownFile = files.file;
        QVERIFY(write(ownFile, crlf(" 30 |old|||||")));
        before(files);
        RankingRound round({}, 40);
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

    // Copies of the game in one folder, all past their load when the player deletes the file and
    // the first saves: each ranks its round into the file as it stands when it saves, so an entry
    // that another copy saved meanwhile is never dropped, one that no longer makes the top three
    // drops out, a deleted file's rows never come back, and saving again adds nothing twice.
    void copiesKeepEachOthersEntries()
    {
        QVERIFY(write(files.file, crlf("-1 |a|-2 |b|-3 |c|")));
        RankingRound first({}, 0), later({}, 0), last({}, -3);
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
        QCOMPARE(encodeRankingFile(last.rows()), saved);
    }

    void installedCopyCarriesTheRowsBesideTheProgram_data()
    {
        QTest::addColumn<QByteArray>("beside"); // the rows beside the program; empty for a folder
        QTest::addColumn<QByteArray>("mine"); // the player's own file; empty for none
        QTest::addColumn<int>("score");
        QTest::addColumn<QByteArray>("saved"); // the player's file after the round, the name "new"
        QTest::newRow("beside unreadable, mine saved")
            << QByteArray() << QByteArray() << 5 << QByteArray(" 5 |new|||||");
        QTest::newRow("carried into mine")
            << QByteArray(" 30 |admin| 20 |b|") << QByteArray() << 25 << QByteArray(" 30 |admin| 25 |new| 20 |b|");
        QTest::newRow("mine read, not beside") << QByteArray(" 99 |later|") << shown << 1 << shown;
        QTest::newRow("mine deleted: beside again, not the rows shown")
            << QByteArray(" 99 |later|") << QByteArray() << 2 << QByteArray(" 99 |later| 2 |new|||");
    }
    // A copy whose folder the player cannot write saves in the player's own folder; until that
    // file exists it shows the rows left beside the program, and its first save carries them
    // over. The file beside the program is only ever read, and where it cannot be read (a folder
    // of that name) the player's file is saved all the same. Once the player deletes their file,
    // the next round meets the rows beside the program again, not those it last showed (`shown`).
    void installedCopyCarriesTheRowsBesideTheProgram()
    {
        QFETCH(QByteArray, beside);
        QFETCH(QByteArray, mine);
        QFETCH(int, score);
        QFETCH(QByteArray, saved);
        files.fallback = files.file + ".beside";
        QVERIFY(beside.isEmpty() ? QDir().mkdir(files.fallback) : write(files.fallback, crlf(beside)));
        QVERIFY(mine.isEmpty() || write(files.file, crlf(mine)));
        RankingTable rowsShown;
        decodeRankingFile(crlf(shown), rowsShown);
        RankingRound round(rowsShown, qint16(score));
        QCOMPARE(round.load(files), beside.isEmpty() ? Load::FallbackUnreadable : Load::Read);
        round.enter("new");
        QCOMPARE(round.save(), Save::Saved);
        QCOMPARE(at(files.file), crlf(saved));
        QCOMPARE(at(files.fallback), beside.isEmpty() ? QByteArray("(not a file)") : crlf(beside));
    }
};

int main(int argc, char *argv[])
{
#ifdef Q_OS_LINUX
    enterMountNamespace();
#endif
    QCoreApplication application(argc, argv);
    TestRankingRound test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_rankinground.moc"
