#include "mainwindow/quvhier.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "common/boxes.h"
#include "common/colour_settings.h"
#include "common/context_help.h"
#include "common/db_session.h"
#include "common/layer_settings.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/option_scope.h"
#include "common/preview_drawing.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "interchange/object_builders.h"
#include "kernel/kernel.h"
#include "kernel/qt/qpainter_sink.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/hier_deletion.h"
#include "platform/qt/codec.h"
#include "platform/qt/color_swatch.h"
#include "platform/qt/preview_canvas.h"
#include "platform/screen.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

constexpr const char* kRootHier = "MAINHIER";
// The symbol of the net hooks, shared by every hierarchy, and the line width of its drawing and
// of the pin names on the hooks.
constexpr const char* kHookSymbol = "$&@HOOK";
constexpr int32_t kHookLineWidth = 2540;
constexpr int kTopTwips = 315;
// Room for the previews below the panel, for a browser that was never sized.
constexpr int kPreviewHeight = 320;
constexpr int kMinWidth = 720;

// Publishes the manager as busy to the other applications for the life of a scope.
class BrowserShowing {
public:
    BrowserShowing() { PublishMainState(-1, -1); }
    ~BrowserShowing() { PublishMainState(-1, 0); }
    BrowserShowing(const BrowserShowing&) = delete;
    BrowserShowing& operator=(const BrowserShowing&) = delete;
};

// The layer names and switches of the settings file, stored into the current hierarchy; the
// option sets in memory keep what they held.
void StoreDefaultLayers() {
    const auto keptLayers = gLayers;
    {
        SettingsOperation op;
        OptionScopeGuard defaults(OptionScope::Default);
        LoadLayerTable();
    }
    StoreHierarchyLayers();
    gLayers = keptLayers;
}

}  // namespace

int32_t HookPitch(int64_t Entries) {
    int64_t pitch = 406400;
    while (Entries * pitch > 440000000) pitch -= 50800;
    return int32_t(pitch);
}

void M_Hier_Click() {
    ShowContextHelp(8, 0, 0, 0);
    if (IsBusy()) return;
    UpdateMainCaption(gDbHandle);
    const int32_t hier = gCurHier;
    const int32_t page = gCurPage;
    {
        BrowserShowing showing;
        // Unloaded when it returns, whichever way.
        const auto form = std::make_unique<QUVHIER>(gMainForm);
        form->Form_Load();
        platform::ui().ShowModal(form.get());
    }
    if (hier != gCurHier)
        ResetHierStackFile();
    else if (page == gCurPage)
        return;
    NotifyAll("UP");
    ConnectCommandLinks();
}

QUVHIER::QUVHIER(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint) {
    setObjectName("QUVHIER");
    setWindowTitle(QStringLiteral("Tolvi32 - Hierachies in Database"));
    setProperty("tag", QStringLiteral("10150"));

    F_MenuPan = new QWidget(this);
    F_MenuPan->setObjectName("F_MenuPan");
    auto* pan = new QHBoxLayout(F_MenuPan);
    pan->setContentsMargins(4, 2, 4, 4);
    static const char* const kFrames[3][2] = {
        {"Hierarchies: ", "10185"}, {"Pages: ", "991013"}, {"Create New Hierarchy: ", "10110"}};
    for (int i = 0; i < 3; ++i) {
        auto* frame = new QGroupBox(QString::fromLatin1(kFrames[i][0]), F_MenuPan);
        frame->setObjectName(QStringLiteral("F_ListFrame(%1)").arg(i));
        frame->setProperty("tag", QString::fromLatin1(kFrames[i][1]));
        auto* box = new QComboBox(frame);
        box->setObjectName(QStringLiteral("F_BrowseList(%1)").arg(i));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMinimumContentsLength(16);
        box->setMaxVisibleItems(20);
        box->lineEdit()->setValidator(new platform::CodePageValidator(box));
        box->installEventFilter(this);
        connect(box, &QComboBox::activated, this, [this, i](int row) {
            // A pick shows the picked name even when it was already the list's current row.
            F_BrowseList[std::size_t(i)]->setEditText(F_BrowseList[std::size_t(i)]->itemText(row));
            F_BrowseList_Click(i);
        });
        auto* inFrame = new QVBoxLayout(frame);
        inFrame->setContentsMargins(6, 2, 6, 6);
        inFrame->addWidget(box);
        pan->addWidget(frame, 1);
        F_ListFrame[std::size_t(i)] = frame;
        F_BrowseList[std::size_t(i)] = box;
    }

    // Controls carry their control name and the message id of their caption.
    const auto named = [](QWidget* w, const char* name, const char* tag) {
        w->setObjectName(QString::fromLatin1(name));
        w->setProperty("tag", QString::fromLatin1(tag));
    };
    const auto button = [&](const char* caption, const char* name, const char* tag,
                            void (QUVHIER::*click)()) {
        auto* b = new QPushButton(QString::fromLatin1(caption), F_MenuPan);
        named(b, name, tag);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
        return b;
    };
    F_hooks = new QCheckBox(QStringLiteral("Create Net hooks"), F_MenuPan);
    named(F_hooks, "F_hooks", "10109");
    F_Accept = button("Accept", "F_Accept", "99177", &QUVHIER::F_Accept_Click);
    F_Cancel = button("Cancel", "F_Cancel", "99388", &QUVHIER::F_Cancel_Click);
    F_Delete = button("Delete", "F_Delete", "99521", &QUVHIER::F_Delete_Click);
    auto* controls = new QGridLayout;
    controls->addWidget(F_hooks, 0, 0, 1, 3);
    controls->addWidget(F_Accept, 1, 0);
    controls->addWidget(F_Cancel, 1, 1);
    controls->addWidget(F_Delete, 1, 2);
    pan->addLayout(controls);

    for (int i = 0; i < 2; ++i) {
        auto* box = new platform::PreviewCanvas(this);
        box->setObjectName(QStringLiteral("ViewPicture(%1)").arg(i));
        ViewPicture[std::size_t(i)] = box;
    }
    F_MsgLine = new QLabel(this);
    F_MsgLine->setObjectName("F_MsgLine");
    F_MsgLine->setTextFormat(Qt::PlainText);
    F_MsgLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    InstallHelpKey(this);
}

