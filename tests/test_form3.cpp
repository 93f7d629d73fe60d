// The ranking window: the rows it shows, the name box, the ways out of it, each of which saves,
// and what it tells the player when the ranking file cannot be read or saved.

#include "form3.h"
#include "game.h"

#include <QDir>

// A name holding bytes that are no CP932 character, the lead byte of a broken one at the end too.
const QByteArray odd("bad\x80\xa0\xfd\xfe\xffname\x82");

// Something done to where the game keeps its ranking.
using Fault = std::function<void(Game &)>;
Q_DECLARE_METATYPE(Fault)

class TestForm3 : public QObject {
    Q_OBJECT
    std::unique_ptr<Game> game;
    ranking::RankingMemory memory; // kept from one round to the next, as the main window keeps it
    bool closed = false; // whether the way out closed the window

    // Opens the ranking window for a round's score over the main window, as the round's end does,
    // and leaves it that way. What it showed: each row's rank, score and name (marked where a name
    // is not shown as plain text).
    QStringList rank(int score, WayOut way)
    {
        ranking::Form3 window(game->services, memory, qint16(score), game->form.get());
        QStringList view;
        whenModalShows([&](QWidget *) {
            for (int i = 0; i < 9; ++i) { // rank, score and name of rows 1, 2 and 3
                const QLabel *label = window.findChild<QLabel *>(QString("Label%1(%2)").arg(4 + i % 3).arg(i / 3));
                view << (label->textFormat() == Qt::PlainText ? "" : "rich text: ") + label->text();
            }
            closed = leave(&window, way);
        });
        window.exec();
        return view;
    }

private slots:
    void init()
    {
        game = std::make_unique<Game>();
        memory = {};
        closed = false;
    }

    void showsTheRows_data()
    {
        QTest::addColumn<int>("score"); // ranked into " 30 |a| 20 |b| 10 |odd|"
        QTest::addColumn<QString>("typed"); // the name typed into the box; null where none may be asked
        QTest::addColumn<QStringList>("shown"); // rank, score and name of rows 1, 2 and 3
        // Blanks, widths and markup are shown as typed; an emoji CP932 lacks is one "?".
        QTest::newRow("entered as typed")
            << 31 << "  <b>Ｔ</b>\U0001F600 ｶ "
            << QStringList{ "１", "31", "  <b>Ｔ</b>? ｶ ", "２", "30", "a", "３", "20", "b" };
        QTest::newRow("out") << 9 << QString()
                             << QStringList{ "１", "30", "a", "２", "20", "b", "３", "10", "bad?????name?" };
    }
    // The window shows the round's rows as plain text beside their ranks, "?" for each byte that
    // is no character. The name is asked once, only when the score enters, over the main window:
    // the box's title is the game's, its prompt the congratulations.
    void showsTheRows()
    {
        QFETCH(int, score);
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        QVERIFY(write(game->filePath, crlf(" 30 |a| 20 |b| 10 |" + odd + "|")));
        game->services.names << typed;
        QCOMPARE(rank(score, WayOut::Back), shown);
        const QStringList box{ "Form1", "Quickpair", "おめでとう！名前を入力してください" };
        QCOMPARE(game->services.asked, typed.isNull() ? QList<QStringList>() : QList<QStringList>{ box });
    }

    void everyWayOutSaves_data()
    {
        QTest::addColumn<WayOut>("way");
        QTest::newRow("Back") << WayOut::Back;
        QTest::newRow("Enter") << WayOut::Enter;
        QTest::newRow("Space") << WayOut::Space;
        QTest::newRow("Escape") << WayOut::Escape;
        QTest::newRow("close button") << WayOut::CloseButton;
    }
    // However the player leaves it, the window closes and the round's entry is saved.
    void everyWayOutSaves()
    {
        QFETCH(WayOut, way);
        game->services.names << "new";
        rank(5, way);
        QVERIFY(closed);
        QCOMPARE(at(game->filePath), crlf(" 5 |new|||||"));
    }

    void tellsWhatWentWrong_data()
    {
        QTest::addColumn<Fault>("before"); // made before the ranking window opens
        QTest::addColumn<Fault>("during"); // made while it is shown
        QTest::addColumn<QString>("told"); // the message, after "ランキングファイル " and the folder
        QTest::addColumn<QString>("over"); // the window it stands over
        const Fault none = [](Game &) {};
        // A folder in its place, which no system reads as a file.
        const Fault unreadable = [](Game &g) { QVERIFY(QDir().mkdir(g.filePath)); };
        const QString unread("quip.ini を読み込めませんでした。\n"
                             "今回の記録は保存されません。");
        QTest::newRow("unreadable at load") << unreadable << none << unread << "Form1";
        QTest::newRow("unreadable at save") << none << unreadable << unread << "Form3";
        const Fault belowAFile = [](Game &g) { g.services.files.file = g.filePath + "/quip.ini"; };
        QTest::newRow("not saved") << belowAFile << none << "quip.ini/quip.ini に保存できませんでした。"
                                   << "Form3";
        // The rows beside an installed program: the round is saved all the same.
        const Fault folderBeside = [](Game &g) { QVERIFY(QDir().mkdir(g.services.files.fallback = g.filePath + "X")); };
        QTest::newRow("beside unreadable") << folderBeside << none << "quip.iniX を読み込めませんでした。"
                                           << "Form1";
    }
    // What could not be read or saved is told once, the file's path in full: over the main window
    // while the ranking window is not yet shown, over the ranking window once it is.
    void tellsWhatWentWrong()
    {
        QFETCH(Fault, before);
        QFETCH(Fault, during);
        QFETCH(QString, told);
        QFETCH(QString, over);
        before(*game);
        ranking::Form3 window(game->services, memory, 40, game->form.get());
        window.show();
        during(*game);
        QVERIFY(QMetaObject::invokeMethod(&window, "Command1Click"));
        const QString path = QDir::toNativeSeparators(game->folder.filePath(told));
        QCOMPARE(game->services.errors, QStringList(over + ": ランキングファイル " + path));
    }
};

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
