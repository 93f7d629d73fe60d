#include "form3.h"

#include "controls.h"
#include "design.h"
#include "icon.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace ranking {

namespace {

using namespace platform::design;

const QSize clientSize(353, 271);
// The tops of rows 1, 2 and 3.
const std::array<int, 3> rowTops{ 56, 104, 152 };

const char noConverter[] = "文字コード CP932 (Shift_JIS) を扱えないため、"
                           "ランキングの読み込みも保存もできません。";
const char namePrompt[] = "おめでとう！名前を入力してください";

} // namespace

Form3::Form3(platform::Services &windowServices, RankingMemory &rankingMemory, qint16 tokuten, QWidget *parent)
    : QDialog(parent, dialogFlags)
    , services(windowServices)
    , memory(rankingMemory)
    , round(rankingMemory.rows, tokuten)
{
    createControls();
    FormLoad(tokuten);
}

// Design-time state: geometry in pixels at 96 dpi, fonts, colours and captions.
void Form3::createControls()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("ランキング"));
    setWindowIcon(platform::windowIcon());
    setFixedSize(clientSize);
    platform::setBackground(this, lightYellow);

    const QStringList rankNumbers{ QStringLiteral("１"), QStringLiteral("２"), QStringLiteral("３") };

    // Created back to front: a later sibling is drawn over an earlier one.
    Label1 = platform::makeLabel(
        this, QStringLiteral("Label1"),
        { QRect(112, 216, 65, 41), QStringLiteral("000"), platform::designFont(arial, 24), red, lightYellow });
    const QString thisTime = QStringLiteral("今回は");
    Label2 = platform::makeLabel(
        this, QStringLiteral("Label2"),
        { QRect(16, 224, 81, 25), thisTime, platform::designFont(gothic, 14.25), black, lightYellow });
    Label3 = platform::makeLabel(
        this, QStringLiteral("Label3"),
        { QRect(208, 224, 49, 25), QStringLiteral("点"), platform::designFont(gothic, 15.75), black, lightYellow });
    Shape1 = new platform::Shape(this, QRect(8, 40, 329, 161), darkBlue, 3);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    for (int i = 0; i < 3; ++i) {
        Label4[i] = platform::makeLabel(
            this, QStringLiteral("Label4(%1)").arg(i),
            { QRect(24, rowTops[i], 25, 33), rankNumbers[i], platform::designFont(gothic, 21.75), blue, lightYellow });
    }
    for (int i = 0; i < 3; ++i) {
        Label5[i] = platform::makeLabel(this, QStringLiteral("Label5(%1)").arg(i),
                                        { QRect(88, rowTops[i], 57, 33), QStringLiteral("000"),
                                          platform::designFont(gothic, 20.25), blue, lightYellow, Qt::AlignRight });
    }
    for (int i = 0; i < 3; ++i) {
        Label6[i] = platform::makeLabel(
            this, QStringLiteral("Label6(%1)").arg(i),
            { QRect(168, rowTops[i], 153, 33), QString(), platform::designFont(gothic, 20.25), black, lightYellow });
    }
    Label7 = platform::makeLabel(this, QStringLiteral("Label7"),
                                 { QRect(16, 8, 217, 25), QStringLiteral("Quickpair ランキング"),
                                   platform::designFont(gothic, 14.25, true), darkGreen, lightYellow });

    // The only control that takes the focus, and the default button: Enter or Space press it.
    Command1 = new QPushButton(QStringLiteral("戻る"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(288, 224, 49, 33);
    Command1->setDefault(true);
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1Click);

    platform::centreOnScreen(this);
}

void Form3::FormLoad(qint16 tokuten)
{
    Label1->setText(QString::number(tokuten));
    IniRead();
    if (round.entryRow()) {
        // Asked before this window is visible, so the box stands over the main window.
        round.enter(services.inputBox(parentWidget(), QString::fromUtf8(namePrompt), QStringLiteral("Quickpair")));
    }
    const RankingTable &rows = round.rows();
    for (int i = 0; i < storedRows; ++i) {
        Label5[i]->setText(scoreText(rows[i]));
        Label6[i]->setText(nameText(rows[i]));
    }
}

void Form3::Command1Click()
{
    Iniwrite();
    accept();
}

void Form3::reject()
{
    Iniwrite();
    QDialog::reject();
}

void Form3::IniRead()
{
    switch (round.load(services.rankingFiles())) {
    case LoadResult::Read:
        break;
    case LoadResult::NoConverter:
        // Told once a run: it holds for every round.
        if (!memory.toldNoConverter)
            services.showError(parentWidget(), QString::fromUtf8(noConverter));
        memory.toldNoConverter = true;
        break;
    case LoadResult::FileUnreadable:
        tellCannotRead(round.files().file, true);
        break;
    case LoadResult::FallbackUnreadable:
        tellCannotRead(round.files().fallback, false);
        break;
    }
}

void Form3::Iniwrite()
{
    const SaveResult saved = round.save();
    // The next showing starts from these rows, the entry and whatever another copy saved in them.
    memory.rows = round.rows();
    switch (saved) {
    case SaveResult::Saved:
    case SaveResult::LeftAlone:
        break;
    case SaveResult::Unreadable:
        tellCannotRead(round.files().file, true);
        break;
    case SaveResult::Failed:
        const QString notSaved = QStringLiteral("ランキングファイル %1 に保存できませんでした。");
        services.showError(this, notSaved.arg(QDir::toNativeSeparators(round.files().file)));
        break;
    }
}

void Form3::tellCannotRead(const QString &path, bool entryLost)
{
    QString text = QStringLiteral("ランキングファイル %1 を読み込めませんでした。");
    text = text.arg(QDir::toNativeSeparators(path));
    if (entryLost)
        text += QStringLiteral("\n今回の記録は保存されません。");
    services.showError(isVisible() ? static_cast<QWidget *>(this) : parentWidget(), text);
}

} // namespace ranking
