#include "controls.h"
#include "fakeservices.h"
#include "form1.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using game::Form1;

namespace {

// Records where the input box was asked for and whether the ranking window was open then.
class RankingServices : public FakeServices {
public:
    QWidget *inputParent = nullptr;
    bool modalOpenAtInput = false;

    QString inputBox(QWidget *parent, const QString &prompt, const QString &title) override
    {
        inputParent = parent;
        modalOpenAtInput = QApplication::activeModalWidget() != nullptr;
        return FakeServices::inputBox(parent, prompt, title);
    }
};

enum class Closing { Back, CloseButton, Escape, Enter, Space };

// What the ranking window showed, read while it was open.
struct RankingView {
    bool shown = false;
    QString score;
    QStringList scores;
    QStringList names;
};

QLabel *labelOf(QWidget *window, const QString &name)
{
    return window->findChild<QLabel *>(name);
}

} // namespace

Q_DECLARE_METATYPE(Closing)

class TestForm3 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowLooksAsDesigned();
    void ranksTheRoundAndSavesTheRows_data();
    void ranksTheRoundAndSavesTheRows();
    void asksForTheNameOnceOverTheMainWindow();
    void cancelInsertsTheRowWithAnEmptyName();
    void rowsLastForTheWholeRun();
    void everyWayOutSaves_data();
    void everyWayOutSaves();
    void japaneseNamesComeBackAsTyped();
    void namesShowAsStored();
    void namesAreNeverMarkup();
    void unreadableFileIsReportedAndNotOverwritten();
    void failedSaveIsReportedAndTheRowsKept();
    void hugeFileIsNotReadWhole();
    void interruptedSaveLeavesNoFileBehind();

private:
    QString filePath() const { return programDirectory->filePath(QStringLiteral("quip.ini")); }
    void writeFile(const QByteArray &bytes);
    QByteArray readFile();
    void playRound(int score);
    RankingView finishRound(Closing closing = Closing::Back, std::function<void(QDialog *)> inspect = {});
    RankingView playAndFinish(int score, Closing closing = Closing::Back);

    std::unique_ptr<RankingServices> services;
    std::unique_ptr<QTemporaryDir> programDirectory;
    Form1 *form = nullptr;
};

void TestForm3::init()
{
    programDirectory = std::make_unique<QTemporaryDir>();
    QVERIFY(programDirectory->isValid());
    services = std::make_unique<RankingServices>();
    services->directory = programDirectory->path();
    form = new Form1(*services);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
}

void TestForm3::cleanup()
{
    delete form;
    form = nullptr;
}

