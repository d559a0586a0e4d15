// The main menu's tree: every item carries its control name as objectName and the message id of
// its caption as the "tag" property, which the localisation replaces the caption by.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <string_view>

#include "mainwindow/ascii_commands.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/module_commands.h"
#include "mainwindow/quvhier.h"
#include "mainwindow/quvmain.h"
#include "mainwindow/recent_files.h"
#include "mainwindow/setup_commands.h"

namespace tolvi {

QAction* QUVMAIN::AddItem(QMenu* menu, const char* name, const char* caption, const char* tag,
                          std::function<void()> handler) {
    QAction* a = nullptr;
    if (caption == nullptr) {
        a = menu->addSeparator();
    } else {
        a = new QAction(QString::fromLatin1(caption), menu ? static_cast<QObject*>(menu) : this);
        if (menu)
            menu->addAction(a);
        else
            menuBar()->addAction(a);
    }
    a->setObjectName(QString::fromLatin1(name));
    if (tag) a->setProperty("tag", QString::fromLatin1(tag));
    if (handler) connect(a, &QAction::triggered, this, [h = std::move(handler)] { RunEvent(h); });
    items_[name] = a;
    return a;
}

QMenu* QUVMAIN::AddMenu(QMenu* parent, const char* name, const char* caption, const char* tag) {
    QMenu* m = parent ? parent->addMenu(QString::fromLatin1(caption))
                      : menuBar()->addMenu(QString::fromLatin1(caption));
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    if (tag) m->setProperty("tag", QString::fromLatin1(tag));
    menus_[name] = m;
    items_[name] = m->menuAction();
    return m;
}

void QUVMAIN::BuildMenu() {
    auto sep = [this](QMenu* m, const char* name) { return AddItem(m, name, nullptr, nullptr, nullptr); };

    // File.
    QMenu* file = AddMenu(nullptr, "M_File", "&File", "9939");
    AddItem(file, "M_DbClear(0)", "&New Database", "1023", [] { M_DbClear_Click(0); });
    AddItem(file, "M_DbInfo", "&Database Info", "1010", [] { M_DbInfo_Click(); });
    AddItem(file, "M_DbOpen", "&Open Database", "1024", [] { M_DbOpen_Click(); });
    AddItem(file, "M_DbSave", "&Save Database", "1029", [] { M_DbSave_Click(); });
    AddItem(file, "M_DbSaveAs", "Save Database &As", "10242", [] { M_DbSaveAs_Click(); });
    sep(file, "M_s0");
    AddItem(file, "M_DbAsave", "&Database ASCII Save", "109", [] { M_DbAsave_Click(); });
    AddItem(file, "M_DbAload", "Data&base ASCII Load", "10115", [] { M_DbAload_Click(); });
    sep(file, "M_s8");
    AddItem(file, "M_LoMEd", "List of Materials Editor", "99843", [] { M_LoMEd_Click(); });
    sep(file, "M_s9");
    AddItem(file, "M_ViewF", "&View File", "1037", [] { M_ViewF_Click(); });
    sep(file, "M_s06");
    AddItem(file, "M_CmndInt", "Command Interpreter", "10101", [] {
        M_CmndInt_Click();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    sep(file, "M_s07");
    QMenu* utl = AddMenu(file, "M_Utl", "&Utilities", "1036");
    AddItem(utl, "M_DesView", "Database Viewer", "10123", [] {
        M_DesView_Click();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    AddItem(utl, "M_LibView", "Library &Viewer", "10199", [] { M_LibView_Click(); });
    AddItem(utl, "M_LibSearch", "Library Search &Engine", "10200", [] { M_LibSearch_Click(); });
    AddItem(utl, "M_LibList", "Library &List Generator", "10198", [] { M_LibList_Click(); });
    AddItem(utl, "M_ValcorLib", "Symbol Library Editor (Valcor)", "10265", [] { M_ValcorLib_Click(); });
    sep(utl, "M_ConvSep");
    AddItem(utl, "M_ConvManager", "&Conversion Manager", "10295", [] { M_ConvManager_Click(); });
    sep(file, "M_SepInh")->setVisible(false);
    QMenu* inh = AddMenu(file, "M_InhouseUtil", "Inhouse Utilities", "10296");
    inh->menuAction()->setVisible(false);
    inh->menuAction()->setEnabled(false);
    AddItem(inh, "M_FontEditor", "Font Editor", "10297", [] { M_FontEditor_Click(); });
    sep(file, "M_s05");
    QMenu* imp = AddMenu(file, "M_Import", "&Import", "1019");
    AddItem(imp, "M_ImpZOT3(1)", "Wirelist (selected format)", "10284", [] { M_ImpZOT3_Click(1); });
    AddItem(imp, "M_ImpSpice", "Spice Netlist", "10258", [] { M_ImpSpice_Click(); });
    QMenu* exp = AddMenu(file, "M_export", "&Export", "1014");
    AddItem(exp, "M_ExpZOT3", "ZOT3 ASCII Database", "10170", [] { M_ExpZOT3_Click(); })->setVisible(false);
    AddItem(exp, "M_ExpWlist", "Tolvi32/ZOT3 Wirelist", "10168", [] { M_ExpWlist_Click(); });
    AddItem(exp, "M_ExpSciNlist", "Scicards Netlist", "10249", [] { M_ExpSciNlist_Click(); });
    AddItem(exp, "M_ExpOrCadPCBII", "OrCad PCB II Wirelist", "10215", [] { M_ExpOrCadPCBII_Click(); });
    AddItem(exp, "M_DXFSch", "DXF - &Schematics", "10132", [] { M_DXFSch_Click(); });
    AddItem(exp, "M_DXFLay", "DXF - &Layout", "10131", [] { M_DXFLay_Click(); });
    sep(file, "M_s1");
    for (int i = 0; i < 4; ++i) {
        const std::string name = "M_RecentFile(" + std::to_string(i) + ")";
        QAction* a =
            AddItem(file, name.c_str(), "", nullptr, [i] { M_RecentFile_Click(static_cast<int16_t>(i)); });
        a->setVisible(i < 2);
    }
    sep(file, "M_RFileSep")->setVisible(false);
    AddItem(file, "M_Exit", "E&xit", "99593", [this] { M_Exit_Click(); });

    // Options. Each setup item runs its row of the setup command table.
    QMenu* opt = AddMenu(nullptr, "M_Options", "&Options", "9961");
    AddItem(opt, "M_Default", "&Default", "1011", [this] { M_Default_Click(); })->setCheckable(true);
    AddItem(opt, "M_Current", "&Current", "9925", [this] { M_Current_Click(); })->setCheckable(true);
    sep(opt, "M_s3");
    QMenu* files = AddMenu(opt, "M_Files", "&Files", "1015");
    AddItem(files, "M_Dirs", "&Directories", "1012", [] { RunSetupItem("M_Dirs"); });
    AddItem(files, "M_LibS", "&Libraries", "1021", [] { RunSetupItem("M_LibS"); });
    AddItem(files, "M_Pads", "&Padstacks", "1026", [] { RunSetupItem("M_Pads"); });
    AddItem(files, "M_Aps", "&Apertures", "102", [] { RunSetupItem("M_Aps"); });
    QMenu* colors = AddMenu(opt, "M_Colors", "&Colors", "9919");
    AddItem(colors, "M_SchCC", "&Sch. Categories", "1030", [] { RunSetupItem("M_SchCC"); });
    AddItem(colors, "M_LayLC", "&Layers", "9947", [] { RunSetupItem("M_LayLC"); });
    AddItem(colors, "M_LayCC", "Lay. &Categories", "10189", [] { RunSetupItem("M_LayCC"); });
    QMenu* sizes = AddMenu(opt, "M_Sizes", "&Sizes", "1032");
    AddItem(sizes, "M_Texts", "&Texts", "1033", [] { RunSetupItem("M_Texts"); });
    AddItem(sizes, "M_Cond", "&Conductors", "107", [] { RunSetupItem("M_Cond"); });
    AddItem(sizes, "M_Grids", "&Grid, Snap && Precision", "1017", [] { RunSetupItem("M_Grids"); });
    AddItem(opt, "M_Layers", "&Layer Names", "1020", [] { RunSetupItem("M_Layers"); });
    QMenu* fmt = AddMenu(opt, "M_Format", "&Formats", "1016");
    AddItem(fmt, "M_DefSchematic", "&Schematic", "9974", [] { RunSetupItem("M_DefSchematic"); });
    AddItem(fmt, "M_DefLayout", "&Layout", "9948", [] { RunSetupItem("M_DefLayout"); });
    AddItem(opt, "M_PackPref", "&Packaging Preferences", "1025", [] { RunSetupItem("M_PackPref"); });
    AddItem(opt, "M_BackUp", "&Backup", "104", [] { RunSetupItem("M_BackUp"); });
    AddItem(opt, "M_App", "&Applications", "103", [] { RunSetupItem("M_App"); });
    AddItem(opt, "M_Short", "Toolboxes", "10272", [] { M_Short_Click(); });
    // The menu has toggled the check already; the handler toggles it itself.
    AddItem(opt, "M_Ahlp", "Auto &Help", "1083", [this] {
        Item("M_Ahlp")->setChecked(!Item("M_Ahlp")->isChecked());
        M_Ahlp_Click();
    })->setCheckable(true);
    sep(opt, "M_s4");
    AddItem(opt, "M_DeftoCur", "Default->Current", "10126", [this] { M_DeftoCur_Click(); });

    // Items of the bar itself.
    AddItem(nullptr, "M_LibEdit", "Li&brary", "10197", [] { M_LibEdit_Click(); });
    AddItem(nullptr, "M_Schema", "&Capture", "105", [] { M_Schema_Click(); });
    AddItem(nullptr, "M_Layout", "&Layout", "9948", [] { M_Layout_Click(); });
    AddItem(nullptr, "M_Post", "&Postpro", "1028", [] { M_Post_Click(); });

    QMenu* sim = AddMenu(nullptr, "M_Sim", "&Simulation", "1031");
    AddItem(sim, "M_Msim", "&Mixed Mode Simulator", "1022", [] { M_Msim_Click(); });
    AddItem(sim, "M_Valcor", "Val&cor Simulator", "1013", [] { M_Valcor_Click(); });
    AddItem(sim, "M_Thermo", "&Thermal Analyzer", "1034", [] { M_Thermo_Click(); });
    AddItem(sim, "M_Ema", "&Electromagnetic Analyzer", "10289", [] { M_Ema_Click(); });

    // The hierarchy browser is wired by its own module.
    AddItem(nullptr, "M_Hier", "&Hierarchy", "1018", [] { M_Hier_Click(); });

    QMenu* custom = AddMenu(nullptr, "M_Custom", "Custo&m", "10114");
    custom->menuAction()->setVisible(false);
    custom->menuAction()->setEnabled(false);
    AddItem(custom, "M_Cap(1)", " ", nullptr, [] { M_Cap_Click(1); });

    QMenu* help = AddMenu(nullptr, "M_HelpEntry", "&?Help", "993");
    AddItem(help, "M_Help(1)", "&Tolvi Help", "9934", [this] { M_Help_Click(1); });
    AddItem(help, "M_Help(2)", "&Tutorial", "1035", [this] { M_Help_Click(2); });
    AddItem(help, "M_About", "&About Tolvi", "101", [this] { M_About_Click(); });
}

QAction* QUVMAIN::Item(const std::string& name) const {
    auto it = items_.find(name);
    return it == items_.end() ? nullptr : it->second;
}

QAction* QUVMAIN::Item(const std::string& name, int index) const {
    return Item(name + "(" + std::to_string(index) + ")");
}

QMenu* QUVMAIN::Menu(const std::string& name) const {
    auto it = menus_.find(name);
    return it == menus_.end() ? nullptr : it->second;
}

void QUVMAIN::RunStartCommand(const std::string_view handler) { RunModuleLauncher(handler); }

}  // namespace tolvi
