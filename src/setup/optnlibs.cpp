#include "setup/optnlibs.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QVBoxLayout>
#include <cmath>

#include "common/boxes.h"
#include "common/colour_settings.h"
#include "common/form_buttons.h"
#include "common/general_settings.h"
#include "common/library_lists.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/option_store.h"
#include "common/preview_drawing.h"
#include "common/utilities.h"
#include "kernel/qt/qpainter_sink.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/qt/color_swatch.h"
#include "platform/qt/file_lists.h"
#include "platform/qt/preview_canvas.h"
#include "platform/qt/tolvi_grid.h"
#include "platform/ui.h"
#include "setup/library_objects.h"
#include "setup/optndev.h"

namespace tolvi {

namespace {

constexpr int kShownEntries = 8;
constexpr int kShownFiles = 6;
constexpr int kPreviewW = 220;
constexpr int kPreviewH = 150;
// G_SetColor from this value on draws each object in its own category or layer colour.
constexpr int32_t kOwnColours = 64;

struct ListText {
    const char* pattern;
    const char* selFrame;
    const char* find;
    const char* findId;
    const char* browseFrame;
};
constexpr ListText kLists[3] = {
    {"*.PART", "Part Libraries: ", "Part", "99547", "Browse Parts:"},
    {"*.SYMBOL", "Symbol Libraries: ", "Symbol", "991157", "Browse Symbols: "},
    {"*.PACKAGE", "Package Libraries: ", "Package", "99816", "Browse Packages: "},
};

const char* KindOf(int Index) { return Index == 0 ? kPartLibKind : kSymbolLibKind; }

std::string TextOf(const QLineEdit* box) { return platform::FromQString(box->text()); }

}  // namespace

// --- the list rules ---

bool LibListEditor::SelectionVisible() const {
    return topRow <= selectedRow && selectedRow < topRow + visibleRows;
}

bool LibListEditor::Listed(const std::string& text) const {
    for (int k = 1; k <= Count(); ++k)
        if (list[std::size_t(k)] == text) return true;
    return false;
}

LibListEditor::Result LibListEditor::Add(const std::string& text) {
    if (Trim(text).empty() || Listed(text)) return Refused;
    list.push_back(text);
    const int n = Count();
    currentRow = selectedRow = n;
    if (n - visibleRows >= topRow) topRow = n - visibleRows + 1;
    return Done;
}

LibListEditor::Result LibListEditor::Insert(const std::string& text) {
    if (!SelectionVisible() || Trim(text).empty()) return Refused;
    if (Count() == 0) return Ignored;
    if (Listed(text)) return Refused;
    // The grid holds no row past the list; a selection there has nothing to insert before.
    if (selectedRow < 1 || selectedRow > Count()) return Refused;
    list.insert(list.begin() + selectedRow, text);
    currentRow = selectedRow;
    return Done;
}

LibListEditor::Result LibListEditor::Delete() {
    if (!SelectionVisible()) return Refused;
    if (Count() == 0) return Ignored;
    if (selectedRow < 1 || selectedRow > Count()) return Refused;
    list.erase(list.begin() + selectedRow);
    const int rows = GridRows();
    currentRow = selectedRow = selectedRow < rows ? selectedRow : rows - 1;
    if (topRow + visibleRows >= rows) topRow = std::max(1, topRow - 1);
    return Done;
}

// --- the dialog ---

OPTNLIBS::OPTNLIBS(QWidget* parent)
    : SetupDialog("OPTNLIBS", "Tolvi32 - Library Search Sequence", nullptr, parent) {
    auto* columns = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        const std::size_t u = std::size_t(i);
        const ListText& t = kLists[u];
        const QString n = QString::number(i);

        QGroupBox* sel = NewFormFrame(this, nullptr, t.selFrame, nullptr);
        sel->setObjectName("F_SelFrame_" + n);
        F_SelFrame[u] = sel;
        auto* grid = new platform::TolviGrid(sel);
        grid->setObjectName("F_Libs_" + n);
        grid->SetCols(2);
        grid->SetRows(2);
        grid->FitRows(kShownEntries);
        F_Libs[u] = grid;
        connect(grid, &platform::TolviGrid::Click, this, [this, i] { F_Libs_Click(i); });

        F_Lib[u] = new QLineEdit(sel);
        F_Lib[u]->setObjectName("F_Lib_" + n);
        F_Lib[u]->setValidator(new platform::CodePageValidator(F_Lib[u]));
        auto* buttons = new QHBoxLayout;
        F_Add[u] = NewFormButton(sel, nullptr, "Add", nullptr);
        F_Insert[u] = NewFormButton(sel, nullptr, "Insert", nullptr);
        F_Delete[u] = NewFormButton(sel, nullptr, "Delete", nullptr);
        F_Add[u]->setObjectName("F_Add_" + n);
        F_Insert[u]->setObjectName("F_Insert_" + n);
        F_Delete[u]->setObjectName("F_Delete_" + n);
        for (QPushButton* b : {F_Add[u], F_Insert[u], F_Delete[u]}) buttons->addWidget(b);
        connect(F_Add[u], &QPushButton::clicked, this, [this, i] { F_Add_Click(i); });
        connect(F_Insert[u], &QPushButton::clicked, this, [this, i] { F_Insert_Click(i); });
        connect(F_Delete[u], &QPushButton::clicked, this, [this, i] { F_Delete_Click(i); });

        F_Files[u] = new platform::FileList(sel);
        F_Files[u]->setObjectName("F_Files_" + n);
        F_Files[u]->setFixedHeight(F_Files[u]->fontMetrics().height() * kShownFiles + 8);
        connect(F_Files[u], &QListWidget::currentRowChanged, this, [this, i](int) { F_Files_Click(i); });
        connect(F_Files[u], &QListWidget::itemDoubleClicked, this, [this, i] { F_Files_DblClick(i); });

        auto* selLayout = new QVBoxLayout(sel);
        selLayout->addWidget(grid, 0, Qt::AlignHCenter);
        selLayout->addWidget(F_Lib[u]);
        selLayout->addLayout(buttons);
        selLayout->addWidget(F_Files[u]);

        QGroupBox* browse = NewFormFrame(this, nullptr, t.browseFrame, nullptr);
        browse->setObjectName("F_BrowseFrame_" + n);
        F_BrowseFrame[u] = browse;
        F_BrowseList[u] = new QComboBox(browse);
        F_BrowseList[u]->setObjectName("F_BrowseList_" + n);
        // Sized by a fixed length, never by measuring every entry of a large library.
        F_BrowseList[u]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        F_BrowseList[u]->setMinimumContentsLength(14);
        F_BrowseList[u]->setMaxVisibleItems(20);
        F_BrowseList[u]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(F_BrowseList[u], &QComboBox::activated, this, [this, i](int) { F_BrowseList_Click(i); });
        F_Count[u] = NewFormLabel(browse, nullptr, "", nullptr);
        F_Count[u]->setObjectName("F_Count_" + n);
        F_Count[u]->setMinimumWidth(
            F_Count[u]->fontMetrics().horizontalAdvance(QStringLiteral(" 99999 item(s)")));
        F_Count[u]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* browseLayout = new QHBoxLayout(browse);
        browseLayout->addWidget(F_BrowseList[u], 1);
        browseLayout->addWidget(F_Count[u]);

        auto* column = new QVBoxLayout;
        column->addWidget(sel);
        column->addWidget(browse);
        columns->addLayout(column);
    }

