#include "mainwindow/label_fields.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/form_buttons.h"

namespace tolvi {

LabelFormControls BuildLabelForm(QDialog* form, QWidget* extra) {
    LabelFormControls c{};
    c.dbase = new QLabel(form);
    c.dbase->setObjectName("F_Dbase");
    c.dbase->setTextFormat(Qt::PlainText);
    c.des = new QLineEdit(form);
    c.des->setObjectName("F_Des");
    c.rev = new QLineEdit(form);
    c.rev->setObjectName("F_Rev");
    c.password = new QLineEdit(form);
    c.password->setObjectName("F_Password");
    c.accept = NewFormButton(form, "F_Accept", "Accept", "99177");
    c.cancel = NewFormButton(form, "F_Cancel", "Cancel", "99388");

    auto* fields = new QGridLayout;
    fields->addWidget(FieldCaption("Designer: ", form), 0, 0);
    fields->addWidget(c.des, 0, 1);
    fields->addWidget(FieldCaption("Revision: ", form), 1, 0);
    fields->addWidget(c.rev, 1, 1);
    fields->addWidget(FieldCaption("Password: ", form), 2, 0);
    fields->addWidget(c.password, 2, 1);
    if (extra) fields->addWidget(extra, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(c.accept);
    buttons->addWidget(c.cancel);
    auto* layout = new QVBoxLayout(form);
    layout->addWidget(c.dbase);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    c.des->setMinimumWidth(c.des->fontMetrics().averageCharWidth() * 30);
    return c;
}

}  // namespace tolvi
