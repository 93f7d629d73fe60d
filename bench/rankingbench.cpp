// The ranking file: loading it as the ranking window does (open, read, decode) and saving it
// through the window's own Back button (lock, read again, encode, write a new file, sync,
// rename over the old, unlock), each 1,000 times; beside them a plain read and a plain write
// of the same bytes.

#include "form3.h"
#include "rankingfile.h"
#include "rankingstore.h"
#include "systemservices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int repeats = 1000;

double medianMicroseconds(const std::function<void()> &action)
{
    std::vector<qint64> ns;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < repeats; ++i) {
        const qint64 before = clock.nsecsElapsed();
        action();
        ns.push_back(clock.nsecsElapsed() - before);
    }
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1000.0;
}

// The game's own services, with the ranking file in the benchmark's folder and a failure
// counted rather than shown in a message box.
class BenchServices : public platform::SystemServices {
public:
    platform::RankingFiles files;
    int errors = 0;

    platform::RankingFiles rankingFiles() override { return files; }
    void showError(QWidget *, const QString &) override { ++errors; }
};

ranking::RankingTable fullTable()
{
    ranking::RankingTable table;
    table[0] = { 130, QStringLiteral("山田太郎"), {} };
    table[1] = { 120, QStringLiteral("鈴木①"), {} };
    table[2] = { -7, QStringLiteral("ｱﾘｽ～"), {} };
    return table;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("quip.ini"));
    const QByteArray bytes = ranking::encodeRankingFile(fullTable());
    QFile seed(path);
    if (!folder.isValid() || !seed.open(QIODevice::WriteOnly) || seed.write(bytes) != bytes.size())
        return 1;
    seed.close();

    BenchServices services;
    services.files.file = path;
    ranking::RankingMemory memory;
    // A score that enters no row: no name box.
    ranking::Form3 form(services, memory, -32768, nullptr);

    const double load = medianMicroseconds([&path] {
        ranking::RankingTable read;
        ranking::readRanking(path, read);
    });
    auto *back = form.findChild<QPushButton *>(QStringLiteral("Command1"));
    if (!back)
        return 1;
    const double save = medianMicroseconds([back] { back->click(); });
    const double plainRead = medianMicroseconds([&path] {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            file.readAll();
    });
    const double plainWrite = medianMicroseconds([&path, &bytes] {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    });
    if (services.errors > 0)
        return 1;
    std::printf("load-us %.1f save-us %.1f plain-read-us %.1f plain-write-us %.1f\n", load, save, plainRead,
                plainWrite);
    return 0;
}
