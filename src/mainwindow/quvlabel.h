#pragma once
// The About window, which also serves as the splash window while the program starts: the
// system's name, version and revision, and a legal notice. The splash panel covers the About
// layer; start-up shows it, the About command never does.
#include <QDialog>

class QLabel;
class QPushButton;
class QFrame;

namespace tolvi {

class QUVLABEL : public QDialog {
    Q_OBJECT
public:
    explicit QUVLABEL(QWidget* parent = nullptr);

    Q_INVOKABLE void Form_Load();
    void F_OK_Click();

    QFrame* F_Splash;
    QLabel* F_SysName;
    QLabel* F_Ver;
    QLabel* F_Rev;
    QLabel* F_Rules;
    QPushButton* F_OKButton;  // objectName "F_OK" (the plain name is a system macro)
};

}  // namespace tolvi
