#pragma once
// The input box form: a prompt above a one-line text box, Accept and Cancel. Enter accepts, Esc
// and the close box cancel, Ctrl+F1 shows the recorded help topic. Shown by InputBoxEx.
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvi {

class QuvInpBG : public QDialog {
    Q_OBJECT
public:
    explicit QuvInpBG(QWidget* parent = nullptr);

    QFrame* Picture1 = nullptr;
    QLabel* InpPrompt = nullptr;
    QLineEdit* InpText = nullptr;
    QPushButton* InpOK = nullptr;
    QPushButton* InpCancel = nullptr;

    void INP_PlaceBox();
    void InpOK_Click();
    void InpCancel_Click();

    // Esc and the close box come here.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Form_KeyDown(int key);
};

}  // namespace tolvi
