#include "fakeservices.h"
#include "translations.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

// The cases run in order: the missing folder first, while nothing is installed yet.
class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void missingTranslationsLeaveTheButtonsAlone();
    void installedTranslationsMakeTheButtonsJapanese();
    void inputBoxSaysCancelInJapanese();

private:
    static QString cancelCaption()
    {
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        return box.button(QDialogButtonBox::Cancel)->text();
    }
    static bool haveJapanese()
    {
        return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm"));
    }
};

void TestTranslations::missingTranslationsLeaveTheButtonsAlone()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    QVERIFY(!platform::installQtTranslations(empty.path()));
    QCOMPARE(cancelCaption(), QStringLiteral("Cancel"));
}

void TestTranslations::installedTranslationsMakeTheButtonsJapanese()
{
    if (!haveJapanese())
        QSKIP("qtbase_ja.qm is not installed (Debian package qt6-translations-l10n)");
    QVERIFY(platform::installQtTranslations());
    QVERIFY(cancelCaption().startsWith(QStringLiteral("キャンセル")));
}

void TestTranslations::inputBoxSaysCancelInJapanese()
{
    if (!haveJapanese())
        QSKIP("qtbase_ja.qm is not installed (Debian package qt6-translations-l10n)");
    QVERIFY(platform::installQtTranslations());
    QStringList captions;
    whenModalShows([&captions](QWidget *modal) {
        for (const QPushButton *button : modal->findChildren<QPushButton *>())
            captions << button->text();
        qobject_cast<QDialog *>(modal)->reject();
    });
    bool ok = true;
    QInputDialog::getText(nullptr, QStringLiteral("Quickpair"), QStringLiteral("名前"), QLineEdit::Normal,
                          QString(), &ok);
    QVERIFY(!ok);
    QVERIFY2(std::any_of(captions.cbegin(), captions.cend(),
                         [](const QString &caption) { return caption.startsWith(QStringLiteral("キャンセル")); }),
             qPrintable(captions.join(QStringLiteral(", "))));
}

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
