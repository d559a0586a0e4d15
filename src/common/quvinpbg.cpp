#include "common/quvinpbg.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "common/boxes.h"
#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/form_buttons.h"
#include "common/localisation.h"
#include "common/utilities.h"
#include "platform/qt/codec.h"
#include "platform/screen.h"

namespace tolvi {

QuvInpBG::QuvInpBG(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
    setObjectName("QuvInpBG");
    setWindowTitle(platform::ToQString(gAppTitle));

    Picture1 = new QFrame(this);
    Picture1->setObjectName("Picture1");
    Picture1->setFrameShape(QFrame::StyledPanel);
    InpPrompt = new QLabel(Picture1);
    InpPrompt->setObjectName("InpPrompt");
    InpPrompt->setTextFormat(Qt::PlainText);
    InpPrompt->setWordWrap(true);
    auto* pictureLayout = new QVBoxLayout(Picture1);
    pictureLayout->addWidget(InpPrompt);

    InpText = new QLineEdit(this);
    InpText->setObjectName("InpText");
    InpText->setValidator(new platform::CodePageValidator(InpText));

    auto* buttons = new QFrame(this);
    // Enter is the form's own key (it accepts from the text box too); no button is default.
    InpOK = NewFormButton(buttons, "InpOK", "Accept", "99177");
    InpCancel = NewFormButton(buttons, "InpCancel", "Cancel", "99388");
    for (QPushButton* b : {InpOK, InpCancel}) b->installEventFilter(this);
    InpText->installEventFilter(this);
    auto* buttonLayout = new QHBoxLayout(buttons);
    buttonLayout->addStretch();
    buttonLayout->addWidget(InpOK);
    buttonLayout->addWidget(InpCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Picture1);
    layout->addWidget(InpText);
    layout->addWidget(buttons);

    connect(InpOK, &QPushButton::clicked, this, [this] { InpOK_Click(); });
    connect(InpCancel, &QPushButton::clicked, this, [this] { InpCancel_Click(); });
    InstallHelpKey(this);

    LocalizeForm(this);
    // Room for a heading and a prompt line, so the size (and so the place) does not depend on
    // the texts shown.
    InpPrompt->setMinimumHeight(InpPrompt->fontMetrics().lineSpacing() * 2);
    InpText->setMinimumWidth(InpText->fontMetrics().averageCharWidth() * 48);
    setFixedSize(sizeHint());
    INP_PlaceBox();
}

void QuvInpBG::INP_PlaceBox() {
    std::optional<platform::Rect> main;  // where the main window's bar stands
    if (gMainWnd) main = platform::WindowRect(gMainWnd);
    const int32_t depth = gModalDepth;
    platform::PlaceWindow(
        this, [main, depth](const platform::Rect& frame, const platform::ScreenArea& screen) {
            const platform::Rect& area = screen.available;
            return PlaceInputBox(area, main ? main->left : area.left, main ? main->top : area.top,
                                 frame.width, frame.height, depth);
        });
}

void QuvInpBG::InpOK_Click() {
    const std::string text = Trim(platform::FromQString(InpText->text()));
    // A blank answer is kept as one blank so that it differs from a cancel until InputBoxEx
    // trims it.
    gInputText = text.empty() ? std::string(" ") : text;
    done(QDialog::Accepted);
}

void QuvInpBG::InpCancel_Click() {
    gInputText.clear();
    done(QDialog::Rejected);
}

void QuvInpBG::reject() { InpCancel_Click(); }

void QuvInpBG::showEvent(QShowEvent* event) {
    // A prompt wider than the box wraps, and the box grows downwards so that no line of it is
    // cut off; the width stays.
    if (const int needed = layout()->totalHeightForWidth(width()); needed > height()) setFixedHeight(needed);
    QDialog::showEvent(event);
    InpText->setFocus();
}

bool QuvInpBG::Form_KeyDown(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            InpOK_Click();
            return true;
        case Qt::Key_Escape:
            InpCancel_Click();
            return true;
        default:
            return false;
    }
}

bool QuvInpBG::eventFilter(QObject* watched, QEvent* event) {
    // The form sees the keys of its controls first.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
            if (Form_KeyDown(key->key())) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void QuvInpBG::keyPressEvent(QKeyEvent* event) {
    if (!Form_KeyDown(event->key())) QDialog::keyPressEvent(event);
}

}  // namespace tolvi
