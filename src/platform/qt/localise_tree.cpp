#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QWidget>

#include "platform/qt/codec.h"
#include "platform/ui_font.h"

namespace tolvi::platform {

namespace {

QString TagOf(const QObject* o) {
    const QVariant v = o->property("tag");
    if (!v.isValid()) return {};
    if (v.typeId() != QMetaType::QString && v.typeId() != QMetaType::QByteArray) return {};
    return v.toString();
}

void Relabel(QObject* o, bool isForm, CaptionHook& hook) {
    const QString tag = TagOf(o);
    if (tag.isEmpty()) return;
    auto localise = [&](const QString& caption) {
        return ToQString(hook.Localise(FromQString(caption), FromQString(tag)));
    };
    // One caption per object; objects without one (entry fields, lists) keep their tag unused.
    try {
        if (isForm) {
            auto* w = static_cast<QWidget*>(o);
            w->setWindowTitle(localise(w->windowTitle()));
        } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
            b->setText(localise(b->text()));
        } else if (auto* l = qobject_cast<QLabel*>(o)) {
            l->setText(localise(l->text()));
        } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
            g->setTitle(localise(g->title()));
        } else if (auto* m = qobject_cast<QMenu*>(o)) {
            m->setTitle(localise(m->title()));
        } else if (auto* a = qobject_cast<QAction*>(o)) {
            a->setText(localise(a->text()));
        }
    } catch (...) {
        // A caption that cannot be localised keeps its English text.
    }
}

// Menus have no font of their own in the forms: they keep the system's menu font rather than
// inherit the interface font from the form.
void KeepMenuFont(QWidget* menu) {
    QFont f = QApplication::font(menu);
    f.setFamily(f.family());  // marks the attributes as the menu's own
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF());
    else
        f.setPixelSize(f.pixelSize());
    f.setWeight(f.weight());
    f.setItalic(f.italic());
    menu->setFont(f);
}

}  // namespace

void LocaliseWidgetTree(QWidget* form, const std::string& face, int pointSize, int /*charset*/,
                        CaptionHook& hook) {
    if (!form) return;
    // Qt fonts are Unicode; the character set only mattered to the old font mapper.
    QFont font = form->font();
    if (!face.empty()) font.setFamily(QString::fromStdString(face));
    if (pointSize > 0) font.setPointSize(pointSize);
    font.setBold(false);

    form->setFont(font);
    Relabel(form, true, hook);

    // Children in creation order (depth first), then actions that live elsewhere but sit in
    // the form's menus.
    QList<QObject*> objects = form->findChildren<QObject*>();
    QSet<QObject*> seen(objects.begin(), objects.end());
    for (QWidget* w : form->findChildren<QWidget*>())
        for (QAction* a : w->actions())
            if (!seen.contains(a)) {
                seen.insert(a);
                objects.append(a);
            }

    for (QObject* o : objects) {
        if (auto* w = qobject_cast<QWidget*>(o)) {
            if (qobject_cast<QMenu*>(w) || qobject_cast<QMenuBar*>(w))
                KeepMenuFont(w);
            else
                w->setFont(font);
        }
        Relabel(o, false, hook);
    }
}

}  // namespace tolvi::platform
