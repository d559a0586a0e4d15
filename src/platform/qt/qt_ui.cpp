#include "platform/qt/qt_ui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/screen.h"

namespace tolvi::platform {

namespace {
// Old-style file dialog flags the callers pass.
constexpr int kOverwritePrompt = 0x2;
constexpr int kFileMustExist = 0x1000;
// Which button is the default one (second, third).
constexpr int kDefaultButtonMask = 0x300;

QWidget* DialogParent() { return QApplication::activeWindow(); }

void MakeSystemModal(QWidget* w) {
    w->setWindowModality(Qt::ApplicationModal);
    w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

// A message box at least as wide as its caption needs; Qt gives it its size as it shows.
class CaptionedMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (const int need = CaptionWidth(this); width() < need) setFixedWidth(need);
    }
};

// Ends a local event loop once the form is hidden, closed or gone.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* form, QEventLoop* loop) : loop_(loop) { form->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide) loop_->quit();
        return false;
    }

private:
    QEventLoop* loop_;
};
}  // namespace

int QtUi::MsgBox(const std::string& text, int style, const std::string& title) {
    CaptionedMessageBox box(DialogParent());
    // Centred on the screen, not over the parent: the parent is the bar at the top, and a box
    // centred over it would start above the screen.
    PlaceWindow(&box, CentredOnScreen());
    box.setTextFormat(Qt::PlainText);  // names like "<Untitled>" must show as they are
    box.setText(ToQString(text));
    box.setWindowTitle(ToQString(title));
    switch (style & kStyleIconMask) {
        case kStyleCritical:
            box.setIcon(QMessageBox::Critical);
            break;
        case kStyleQuestion:
            box.setIcon(QMessageBox::Question);
            break;
        case kStyleExclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case kStyleInformation:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    using B = QMessageBox::StandardButton;
    QList<B> buttons;
    switch (style & kStyleButtonMask) {
        case kStyleOkCancel:
            buttons = {B::Ok, B::Cancel};
            break;
        case kStyleAbortRetryIgnore:
            buttons = {B::Abort, B::Retry, B::Ignore};
            break;
        case kStyleYesNoCancel:
            buttons = {B::Yes, B::No, B::Cancel};
            break;
        case kStyleYesNo:
            buttons = {B::Yes, B::No};
            break;
        case kStyleRetryCancel:
            buttons = {B::Retry, B::Cancel};
            break;
        default:
            buttons = {B::Ok};
            break;
    }
    for (B b : buttons) box.addButton(b)->setAutoDefault(false);
    const int def = (style & kDefaultButtonMask) >> 8;
    box.setDefaultButton(buttons[def < buttons.size() ? def : 0]);
    if (buttons.contains(B::Cancel))
        box.setEscapeButton(B::Cancel);
    else if (buttons.size() == 1)
        box.setEscapeButton(buttons.front());
    if (style & kStyleSystemModal) MakeSystemModal(&box);
    box.exec();

    switch (box.standardButton(box.clickedButton())) {
        case B::Ok:
            return kAnswerOk;
        case B::Cancel:
            return kAnswerCancel;
        case B::Abort:
            return kAnswerAbort;
        case B::Retry:
            return kAnswerRetry;
        case B::Ignore:
            return kAnswerIgnore;
        case B::Yes:
            return kAnswerYes;
        case B::No:
            return kAnswerNo;
        default:
            return DefaultAnswer(style);
    }
}

std::optional<std::string> QtUi::InputBox(const std::string& prompt, const std::string& title,
                                          const std::string& value) {
    QInputDialog dlg(DialogParent());
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(ToQString(title));
    dlg.setLabelText(ToQString(prompt));
    dlg.setTextValue(ToQString(value));
    if (auto* edit = dlg.findChild<QLineEdit*>()) edit->setValidator(new CodePageValidator(edit));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return FromQString(dlg.textValue());
}

QString CaseInsensitivePattern(const QString& pattern) {
    const QString p = pattern.trimmed();
    if (p == "*.*") return "*";
    QString out;
    for (QChar c : p) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            out += c;
    }
    return out;
}

QStringList FileDialogNameFilters(const std::string& filter) {
    const QStringList parts = ToQString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts))
            patterns << CaseInsensitivePattern(p);
        if (patterns.isEmpty()) patterns << "*";
        // The description stays as given ("Files (*.TPB)"): Qt takes the patterns from the last
        // bracket group, which is ours, and hides only that group.
        const QString desc = parts[i].trimmed();
        filters << QStringLiteral("%1 (%2)").arg(desc, patterns.join(' '));
    }
    if (filters.isEmpty()) filters << QStringLiteral("(*)");
    return filters;
}

namespace {

// The start directory, or its nearest existing ancestor: Qt would otherwise open the current
// directory and put the missing directory's name into the file name box.
std::string ExistingStartDirectory(std::string dir) {
    while (!dir.empty() && !IsDirectory(dir)) {
        const std::string up = DirectoryPart(dir);
        if (up == dir) break;
        dir = up;
    }
    return IsDirectory(dir) ? dir : HomeDirectory();
}

}  // namespace

std::optional<std::string> QtUi::FileDialog(const FileDialogRequest& request) {
    QFileDialog dlg(DialogParent(), ToQString(request.title),
                    PathToQString(ExistingStartDirectory(request.initDir)));
    // The platform dialogs match patterns by case on Linux; ours are made case-blind.
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    PlaceWindow(&dlg, CentredOnScreen());
    KeepCaptionWhole(&dlg);
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = FileDialogNameFilters(request.filter);
    dlg.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dlg.selectNameFilter(filters[request.filterIndex - 1]);
    if (request.save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!(request.flags & kOverwritePrompt)) dlg.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode((request.flags & kFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (!request.defaultExt.empty()) dlg.setDefaultSuffix(ToQString(request.defaultExt));
    if (!request.fileName.empty()) dlg.selectFile(PathToQString(request.fileName));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dlg.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return PathFromQString(chosen.front());
}

void QtUi::Beep() { QApplication::beep(); }

void QtUi::SetBusyPointer(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtUi::ShowModal(QWidget* form) {
    if (!form) return;
    if (auto* dlg = qobject_cast<QDialog*>(form)) {
        dlg->exec();
        return;
    }
    QPointer<QWidget> guard(form);
    QEventLoop loop;
    HideWatcher watcher(form, &loop);
    QObject::connect(form, &QObject::destroyed, &loop, &QEventLoop::quit);
    form->setWindowModality(Qt::ApplicationModal);
    form->show();
    if (form->isVisible()) loop.exec(QEventLoop::DialogExec);
    if (guard) {
        guard->removeEventFilter(&watcher);
        guard->setWindowModality(Qt::NonModal);
    }
}

void QtUi::ShowModeless(QWidget* form) {
    if (!form) return;
    form->show();
    form->raise();
    form->activateWindow();
}

void QtUi::DoEvents() { QCoreApplication::processEvents(); }

}  // namespace tolvi::platform
