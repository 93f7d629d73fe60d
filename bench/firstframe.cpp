#include "firstframe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace bench {

namespace {

class FirstFrameWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            // The whole window is painted and flushed within the call that delivers this
            // event; a zero timer fires only after that call has returned.
            QTimer::singleShot(0, [] {
                std::printf("first-frame-ns %lld\n", monotonicNanoseconds());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen = false;
};

} // namespace

void reportFirstFrame(QWidget *window)
{
    window->installEventFilter(new FirstFrameWatcher(window));
}

long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

} // namespace bench