QUVHIER::~QUVHIER() = default;

void QUVHIER::Form_Load() {
    LocalizeForm(this);
    // The browser opens at the size its localised panel and its caption need, and never gets
    // smaller.
    const QSize panel = F_MenuPan->sizeHint();
    resize(std::max({kMinWidth, panel.width() + 2, platform::CaptionWidth(this)}),
           panel.height() + kPreviewHeight + F_MsgLine->sizeHint().height());
    mMinHeight = height();
    mMinWidth = width();
    setMinimumSize(mMinWidth, mMinHeight);
    // Below the bar at the screen's left edge, its frame kept on the screen.
    platform::PlaceWindow(this, platform::AtScreenPoint(0, kTopTwips * logicalDpiY() / 1440));

    for (int32_t i = 0; i <= 31; ++i) SetLayerMaskBit(i, 1);

    mOrgHier = gCurHier;
    mOrgHierName = gCurHierName;
    mOrgPage = gCurPage;
    mOrgPageName = gCurPageName;
    closing_ = false;

    OM_MaskAll(DB_HierarchyMap(), kHierListed, kHierListed | kHierMarked);
    FillList(0);
    SetListText(0, gCurHierName);
    FillList(1);
    SetListText(1, gCurPageName);
    FillList(2);
    SetListText(2, GetLocalString("New Hierarchy:", "10211"));

    ViewPicture[0]->setBackground(platform::ColorFromCode(gSchBackColor));
    ViewPicture[1]->setBackground(platform::ColorFromCode(gLayBackColor));
    ShowMessage(GetLocalString("Select hierarchy/page", "10252"));
}

void QUVHIER::Form_Resize() {
    mInLayout = -1;
    if (height() < mMinHeight || width() < mMinWidth)
        resize(std::max(width(), mMinWidth), std::max(height(), mMinHeight));
    const int w = width(), h = height();
    const int panelHeight = F_MenuPan->sizeHint().height();
    const int msgHeight = F_MsgLine->sizeHint().height();
    F_MenuPan->setGeometry(1, 0, std::max(0, w - 1), panelHeight);
    const int previewWidth = std::max(0, w / 2 - 3);
    const int previewHeight = std::max(0, h - (panelHeight + msgHeight));
    ViewPicture[0]->setGeometry(1, panelHeight + 1, previewWidth, previewHeight);
    ViewPicture[1]->setGeometry(2 + previewWidth, panelHeight + 1, previewWidth, previewHeight);
    F_MsgLine->setGeometry(1, panelHeight + previewHeight, w, msgHeight);
    mInLayout = 0;
    RepaintPreviews();
}

