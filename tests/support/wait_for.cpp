#include "support/wait_for.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace tolvi::test {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace tolvi::test