    auto* bottom = new QHBoxLayout;
    QGroupBox* find = NewFormFrame(this, "Frame3D1", "Find:", nullptr);
    auto* findLayout = new QVBoxLayout(find);
    for (int i = 0; i < 3; ++i) {
        const std::size_t u = std::size_t(i);
        F_Find[u] = NewFormButton(find, nullptr, kLists[u].find, nullptr);
        F_Find[u]->setObjectName(QStringLiteral("F_Find_%1").arg(i));
        connect(F_Find[u], &QPushButton::clicked, this, [this, i] { F_Find_Click(i); });
        findLayout->addWidget(F_Find[u]);
    }
    findLayout->addStretch();
    bottom->addWidget(find);
    for (int k = 0; k < 2; ++k) {
        const std::size_t u = std::size_t(k);
        F_SmbFrame[u] = NewFormFrame(this, nullptr, k == 0 ? "Symbol: " : "Package: ", nullptr);
        F_SmbFrame[u]->setObjectName(QStringLiteral("F_SmbFrame_%1").arg(k));
        ViewPicture[u] = new platform::PreviewCanvas(F_SmbFrame[u]);
        ViewPicture[u]->setObjectName(QStringLiteral("ViewPicture_%1").arg(k));
        ViewPicture[u]->setFixedSize(kPreviewW, kPreviewH);
        auto* l = new QVBoxLayout(F_SmbFrame[u]);
        l->addWidget(ViewPicture[u]);
        bottom->addWidget(F_SmbFrame[u]);
    }
    bottom->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(bottom);
    layout->addLayout(FrameButtons());
}

