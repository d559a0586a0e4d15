#include "setup/setup_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVariant>

#include "common/boxes.h"
#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/form_buttons.h"
#include "common/localisation.h"
#include "common/utilities.h"
#include "platform/qt/codec.h"
#include "platform/qt/tolvi_grid.h"

namespace tolvi {

SetupDialog::SetupDialog(const char* name, const char* caption, const char* captionTag, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(platform::ToQString(caption));
    if (captionTag) setProperty("tag", QString::fromLatin1(captionTag));
}

void SetupDialog::Form_Load() {
    closing_ = false;
    restores_.clear();
    for (const auto& keep : keepers_) restores_.push_back(keep());
    Load();
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    if (!helpKeyInstalled_) {
        helpKeyInstalled_ = true;
        InstallHelpKey(this);
        for (auto* grid : findChildren<platform::TolviGrid*>())
            connect(grid, &platform::TolviGrid::EditorOpened, this,
                    [](QWidget* editor) { InstallHelpKey(editor); });
    }
    adjustSize();
}

void SetupDialog::Load() {
    SetupLayout();
    LocalizeForm(this);
    Fill();
    if (traits.clearsRefresh) gDlgRefresh = 0;
}

void SetupDialog::Form_Activate() { Activate(); }

void SetupDialog::Activate() {
    if (!traits.refillsOnActivate || gDlgRefresh == 0) return;
    gDlgRefresh = 0;
    Fill();
}

void SetupDialog::F_Accept_Click() { AcceptForm(); }

void SetupDialog::F_Cancel_Click() { CancelForm(); }

void SetupDialog::reject() { F_Cancel_Click(); }

void SetupDialog::AcceptForm() {
    // A value still being typed counts, however Accept was reached.
    for (Box& b : boxes_)
        if (b.edited) Commit(b);
    for (auto* grid : findChildren<platform::TolviGrid*>()) grid->SetEditActive(false);
    closing_ = true;
    Store();
    if (traits.setsVerdict) gDlgAccepted = -1;
    hide();
}

void SetupDialog::CancelForm() {
    closing_ = true;
    for (Box& b : boxes_) b.edited = false;
    for (auto* grid : findChildren<platform::TolviGrid*>()) grid->DiscardEdit();
    for (const auto& restore : restores_) restore();
    Reload();
    if (traits.setsVerdict) gDlgAccepted = 0;
    hide();
}

void SetupDialog::EndDuringLoad() { setProperty("formEnded", true); }

char SetupDialog::DecimalPoint() {
    const std::string point = platform::FromQString(QLocale().decimalPoint());
    return point.size() == 1 && point[0] != '?' ? point[0] : '.';
}

QBoxLayout* SetupDialog::FrameButtons(const char* acceptName, const char* cancelName) {
    F_Accept = NewFormButton(this, acceptName, "Accept", "99177");
    F_Cancel = NewFormButton(this, cancelName, "Cancel", "99388");
    connect(F_Accept, &QPushButton::clicked, this, [this] { F_Accept_Click(); });
    connect(F_Cancel, &QPushButton::clicked, this, [this] { F_Cancel_Click(); });
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(F_Accept);
    row->addWidget(F_Cancel);
    return row;
}

void SetupDialog::WatchBox(QLineEdit* box, std::function<void()> commit) {
    boxes_.push_back(Box{box, std::move(commit)});
    box->setValidator(new platform::CodePageValidator(box));
    box->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this, [this, box] {
        if (Box* b = FindBox(box)) b->edited = true;
    });
}

SetupDialog::Box* SetupDialog::FindBox(QObject* o) {
    for (Box& b : boxes_)
        if (b.box == o) return &b;
    return nullptr;
}

void SetupDialog::Commit(Box& b) {
    b.edited = false;
    b.commit();
}

void SetupDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

bool SetupDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Form_Activate();
    return QDialog::event(event);
}

bool SetupDialog::eventFilter(QObject* watched, QEvent* event) {
    if (Box* b = FindBox(watched)) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Commit(*b);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && b->edited && !closing_) {
            Commit(*b);
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<std::string> AskForChange(const std::string& prompt, const std::string& header,
                                        const std::string& shown) {
    std::string answer = InputBoxEx(prompt, header, shown);
    if (answer.empty() || answer == Trim(shown)) return std::nullopt;
    return answer;
}

QLabel* NewFormLabel(QWidget* parent, const char* name, const char* caption, const char* tag) {
    auto* label = new QLabel(platform::ToQString(caption), parent);
    label->setTextFormat(Qt::PlainText);
    if (name) label->setObjectName(QString::fromLatin1(name));
    if (tag) label->setProperty("tag", QString::fromLatin1(tag));
    return label;
}

QGroupBox* NewFormFrame(QWidget* parent, const char* name, const char* caption, const char* tag) {
    auto* frame = new QGroupBox(platform::ToQString(caption), parent);
    if (name) frame->setObjectName(QString::fromLatin1(name));
    if (tag) frame->setProperty("tag", QString::fromLatin1(tag));
    return frame;
}

}  // namespace tolvi
