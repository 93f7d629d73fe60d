#include "systemservices.h"

#include "buildconfig.h"
#include "rankinglocation.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStandardPaths>

#include <chrono>

namespace platform {

SystemServices::SystemServices()
{
    monotonic.start();
}

double SystemServices::clockSeconds()
{
    return monotonic.nsecsElapsed() / 1e9;
}

void SystemServices::seedRandom()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    std::seed_seq seed{ quint32(nanoseconds), quint32(quint64(nanoseconds) >> 32) };
    generator.seed(seed);
}

float SystemServices::nextRandom()
{
    // 24 random bits fill a float's mantissa exactly, so the result can never round up to 1.
    return float(generator() >> 8) * (1.0f / 16777216.0f);
}

QString SystemServices::inputBox(QWidget *parent, const QString &prompt, const QString &title)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

void SystemServices::showError(QWidget *parent, const QString &text)
{
    QMessageBox::warning(parent, QApplication::applicationName(), text);
}

RankingFiles SystemServices::rankingFiles()
{
    const QString programDir = QApplication::applicationDirPath();
    const bool keepBeside = keepsRankingBeside(programDir, QStringLiteral(QUICKPAIR_INSTALLED_PROGRAM_DIR));
    const RankingFiles files =
        rankingFilesFor(programDir, keepBeside, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    // The player's data folder does not exist before the first ranking is saved.
    QDir().mkpath(QFileInfo(files.file).path());
    return files;
}

Version SystemServices::applicationVersion()
{
    return { QUICKPAIR_VERSION_MAJOR, QUICKPAIR_VERSION_MINOR };
}

void SystemServices::endProgram()
{
    QApplication::closeAllWindows();
    QApplication::quit();
}

} // namespace platform
