#pragma once
// Pieces shared by the two forms over the database label (password entry and database info).
#include <QLabel>
#include <QString>
#include <cstddef>
#include <string>

#include "common/utilities.h"

namespace tolvi {

// A label field as the label keeps it: trimmed, then cut or padded with blanks to len bytes.
inline std::string LabelField(const std::string& text, std::size_t len) {
    std::string field = Trim(text).substr(0, len);
    field.resize(len, ' ');
    return field;
}

// A caption beside an entry box, shown as plain text.
inline QLabel* FieldCaption(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace tolvi
