#include "controls.h"
#include "fakeservices.h"
#include "form1.h"
#include "form3.h"
#include "rankingfile.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QScopeGuard>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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
    void nonRegularFileIsNeverReadNorReplaced_data();
    void nonRegularFileIsNeverReadNorReplaced();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void twoCopiesKeepBothEntries_data();
    void twoCopiesKeepBothEntries();
    void lockOfAnotherCopy_data();
    void lockOfAnotherCopy();
    void installedCopyCarriesTheRowsBesideTheProgram();
    void playersOwnFilesSurviveASave();

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

namespace {

// What stands at a path, without following a link: "file", "folder", "pipe", "socket",
// "link", "missing" or "other".
QString kindAt(const QString &path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("missing");
    switch (status.st_mode & S_IFMT) {
    case S_IFREG: return QStringLiteral("file");
    case S_IFDIR: return QStringLiteral("folder");
    case S_IFIFO: return QStringLiteral("pipe");
    case S_IFSOCK: return QStringLiteral("socket");
    case S_IFLNK: return QStringLiteral("link");
    default: return QStringLiteral("other");
    }
}

// Fills the file system that holds `folder`, leaving `room` bytes free.
bool fillUpLeaving(const QString &folder, qint64 room)
{
    QFile spare(folder + QStringLiteral("/spare"));
    QFile filler(folder + QStringLiteral("/filler"));
    if (!spare.open(QIODevice::WriteOnly) || spare.write(QByteArray(room, 'x')) != room || !spare.flush())
        return false;
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    return spare.remove();
}

} // namespace

void TestForm3::nonRegularFileIsNeverReadNorReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("beforeLoad");
    QTest::newRow("pipe at the round's end") << "pipe" << true;
    QTest::newRow("pipe while the window is open") << "pipe" << false;
    QTest::newRow("socket") << "socket" << true;
    QTest::newRow("link to a pipe") << "link" << true;
}

// Only a regular file is read or replaced: anything else named quip.ini is never opened for
// reading (a pipe would block the game for good) and never renamed over. The player is told,
// and the round still ends.
void TestForm3::nonRegularFileIsNeverReadNorReplaced()
{
    QFETCH(QString, kind);
    QFETCH(bool, beforeLoad);
    services->names << QStringLiteral("one") << QStringLiteral("two");
    playAndFinish(10);

    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto closeSocket = qScopeGuard([socket] { ::close(socket); });
    const QByteArray path = QFile::encodeName(filePath());
    auto replaceFile = [&] {
        QVERIFY(QFile::remove(filePath()));
        if (kind == "pipe") {
            QVERIFY(::mkfifo(path.constData(), 0600) == 0);
        } else if (kind == "socket") {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            QVERIFY(size_t(path.size()) < sizeof address.sun_path);
            qstrcpy(address.sun_path, path.constData());
            QVERIFY(::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        } else {
            const QByteArray target = QFile::encodeName(programDirectory->filePath(QStringLiteral("pipe")));
            QVERIFY(::mkfifo(target.constData(), 0600) == 0);
            QVERIFY(QFile::link(QString::fromLocal8Bit(target), filePath()));
        }
        QCOMPARE(kindAt(filePath()), kind);
    };
    if (beforeLoad)
        replaceFile();
    playRound(20);
    const RankingView view = finishRound(Closing::Back, [&](QDialog *) {
        if (!beforeLoad)
            replaceFile();
    });
    QVERIFY(view.shown);
    QCOMPARE(form->tokuten(), qint16(0));
    QCOMPARE(kindAt(filePath()), kind);
    QCOMPARE(services->errors.size(), 1);
    QVERIFY(services->errors[0].contains(QStringLiteral("読み込めませんでした")));
    QVERIFY(services->errors[0].contains(QDir::toNativeSeparators(filePath())));
}

void TestForm3::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<qint64>("room");
    QTest::newRow("no room at all") << qint64(0);
    QTest::newRow("room for a small file only") << qint64(4096);
}

