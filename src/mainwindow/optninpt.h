#pragma once
// The password dialog: shows the open database's name, designer and revision and asks for its
// password. It only collects the text (gPasswordEntry); the command that showed it compares it.
// Enter in the password box accepts; Esc and the close box cancel.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvi {

class OPTNINPT : public QDialog {
    Q_OBJECT
public:
    explicit OPTNINPT(QWidget* parent = nullptr);

    QLabel* F_Dbase = nullptr;
    QLineEdit* F_Des = nullptr;
    QLineEdit* F_Rev = nullptr;
    QLineEdit* F_Password = nullptr;
    QPushButton* F_Accept = nullptr;
    QPushButton* F_Cancel = nullptr;

    Q_INVOKABLE void Form_Load();
    void Form_Activate();
    void F_Accept_Click();
    void F_Cancel_Click();
    void PWD_Accept();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tolvi
