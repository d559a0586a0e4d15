#include "mainwindow/optninpt.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/context_help.h"
#include "common/db_session.h"
#include "common/localisation.h"
#include "common/utilities.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/label_fields.h"
#include "platform/qt/codec.h"

namespace tolvi {

OPTNINPT::OPTNINPT(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("OPTNINPT");
    setWindowTitle(QStringLiteral("Tolvi32 - Database Info"));

    const LabelFormControls c = BuildLabelForm(this, nullptr);
    F_Dbase = c.dbase, F_Des = c.des, F_Rev = c.rev, F_Password = c.password;
    F_Accept = c.accept, F_Cancel = c.cancel;
    // Shown for information only: this dialog changes nothing in the label.
    F_Des->setReadOnly(true);
    F_Rev->setReadOnly(true);
    F_Password->setValidator(new platform::CodePageValidator(F_Password));
    F_Password->installEventFilter(this);
    connect(F_Accept, &QPushButton::clicked, this, [this] { F_Accept_Click(); });
    connect(F_Cancel, &QPushButton::clicked, this, [this] { F_Cancel_Click(); });

    InstallHelpKey(this);
}

void OPTNINPT::Form_Load() {
    LocalizeForm(this);
    gPasswordEntry.clear();
    F_Password->clear();
    F_Dbase->setText(platform::ToQString(GetLocalString("Database: ", "10124") + gDbName + " "));
    gDbLabel.Designer = LabelField(gDbLabel.Designer, DbLabelRec::kTextLen);
    gDbLabel.Revision = LabelField(gDbLabel.Revision, DbLabelRec::kTextLen);
    F_Des->setText(platform::ToQString(RTrim(gDbLabel.Designer)));
    F_Rev->setText(platform::ToQString(RTrim(gDbLabel.Revision)));
}

void OPTNINPT::Form_Activate() {
    // Replaces the scope suffix the caller's dialog routine has added.
    setWindowTitle(platform::ToQString(GetLocalString("Tolvi32 - Database Info", "10145")));
    F_Password->setFocus();
}

void OPTNINPT::F_Accept_Click() { PWD_Accept(); }

void OPTNINPT::PWD_Accept() {
    gPasswordEntry = Trim(platform::FromQString(F_Password->text()));
    hide();
}

void OPTNINPT::F_Cancel_Click() {
    gPasswordEntry.clear();
    hide();
}

void OPTNINPT::reject() { F_Cancel_Click(); }

void OPTNINPT::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

bool OPTNINPT::eventFilter(QObject* watched, QEvent* event) {
    if (watched == F_Password && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            PWD_Accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tolvi
