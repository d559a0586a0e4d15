#include "mainwindow/optninfo.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/context_help.h"
#include "common/db_session.h"
#include "common/localisation.h"
#include "common/utilities.h"
#include "mainwindow/label_fields.h"
#include "platform/qt/codec.h"

namespace tolvi {

namespace {

// Text padded with blanks or cut to len bytes of the code page.
std::string Fixed(std::string text, std::size_t len) {
    text.resize(len, ' ');
    return text;
}

std::string BoxText(const QLineEdit* box) { return platform::FromQString(box->text()); }

}  // namespace

OPTNINFO::OPTNINFO(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("OPTNINFO");
    setWindowTitle(QStringLiteral("Tolvi32 - Database Info"));

    F_PassSet = new QCheckBox(QStringLiteral("Set Password"), this);
    F_PassSet->setObjectName("F_PassSet");
    const LabelFormControls c = BuildLabelForm(this, F_PassSet);
    F_Dbase = c.dbase, F_Des = c.des, F_Rev = c.rev, F_Password = c.password;
    F_Accept = c.accept, F_Cancel = c.cancel;
    setTabOrder(F_Password, F_PassSet);  // made first, but it belongs under the password
    setTabOrder(F_PassSet, F_Accept);
    for (QLineEdit* box : {F_Des, F_Rev, F_Password}) {
        box->setValidator(new platform::CodePageValidator(box));
        box->installEventFilter(this);
        // Typing, pasting or cutting all count as an edit to parse.
        connect(box, &QLineEdit::textEdited, this, [this, box] {
            if (box == F_Des) desChanged_ = true;
            if (box == F_Rev) revChanged_ = true;
            if (box == F_Password) passChanged_ = true;
        });
    }
    connect(F_Accept, &QPushButton::clicked, this, [this] { F_Accept_Click(); });
    connect(F_Cancel, &QPushButton::clicked, this, [this] { F_Cancel_Click(); });

    InstallHelpKey(this);
}

void OPTNINFO::Form_Load() {
    LocalizeForm(this);
    F_Dbase->setText(platform::ToQString(GetLocalString("Database: ", "10124") + gDbName + " "));
    gDbLabel.Designer = LabelField(gDbLabel.Designer, DbLabelRec::kTextLen);
    gDbLabel.Revision = LabelField(gDbLabel.Revision, DbLabelRec::kTextLen);
    F_Des->setText(platform::ToQString(RTrim(gDbLabel.Designer)));
    F_Rev->setText(platform::ToQString(RTrim(gDbLabel.Revision)));
    password_ = FirstWord(gDbLabel.Password);
    F_Password->setText(platform::ToQString(password_));
    F_PassSet->setChecked(gDbLabel.PassSet != 0);
    desChanged_ = revChanged_ = passChanged_ = false;
    closing_ = false;
}

void OPTNINFO::Form_Activate() {
    setWindowTitle(platform::ToQString(GetLocalString("Tolvi32 - Database Info", "10145")));
}

void OPTNINFO::INF_ParseDesigner() {
    desChanged_ = false;
    gDbLabel.Designer = Fixed(BoxText(F_Des), DbLabelRec::kTextLen);
    F_Des->setText(platform::ToQString(gDbLabel.Designer));
}

void OPTNINFO::INF_ParseRevision() {
    revChanged_ = false;
    gDbLabel.Revision = Fixed(BoxText(F_Rev), DbLabelRec::kTextLen);
    F_Rev->setText(platform::ToQString(gDbLabel.Revision));
}

void OPTNINFO::INF_ParsePassword() {
    passChanged_ = false;
    password_ = FirstWord(Fixed(BoxText(F_Password), DbLabelRec::kPasswordLen));
    F_Password->setText(platform::ToQString(password_));
}

void OPTNINFO::F_Accept_Click() {
    // An edit whose box still has the focus (Accept pressed from the keyboard) counts as well.
    if (desChanged_) INF_ParseDesigner();
    if (revChanged_) INF_ParseRevision();
    if (passChanged_) INF_ParsePassword();
    closing_ = true;
    gDbLabel.PassSet = 0;
    gDbLabel.Password = Fixed("", DbLabelRec::kPasswordLen);
    if (F_PassSet->isChecked() && !password_.empty()) {
        gDbLabel.PassSet = -1;
        gDbLabel.Password = Fixed(password_, DbLabelRec::kPasswordLen);
    }
    WriteDbLabel();
    hide();
}

void OPTNINFO::F_Cancel_Click() {
    closing_ = true;
    desChanged_ = revChanged_ = passChanged_ = false;
    ReadDbLabel();
    hide();
}

void OPTNINFO::reject() { F_Cancel_Click(); }

void OPTNINFO::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

void OPTNINFO::RunParse(QObject* box) {
    if (box == F_Des) INF_ParseDesigner();
    if (box == F_Rev) INF_ParseRevision();
    if (box == F_Password) INF_ParsePassword();
}

bool OPTNINFO::eventFilter(QObject* watched, QEvent* event) {
    const bool isBox = watched == F_Des || watched == F_Rev || watched == F_Password;
    if (isBox && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            RunParse(watched);
            return true;
        }
        if (!key->text().isEmpty()) {
            if (watched == F_Des) desChanged_ = true;
            if (watched == F_Rev) revChanged_ = true;
            if (watched == F_Password) passChanged_ = true;
        }
    } else if (isBox && event->type() == QEvent::FocusOut && !closing_) {
        const bool changed = (watched == F_Des && desChanged_) || (watched == F_Rev && revChanged_) ||
                             (watched == F_Password && passChanged_);
        if (changed) RunParse(watched);
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tolvi
