#pragma once
// Pieces shared by the two forms over the database label (password entry and database info).
#include <QLabel>
#include <QString>

class QDialog;
class QLineEdit;
class QPushButton;
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

// The controls both label forms show, with the names the forms give them.
struct LabelFormControls {
    QLabel* dbase;
    QLineEdit* des;
    QLineEdit* rev;
    QLineEdit* password;
    QPushButton* accept;
    QPushButton* cancel;
};

// Builds the database line, the designer, revision and password rows (with extra, when given,
// under them), and the Accept and Cancel buttons, laid out as both label forms show them.
LabelFormControls BuildLabelForm(QDialog* form, QWidget* extra);

}  // namespace tolvi
