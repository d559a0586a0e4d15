#include "mainwindow/quvlabel.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "common/context_help.h"
#include "common/form_buttons.h"
#include "common/general_settings.h"
#include "common/localisation.h"
#include "platform/qt/codec.h"

namespace tolvi {
namespace {

QLabel* Tagged(QWidget* parent, const char* name, const char* text, const char* tag) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(name);
    if (tag) l->setProperty("tag", QString::fromLatin1(tag));
    return l;
}

QLabel* Artwork(QWidget* parent) {
    // The product mark; plain text stands in for the picture.
    auto* art = new QLabel(QStringLiteral("Tolvi32"), parent);
    QFont f = art->font();
    f.setPointSize(f.pointSize() * 2);
    f.setBold(true);
    art->setFont(f);
    art->setAlignment(Qt::AlignCenter);
    return art;
}

}  // namespace

QUVLABEL::QUVLABEL(QWidget* parent) : QDialog(parent) {
    setObjectName("QUVLABEL");
    // Untagged: the text under the About item's id carries a mnemonic "&", which a title would show.
    setWindowTitle(QStringLiteral("About Tolvi"));

    auto* stack = new QStackedLayout(this);
    stack->setStackingMode(QStackedLayout::StackAll);

    // About layer.
    auto* about = new QWidget(this);
    auto* grid = new QGridLayout(about);
    grid->addWidget(Artwork(about), 0, 0, 1, 2);
    F_SysName = Tagged(about, "F_SysName", "", nullptr);
    F_SysName->setAlignment(Qt::AlignCenter);
    grid->addWidget(F_SysName, 1, 0, 1, 2);
    grid->addWidget(Tagged(about, "Label1", "Version: ", nullptr), 2, 0);
    F_Ver = Tagged(about, "F_Ver", "", nullptr);
    grid->addWidget(F_Ver, 2, 1);
    grid->addWidget(Tagged(about, "Label2", "Revision:", nullptr), 3, 0);
    F_Rev = Tagged(about, "F_Rev", "", nullptr);
    grid->addWidget(F_Rev, 3, 1);
    F_Rules = Tagged(about, "F_Rules",
                     "Warning: this computer program is protected by copyright law and international "
                     "treaties. Unauthorized reproduction or distribution of this program, or any portion "
                     "of it, may result in severe civil and criminal penalties.",
                     nullptr);
    F_Rules->setWordWrap(true);
    grid->addWidget(F_Rules, 4, 0, 1, 2);
    F_OKButton = NewFormButton(about, "F_OK", "OK", nullptr);
    grid->addWidget(F_OKButton, 5, 0, 1, 2, Qt::AlignRight);
    connect(F_OKButton, &QPushButton::clicked, this, [this] { F_OK_Click(); });

    // Splash panel over it.
    F_Splash = new QFrame(this);
    F_Splash->setObjectName("F_Splash");
    F_Splash->setFrameShape(QFrame::Box);
    F_Splash->setAutoFillBackground(true);
    auto* splash = new QVBoxLayout(F_Splash);
    splash->addWidget(Artwork(F_Splash));
    auto* notice = new QLabel(QStringLiteral("See Help > About for the legal notice."), F_Splash);
    notice->setAlignment(Qt::AlignCenter);
    splash->addWidget(notice);

    stack->addWidget(about);
    stack->addWidget(F_Splash);
    F_Splash->setVisible(false);
    resize(420, 300);
    InstallHelpKey(this);
}

void QUVLABEL::Form_Load() {
    LocalizeForm(this);
    F_SysName->setText(platform::ToQString(gSysName));
    F_Ver->setText(platform::ToQString(gSysVer));
    F_Rev->setText(platform::ToQString(gSysRev));
}

void QUVLABEL::F_OK_Click() { hide(); }

}  // namespace tolvi
