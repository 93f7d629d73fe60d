// The ranking window: ranking a finished round, asking the name, saving the table, and never
// losing a row to a file that is not a file, a full disk or a second copy of the game.

#include "form3.h"
#include "game.h"
#include "rankingfile.h"

#include <QDir>
#include <QLockFile>
#include <QScopeGuard>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

const QByteArray oldFile(" 30 \r\nold\r\n\r\n\r\n\r\n\r\n");

class TestForm3 : public QObject {
    Q_OBJECT
    std::unique_ptr<Game> game;
private slots:
    void init() { game = std::make_unique<Game>(); }

    void ranksTheRoundAndSavesTheRows_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("score");
        QTest::addColumn<int>("closing"); // the key that leaves the window, 0 for 戻る, -1 for the close button
        QTest::addColumn<QByteArray>("saved"); // also the rows shown; a name "new" was asked for
        const QByteArray full(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nc\r\n");
        QTest::newRow("tie goes above") << full << 20 << 0 << QByteArray(" 30 \r\na\r\n 20 \r\nnew\r\n 20 \r\nb\r\n");
        QTest::newRow("tie with row 3, close button") << full << 10 << -1 << QByteArray(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nnew\r\n");
        QTest::newRow("new best, Escape") << full << 31 << int(Qt::Key_Escape) << QByteArray(" 31 \r\nnew\r\n 30 \r\na\r\n 20 \r\nb\r\n");
        // Back rewrites the file even when nothing changed, in the form the game writes.
        QTest::newRow("stays out, Enter") << QByteArray("30\r\na\r\n20\r\nb\r\n10\r\nc\r\n") << 9 << int(Qt::Key_Return) << full;
        QTest::newRow("zero enters an empty file, Space") << QByteArray() << 0 << int(Qt::Key_Space) << QByteArray(" 0 \r\nnew\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("negative, no file") << QByteArray("-") << -3 << 0 << QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("empty rows count as 0") << QByteArray(" 5 \r\na\r\n") << 3 << 0 << QByteArray(" 5 \r\na\r\n 3 \r\nnew\r\n\r\n\r\n");
        QTest::newRow("negative below empty rows") << QByteArray(" 5 \r\na\r\n") << -1 << 0 << QByteArray(" 5 \r\na\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("all negative") << QByteArray("-2 \r\na\r\n-4 \r\nb\r\n-6 \r\nc\r\n") << -4 << 0 << QByteArray("-2 \r\na\r\n-4 \r\nnew\r\n-4 \r\nb\r\n");
        // A name that CP932 has no characters for is written back as it was read, moved down or not.
        const QByteArray odd("bad\x80\xa0\xfd\xfe\xffname\x82");
        QTest::newRow("bytes CP932 lacks stay") << " 30 \r\n" + odd + "\r\n" << 31 << 0 << " 31 \r\nnew\r\n 30 \r\n" + odd + "\r\n\r\n\r\n";
        QTest::newRow("a fourth pair never replaces the round") << full + " 9 \r\nd\r\n" << 15 << 0 << QByteArray(" 30 \r\na\r\n 20 \r\nb\r\n 15 \r\nnew\r\n");
    }
    // However the player leaves it, the window saves; the name was asked once, only when the
    // score entered, over the main window before this one showed. The save deletes no file it
    // did not create, not even a player's backup named like its own new file.
    void ranksTheRoundAndSavesTheRows()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, score);
        QFETCH(int, closing);
        QFETCH(QByteArray, saved);
        Game &g = *game;
        const QStringList files{ "QUIP.INI.Backup", "quip.ini", "quip.ini.BzTcZu", "quip.ini.backup" };
        for (const QString &name : { files[0], files[2], files[3] })
            QVERIFY(Game::write(g.folder.filePath(name), name.toLatin1()));
        QVERIFY(stored == "-" || Game::write(g.filePath, stored));
        g.services.names << "new" << "never asked";
        g.playTo(score);
        const QStringList view = g.finish(closing);
        ranking::RankingTable rows;
        ranking::decodeRankingFile(saved, rows);
        QStringList shown{ QString::number(score) };
        for (int i = 0; i < 3; ++i)
            shown << QString("１２３").at(i) << (rows.rankScores[i] ? QString::number(*rows.rankScores[i]) : "") << rows.rankNames[i].value_or("");
        QCOMPARE(view, shown);
        QCOMPARE(g.file(), saved);
        QCOMPARE(g.services.asked, saved.contains("new") ? QStringList("おめでとう！名前を入力してください|Quickpair|Form1|") : QStringList());
        QCOMPARE(QDir(g.folder.path()).entryList(QDir::Files, QDir::Name) + g.services.errors, files);
        QCOMPARE(g.form->tokuten(), qint16(0));
    }

    // What a row shows is what the file holds: a character CP932 lacks as the "?" it is stored
    // as, and markup as typed, clipped by its label.
    void namesShowAsStoredAndNeverAsMarkup()
    {
        const QString markup("<b>x</b>\U0001F600<img src=x><br>long, long, long name");
        game->services.names << markup;
        game->playTo(1);
        QSize size;
        const QStringList view = game->finish(0, [&size](QWidget *window) {
            const QLabel *name = window->findChild<QLabel *>("Label6(0)");
            size = name->textFormat() == Qt::PlainText ? name->size() : QSize();
        });
        QCOMPARE(view.value(3), QString(markup).replace("\U0001F600", "?"));
        QCOMPARE(size, QSize(153, 33));
        QCOMPARE(game->file(), " 1 \r\n" + view.value(3).toLatin1() + "\r\n\r\n\r\n\r\n\r\n");
    }

    void fileFaultsLoseNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("left"); // what quip.ini is afterwards
        QTest::newRow("folder") << "folder" << int(S_IFDIR);
        QTest::newRow("pipe") << "pipe" << int(S_IFIFO);
        QTest::newRow("link to a pipe") << "link to a pipe" << int(S_IFLNK);
        QTest::newRow("pipe while the window is open") << "pipe while the window is open" << int(S_IFIFO);
        for (const char *fault : { "disk full", "room for a small file only", "folder below a file", "lock of a copy that runs",
                                   "lock of a copy that died", "lock is a pipe", "lock is a link to a pipe" })
            QTest::newRow(fault) << QString(fault) << int(S_IFREG);
    }
    // Only a regular file is read or replaced: anything else named quip.ini is never opened (a
    // pipe would block the game for good) and stays as it is. A save that could not lock, or
    // write every byte, never replaces the old file. The player is told, and the round ends. The
    // full disk is real: a small tmpfs, with one file keeping the room free while another takes
    // all the rest. A lock left by a copy that died blocks nothing.
    void fileFaultsLoseNothing()
    {
        QFETCH(QString, fault);
        QFETCH(int, left);
        Game &g = *game;
        const QByteArray folder = QFile::encodeName(g.folder.path()), path = QFile::encodeName(g.filePath);
        const qint64 room = fault.startsWith("room") ? 4096 : fault.startsWith("disk") ? 0 : -1;
        if (room >= 0 && ::mount("tmpfs", folder, "tmpfs", 0, "size=256k") != 0)
            QSKIP("mounting a tmpfs needs root");
        const auto unmount = qScopeGuard([&] {
            if (room >= 0)
                ::umount2(folder, MNT_DETACH);
        });
        QVERIFY(Game::write(g.filePath, oldFile));
        QFile filler(g.folder.filePath("filler"));
        if (room >= 0) {
            QVERIFY(Game::write(g.folder.filePath("spare"), QByteArray(room, 'x')) && filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) == 4096) { }
            QVERIFY(QFile::remove(g.folder.filePath("spare")));
        }
        const auto makeNonRegular = [&] {
            QVERIFY(QFile::remove(g.filePath));
            QVERIFY(fault == "folder" ? QDir().mkdir(g.filePath) : ::mkfifo(path + ".pipe", 0600) == 0);
            QVERIFY(fault == "folder" || (fault.startsWith("link") ? QFile::link(g.filePath + ".pipe", g.filePath) : QFile::rename(g.filePath + ".pipe", g.filePath)));
        };
        if (left != S_IFREG && !fault.contains("window"))
            makeNonRegular();
        QLockFile lock(g.filePath + ".lock");
        QVERIFY(fault != "lock of a copy that runs" || lock.tryLock(0));
        if (fault == "lock of a copy that died") {
            if (const pid_t copy = fork(); copy == 0)
                _exit(QLockFile(lock.fileName()).tryLock(0) ? 0 : 1); // never unlocks: the copy dies holding it
            else
                QVERIFY(::waitpid(copy, nullptr, 0) == copy && QFileInfo::exists(lock.fileName()));
        }
        // A lock file QLockFile would open to read who holds it: a pipe would block the game for good.
        if (fault.startsWith("lock is")) {
            const QString pipe = fault.contains("link") ? g.filePath + ".pipe" : lock.fileName();
            QVERIFY(::mkfifo(QFile::encodeName(pipe), 0600) == 0 && (pipe == lock.fileName() || QFile::link(pipe, lock.fileName())));
        }
        if (fault == "folder below a file")
            g.services.files.file = g.filePath + "/sub/quip.ini";
        g.services.names << QString(5000, 'x'); // a new file larger than the room left
        g.playTo(40);
        g.finish(0, [&](QWidget *) {
            if (fault.contains("window"))
                makeNonRegular();
        });
        const QString told(left == S_IFREG ? "に保存できませんでした。" : "を読み込めませんでした。\n今回の記録は保存されません。");
        const bool saved = fault.endsWith("died");
        QCOMPARE(g.services.errors, saved ? QStringList() : QStringList("ランキングファイル " + QDir::toNativeSeparators(g.services.files.file) + " " + told));
        struct stat status {};
        QVERIFY(::lstat(path, &status) == 0);
        QCOMPARE(int(status.st_mode & S_IFMT), left);
        QVERIFY(!fault.startsWith("lock is") || (::lstat(QFile::encodeName(lock.fileName()), &status) == 0 && !S_ISREG(status.st_mode)));
        QVERIFY(left != S_IFREG || g.file() == (saved ? " 40 \r\n" + QByteArray(5000, 'x') + "\r\n 30 \r\nold\r\n\r\n\r\n" : oldFile));
        QCOMPARE(g.form->tokuten(), qint16(0));
    }

    void twoCopiesKeepBothEntries_data()
    {
        QTest::addColumn<int>("laterScore");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("both enter, the later above on a tie") << 0 << QByteArray(" 0 \r\nbob\r\n 0 \r\nalice\r\n-1 \r\naaa\r\n");
        QTest::newRow("the later no longer makes the top three") << -3 << QByteArray(" 0 \r\nalice\r\n-1 \r\naaa\r\n-2 \r\nbbb\r\n");
    }
    // Two copies of the game in one folder, both past their load when the first saves: each
    // ranks its round into the file as it stands when it saves, so an entry that the other copy
    // saved meanwhile is never dropped, and saving again adds nothing twice.
    void twoCopiesKeepBothEntries()
    {
        QFETCH(int, laterScore);
        QFETCH(QByteArray, saved);
        QVERIFY(Game::write(game->filePath, "-1 \r\naaa\r\n-2 \r\nbbb\r\n-3 \r\nccc\r\n"));
        FakeServices first = game->services, later = first;
        first.names << "alice";
        later.names << "bob";
        ranking::RankingTable firstRows, laterRows;
        ranking::Form3 firstWindow(first, firstRows, 0, nullptr), laterWindow(later, laterRows, qint16(laterScore), nullptr);
        for (ranking::Form3 *window : { &firstWindow, &laterWindow, &laterWindow })
            QMetaObject::invokeMethod(window, "Command1Click");
        QCOMPARE(game->file() + ranking::encodeRankingFile(laterRows), saved + saved);
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
        g.services.names << "first" << "mine";
        g.playTo(5);
        g.finish();
        QCOMPARE(g.services.errors, QStringList("ランキングファイル " + QDir::toNativeSeparators(beside) + " を読み込めませんでした。"));
        QCOMPARE(g.file(), QByteArray(" 5 \r\nfirst\r\n\r\n\r\n\r\n\r\n"));
        QVERIFY(QDir().rmdir(beside) && QFile::remove(g.filePath) && Game::write(beside, " 30 \r\nadmin\r\n 20 \r\nb\r\n 10 \r\nc\r\n"));
        g.restart();
        g.playTo(25);
        QCOMPARE(g.finish().mid(3, 4), QStringList({ "admin", "２", "25", "mine" }));
        QCOMPARE(g.file(), QByteArray(" 30 \r\nadmin\r\n 25 \r\nmine\r\n 20 \r\nb\r\n"));
        QVERIFY(Game::write(beside, " 99 \r\nlater\r\n"));
        g.restart();
        g.playTo(1);
        QCOMPARE(g.finish().mid(3, 4), QStringList({ "admin", "２", "25", "mine" }));
        QCOMPARE(g.services.errors.size(), 1);
    }
};

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
