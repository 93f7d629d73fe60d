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

// A pipe in the place of quip.ini with the suffix, or a link there to a pipe beside it.
Fault pipe(const char *suffix, bool linked = false)
{
    return [=](Game &g) {
        const QString path = g.filePath + suffix, fifo = linked ? path + ".pipe" : path;
        QFile::remove(path);
        QVERIFY(::mkfifo(QFile::encodeName(fifo), 0600) == 0 && (!linked || QFile::link(fifo, path)));
    };
}

class TestForm3 : public QObject {
    Q_OBJECT
    std::unique_ptr<Game> game;
    std::unique_ptr<QLockFile> otherCopysLock;
    ranking::RankingSession table; // kept from one round to the next, as the main window keeps it

    // Opens the ranking window for a round's score over the main window, as the round's end does,
    // and leaves it as `leave` does. What it showed: each row's rank, score and name (marked where
    // a name is not shown as plain text), and "still open" where the way out did not close it.
    QStringList rank(int score, int key = 0)
    {
        ranking::Form3 window(game->services, table, qint16(score), game->form.get());
        QStringList view;
        whenModalShows([&](QWidget *) {
            for (int row = 0; row < 3; ++row) {
                for (const char *column : { "Label4(%1)", "Label5(%1)", "Label6(%1)" }) {
                    const QLabel *label = window.findChild<QLabel *>(QString(column).arg(row));
                    view << (label->textFormat() == Qt::PlainText ? "" : "rich text: ") + label->text();
                }
            }
            view << leave(&window, key);
        });
        window.exec();
        return view;
    }

private slots:
    void init()
    {
        otherCopysLock.reset(); // before its folder goes
        game = std::make_unique<Game>();
        table = {};
    }

    void ranksTheRoundAndSavesTheRows_data()
    {
        QTest::addColumn<QByteArray>("stored"); // files with "|" for CR LF
        QTest::addColumn<int>("score");
        QTest::addColumn<int>("closing"); // the key that leaves the window, 0 for 戻る, -1 for the close button
        QTest::addColumn<QString>("typed"); // the name typed into the box; null where none may be asked
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QStringList>("shown"); // score and name of rows 1, 2 and 3
        const QByteArray full(" 30 |a| 20 |b| 10 |c|");
        QTest::newRow("tie") << full << 20 << 0 << "new" << QByteArray(" 30 |a| 20 |new| 20 |b|")
                             << QStringList{ "30", "a", "20", "new", "20", "b" };
        // Back rewrites the file even when nothing changed, in the form the game writes.
        QTest::newRow("out, Enter") << QByteArray("30|a|20|b|10|c|") << 9 << int(Qt::Key_Return) << QString() << full
                                    << QStringList{ "30", "a", "20", "b", "10", "c" };
        // OK on an empty field, like Cancel, enters the row with an empty name.
        QTest::newRow("0, Space") << QByteArray() << 0 << int(Qt::Key_Space) << "" << QByteArray(" 0 ||||||")
                                  << QStringList{ "0", "", "", "", "", "" };
        // An empty score counts as 0: a round above it enters, one below it stays out.
        QTest::newRow("empty row, close")
            << QByteArray(" 5 |a| 4 |b|") << 3 << -1 << "new" << QByteArray(" 5 |a| 4 |b| 3 |new|")
            << QStringList{ "5", "a", "4", "b", "3", "new" };
        QTest::newRow("below empty") << QByteArray(" 5 |a|") << -1 << 0 << QString() << QByteArray(" 5 |a|||||")
                                     << QStringList{ "5", "a", "", "", "", "" };
        // Blanks, widths and markup are kept as typed and shown as text; an emoji CP932 lacks is one
        // "?" in the file and in the row.
        QTest::newRow("as typed, Escape")
            << QByteArray() << 1 << int(Qt::Key_Escape) << "  <b>Ｔ</b>\U0001F600 ｶ "
            << QByteArray(" 1 |  <b>\x82\x73</b>? \xb6 |||||")
            << QStringList{ "1", "  <b>Ｔ</b>? ｶ ", "", "", "", "" };
        // A name holding bytes CP932 has no character for is written back as it was read, and
        // shows "?" for each byte that is no character, the lead byte of a broken one at the end too.
        const QByteArray odd("bad\x80\xa0\xfd\xfe\xffname\x82");
        QTest::newRow("odd bytes") << " 30 |" + odd + "|" << 31 << 0 << "new"
                                   << " 31 |new| 30 |" + odd + "|||"
                                   << QStringList{ "31", "new", "30", "bad?????name?", "", "" };
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
        QFETCH(QStringList, shown);
        Game &g = *game;
        QVERIFY(write(g.folder.filePath("quip.ini.BzTcZu"), "a player's own"));
        QVERIFY(stored.isEmpty() || write(g.filePath, crlf(stored)));
        g.services.names << typed << "never asked";
        QStringList expected;
        for (int i = 0; i < 3; ++i)
            expected << QString("１２３").at(i) << shown[2 * i] << shown[2 * i + 1];
        QCOMPARE(rank(score, closing), expected << "");
        QCOMPARE(at(g.filePath), crlf(saved));
        QCOMPARE(g.services.asked, typed.isNull() ? QStringList() : QStringList("Form1"));
        QCOMPARE(QDir(g.folder.path()).entryList(QDir::Files) + g.services.errors,
                 QStringList({ "quip.ini", "quip.ini.BzTcZu" }));
    }

