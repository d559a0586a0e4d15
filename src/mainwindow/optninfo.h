#pragma once
// The database info dialog (File > Database Info): the open database's name, and its designer,
// revision and password for editing. Edits go into the label in memory as each box is left or
// Enter is pressed in it; Accept writes the label into the database, Cancel reads it back.
#include <QDialog>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvi {

class OPTNINFO : public QDialog {
    Q_OBJECT
public:
    explicit OPTNINFO(QWidget* parent = nullptr);

    QLabel* F_Dbase = nullptr;
    QLineEdit* F_Des = nullptr;
    QLineEdit* F_Rev = nullptr;
    QLineEdit* F_Password = nullptr;
    QCheckBox* F_PassSet = nullptr;
    QPushButton* F_Accept = nullptr;
    QPushButton* F_Cancel = nullptr;

    Q_INVOKABLE void Form_Load();
    void Form_Activate();
    void INF_ParseDesigner();
    void INF_ParseRevision();
    void INF_ParsePassword();
    void F_Accept_Click();
    void F_Cancel_Click();

    // The password as edited: at most 8 characters, no blank.
    const std::string& EditedPassword() const { return password_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RunParse(QObject* box);

    std::string password_;
    bool desChanged_ = false;
    bool revChanged_ = false;
    bool passChanged_ = false;
    // Set once Accept or Cancel has run: the focus leaving a box as the dialog hides must not
    // parse into the label again.
    bool closing_ = false;
};

}  // namespace tolvi