void QUVHIER::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void QUVHIER::FillList(int32_t Which) {
    QComboBox* list = F_BrowseList[std::size_t(Which)];
    const QSignalBlocker quiet(list);
    list->clear();
    int32_t map = 0, value = 0, mask = 0;
    switch (Which) {
        case 0:
            map = DB_HierarchyMap(), value = kHierListed, mask = kHierListed;
            break;
        case 1:
            map = DB_PageMap();
            break;
        default:
            map = DB_SymbMap(), value = 1, mask = 3;  // block symbols
            break;
    }
    QStringList names;
    int32_t cursor = OM_GetFirst(map);
    int32_t id = 0;
    while ((id = OM_SearchMask(map, cursor, value, mask)) > 0) {
        const char* name = O_GetName(OM_Object(map, id));
        if (name == nullptr) continue;
        if (OM_FindNameMask(map, name, value, mask) > 0) names.append(platform::ToQString(name));
    }
    list->addItems(names);
}

void QUVHIER::SetListText(int Which, const std::string& Text) {
    QComboBox* list = F_BrowseList[std::size_t(Which)];
    const QString text = platform::ToQString(Text);
    // The drop-down opens on the entry shown.
    const int row = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (row >= 0) list->setCurrentIndex(row);
    list->setEditText(text);
}

void QUVHIER::ShowMessage(const std::string& Text) {
    F_MsgLine->setText(platform::ToQString(" " + Text));
    F_MsgLine->repaint();
}

void QUVHIER::F_BrowseList_Click(int Index) {
    mKeyTyped = 0;
    const std::string Text = platform::FromQString(F_BrowseList[std::size_t(Index)]->currentText());
    if (Text.empty()) return;
    switch (Index) {
        case 0: {
            const int32_t id = OM_FindNameMask(DB_HierarchyMap(), Text.c_str(), kHierListed, kHierListed);
            if (DB_SetCurHier(id) != 0) {
                UpdateMainCaption(gDbHandle);
                FillList(1);
                SetListText(1, gCurPageName);
                RepaintPreviews();
            } else {
                platform::ui().Beep();
                SetListText(0, gCurHierName);
            }
            break;
        }
        case 1: {
            const int32_t id = OM_FindNameMask(DB_PageMap(), Text.c_str(), 0, 0);
            if (DB_SetCurPage(id) != 0) {
                UpdateMainCaption(gDbHandle);
                ViewPicture_Paint(0);
            } else {
                SetListText(1, gCurPageName);
                platform::ui().Beep();
            }
            break;
        }
        default:
            CreateHierarchy(Text);
            break;
    }
}

// A hierarchy named after the block symbol Text, with one page "MAINPAGE"; the hierarchy that
// was current stays current. Nothing of a failed attempt stays.
void QUVHIER::CreateHierarchy(const std::string& Text) {
    const int32_t map = DB_HierarchyMap();
    int Err = 0;
    int32_t symbolId = 0, hierId = 0;
    FindNameInMap(Err, DB_SymbMap(), symbolId, Text);
    if (Err == 0 && (O_GetStatus(S_Symbol(symbolId)) & 2) != 0) Err = 1;  // a layout symbol
    if (Err == 0) {
        int32_t existing = 0;
        FindNameInMap(Err, map, existing, Text);
        Err = Err == 0 ? 1 : 0;  // any hierarchy of that name, listed or not
    }
    if (Err == 0) {
        hierId = DB_CreateHierarchy(0, Text.c_str());
        if (hierId == 0)
            Err = 1;
        else
            O_Mask(OM_Object(map, hierId), 0, 2);
    }
    if (Err == 0) {
        if (DB_SetCurHier(hierId) == 0) {
            OM_Delete(map, hierId);
            Err = 1;
        } else {
            StoreDefaultLayers();
        }
    }
    if (Err == 0) {
        const int32_t pageId = DB_CreatePage(1, "MAINPAGE");
        if (pageId == 1) DB_SetCurPage(1);
        DB_SetCurHier(gCurHier);
        if (pageId != 1) {
            OM_Delete(map, hierId);
            Err = 1;
        }
    }
    if (Err == 0) {
        O_Mask(OM_Object(map, hierId), kHierListed | kHierCreated, kHierListed | kHierCreated);
        if (F_hooks->isChecked()) {
            if (DB_SetCurHier(hierId) != 0) CreateNetHooks(Text);
            DB_SetCurHier(gCurHier);
        }
    }

    if (Err != 0) {
        platform::ui().MsgBox(GetLocalString("Can't Create Hierarchy: ", "1096") + Text,
                              platform::kStyleSystemModal | platform::kStyleExclamation, gAppTitle);
    } else {
        FillList(0);
        SetListText(0, gCurHierName);
        FillList(1);
        SetListText(1, gCurPageName);
        ShowMessage(GetLocalString("Hierarchy: ", "10186") + Text + GetLocalString(" created O.K", "10111"));
    }
    SetListText(2, GetLocalString("New Hierarchy:", "10211"));
}

