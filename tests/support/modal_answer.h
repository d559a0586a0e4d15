#pragma once
// Answers a real modal window for a test whose code under test blocks in the window's modal loop
// (a message box's or a dialog's exec()). `answer` runs on the window once it is up, from a timer
// that polls for it. Bounded every way, so a fault fails the test and says why instead of waiting
// for ever: no modal window within ms fails the test; a modal loop still running ms after the
// answer fails it and the window is closed; a loop that still does not end then stops the test
// program with a message.
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

namespace tolvi::test {

class ModalAnswer {
public:
    ModalAnswer(std::string what, std::function<void(QWidget*)> answer, int ms = 5000);
    ~ModalAnswer();  // a window that never came up fails the test
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

private:
    enum class Stage { Waiting, Answered, Closed, Done };
    void Poll();
    bool LoopRunning() const;

    std::string what_;
    std::function<void(QWidget*)> answer_;
    int ms_;
    QDeadlineTimer deadline_;
    Stage stage_ = Stage::Waiting;
    QPointer<QWidget> window_;
    int loopLevel_ = 0;  // the event loop level of the window's modal loop
    QTimer timer_;
};

}  // namespace tolvi::test