std::vector<std::string>& OPTNLIBS::List(int Index) {
    return Index == 0 ? gDevLibs : Index == 1 ? gSchLibs : gLayLibs;
}

int OPTNLIBS::VisibleRows(int Index) const {
    // Taken from the grid as it is shown; never below one row, or every Insert and Delete would
    // be refused.
    return std::max(1, F_Libs[std::size_t(Index)]->VisibleDataRows());
}

void OPTNLIBS::SetupLibGrids() {
    const QFontMetrics fm(font());
    const double design = fm.averageCharWidth() * 9.0;
    for (platform::TolviGrid* grid : F_Libs) {
        grid->SetColWidth(0, int(std::lround(design / 2)));
        grid->SetColWidth(1, int(std::lround(design * 2.5)));
        for (int c = 0; c < 2; ++c) {
            grid->SetHeadAlignment(c, 2);
            grid->SetColAlignment(c, 0);
        }
        grid->SetTextMatrix(0, 0, GetLocalString("Sq.", "991246"));
        grid->SetTextMatrix(0, 1, GetLocalString("File Name:", "99685"));
    }
    preview_[0].caption = GetLocalString("Symbol: ", "991151");
    preview_[1].caption = GetLocalString("Package: ", "99803");
}

void OPTNLIBS::FillForm() {
    setWindowTitle(
        platform::ToQString(GetLocalString("Tolvi32 - Library Search Sequence (", "10152") + gLibDir + ")"));
    for (platform::FileList* files : F_Files) files->setPath(gLibDir);
    for (int i = 0; i < 3; ++i) {
        const std::size_t u = std::size_t(i);
        ShowList(i, LibListEditor{List(i)});  // from its first row
        F_Lib[u]->clear();
        F_Count[u]->clear();
        F_BrowseList[u]->clear();
    }
    ViewPicture[0]->setBackground(platform::ColorFromCode(gSchBackColor));
    ViewPicture[1]->setBackground(platform::ColorFromCode(gLayBackColor));
    for (int k = 0; k < 2; ++k) {
        ForgetPreview(k);
        ViewPicture_Paint(k);
    }
    for (int i = 0; i < 3; ++i) F_Files[std::size_t(i)]->setPattern(kLists[i].pattern);
    selectOnBrowse_.clear();
    ClearPreviewObjects();
}

void OPTNLIBS::F_Libs_Click(int Index) {
    platform::TolviGrid* grid = F_Libs[std::size_t(Index)];
    grid->SetCol(1);
    selectedRow_[std::size_t(Index)] = grid->Row();
}

LibListEditor OPTNLIBS::Editor(int Index) {
    LibListEditor e{List(Index)};
    e.selectedRow = SelectedRow(Index);
    e.topRow = F_Libs[std::size_t(Index)]->TopRow();
    e.visibleRows = VisibleRows(Index);
    e.currentRow = F_Libs[std::size_t(Index)]->Row();
    return e;
}

void OPTNLIBS::Apply(int Index, const LibListEditor& e, LibListEditor::Result r) {
    if (r == LibListEditor::Refused) platform::ui().Beep();
    if (r == LibListEditor::Done) ShowList(Index, e);
}

void OPTNLIBS::ShowList(int Index, const LibListEditor& e) {
    platform::TolviGrid* grid = F_Libs[std::size_t(Index)];
    grid->SetRows(e.GridRows());
    for (int k = 1; k < e.GridRows(); ++k) {
        const bool entry = k <= e.Count();
        grid->SetTextMatrix(k, 0, entry ? IniNumText(k) : "");
        grid->SetTextMatrix(k, 1, entry ? e.list[std::size_t(k)] : "");
    }
    grid->SetRow(e.currentRow);
    F_Libs_Click(Index);
    grid->SetTopRow(e.topRow);
}

