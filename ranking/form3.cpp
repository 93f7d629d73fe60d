#include "form3.h"

#include "controls.h"
#include "design.h"
#include "icon.h"
#include "rankingfile.h"
#include "rankingstore.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace ranking {

namespace {

using namespace platform::design;

const QSize clientSize(353, 271);
// The tops of rows 1, 2 and 3.
const std::array<int, 3> rowTops{ 56, 104, 152 };

// Told once a run: without the converter no round's ranking can ever be read or saved.
bool toldNoConverter = false;
const char noConverter[] = "文字コード CP932 (Shift_JIS) を扱えないため、"
                           "ランキングの読み込みも保存もできません。";
const char namePrompt[] = "おめでとう！名前を入力してください";

} // namespace

Form3::Form3(platform::Services &services, RankingTable &table, qint16 tokuten, QWidget *parent)
    : QDialog(parent, dialogFlags)
    , services(services)
    , table(table)
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
    table.rankScores[candidateSlot] = tokuten;
    IniRead();

    const std::optional<int> row = rowEntered(table, tokuten);
    if (row) {
        // Asked before this window is visible, so the box stands over the main window.
        const QString typed =
            services.inputBox(parentWidget(), QString::fromUtf8(namePrompt), QStringLiteral("Quickpair"));
        // The row shows the name as the file will hold it.
        table.rankNames[candidateSlot] = storableName(typed);
    }
    rowsRead = table;
    entryToSave = row.has_value();
    if (row)
        insertCandidate(table, *row);

    for (int i = 0; i < storedRows; ++i) {
        Label5[i]->setText(scoreText(table.rankScores[i]));
        Label6[i]->setText(nameText(table.rankNames[i]));
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
    files = services.rankingFiles();
    if (!cp932Available()) {
        leaveFileAlone = true;
        if (!toldNoConverter)
            services.showError(parentWidget(), QString::fromUtf8(noConverter));
        toldNoConverter = true;
        return;
    }
    // A missing file is an empty table, at every load: the first save creates it. An installed
    // copy's first rounds read the rows left beside the program, which the first save carries
    // into the player's own file.
    const StoredRead read = readStoredRows(files, table);
    if (read.file == ReadResult::Unreadable) {
        leaveFileAlone = true;
        tellCannotRead(files.file, true);
    } else if (read.fallback == ReadResult::Unreadable) {
        tellCannotRead(files.fallback, false);
    }
}

void Form3::Iniwrite()
{
    if (leaveFileAlone)
        return;
    RankingTable saved = rowsRead;
    switch (saveRanking(files, saved, entryToSave)) {
    case SaveResult::Saved:
        // The entry is in the file now: saving again must not add it twice.
        rowsRead = saved;
        entryToSave = false;
        table = saved;
        break;
    case SaveResult::Unreadable:
        tellCannotRead(files.file, true);
        break;
    case SaveResult::Failed:
        const QString notSaved = QStringLiteral("ランキングファイル %1 に保存できませんでした。");
        services.showError(this, notSaved.arg(QDir::toNativeSeparators(files.file)));
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