    void fileFaultsLoseNothing_data()
    {
        QTest::addColumn<QByteArray>("disk"); // the size of a small disk of the folder's own, if any
        QTest::addColumn<Fault>("before"); // made before the ranking window opens
        QTest::addColumn<Fault>("during"); // made while it is open
        QTest::addColumn<QString>("told"); // what the player is told after the file's name; nothing: saved
        const Fault none = [](Game &) {};
        const QString unread(" を読み込めませんでした。\n今回の記録は保存されません。");
        const QString unsaved(" に保存できませんでした。");
        QTest::newRow("pipe") << QByteArray() << pipe("") << none << unread;
        QTest::newRow("link to a pipe, later") << QByteArray() << none << pipe("", true) << unread;
        // Room for the old file and the lock but not for the new file, which takes two pages.
        QTest::newRow("disk full") << QByteArray("size=12k") << none << none << unsaved;
        // No room even for the lock.
        QTest::newRow("no room") << QByteArray("size=4k") << none << none << unsaved;
        const Fault belowAFile = [](Game &g) { g.services.files.file = g.filePath + "/quip.ini"; };
        QTest::newRow("below a file") << QByteArray() << belowAFile << none << unsaved;
        // The lock of another copy that runs; of one that died holding it, which blocks nothing.
        const Fault runs = [this](Game &g) {
            otherCopysLock = std::make_unique<QLockFile>(g.filePath + ".lock");
            QVERIFY(otherCopysLock->tryLock(0));
        };
        QTest::newRow("locked") << QByteArray() << runs << none << unsaved;
        const Fault died = [](Game &g) {
            const pid_t copy = fork();
            if (copy == 0)
                _exit(QLockFile(g.filePath + ".lock").tryLock(0) ? 0 : 1);
            int status = 1;
            QVERIFY(::waitpid(copy, &status, 0) == copy && status == 0);
        };
        QTest::newRow("stale lock") << QByteArray() << died << none << QString();
        QTest::newRow("lock a link to a pipe") << QByteArray() << pipe(".lock", true) << none << unsaved;
    }
    // Only a regular file is read or replaced: anything else named quip.ini or quip.ini.lock is
    // never opened (a pipe would block the game for good) and stays as it is. A save that could
    // not lock, or write every byte, never replaces the old file, and the player is told. The
    // full disk is real: a small tmpfs. A lock left by a copy that died blocks nothing.
    void fileFaultsLoseNothing()
    {
        QFETCH(QByteArray, disk);
        QFETCH(Fault, before);
        QFETCH(Fault, during);
        QFETCH(QString, told);
        Game &g = *game;
        const QByteArray folder = QFile::encodeName(g.folder.path());
        if (!disk.isEmpty() && ::mount("tmpfs", folder, "tmpfs", 0, disk.data()) != 0)
            QSKIP("a full disk needs root, to mount a small tmpfs");
        const auto unmount = qScopeGuard([&] { ::umount2(folder, MNT_DETACH); });
        QVERIFY(write(g.filePath, crlf(" 30 |old|||||")));
        before(g);
        g.services.names << QString(5000, 'x');
        ranking::Form3 window(g.services, table, 40, g.form.get());
        during(g);
        const bool saves = told.isEmpty();
        const QByteArray file = saves ? crlf(" 40 |" + QByteArray(5000, 'x') + "| 30 |old|||") : at(g.filePath);
        const QByteArray lock = saves ? "(no file)" : at(g.filePath + ".lock");
        QMetaObject::invokeMethod(&window, "Command1Click");
        const QString path = "ランキングファイル " + QDir::toNativeSeparators(g.services.files.file);
        QCOMPARE(g.services.errors, saves ? QStringList() : QStringList(path + told));
        QCOMPARE(at(g.filePath) + "|" + at(g.filePath + ".lock"), file + "|" + lock);
    }

