// Key to screen: from an arrow key's key-down event to the window repainted with the new
// digits, score and mark, over 10,000 keys of a running round. With "bare" the same keys go
// to the bare window, which shows a counter in its label.

#include "barewindow.h"
#include "buildconfig.h"
#include "controls.h"
#include "form1.h"
#include "systemservices.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int warmUpKeys = 200;
constexpr int measuredKeys = 10000;

std::vector<qint64> pressKeys(QWidget *window)
{
    const int arrows[] = { Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down };
    std::vector<qint64> nanoseconds;
    nanoseconds.reserve(measuredKeys);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < warmUpKeys + measuredKeys; ++i) {
        QKeyEvent press(QEvent::KeyPress, arrows[i % 4], Qt::NoModifier);
        const qint64 before = clock.nsecsElapsed();
        QApplication::sendEvent(window, &press);
        window->repaint();
        const qint64 after = clock.nsecsElapsed();
        if (i >= warmUpKeys)
            nanoseconds.push_back(after - before);
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    return nanoseconds;
}

void waitUntilPainted()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(QUICKPAIR_APP_NAME));
    platform::installFontSubstitutes();
    const bool bare = QApplication::arguments().contains(QStringLiteral("bare"));

    platform::SystemServices services;
    game::Form1 form(services);
    bench::BareWindow bareWindow;
    QWidget *window = bare ? static_cast<QWidget *>(&bareWindow) : &form;
    window->show();
    waitUntilPainted();
    if (!bare)
        form.findChild<QAction *>(QStringLiteral("mnuStart"))->trigger();

    // No event loop runs while the keys go in, so the round's timer cannot end the round.
    const std::vector<qint64> ns = pressKeys(window);
    const auto at = [&ns](double share) { return ns[std::size_t(share * (ns.size() - 1))] / 1000.0; };
    std::printf("keys %d median-us %.1f p99-us %.1f max-us %.1f\n", measuredKeys, at(0.5), at(0.99),
                ns.back() / 1000.0);
    return 0;
}
