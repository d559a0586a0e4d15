#include "support/modal_answer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <cstdio>
#include <cstdlib>

namespace tolvi::test {

ModalAnswer::ModalAnswer(std::string what, std::function<void(QWidget*)> answer, int ms)
    : what_(std::move(what)), answer_(std::move(answer)), ms_(ms), deadline_(ms) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(5);
}

ModalAnswer::~ModalAnswer() {
    timer_.stop();
    if (stage_ == Stage::Waiting) ADD_FAILURE() << what_ << ": no modal window came up";
}

// Whether the window's modal loop may still run. A window that is gone has ended its loop; one
// still there (hidden, say) holds it while the thread's loops are as deep as when it was answered.
bool ModalAnswer::LoopRunning() const {
    return window_ && QThread::currentThread()->loopLevel() >= loopLevel_;
}

void ModalAnswer::Poll() {
    if (stage_ == Stage::Done) return;
    if (stage_ == Stage::Waiting) {
        if (QWidget* w = QApplication::activeModalWidget()) {
            stage_ = Stage::Answered;
            window_ = w;
            loopLevel_ = QThread::currentThread()->loopLevel();
            deadline_.setRemainingTime(ms_);
            answer_(w);
        } else if (deadline_.hasExpired()) {
            ADD_FAILURE() << what_ << ": no modal window came up within " << ms_ << " ms";
            stage_ = Stage::Done;
            timer_.stop();
        }
        return;
    }
    // Answered, or closed by force: done once the window's loop has ended.
    if (!LoopRunning()) {
        stage_ = Stage::Done;
        timer_.stop();
        return;
    }
    if (!deadline_.hasExpired()) return;
    if (stage_ == Stage::Answered) {
        ADD_FAILURE() << what_ << ": the modal loop still ran " << ms_
                      << " ms after the window's answer; the window is closed";
        stage_ = Stage::Closed;
        deadline_.setRemainingTime(ms_);
        if (auto* dialog = qobject_cast<QDialog*>(window_.data()))
            dialog->reject();
        else
            window_->hide();
        return;
    }
    // Nothing left to end the loop from here: stop, rather than wait for ever.
    ADD_FAILURE() << what_ << ": the modal loop did not end when its window was closed; "
                  << "the test program stops";
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace tolvi::test