    // Copies of the game in one folder, all past their load when the player deletes the file and
    // the first saves: each ranks its round into the file as it stands when it saves, so an entry
    // that another copy saved meanwhile is never dropped, one that no longer makes the top three
    // drops out, a deleted file's rows never come back, and saving again adds nothing twice.
    void copiesKeepEachOthersEntries()
    {
        QVERIFY(write(game->filePath, crlf("-1 |aaa|-2 |bbb|-3 |ccc|")));
        FakeServices first = game->services, later = first, last = first;
        first.names << "alice";
        later.names << "bob";
        ranking::RankingSession firstRows, laterRows, lastRows;
        ranking::Form3 firstWindow(first, firstRows, 0, nullptr);
        ranking::Form3 laterWindow(later, laterRows, 0, nullptr);
        ranking::Form3 lastWindow(last, lastRows, -3, nullptr); // enters as row 3 at its load
        QVERIFY(QFile::remove(game->filePath));
        for (ranking::Form3 *window : { &firstWindow, &laterWindow, &laterWindow, &lastWindow })
            QMetaObject::invokeMethod(window, "Command1Click");
        const QByteArray saved = crlf(" 0 |bob| 0 |alice|||");
        QCOMPARE(at(game->filePath) + ranking::encodeRankingFile(lastRows.table), saved + saved);
        QCOMPARE(first.errors + later.errors + last.errors, QStringList());
        QCOMPARE(last.asked.size(), 1); // it entered, tied with row 3, at its load
    }

    // A copy whose folder the player cannot write saves in the player's own folder; until that
    // file exists it shows the rows left beside the program, and its first save carries them
    // over. The file beside the program is only ever read. Rows beside the program that cannot
    // be read (a folder of that name) are told of, and the player's file is saved all the same.
    // Once the player deletes their file, the next round meets the rows beside the program again,
    // not those it last saw.
    void installedCopyCarriesTheRowsBesideTheProgram()
    {
        Game &g = *game;
        const QString beside = g.services.files.fallback = g.filePath + ".beside";
        QVERIFY(QDir().mkdir(beside));
        g.services.names << "first"
                         << "mine"
                         << "again";
        rank(5);
        const QString told = "ランキングファイル " + beside + " を読み込めませんでした。";
        QCOMPARE(g.services.errors, QStringList(told));
        QCOMPARE(at(g.filePath), crlf(" 5 |first|||||"));
        QVERIFY(QDir().rmdir(beside) && QFile::remove(g.filePath) && write(beside, crlf(" 30 |admin| 20 |b|")));
        for (int score : { 25, 1 }) {
            QCOMPARE(rank(score).mid(2, 4), QStringList({ "admin", "２", "25", "mine" }));
            QCOMPARE(at(g.filePath), crlf(" 30 |admin| 25 |mine| 20 |b|"));
            QVERIFY(write(beside, crlf(" 99 |later|")));
        }
        QVERIFY(QFile::remove(g.filePath));
        rank(2);
        QCOMPARE(at(g.filePath), crlf(" 99 |later| 2 |again|||"));
        QCOMPARE(g.services.errors.size(), 1);
    }
};

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