void TestForm3::writeFile(const QByteArray &bytes)
{
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TestForm3::readFile()
{
    QFile file(filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

// Plays a round to the given score: 5 and 5 sum ten, so Up earns 10 and Down costs 10;
// 2 and 1 differ, so Left earns 1 and Right costs 1.
void TestForm3::playRound(int score)
{
    QList<Qt::Key> keys;
    for (int left = score; left != 0;) {
        const int step = qAbs(left) >= 10 ? 10 : 1;
        if (step == 10)
            keys << (left > 0 ? Qt::Key_Up : Qt::Key_Down);
        else
            keys << (left > 0 ? Qt::Key_Left : Qt::Key_Right);
        left -= left > 0 ? step : -step;
    }
    auto queueFor = [this](Qt::Key key) {
        if (key == Qt::Key_Up || key == Qt::Key_Down)
            services->queuePair(5, 5);
        else
            services->queuePair(2, 1);
    };
    queueFor(keys.value(0, Qt::Key_Up));
    QVERIFY(QMetaObject::invokeMethod(form, "mnuStartClick"));
    for (int i = 0; i < keys.size(); ++i) {
        queueFor(keys.value(i + 1, Qt::Key_Up));
        QTest::keyClick(form, keys[i]);
    }
    QCOMPARE(int(form->tokuten()), score);
}

// Ends the running round and closes the ranking window as the player would, after `inspect`
// has looked at it. The window is closed whatever the checks find, so no test hangs.
RankingView TestForm3::finishRound(Closing closing, std::function<void(QDialog *)> inspect)
{
    RankingView view;
    whenModalShows([&](QWidget *modal) {
        QPointer<QWidget> window(modal);
        view.shown = true;
        view.score = labelOf(modal, QStringLiteral("Label1"))->text();
        for (int i = 0; i < 3; ++i) {
            view.scores << labelOf(modal, QStringLiteral("Label5(%1)").arg(i))->text();
            view.names << labelOf(modal, QStringLiteral("Label6(%1)").arg(i))->text();
        }
        if (inspect)
            inspect(qobject_cast<QDialog *>(modal));
        switch (closing) {
        case Closing::Back:
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
            break;
        case Closing::CloseButton:
            modal->close();
            break;
        case Closing::Escape:
            QTest::keyClick(modal, Qt::Key_Escape);
            break;
        case Closing::Enter:
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            break;
        case Closing::Space:
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            break;
        }
        if (window && window->isVisible())
            window->close();
    });
    services->now += 31;
    [this] { QVERIFY(QMetaObject::invokeMethod(form, "Timer1Tick")); }();
    return view;
}

RankingView TestForm3::playAndFinish(int score, Closing closing)
{
    playRound(score);
    return finishRound(closing);
}

// What the layout code cannot show by itself: the window is modal, fixed, centred, "戻る"
// holds the focus as the default button, and the rows' fonts have kana and kanji.
void TestForm3::windowLooksAsDesigned()
{
    playRound(0);
    QStringList problems;
    auto expect = [&problems](bool holds, const QString &what) {
        if (!holds)
            problems << what;
    };
    finishRound(Closing::Back, [&](QDialog *window) {
        expect(window != nullptr, "a dialog");
        if (!window)
            return;
        expect(window->windowTitle() == "ランキング", "title");
        expect(window->isModal(), "modal");
        expect(window->size() == QSize(353, 271), "client size");
        expect(window->minimumSize() == window->maximumSize(), "fixed size");
        expect(!(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                                          | Qt::WindowContextHelpButtonHint)),
               "close button only");
        expect(!window->windowIcon().isNull(), "icon");
        const QPoint screenCentre = window->screen()->availableGeometry().center();
        expect((window->frameGeometry().center() - screenCentre).manhattanLength() <= 4, "centred");
        for (const QString name : { "Label7", "Label4(0)", "Label5(0)", "Label6(0)", "Label2", "Label3" })
            expect(QFontMetrics(labelOf(window, name)->font()).inFont(QChar(u'点')), name + " font has kanji");
        // The rows' scores end at one right edge, whatever their length.
        expect(labelOf(window, "Label5(0)")->alignment() & Qt::AlignRight, "scores right-aligned");
        auto *back = window->findChild<QPushButton *>("Command1");
        expect(back && back->isDefault(), "Command1 default");
        expect(back && QApplication::focusWidget() == back, "Command1 has the focus");
    });
    QCOMPARE(problems, QStringList());
}

void TestForm3::ranksTheRoundAndSavesTheRows_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("score");
    QTest::addColumn<QStringList>("scores");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QByteArray>("saved");

    const QByteArray full(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nc\r\n");
    QTest::newRow("tie goes above") << full << 20 << QStringList{ "30", "20", "20" } << QStringList{ "a", "new", "b" }
                                    << QByteArray(" 30 \r\na\r\n 20 \r\nnew\r\n 20 \r\nb\r\n");
    QTest::newRow("tie with row 3") << full << 10 << QStringList{ "30", "20", "10" } << QStringList{ "a", "b", "new" }
                                    << QByteArray(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nnew\r\n");
    QTest::newRow("new best") << full << 31 << QStringList{ "31", "30", "20" } << QStringList{ "new", "a", "b" }
                              << QByteArray(" 31 \r\nnew\r\n 30 \r\na\r\n 20 \r\nb\r\n");
    // Back rewrites the file even when nothing changed: in the form the game writes.
    QTest::newRow("stays out") << QByteArray("30\r\na\r\n20\r\nb\r\n10\r\nc\r\n") << 9
                               << QStringList{ "30", "20", "10" } << QStringList{ "a", "b", "c" } << full;
    QTest::newRow("zero enters an empty file") << QByteArray() << 0 << QStringList{ "0", "", "" }
                                               << QStringList{ "new", "", "" }
                                               << QByteArray(" 0 \r\nnew\r\n\r\n\r\n\r\n\r\n");
    QTest::newRow("negative on no file") << QByteArray("(none)") << -3 << QStringList{ "", "", "" }
                                         << QStringList{ "", "", "" } << QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n");
    QTest::newRow("empty rows count as 0") << QByteArray(" 5 \r\na\r\n") << 3 << QStringList{ "5", "3", "" }
                                           << QStringList{ "a", "new", "" }
                                           << QByteArray(" 5 \r\na\r\n 3 \r\nnew\r\n\r\n\r\n");
    QTest::newRow("negative below empty rows") << QByteArray(" 5 \r\na\r\n") << -1 << QStringList{ "5", "", "" }
                                               << QStringList{ "a", "", "" }
                                               << QByteArray(" 5 \r\na\r\n\r\n\r\n\r\n\r\n");
    QTest::newRow("all negative") << QByteArray("-2 \r\na\r\n-4 \r\nb\r\n-6 \r\nc\r\n") << -4
                                  << QStringList{ "-2", "-4", "-4" } << QStringList{ "a", "new", "b" }
                                  << QByteArray("-2 \r\na\r\n-4 \r\nnew\r\n-4 \r\nb\r\n");
    QTest::newRow("four pairs: the fourth never replaces the round's score")
        << QByteArray(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nc\r\n 99 \r\nd\r\n") << 15 << QStringList{ "30", "20", "15" }
        << QStringList{ "a", "b", "new" } << QByteArray(" 30 \r\na\r\n 20 \r\nb\r\n 15 \r\nnew\r\n");
}

void TestForm3::ranksTheRoundAndSavesTheRows()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, score);
    QFETCH(QStringList, scores);
    QFETCH(QStringList, names);
    QFETCH(QByteArray, saved);

    if (stored != "(none)")
        writeFile(stored);
    services->names << QStringLiteral("new");
    const RankingView view = playAndFinish(score);
    QVERIFY(view.shown);
    QCOMPARE(view.score, QString::number(score));
    QCOMPARE(view.scores, scores);
    QCOMPARE(view.names, names);
    QCOMPARE(services->inputBoxCalls, names.contains("new") ? 1 : 0);
    QCOMPARE(readFile().toHex(' '), saved.toHex(' '));
    QVERIFY(services->errors.isEmpty());
}

void TestForm3::asksForTheNameOnceOverTheMainWindow()
{
    writeFile(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nc\r\n");
    services->names << QStringLiteral("x") << QStringLiteral("never asked");
    playAndFinish(25);
    QCOMPARE(services->inputBoxCalls, 1);
    QCOMPARE(services->lastPrompt, QStringLiteral("おめでとう！名前を入力してください"));
    QCOMPARE(services->lastTitle, QStringLiteral("Quickpair"));
    QCOMPARE(services->inputParent, form);
    QVERIFY(!services->modalOpenAtInput);
}

void TestForm3::cancelInsertsTheRowWithAnEmptyName()
{
    writeFile(" 30 \r\na\r\n 20 \r\nb\r\n 10 \r\nc\r\n");
    // No scripted answer: the input box gives an empty text, as on Cancel.
    const RankingView view = playAndFinish(21);
    QCOMPARE(services->inputBoxCalls, 1);
    QCOMPARE(view.scores, QStringList({ "30", "21", "20" }));
    QCOMPARE(view.names, QStringList({ "a", "", "b" }));
    QCOMPARE(readFile(), QByteArray(" 30 \r\na\r\n 21 \r\n\r\n 20 \r\nb\r\n"));
}

// The rows belong to the run, not to one showing of the window: a row that the file no
// longer supplies is still there the next time.
void TestForm3::rowsLastForTheWholeRun()
{
    services->names << QStringLiteral("first") << QStringLiteral("second");
    playAndFinish(10);
    QVERIFY(QFile::remove(filePath()));
    const RankingView view = playAndFinish(5);
    QCOMPARE(view.scores, QStringList({ "10", "5", "" }));
    QCOMPARE(view.names, QStringList({ "first", "second", "" }));
}

void TestForm3::everyWayOutSaves_data()
{
    QTest::addColumn<Closing>("closing");
    QTest::newRow("close button") << Closing::CloseButton;
    QTest::newRow("Escape") << Closing::Escape;
    QTest::newRow("Enter") << Closing::Enter;
    QTest::newRow("Space") << Closing::Space;
}

// An entered score is never lost, however the player leaves the ranking window.
void TestForm3::everyWayOutSaves()
{
    QFETCH(Closing, closing);
    services->names << QStringLiteral("kept");
    const RankingView view = playAndFinish(7, closing);
    QVERIFY(view.shown);
    QCOMPARE(readFile(), QByteArray(" 7 \r\nkept\r\n\r\n\r\n\r\n\r\n"));
    QCOMPARE(form->tokuten(), qint16(0));
}

void TestForm3::japaneseNamesComeBackAsTyped()
{
    // Typed with a Linux input method: a wave dash where Windows gives ～.
    services->names << QString::fromUtf16(u"\u301C①ｶﾀｶﾅ髙");
    RankingView view = playAndFinish(12);
    QCOMPARE(view.names[0], QStringLiteral("～①ｶﾀｶﾅ髙"));
    QCOMPARE(readFile().toHex(' '), QByteArray("20 31 32 20 0d 0a 81 60 87 40 b6 c0 b6 c5 fb fc 0d 0a 0d 0a 0d 0a 0d 0a 0d 0a"));

    // The next window reads them from the file again.
    delete form;
    form = new Form1(*services);
    view = playAndFinish(1);
    QCOMPARE(view.names, QStringList({ QStringLiteral("～①ｶﾀｶﾅ髙"), QStringLiteral(""), QString() }));
}

// What the player sees in the row is what the file holds.
void TestForm3::namesShowAsStored()
{
    services->names << QString::fromUtf16(u"A\U0001F600\r\n\uD55C");
    const RankingView view = playAndFinish(3);
    QCOMPARE(view.names[0], QStringLiteral("A?  ?"));
    QCOMPARE(readFile(), QByteArray(" 3 \r\nA?  ?\r\n\r\n\r\n\r\n\r\n"));
}

void TestForm3::namesAreNeverMarkup()
{
    writeFile(" 3 \r\n<b>x</b>\r\n 2 \r\n<img src=x>\r\n 1 \r\nA & B\r\n");
    QStringList formats;
    QList<QSize> sizes;
    playRound(-1);
    finishRound(Closing::Back, [&](QDialog *window) {
        for (int i = 0; i < 3; ++i) {
            QLabel *name = labelOf(window, QStringLiteral("Label6(%1)").arg(i));
            formats << QString::number(name->textFormat());
            sizes << name->size();
        }
    });
    QCOMPARE(formats, QStringList(3, QString::number(Qt::PlainText)));
    QCOMPARE(sizes, QList<QSize>(3, QSize(153, 33)));
    // Shown as read, saved unchanged.
    QCOMPARE(readFile(), QByteArray(" 3 \r\n<b>x</b>\r\n 2 \r\n<img src=x>\r\n 1 \r\nA & B\r\n"));
}

// A file that is there but cannot be read is told to the player; the round is ranked
// against the rows held so far, and the stored file is left alone.
void TestForm3::unreadableFileIsReportedAndNotOverwritten()
{
    services->names << QStringLiteral("one") << QStringLiteral("two");
    playAndFinish(10);
    QVERIFY(QFile::remove(filePath()));
    QVERIFY(QDir(programDirectory->path()).mkdir(QStringLiteral("quip.ini")));

    const RankingView view = playAndFinish(20);
    QCOMPARE(view.scores, QStringList({ "20", "10", "" }));
    QCOMPARE(view.names, QStringList({ "two", "one", "" }));
    // Told once, at the reading, with the file named; Back does not try to write.
    QCOMPARE(services->errors.size(), 1);
    QVERIFY(services->errors[0].contains(QDir::toNativeSeparators(filePath())));
    QVERIFY(QFileInfo(filePath()).isDir());
    QCOMPARE(form->tokuten(), qint16(0));
}

void TestForm3::failedSaveIsReportedAndTheRowsKept()
{
    // A folder below a regular file can be neither read nor created, even by root.
    writeFile("not a folder");
    const QString blocked = filePath() + QStringLiteral("/sub");
    services->directory = blocked;
    services->names << QStringLiteral("one") << QStringLiteral("two");

    playAndFinish(10);
    QCOMPARE(services->errors.size(), 1);
    QVERIFY(services->errors[0].contains(QDir::toNativeSeparators(blocked + QStringLiteral("/quip.ini"))));
    QCOMPARE(form->tokuten(), qint16(0));

    // The game goes on, with the rows it could not save.
    const RankingView view = playAndFinish(5);
    QCOMPARE(view.scores, QStringList({ "10", "5", "" }));
    QCOMPARE(services->errors.size(), 2);
}

void TestForm3::hugeFileIsNotReadWhole()
{
    {
        // Two gigabytes of zero bytes without a line end, which take no room on the disk.
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(2LL * 1024 * 1024 * 1024));
    }
    QElapsedTimer timer;
    timer.start();
    const RankingView view = playAndFinish(-2);
    QVERIFY2(timer.elapsed() < 5000, "reading stops early");
    QCOMPARE(view.scores, QStringList({ "", "", "" }));
    QCOMPARE(readFile(), QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n"));
    QVERIFY(services->errors.isEmpty());
}

// A save killed between naming its new file and renaming it over quip.ini leaves that file
// behind; the next save clears it, and touches no other file.
void TestForm3::interruptedSaveLeavesNoFileBehind()
{
    const QDir folder(programDirectory->path());
    for (const QString name : { "quip.ini.BzTcZu", "quip.ini.bak", "quip.ini.BzTcZu7", "notes.txt" }) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    playAndFinish(-3);
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name),
             QStringList({ "notes.txt", "quip.ini", "quip.ini.BzTcZu7", "quip.ini.bak" }));
}

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
