// Renders every setup dialog to PNG files for review by eye:
//
//   setup_gallery FIXTURE_DIR OUT_DIR
//
// Every file of FIXTURE_DIR (a settings file TOLVI32.INI, aperture tables) is copied into a fresh
// directory, which also serves as the system and library directory and receives the sample
// libraries (a few symbols, packages, parts and padstacks). Each dialog is shown the
// way the Options menu shows it (ShowOptionForm, with the menu's scope suffix), once per scope,
// plus the extra views listed below (another tab, the other unit, a library browsed); a dialog
// opened from a dialog is pictured too, named after both; each picture carries the window's
// caption above it. Windows narrower than their caption needs in a title bar (platform::
// CaptionWidth: the title-bar font and the window manager's controls), labels, buttons and frames
// narrower than their text, grid cells whose text does not fit and controls that overlap are
// listed on stderr.
//
// A new dialog appears here by itself once SetupForms() lists it; a view of another state is a
// row in ExtraViews(), a fixture file a file in FIXTURE_DIR.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/colour_settings.h"
#include "common/general_settings.h"
#include "common/layer_settings.h"
#include "common/library_lists.h"
#include "common/localisation.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/setup_commands.h"
#include "mainwindow/startup.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/tolvi_grid.h"
#include "platform/screen.h"
#include "platform/ui.h"
#include "setup/optnlibs.h"
#include "setup/setup_forms.h"
#include "support/library_builder.h"