// A save that could not write every byte never replaces the ranking, and the player is told.
// Played on a real full file system: a small tmpfs where one can be mounted, else a file-size
// limit, under which write() fails just the same (EFBIG instead of ENOSPC).
void TestForm3::fullDiskKeepsTheOldFile()
{
    QFETCH(qint64, room);
    const QByteArray folder = QFile::encodeName(programDirectory->path());
    const bool tmpfs = ::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=256k") == 0;
    const auto unmount = qScopeGuard([&] {
        if (tmpfs)
            ::umount2(folder.constData(), MNT_DETACH);
    });
    const QByteArray old(" 30 \r\nold\r\n\r\n\r\n\r\n\r\n");
    writeFile(old);
    if (tmpfs)
        QVERIFY(fillUpLeaving(programDirectory->path(), room));
    else
        qInfo("no tmpfs can be mounted here: a file-size limit stands in for the full disk");

    // A new file larger than the room left.
    services->names << QString(5000, u'x');
    playRound(40);
    rlimit unlimited{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    finishRound(Closing::Back, [&](QDialog *) {
        if (tmpfs)
            return;
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tight{ rlim_t(room), unlimited.rlim_max };
        ::setrlimit(RLIMIT_FSIZE, &tight);
    });
    ::setrlimit(RLIMIT_FSIZE, &unlimited);

    QCOMPARE(readFile(), old);
    QCOMPARE(services->errors.size(), 1);
    QVERIFY(services->errors[0].contains(QStringLiteral("保存できませんでした")));
}

void TestForm3::twoCopiesKeepBothEntries_data()
{
    QTest::addColumn<int>("firstScore");
    QTest::addColumn<int>("secondScore");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("both enter, the later above on a tie")
        << 0 << 0 << QByteArray(" 0 \r\nbob\r\n 0 \r\nalice\r\n-1 \r\naaa\r\n");
    QTest::newRow("the later no longer makes the top three")
        << 0 << -3 << QByteArray(" 0 \r\nalice\r\n-1 \r\naaa\r\n-2 \r\nbbb\r\n");
}

// Two copies of the game in one folder, both past their load when the first saves: each ranks
// its round into the file as it stands when it saves, so an entry that the other copy saved
// meanwhile is never dropped.
void TestForm3::twoCopiesKeepBothEntries()
{
    QFETCH(int, firstScore);
    QFETCH(int, secondScore);
    QFETCH(QByteArray, saved);
    writeFile("-1 \r\naaa\r\n-2 \r\nbbb\r\n-3 \r\nccc\r\n");
    FakeServices other;
    other.directory = programDirectory->path();
    services->names << QStringLiteral("alice");
    other.names << QStringLiteral("bob");
    ranking::RankingTable firstRows;
    ranking::RankingTable secondRows;
    ranking::Form3 first(*services, firstRows, qint16(firstScore), nullptr);
    ranking::Form3 second(other, secondRows, qint16(secondScore), nullptr);
    QVERIFY(QMetaObject::invokeMethod(&first, "Command1Click"));
    QVERIFY(QMetaObject::invokeMethod(&second, "Command1Click"));
    // Saving once more adds nothing twice.
    QVERIFY(QMetaObject::invokeMethod(&second, "Command1Click"));

    QCOMPARE(readFile(), saved);
    // What the second copy holds now is what it saved.
    QCOMPARE(ranking::encodeRankingFile(secondRows), saved);
    QVERIFY(services->errors.isEmpty());
    QVERIFY(other.errors.isEmpty());
}

void TestForm3::lockOfAnotherCopy_data()
{
    QTest::addColumn<bool>("holderRuns");
    QTest::newRow("held by a copy that runs") << true;
    QTest::newRow("left by a copy that died") << false;
}

// A save waits only briefly for another copy's lock, and then tells the player rather than
// write unlocked; a lock whose holder has died is broken.
void TestForm3::lockOfAnotherCopy()
{
    QFETCH(bool, holderRuns);
    const QByteArray old(" 30 \r\nold\r\n\r\n\r\n\r\n\r\n");
    writeFile(old);
    const QString lockPath = filePath() + QStringLiteral(".lock");
    QLockFile held(lockPath);
    QVERIFY(held.tryLock(0));
    if (!holderRuns) {
        // The same lock, as a process that has ended left it.
        QFile lockFile(lockPath);
        QVERIFY(lockFile.open(QIODevice::ReadOnly));
        QByteArray content = lockFile.readAll();
        lockFile.close();
        held.unlock();
        const pid_t ended = fork();
        if (ended == 0)
            _exit(0);
        QVERIFY(ended > 0 && waitpid(ended, nullptr, 0) == ended);
        content.replace(0, content.indexOf('\n'), QByteArray::number(ended));
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        QCOMPARE(lockFile.write(content), content.size());
    }
    services->names << QStringLiteral("new");
    playAndFinish(40);
    if (holderRuns) {
        QCOMPARE(readFile(), old);
        QCOMPARE(services->errors.size(), 1);
        QVERIFY(services->errors[0].contains(QStringLiteral("保存できませんでした")));
    } else {
        QCOMPARE(readFile(), QByteArray(" 40 \r\nnew\r\n 30 \r\nold\r\n\r\n\r\n"));
        QVERIFY(services->errors.isEmpty());
        QVERIFY(!QFile::exists(lockPath));
    }
}

// A copy whose folder the player cannot write saves in the player's own folder; until that
// file exists it shows the rows left beside the program, and its first save carries them over.
// The file beside the program is only ever read.
void TestForm3::installedCopyCarriesTheRowsBesideTheProgram()
{
    QTemporaryDir program;
    QVERIFY(program.isValid());
    services->fallbackFile = program.filePath(QStringLiteral("quip.ini"));
    const QByteArray beside(" 30 \r\nadmin\r\n 20 \r\nb\r\n 10 \r\nc\r\n");
    {
        QFile file(services->fallbackFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(beside), beside.size());
    }
    services->names << QStringLiteral("mine") << QStringLiteral("never asked");
    RankingView view = playAndFinish(25);
    QCOMPARE(view.names, QStringList({ "admin", "mine", "b" }));
    QCOMPARE(readFile(), QByteArray(" 30 \r\nadmin\r\n 25 \r\nmine\r\n 20 \r\nb\r\n"));

    // From now on the player's own file is the ranking.
    {
        QFile file(services->fallbackFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(" 99 \r\nlater\r\n"), 13);
    }
    delete form;
    form = new Form1(*services);
    view = playAndFinish(1);
    QCOMPARE(view.names, QStringList({ "admin", "mine", "b" }));
    QVERIFY(services->errors.isEmpty());
}

// The game deletes nothing it did not create: a player's backups beside the ranking, even
// those named like a save's own new file, survive every save.
void TestForm3::playersOwnFilesSurviveASave()
{
    const QDir folder(programDirectory->path());
    const QStringList own{ "QUIP.INI.Backup", "notes.txt", "quip.ini.BzTcZu", "quip.ini.backup" };
    for (const QString &name : own) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    playAndFinish(-3);
    QStringList expected = own;
    expected << "quip.ini";
    expected.sort();
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