void QUVHIER::CreateNetHooks(const std::string& BlockName) {
    int32_t Err = 0, blockId = 0;
    FindSymbolByName(Err, blockId, BlockName);
    if (Err != 0) return;
    SymbolRec block;
    if (S_ReadSymbol(blockId, block) == 0 || (block.Status & 2) != 0) return;

    // The hook symbol is shared by every hierarchy of the design: made once, a pin and an arrow.
    int32_t hookId = 0;
    FindSymbolByName(Err, hookId, kHookSymbol);
    if (hookId == 0) {
        hookId = S_CreateSymbol(0, kHookSymbol);
        if (hookId == 0) {
            ShowDbError(3, GetLocalString("symbol", "991273"));
            return;
        }
        EntryRec pin;
        pin.Status = 1;
        InsertSymbolEntry(Err, hookId, pin, "HOOK", "", 1);
        ItemRec line;
        line.Kind = 1, line.Attr = 1, line.StyleA = 44, line.Width = kHookLineWidth, line.P2 = -1016000;
        int32_t item = 0;
        if (Err == 0) AddItemOrText(Err, 0, hookId, line, "", item);
        ItemRec arrow = line;
        arrow.Kind = 2, arrow.StyleB = 16, arrow.P2 = -101600, arrow.P3 = -101600, arrow.P4 = -101600,
        arrow.P5 = 101600;
        if (Err == 0) AddItemOrText(Err, 0, hookId, arrow, "", item);
        if (Err != 0) {
            OM_Delete(DB_SymbMap(), hookId);
            ShowDbError(3, GetLocalString("symbol", "991273"));
            return;
        }
    }

    if (S_ReadSymbol(blockId, block) == 0) return;
    const int64_t entries = block.EntryCount;
    const int64_t pitch = HookPitch(entries);
    int64_t y = -(entries * pitch) / 2;  // the pitch is even: exact
    for (int32_t entryNo = 1; entryNo <= entries; ++entryNo) {
        EntryRec entry;
        if (S_ReadEntry(blockId, entryNo, entry) == 0) continue;
        const std::string pinName = CStrFromPtr(entry.Name);
        const int32_t net = N_CreateNet(0, 5, pinName.c_str());
        if (net == 0) {
            ShowDbError(3, "");
            return;
        }
        const std::string hookName = kHookSymbol + std::to_string(entryNo);
        const int32_t comp = C_CreateComponent(0, hookName.c_str(), 1, 0, hookId, 1, 0, int32_t(y), 0);
        if (comp == 0) {
            ShowDbError(3, GetLocalString("component", "99473"));
            return;
        }
        ItemRec text;
        text.Kind = 6, text.Attr = 1, text.X = 50800, text.Y = 50800, text.StyleA = 44;
        text.Width = kHookLineWidth, text.P2 = 25400, text.P3 = 25400;
        int32_t item = 0;
        AddItemOrText(Err, 1, comp, text, pinName, item);  // a hook without its label still works
        if (N_CreateNode(net, 0, comp, 1, 0, 0) == 0) {
            ShowDbError(3, GetLocalString("node", "99947"));
            return;
        }
        y += pitch;
    }
}

void QUVHIER::F_BrowseList_KeyPress(int Index, int& KeyAscii) {
    mKeyTyped = -1;
    if (KeyAscii == 13) {
        KeyAscii = 0;
        F_BrowseList_Click(Index);
    }
}

void QUVHIER::F_BrowseList_LostFocus(int Index) {
    if (mKeyTyped != 0) F_BrowseList_Click(Index);
}