void OPTNLIBS::F_Add_Click(int Index) {
    LibListEditor e = Editor(Index);
    Apply(Index, e, e.Add(TextOf(F_Lib[std::size_t(Index)])));
}

void OPTNLIBS::F_Insert_Click(int Index) {
    LibListEditor e = Editor(Index);
    Apply(Index, e, e.Insert(TextOf(F_Lib[std::size_t(Index)])));
}

void OPTNLIBS::F_Delete_Click(int Index) {
    LibListEditor e = Editor(Index);
    Apply(Index, e, e.Delete());
}

void OPTNLIBS::F_Files_DblClick(int Index) {
    const std::size_t u = std::size_t(Index);
    F_Lib[u]->setText(platform::ToQString(F_Files[u]->fileName()));
    F_Add_Click(Index);
}

// --- browse, find and preview ---

void OPTNLIBS::F_Files_Click(int Index) {
    const std::size_t u = std::size_t(Index);
    F_Lib[u]->setText(platform::ToQString(F_Files[u]->fileName()));
    F_Lib[u]->setFocus();
    skipPartClick_ = true;
    BrowseLibrary(Index);
}

void OPTNLIBS::ForgetPreview(int k) {
    Preview& p = preview_[std::size_t(k)];
    p.name.clear();
    p.lib.clear();
    p.id = 0;
    F_SmbFrame[std::size_t(k)]->setTitle(platform::ToQString(p.caption));
}

void OPTNLIBS::BrowseLibrary(int Index) {
    const std::size_t u = std::size_t(Index);
    const std::string f = TextOf(F_Lib[u]);
    QComboBox* list = F_BrowseList[u];
    list->clear();
    if (Trim(f).empty()) return;

    gWorkFile = platform::JoinPath(gLibDir, f);
    const int32_t h = E_OpenLibrary(gWorkFile.c_str(), KindOf(Index), 0);
    libHandle_[u] = h;
    if (Index > 0) ForgetPreview(Index - 1);

    // A library that cannot be opened lists nothing and says so in the count and the caption,
    // rather than showing the previous library's.
    int m = 0;
    if (h > 0) {
        platform::BusyPointerGuard busy;
        const std::vector<std::string> entries = LibraryEntryNames(h);
        m = int(entries.size());
        QStringList names;
        names.reserve(m + 1);
        bool found = false;
        for (const std::string& name : entries) {
            if (!found && !selectOnBrowse_.empty() && name == selectOnBrowse_)
                found = true;
            else
                names.append(platform::ToQString(name));
        }
        if (found) names.prepend(platform::ToQString(selectOnBrowse_));
        // Filled quietly: the selection below is the one click.
        const QSignalBlocker quiet(list);
        list->addItems(names);
        list->setCurrentIndex(-1);
    }
    F_Count[u]->setText(platform::ToQString(ItemCountText(m)));
    if (h > 0) {
        E_CloseLibrary(h);
        if (Index > 0)
            preview_[u - 1].lib = gWorkFile;
        else
            gPartLibPath = gWorkFile;
        if (m >= 1) {
            {
                const QSignalBlocker quiet(list);
                list->setCurrentIndex(0);
            }
            F_BrowseList_Click(Index);
        }
    }
    if (Index > 0) ViewPicture_Paint(Index - 1);

    QGroupBox* frame = F_BrowseFrame[u];
    std::string caption = platform::FromQString(frame->title());
    const std::size_t colon = caption.find(':');
    // The name in capitals, whatever its case on the disk: the caption shows, it names no file.
    caption =
        (colon == std::string::npos ? std::string() : caption.substr(0, colon + 1)) + " " + UpperCodePage(f);
    frame->setTitle(platform::ToQString(caption));
    selectOnBrowse_.clear();
}

