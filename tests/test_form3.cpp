// The ranking window: ranking a finished round, asking the name, saving the table, and never
// losing a row to a file that is not a file, a full disk or a second copy of the game.

#include "form3.h"
#include "game.h"
#include "rankingfile.h"

#include <QDir>
#include <QLockFile>
#include <QScopeGuard>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

// Something done to the game's folder, or to where the game keeps its ranking.
using Fault = std::function<void(Game &)>;
Q_DECLARE_METATYPE(Fault)

// A pipe at quip.ini with the suffix, or a link there to a pipe beside it.
Fault pipe(const QString &suffix, bool linked)
{
    return [=](Game &g) {
        const QString path = g.filePath + suffix, pipe = linked ? path + ".pipe" : path;
        QFile::remove(path);
        QVERIFY(::mkfifo(QFile::encodeName(pipe), 0600) == 0 && (!linked || QFile::link(pipe, path)));
    };
}

class TestForm3 : public QObject {
    Q_OBJECT
    std::unique_ptr<Game> game;
    std::unique_ptr<QLockFile> otherCopysLock;
private slots:
    void init()
    {
        game = std::make_unique<Game>();
        otherCopysLock.reset();
    }

    void ranksTheRoundAndSavesTheRows_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("score");
        QTest::addColumn<int>("closing"); // the key that leaves the window, 0 for 戻る, -1 for the close button
        QTest::addColumn<QString>("typed"); // the name typed into the box; null where none may be asked
        QTest::addColumn<QByteArray>("saved"); // also the rows shown
        const QByteArray full(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nc\r\n"), one(" 5 \r\na\r\n");
        QTest::newRow("tie") << full << 20 << 0 << "new" << QByteArray(" 30 \r\na\r\n 20 \r\nnew\r\n 20 \r\nb\r\n");
        QTest::newRow("row 3, close") << full << 10 << -1 << "new"
                                      << QByteArray(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nnew\r\n");
        QTest::newRow("best, Escape") << full << 31 << int(Qt::Key_Escape) << "new"
                                      << QByteArray(" 31 \r\nnew\r\n 30 \r\na\r\n 20 \r\nb\r\n");
        // Back rewrites the file even when nothing changed, in the form the game writes.
        QTest::newRow("out, Enter") << QByteArray("30\r\na\r\n20\r\nb\r\n10\r\nc\r\n") << 9 << int(Qt::Key_Return)
                                    << QString() << full;
        // OK on an empty field, like Cancel, enters the row with an empty name.
        QTest::newRow("0, Space") << QByteArray() << 0 << int(Qt::Key_Space) << ""
                                  << QByteArray(" 0 \r\n\r\n\r\n\r\n\r\n\r\n");
        // An empty score counts as 0.
        QTest::newRow("empty rows") << one << 3 << 0 << "new" << one + " 3 \r\nnew\r\n\r\n\r\n";
        QTest::newRow("below empty") << one << -1 << 0 << QString() << one + "\r\n\r\n\r\n\r\n";
        QTest::newRow("negatives") << QByteArray("-2 \r\na\r\n-4 \r\nb\r\n-6 \r\nc\r\n") << -4 << 0 << "new"
                                   << QByteArray("-2 \r\na\r\n-4 \r\nnew\r\n-4 \r\nb\r\n");
        // A fourth pair in the file never takes the place of the round.
        QTest::newRow("4 pairs") << full + " 9 \r\nd\r\n"
                                 << 15 << 0 << "new" << QByteArray(" 30 \r\na\r\n 20 \r\nb\r\n 15 \r\nnew\r\n");
        // Blanks, widths and markup are kept as typed and shown as text; an emoji CP932 lacks is one "?".
        QTest::newRow("as typed") << QByteArray() << 1 << 0 << QString::fromUtf8("  <b>Ｔ</b>\U0001F600 ｶ ")
                                  << QByteArray(" 1 \r\n  <b>\x82\x73</b>? \xb6 \r\n\r\n\r\n\r\n\r\n");
        // A name holding bytes CP932 has no character for is written back as it was read.
        const QByteArray odd("bad\x80\xa0\xfd\xfe\xffname\x82");
        QTest::newRow("odd bytes") << " 30 \r\n" + odd + "\r\n"
                                   << 31 << 0 << "new"
                                   << " 31 \r\nnew\r\n 30 \r\n" + odd + "\r\n\r\n\r\n";
    }
    // However the player leaves it, the window saves the round ranked into the stored rows, ties
    // above, and shows the rows saved. The name is asked once, only when the score enters, over
    // the main window. The save deletes no file it did not create, not even one named like its
    // own new file.
    void ranksTheRoundAndSavesTheRows()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, score);
        QFETCH(int, closing);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        Game &g = *game;
        QVERIFY(write(g.folder.filePath("quip.ini.BzTcZu"), "a player's own"));
        QVERIFY(stored.isEmpty() || write(g.filePath, stored));
        g.services.names << typed << "never asked";
        g.playTo(score);
        const QStringList view = g.finish(closing);
        ranking::RankingTable rows;
        ranking::decodeRankingFile(saved, rows);
        QStringList shown{ QString::number(score) };
        for (int i = 0; i < 3; ++i)
            shown << QString("１２３").at(i) << ranking::scoreText(rows.rankScores[i])
                  << rows.rankNames[i].value_or("");
        QCOMPARE(view, shown << "");
        QCOMPARE(at(g.filePath), saved);
        const QString prompt("おめでとう！名前を入力してください|Quickpair|Form1");
        QCOMPARE(g.services.asked, typed.isNull() ? QStringList() : QStringList(prompt));
        QCOMPARE(QDir(g.folder.path()).entryList(QDir::Files) + g.services.errors,
                 QStringList({ "quip.ini", "quip.ini.BzTcZu" }));
    }

    void fileFaultsLoseNothing_data()
    {
        QTest::addColumn<qint64>("room"); // bytes left on a small disk of the folder's own; -1: no such disk
        QTest::addColumn<Fault>("before"); // made before the round
        QTest::addColumn<Fault>("during"); // made while the ranking window is open
        QTest::addColumn<QString>("told"); // what the player is told after the file's name
        QTest::addColumn<bool>("saved"); // else quip.ini and its lock stay as they were
        const Fault none = [](Game &) {};
        const QString unread(" を読み込めませんでした。\n今回の記録は保存されません。"),
            unsaved(" に保存できませんでした。");
        const Fault folder = [](Game &g) { QVERIFY(QFile::remove(g.filePath) && QDir().mkdir(g.filePath)); };
        QTest::newRow("folder") << -1LL << folder << none << unread << false;
        QTest::newRow("pipe") << -1LL << pipe("", false) << none << unread << false;
        QTest::newRow("link to a pipe") << -1LL << pipe("", true) << none << unread << false;
        // The file turns into a pipe while the window is open.
        QTest::newRow("pipe later") << -1LL << none << pipe("", false) << unread << false;
        QTest::newRow("disk full") << 0LL << none << none << unsaved << false;
        // Room for the lock but not for the new file.
        QTest::newRow("room for 4 KiB") << 4096LL << none << none << unsaved << false;
        const Fault belowAFile = [](Game &g) { g.services.files.file = g.filePath + "/sub/quip.ini"; };
        QTest::newRow("below a file") << -1LL << belowAFile << none << unsaved << false;
        // The lock of another copy that runs; of one that died holding it, which blocks nothing.
        const Fault runs = [this](Game &g) {
            otherCopysLock = std::make_unique<QLockFile>(g.filePath + ".lock");
            QVERIFY(otherCopysLock->tryLock(0));
        };
        QTest::newRow("locked") << -1LL << runs << none << unsaved << false;
        const Fault died = [](Game &g) {
            const pid_t copy = fork();
            if (copy == 0)
                _exit(QLockFile(g.filePath + ".lock").tryLock(0) ? 0 : 1);
            int status = 1;
            QVERIFY(::waitpid(copy, &status, 0) == copy && status == 0);
        };
        QTest::newRow("stale lock") << -1LL << died << none << "" << true;
        QTest::newRow("lock a pipe") << -1LL << pipe(".lock", false) << none << unsaved << false;
        QTest::newRow("lock a link to a pipe") << -1LL << pipe(".lock", true) << none << unsaved << false;
    }
    // Only a regular file is read or replaced: anything else named quip.ini or quip.ini.lock is
    // never opened (a pipe would block the game for good) and stays as it is. A save that could
    // not lock, or write every byte, never replaces the old file. The player is told, and the
    // round ends. The full disk is real: a small tmpfs, filled but for the room. A lock left by a
    // copy that died blocks nothing.
    void fileFaultsLoseNothing()
    {
        QFETCH(qint64, room);
        QFETCH(Fault, before);
        QFETCH(Fault, during);
        QFETCH(QString, told);
        QFETCH(bool, saved);
        Game &g = *game;
        const QByteArray folder = QFile::encodeName(g.folder.path());
        if (room >= 0 && ::mount("tmpfs", folder, "tmpfs", 0, "size=256k") != 0)
            QSKIP("a full disk needs root, to mount a small tmpfs");
        const auto unmount = qScopeGuard([&] { ::umount2(folder, MNT_DETACH); });
        QVERIFY(write(g.filePath, " 30 \r\nold\r\n\r\n\r\n\r\n\r\n"));
        QFile filler(g.folder.filePath("filler"));
        if (room >= 0) {
            QVERIFY(write(g.folder.filePath("spare"), QByteArray(room, 'x')));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) == 4096) {}
            QVERIFY(QFile::remove(g.folder.filePath("spare")));
        }
        before(g);
        g.services.names << QString(5000, 'x'); // a new file larger than the room left
        g.playTo(40);
        QByteArray fileBefore, lockBefore;
        g.finish(0, [&](QWidget *) {
            during(g);
            fileBefore = at(g.filePath);
            lockBefore = at(g.filePath + ".lock");
        });
        const QString path = QDir::toNativeSeparators(g.services.files.file);
        const QString file = "ランキングファイル " + path;
        QCOMPARE(g.services.errors, told.isEmpty() ? QStringList() : QStringList(file + told));
        const QByteArray savedFile = " 40 \r\n" + QByteArray(5000, 'x') + "\r\n 30 \r\nold\r\n\r\n\r\n";
        QCOMPARE(at(g.filePath), saved ? savedFile : fileBefore);
        QCOMPARE(at(g.filePath + ".lock"), saved ? "(nothing)" : lockBefore);
    }

    void twoCopiesKeepBothEntries_data()
    {
        QTest::addColumn<int>("laterScore");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("both enter, the later above on a tie")
            << 0 << QByteArray(" 0 \r\nbob\r\n 0 \r\nalice\r\n-1 \r\naaa\r\n");
        QTest::newRow("the later no longer makes the top three")
            << -3 << QByteArray(" 0 \r\nalice\r\n-1 \r\naaa\r\n-2 \r\nbbb\r\n");
    }
    // Two copies of the game in one folder, both past their load when the first saves: each
    // ranks its round into the file as it stands when it saves, so an entry that the other copy
    // saved meanwhile is never dropped, and saving again adds nothing twice.
    void twoCopiesKeepBothEntries()
    {
        QFETCH(int, laterScore);
        QFETCH(QByteArray, saved);
        QVERIFY(write(game->filePath, "-1 \r\naaa\r\n-2 \r\nbbb\r\n-3 \r\nccc\r\n"));
        FakeServices first = game->services, later = first;
        first.names << "alice";
        later.names << "bob";
        ranking::RankingTable firstRows, laterRows;
        ranking::Form3 firstWindow(first, firstRows, 0, nullptr);
        ranking::Form3 laterWindow(later, laterRows, qint16(laterScore), nullptr);
        for (ranking::Form3 *window : { &firstWindow, &laterWindow, &laterWindow })
            QMetaObject::invokeMethod(window, "Command1Click");
        QCOMPARE(at(game->filePath) + ranking::encodeRankingFile(laterRows), saved + saved);
        QCOMPARE(first.errors + later.errors, QStringList());
    }

    // A copy whose folder the player cannot write saves in the player's own folder; until that
    // file exists it shows the rows left beside the program, and its first save carries them
    // over. The file beside the program is only ever read. Rows beside the program that cannot
    // be read are told of, and the player's file is saved all the same: the file beside the
    // program is not the player's to lose.
    void installedCopyCarriesTheRowsBesideTheProgram()
    {
        Game &g = *game;
        const QString beside = g.services.files.fallback = g.folder.filePath("beside.ini");
        QVERIFY(QDir().mkdir(beside));
        g.services.names << "first"
                         << "mine";
        g.playTo(5);
        g.finish();
        const QString told = " を読み込めませんでした。";
        const QString file = "ランキングファイル " + QDir::toNativeSeparators(beside);
        QCOMPARE(g.services.errors, QStringList(file + told));
        QCOMPARE(at(g.filePath), QByteArray(" 5 \r\nfirst\r\n\r\n\r\n\r\n\r\n"));
        QVERIFY(QDir().rmdir(beside) && QFile::remove(g.filePath));
        QVERIFY(write(beside, " 30 \r\nadmin\r\n 20 \r\nb\r\n 10 \r\nc\r\n"));
        g.restart();
        g.playTo(25);
        QCOMPARE(g.finish().mid(3, 4), QStringList({ "admin", "２", "25", "mine" }));
        QCOMPARE(at(g.filePath), QByteArray(" 30 \r\nadmin\r\n 25 \r\nmine\r\n 20 \r\nb\r\n"));
        QVERIFY(write(beside, " 99 \r\nlater\r\n"));
        g.restart();
        g.playTo(1);
        QCOMPARE(g.finish().mid(3, 4), QStringList({ "admin", "２", "25", "mine" }));
        QCOMPARE(g.services.errors.size(), 1);
    }
};

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