bool QUVHIER::eventFilter(QObject* watched, QEvent* event) {
    const auto list = std::find(F_BrowseList.begin(), F_BrowseList.end(), watched);
    if (list != F_BrowseList.end()) {
        const int index = int(list - F_BrowseList.begin());
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            int ascii = -1;
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                ascii = 13;
            else if (key->key() != Qt::Key_Escape && !key->text().isEmpty())
                ascii = key->text().at(0).unicode();
            if (ascii >= 0) {
                F_BrowseList_KeyPress(index, ascii);
                if (ascii == 0) return true;
            }
        } else if (event->type() == QEvent::FocusOut && !closing_) {
            // Opening the list's own drop-down, or another window coming to the front, is not
            // leaving the list.
            const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
            if (why != Qt::PopupFocusReason && why != Qt::ActiveWindowFocusReason)
                F_BrowseList_LostFocus(index);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void QUVHIER::F_Delete_Click() {
    if (gCurHierName == kRootHier) {
        platform::ui().Beep();
        ShowMessage(GetLocalString("Can't Delete MAINHIER", "1098"));
        return;
    }
    if (!AskYesNo(GetLocalString("Delete Hierarchy: ", "10127") + gCurHierName)) return;
    const int32_t map = DB_HierarchyMap();
    const int32_t hier = OM_Object(map, gCurHier);
    if ((O_GetStatus(hier) & kHierCreated) != 0) {
        O_Mask(hier, kHierDeleteNow, kHierDeleteNow);
        DeleteMarkedHierarchies(kHierDeleteNow);
        ShowMessage(GetLocalString("Hierarchy: ", "10186") + gCurHierName +
                    GetLocalString("deleted", "10291"));
    } else {
        O_Mask(hier, kHierMarked, kHierListed | kHierMarked);
    }
    const int32_t root = OM_FindNameMask(map, kRootHier, kHierListed, kHierListed);
    if (DB_SetCurHier(root) == 0) return;
    UpdateMainCaption(gDbHandle);
    FillList(0);
    SetListText(0, gCurHierName);
    FillList(1);
    SetListText(1, gCurPageName);
    RepaintPreviews();
}

void QUVHIER::F_Accept_Click() {
    closing_ = true;
    DeleteMarkedHierarchies(kHierMarked);
    OM_MaskAll(DB_HierarchyMap(), 0, kHierListed | kHierMarked | kHierCreated);
    MakeHeaps(0);
    hide();
}

void QUVHIER::F_Cancel_Click() {
    closing_ = true;
    DB_SetCurHier(mOrgHier);
    UpdateMainCaption(gDbHandle);
    DeleteMarkedHierarchies(kHierCreated);
    OM_MaskAll(DB_HierarchyMap(), 0, kHierListed | kHierMarked | kHierCreated);
    hide();
}

void QUVHIER::reject() { F_Cancel_Click(); }

void QUVHIER::RepaintPreviews() {
    ViewPicture_Paint(0);
    ViewPicture_Paint(1);
}

void QUVHIER::ViewPicture_Paint(int Index) {
    if (mInLayout != 0) return;
    platform::PreviewCanvas& box = *ViewPicture[std::size_t(Index)];
    ClearPicture(box);
    // The frame covers everything the preview draws, not its wires or traces alone.
    if (Index == 0)
        FrameAllSchematic();
    else
        FrameAllLayout();
    const int w = box.width(), h = box.height();
    if (gFrameW > 0 && gFrameH > 0 && w > 0 && h > 0) {
        mFitScale = double(gFrameW) / w;
        mFitScaleY = double(gFrameH) / h;
        if (mFitScale < mFitScaleY) mFitScale = mFitScaleY;
        // 2540 units a pixel of margin on top of the scale that fits.
        int32_t scale = 1;
        if (mFitScale > 1.0 && !RoundHalfEven(mFitScale + 2540, scale))
            scale = std::numeric_limits<int32_t>::max();
        mViewScale[std::size_t(Index)] = scale;
        auto& centre = mViewCentre[std::size_t(Index)];
        RoundHalfEven(gFrameX1 + double(gFrameW) / 2, centre[0]);
        RoundHalfEven(gFrameY1 + double(gFrameH) / 2, centre[1]);
        OpenPreviewDC(Index);
        if (Index == 0)
            DrawAllSchematic();
        else
            DrawAllLayout();
        G_CloseDC();
        sink_.reset();
    }
    box.update();
}

void QUVHIER::OpenPreviewDC(int32_t Index) {
    N_SetNodeView(Index == 0 ? 0 : 1);
    platform::PreviewCanvas& box = *ViewPicture[std::size_t(Index)];
    DcRec rec{mViewScale[std::size_t(Index)],
              box.width(),
              box.height(),
              mViewCentre[std::size_t(Index)][0],
              mViewCentre[std::size_t(Index)][1],
              Index == 0 ? 0 : 4};
    sink_ = std::make_unique<QPainterSink>(box.painter());
    G_OpenDC(sink_.get(), rec);
}

}  // namespace tolvi