void OPTNLIBS::F_BrowseList_Click(int Index) {
    const std::string s = platform::FromQString(F_BrowseList[std::size_t(Index)]->currentText());
    if (Trim(s).empty()) return;
    if (Index > 0) {
        const int k = Index - 1;
        Preview& p = preview_[std::size_t(k)];
        skipPartClick_ = false;
        if (p.lib.empty()) return;
        {
            platform::BusyPointerGuard busy;
            p.id = k == 0 ? -1 : -2;
            p.name = s;
            int32_t err = 1;
            LoadPreviewSymbol(err, k);
            if (err != 0) {
                p.id = 0;
                p.name.clear();
            }
            ViewPicture_Paint(k);
        }
        F_SmbFrame[std::size_t(k)]->setTitle(platform::ToQString(p.caption + p.name));
        return;
    }
    if (skipPartClick_) {
        skipPartClick_ = false;
        return;
    }
    if (F_Lib[0]->text().isEmpty()) return;
    gPartName = s;
    QWidget* form = new OPTNDEV(this);
    ShowOptionForm(form, 0);
    if (gPartOK == 0) return;
    LocateAndPreview(2, gPartPackage);
    LocateAndPreview(1, gPartSymbol);
}

bool OPTNLIBS::LocateAndPreview(int Index, const std::string& Name) {
    int32_t err = 1;
    int fileIndex = -1;
    FindInLibraries(err, Index, Name, fileIndex);
    if (err != 0) return false;
    selectOnBrowse_ = Name;
    SelectFile(Index, fileIndex);
    return true;
}

void OPTNLIBS::SelectFile(int Index, int FileIndex) {
    platform::FileList* files = F_Files[std::size_t(Index)];
    if (files->listIndex() == FileIndex)
        F_Files_Click(Index);
    else
        files->setListIndex(FileIndex);
}

void OPTNLIBS::F_Find_Click(int Index) {
    const ListText& t = kLists[Index];
    const std::string heading = GetLocalString("Find ", "99687") + GetLocalString(t.find, t.findId);
    const std::string answer = InputBoxEx(GetLocalString("Type in name:", "991344"), heading, "");
    if (answer.empty()) return;
    if (!LocateAndPreview(Index, answer))
        platform::ui().MsgBox(GetLocalString("Can't ", "1095") + heading + ":" + answer,
                              platform::kStyleSystemModal + platform::kStyleExclamation, "");
}

void OPTNLIBS::FindInLibraries(int32_t& Err, int Index, const std::string& Name, int& FileIndex) {
    Err = 1;
    platform::FileList* files = F_Files[std::size_t(Index)];
    for (int i = 0; i < files->count(); ++i) {
        gWorkFile = platform::JoinPath(gLibDir, files->fileName(i));
        const int32_t h = E_OpenLibrary(gWorkFile.c_str(), KindOf(Index), 0);
        if (h <= 0) continue;
        const int32_t r = E_OpenLibToRead(h, Name.c_str());
        E_CloseLibrary(h);
        if (r > 0) {
            FileIndex = i;
            Err = 0;
            return;
        }
    }
}

void OPTNLIBS::LoadPreviewSymbol(int32_t& Err, int k) {
    Preview& p = preview_[std::size_t(k)];
    LoadSymbolFromLib(Err, p.id, p.lib, p.name);
    if (Err != 0) return;
    S_SetCompLocation(0, 0, 0, 0);
    FrameRec items, entries;
    S_FrameSymbolItems(p.id, -1, items);
    S_FrameSymbolEntries(p.id, -1, entries);
    const QImage& box = ViewPicture[std::size_t(k)]->image();
    const PreviewFit fit = ComputePreview(items, entries, box.width(), box.height());
    p.frame = fit.frame;
    p.centreX = fit.centreX;
    p.centreY = fit.centreY;
    p.scale = fit.scale;
}

void OPTNLIBS::ViewPicture_Paint(int Index) {
    platform::PreviewCanvas& box = *ViewPicture[std::size_t(Index)];
    ClearPicture(box);
    const Preview& p = preview_[std::size_t(Index)];
    if (p.id != 0) {
        DcRec dc{p.scale, box.image().width(), box.image().height(), 0, 0, Index == 0 ? 0 : 4};
        QPainterSink sink(box.painter());
        G_SetColor(kOwnColours);
        G_SetStyle(0);
        G_OpenDC(&sink, dc);
        DrawSymbolAt(p.id, p.centreX, p.centreY, 0, 0);
        G_CloseDC();
    }
    box.update();
}

void OPTNLIBS::Store() {
    SaveLibraryLists();
    ClearPreviewObjects();
}

void OPTNLIBS::Reload() {
    LoadLibraryLists();
    ClearPreviewObjects();
}

}  // namespace tolvi