namespace {

using namespace tolvi;

struct View {
    std::string form;
    std::string name;                      // added to the file name
    std::function<void(QWidget*)> action;  // brings the dialog into the state shown
};

// In the library dialog: the file of list i and then entry `entry` of its browse list chosen.
void Browse(QWidget* form, int i, const char* file, int entry) {
    auto* f = static_cast<OPTNLIBS*>(form);
    platform::FileList& files = *f->F_Files[std::size_t(i)];
    for (int k = 0; k < files.count(); ++k)
        if (files.fileName(k) == file) files.setListIndex(k);
    QComboBox* list = f->F_BrowseList[std::size_t(i)];
    if (entry < 0 || entry >= list->count()) return;
    list->setCurrentIndex(entry);
    emit list->activated(entry);
}

// States beyond the freshly opened dialog.
std::vector<View> ExtraViews() {
    const auto tab = [](int i) {
        return [i](QWidget* f) { f->findChild<QTabWidget*>("mstGridSnap")->setCurrentIndex(i); };
    };
    return {
        {"OPTNGRID", "layout", tab(1)},
        {"OPTNGRID", "general", tab(2)},
        {"OPTNLSIZ", "mm", [](QWidget* f) { f->findChild<QRadioButton*>("F_Unit_1")->click(); }},
        {"OPTNBORD", "nodefault", [](QWidget* f) { f->findChild<QCheckBox*>("F_DefaultBordChk")->click(); }},
        {"OPTNPACK", "pinout",
         [](QWidget* f) {
             f->findChild<QTabWidget*>("mstCompPackage")->setCurrentIndex(1);
             f->findChild<QRadioButton*>("F_IniPinoutTsType_1")->click();
         }},
        {"OPTNPACK", "description",
         [](QWidget* f) {
             f->findChild<QTabWidget*>("mstCompPackage")->setCurrentIndex(2);
             f->findChild<QRadioButton*>("F_IniDescrTsType_1")->click();
         }},
        {"OPTNTEXT", "row15",
         [](QWidget* f) {
             for (const char* name : {"F_Sizes_0", "F_Sizes_1"}) {
                 auto* grid = f->findChild<platform::TolviGrid*>(name);
                 grid->setCurrentCell(14, 1);
                 emit grid->Click();
             }
         }},
        {"OPTNLIBS", "browse",
         [](QWidget* f) {
             Browse(f, 0, "LOGIC.PART", -1);
             Browse(f, 1, "LOGIC.SYMBOL", 2);
             Browse(f, 2, "DIP.PACKAGE", 1);
         }},
        {"OPTNLIBS", "part",
         [](QWidget* f) {
             Browse(f, 0, "LOGIC.PART", -1);
             Browse(f, 0, "LOGIC.PART", 0);
         }},
    };
}

std::string Describe(const QWidget* w) {
    std::string s = w->metaObject()->className();
    if (!w->objectName().isEmpty()) s += " " + w->objectName().toStdString();
    QString text;
    if (auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) text = g->title();
    if (!text.isEmpty()) s += " \"" + text.toStdString() + "\"";
    return s;
}

// What a reviewer should look at first: captions cut off and controls on top of each other.
void ReportLayoutProblems(const std::string& view, QWidget* form) {
    const auto report = [&](const std::string& what) {
        std::fprintf(stderr, "%s: %s\n", view.c_str(), what.c_str());
    };
    // The window's own caption, in the title bar a window manager draws with its controls.
    if (const int need = platform::CaptionWidth(form); form->frameGeometry().width() < need)
        report("caption cut off \"" + form->windowTitle().toStdString() + "\" (" +
               std::to_string(form->frameGeometry().width()) + " of " + std::to_string(need) + " pixels)");
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(form)) continue;
        const bool captioned =
            qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w);
        if (captioned && w->width() < w->minimumSizeHint().width()) report("clipped " + Describe(w));
        if (auto* grid = qobject_cast<platform::TolviGrid*>(w)) {
            const QFontMetrics fm(grid->font());
            for (int c = 0; c < grid->Cols(); ++c) {
                for (int r = 0; r < grid->Rows(); ++r) {
                    const QString text = platform::ToQString(grid->TextMatrix(r, c)).trimmed();
                    const int room = grid->ColWidth(c) - 6;
                    if (!text.isEmpty() && fm.horizontalAdvance(text) > room)
                        report("cell cut off " + Describe(grid) + " (" + std::to_string(r) + "," +
                               std::to_string(c) + ") \"" + text.toStdString() + "\"");
                }
            }
        }
    }
    // Siblings laid out side by side never share pixels.
    QList<QWidget*> parents = form->findChildren<QWidget*>();
    parents << form;
    for (QWidget* parent : parents) {
        std::vector<QWidget*> kids;
        for (QObject* o : parent->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && w->isVisibleTo(form) && !w->isWindow())
                kids.push_back(w);
        for (std::size_t i = 0; i < kids.size(); ++i)
            for (std::size_t j = i + 1; j < kids.size(); ++j)
                if (kids[i]->geometry().intersects(kids[j]->geometry()) &&
                    !qobject_cast<QTabWidget*>(parent) && !qobject_cast<QAbstractScrollArea*>(parent))
                    report("overlap " + Describe(kids[i]) + " / " + Describe(kids[j]));
    }
}

