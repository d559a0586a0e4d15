#include "common/form_buttons.h"

#include <QPushButton>

namespace tolvi {

QPushButton* NewFormButton(QWidget* parent, const char* name, const char* caption, const char* tag) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    if (tag) button->setProperty("tag", QString::fromLatin1(tag));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace tolvi