// The dialog as drawn, under a bar that shows its caption.
QImage WithCaption(QWidget* form) {
    const QImage body = form->grab().toImage();
    const int bar = form->fontMetrics().height() + 10;
    QImage out(body.width(), body.height() + bar, QImage::Format_RGB32);
    out.fill(QColor(60, 70, 90));
    QPainter p(&out);
    p.setPen(Qt::white);
    p.setFont(form->font());
    p.drawText(QRect(8, 0, body.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft, form->windowTitle());
    p.drawImage(0, bar, body);
    return out;
}

// Shows each modal form long enough to take its picture; boxes are printed and answered with
// their default button.
class GalleryUi : public platform::Ui {
public:
    std::string outDir, file;
    std::function<void(QWidget*)> action;
    int failures = 0;
    int depth = 0;

    int MsgBox(const std::string& text, int style, const std::string& title) override {
        std::fprintf(stderr, "%s: box \"%s\": %s\n", file.c_str(), title.c_str(), text.c_str());
        return platform::DefaultAnswer(style);
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> FileDialog(const platform::FileDialogRequest&) override {
        return std::nullopt;
    }
    void Beep() override {}
    void SetBusyPointer(bool) override {}
    bool BusyPointer() const override { return false; }
    void ShowModal(QWidget* form) override {
        // A dialog the action opens is pictured under both names and left without an action.
        const std::string name = depth == 0 ? file : file + "-" + form->objectName().toStdString();
        ++depth;
        form->show();
        form->activateWindow();
        QApplication::processEvents();
        if (action && depth == 1) action(form);
        QApplication::processEvents();
        --depth;
        ReportLayoutProblems(name, form);
        const std::string path = outDir + "/" + name + ".png";
        if (!WithCaption(form).save(QString::fromStdString(path))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        } else {
            std::printf("%s\n", path.c_str());
        }
        form->hide();
    }
    void ShowModeless(QWidget* form) override { form->show(); }
    void DoEvents() override { QApplication::processEvents(); }
};

bool ScopeSuffix(const std::string& form) {
    for (const SetupCommand& c : SetupCommands())
        if (form == c.form) return c.suffix;
    return false;
}

// The fixture's files in a fresh directory that is also the system directory; an empty database;
// every option set loaded in Default scope and stored in the database, where one layer gets
// another name so that the two scopes can be told apart.
bool PrepareStores(const QString& fixture, const QString& work) {
    const QDir from(fixture);
    if (!from.exists()) return false;
    for (const QString& name : from.entryList(QDir::Files))
        if (!QFile::copy(from.filePath(name), QDir(work).filePath(name))) return false;
    gIniFile = platform::PathFromQString(QDir(work).filePath("TOLVI32.INI"));
    const std::string dir = platform::PathFromQString(work);
    int err = 0;
    IniPutString("Tolvi32", "SysDir", dir, err);
    IniPutString("Tolvi32", "LibDir", dir, err);
    IniPutString("PADSTACKS", "I", platform::JoinPath(dir, "STD.PADSTACK"), err);
    IniPutString("DEVLIBS", "1", "LOGIC.PART", err);
    IniPutString("SCHLIBS", "1", "LOGIC.SYMBOL", err);
    IniPutString("SCHLIBS", "2", "EXTRA.SYMBOL", err);
    IniPutString("LAYLIBS", "1", "DIP.PACKAGE", err);
    if (DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE") == 0) return false;
    if (!test::WriteSampleLibraries(dir)) return false;
    LoadPalette();
    LoadBackupSettings();
    LoadStartupApps();
    CopyDefaultsToDatabase();
    gLayers[6].Name = "DATABASE ONLY";
    StoreLayerNames();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: setup_gallery FIXTURE_DIR OUT_DIR\n");
        return 2;
    }
    platform::InstallQtServices();
    GalleryUi ui;
    ui.outDir = argv[2];
    platform::SetUi(&ui);
    QDir().mkpath(QString::fromLocal8Bit(argv[2]));

    std::string dir = GetAppPath();
    OpenLocalTexts(dir);
    LoadVectorFont(GetAppPath());
    SelectUiFont();
    QTemporaryDir work;
    if (!work.isValid() || !PrepareStores(QString::fromLocal8Bit(argv[1]), work.path())) {
        std::fprintf(stderr, "setup_gallery: cannot prepare the fixture from %s\n", argv[1]);
        return 1;
    }

    std::vector<View> views;
    for (const SetupFormInfo& f : SetupForms()) views.push_back({f.name, "", nullptr});
    for (const View& v : ExtraViews()) views.push_back(v);
    for (const View& v : views) {
        for (int32_t scope : {0, -1}) {
            if (!v.name.empty() && scope != 0) continue;  // extra views once, in Default scope
            SetOptionScope(scope != 0 ? OptionScope::Current : OptionScope::Default);
            LoadAllOptionSets();
            ui.file = v.form + (scope != 0 ? "-current" : "-default") + (v.name.empty() ? "" : "-" + v.name);
            ui.action = v.action;
            QWidget* form = CreateSetupForm(v.form);
            ShowOptionForm(form, ScopeSuffix(v.form) ? -1 : 0);
        }
    }
    SetOptionScope(OptionScope::Default);
    return ui.failures == 0 ? 0 : 1;
}
