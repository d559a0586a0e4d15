#include "setup/postapt.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/aperture_tables.h"
#include "common/boxes.h"
#include "common/dialog_state.h"
#include "common/form_buttons.h"
#include "common/general_settings.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"
#include "platform/qt/tolvi_grid.h"
#include "platform/text_files.h"
#include "platform/ui.h"
#include "setup/units.h"

namespace tolvi {

namespace {

constexpr int kShownSizes = 15;
constexpr double kMinSize = 1;
constexpr double kMaxSize = 2200 * kUnitsPerMM;
constexpr int kStyleYesNo = platform::kStyleSystemModal + platform::kStyleYesNo;  // 4100

int TableRows() { return int(gApertures.size()) - 1; }

int32_t& DcodeOf(AptRec& r, int Index) {
    return Index == 0 ? r.LineDcode : Index == 1 ? r.RoundDcode : r.SquareDcode;
}

}  // namespace

// --- the table rules ---

void ParseDcode(const std::string& Text, int32_t& Code) {
    const std::string t = UpperAscii(Text);
    if (Trim(t).empty()) {
        Code = 0;
        return;
    }
    Code = -1;
    const std::size_t star = t.find('*');
    if (t[0] != 'D' || star == std::string::npos) return;
    const double v = ParseNumber(t.substr(1, star - 1));
    // The range is tested before rounding: 9.6 is no D-code.
    if (v < 10 || v > 999) return;
    int32_t code = 0;
    if (RoundHalfEven(v, code)) Code = code;
}

int32_t ApertureSizeFromText(const std::string& Text, bool Mm) {
    const std::optional<int32_t> size = TakeLength(Text, Mm ? 1.0f : kInchFactor, kMinSize, kMaxSize);
    return size ? *size : -1;
}

int InsertApertureSize(int32_t Size) {
    int32_t index = 0, pos = 0;
    FindApertureSize(index, Size, pos);
    if (index != 0) return 0;
    if (pos < 1) pos = 1;
    AptRec row;
    row.Size = Size;
    gApertures.insert(gApertures.begin() + pos, row);
    return pos;
}

bool DeleteApertureRow(int Row) {
    if (TableRows() < 2 || Row < 1 || Row > TableRows()) return false;
    gApertures.erase(gApertures.begin() + Row);
    return true;
}

int ApertureTopRow(int Row, int RowCount, int VisibleRows) {
    // Pages overlap by one row, so a page of one row would never move on.
    const int v = std::max(2, VisibleRows);
    const int last = RowCount - 1;
    for (int top = 1;; top += v - 1) {
        if (Row > top + v - 1) continue;
        return top + v - 1 <= last ? top : std::max(1, RowCount - v);
    }
}

std::string ApertureTableText() {
    std::string text;
    for (std::size_t r = 1; r < gApertures.size(); ++r) {
        const AptRec& a = gApertures[r];
        text += std::to_string(a.Size) + "," + std::to_string(a.LineDcode) + "," +
                std::to_string(a.RoundDcode) + "," + std::to_string(a.SquareDcode) + "\r\n";
    }
    return text + "\"#\",\"#\",\"#\",\"#\"\r\n";
}

std::array<std::string, 5> ApertureRowCells(int Row, char DecimalPoint) {
    const AptRec& a = gApertures[Row >= 1 && Row <= TableRows() ? std::size_t(Row) : 0];
    return {FormatNumber(a.Size / kUnitsPerMM / 25.4, "#0.0000#", DecimalPoint),
            FormatNumber(a.Size / kUnitsPerMM, "###0.000", DecimalPoint), FormatDcodeCell(a.LineDcode),
            FormatDcodeCell(a.RoundDcode), FormatDcodeCell(a.SquareDcode)};
}

// --- the dialog ---

POSTAPT::POSTAPT(QWidget* parent) : SetupDialog("POSTAPT", "Tolvi32 - Apertures Tables", nullptr, parent) {
    traits.refillsOnActivate = false;

    QGroupBox* current = NewFormFrame(this, "Frame3D1", "Current Aperture Table: ", nullptr);
    CurApt = NewFormLabel(current, "CurApt", "", nullptr);
    (new QVBoxLayout(current))->addWidget(CurApt);

    QGroupBox* listed = NewFormFrame(this, "Frame3D2", "List of Aperture Tables: ", nullptr);
    AptLst = new platform::FileList(listed);
    AptLst->setObjectName("AptLst");
    AptLst->setMinimumWidth(fontMetrics().averageCharWidth() * 22);
    connect(AptLst, &QListWidget::currentRowChanged, this, [this](int) { AptLst_Click(); });
    (new QVBoxLayout(listed))->addWidget(AptLst);

    QGroupBox* named = NewFormFrame(this, "Frame3D3", "Named as: ", nullptr);
    NewFname = new QLineEdit(named);
    NewFname->setObjectName("NewFname");
    NewFname->setValidator(new platform::CodePageValidator(NewFname));
    SaveAfile = NewFormButton(named, "SaveAfile", "Save Aperture Table", nullptr);
    connect(SaveAfile, &QPushButton::clicked, this, [this] { SaveAfile_Click(); });
    auto* namedLayout = new QVBoxLayout(named);
    namedLayout->addWidget(NewFname);
    namedLayout->addWidget(SaveAfile);

    QGroupBox* apertures = NewFormFrame(this, "Frame3D4", "Apertures: ", nullptr);
    Sizes = new platform::TolviGrid(apertures);
    Sizes->setObjectName("Sizes");
    Sizes->SetCols(5);
    Sizes->SetRows(2);
    Sizes->FitRows(kShownSizes);
    connect(Sizes, &platform::TolviGrid::Click, this, [this] { Sizes_Click(); });
    auto* heads = new QHBoxLayout;
    heads->setSpacing(0);
    columnLabels_ = {NewFormLabel(apertures, "Label1", "Sizes:", nullptr),
                     NewFormLabel(apertures, "Label2", "D-Codes:", nullptr)};
    for (QLabel* l : columnLabels_) {
        l->setAlignment(Qt::AlignCenter);
        heads->addWidget(l);
    }
    heads->addStretch();
    auto* apertureLayout = new QVBoxLayout(apertures);
    apertureLayout->addLayout(heads);
    apertureLayout->addWidget(Sizes);

    QGroupBox* edit = NewFormFrame(this, "Frame3D5", "Edit/Type in Dcodes: ", nullptr);
    F_SizeType = NewFormLabel(edit, "F_SizeType", "Size: (inch/mm)", "991220");
    CurSize = NewFormLabel(edit, "CurSize", "", nullptr);
    auto* editLayout = new QGridLayout(edit);
    editLayout->addWidget(F_SizeType, 0, 0);
    editLayout->addWidget(CurSize, 0, 1);
    const char* const boxLabels[3] = {"Line:", "Round Pad:", "Square Pad:"};
    for (int i = 0; i < 3; ++i) {
        QLineEdit* box = new QLineEdit(edit);
        box->setObjectName(QStringLiteral("NewDcode_%1").arg(i));
        box->setValidator(new platform::CodePageValidator(box));
        box->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
        box->installEventFilter(this);
        NewDcode[std::size_t(i)] = box;
        editLayout->addWidget(NewFormLabel(edit, nullptr, boxLabels[i], nullptr), i + 1, 0);
        editLayout->addWidget(box, i + 1, 1);
    }

    QGroupBox* insert = NewFormFrame(this, "Frame3D6", "Insert Size", nullptr);
    auto* insertLayout = new QHBoxLayout(insert);
    for (int i = 0; i < 2; ++i) {
        InsSize[std::size_t(i)] = NewFormButton(insert, nullptr, i == 0 ? "inch" : " mm", nullptr);
        InsSize[std::size_t(i)]->setObjectName(QStringLiteral("InsSize_%1").arg(i));
        connect(InsSize[std::size_t(i)], &QPushButton::clicked, this, [this, i] { InsSize_Click(i); });
        insertLayout->addWidget(InsSize[std::size_t(i)]);
    }
    DelSize = NewFormButton(this, "DelSize", "Delete Size", nullptr);
    connect(DelSize, &QPushButton::clicked, this, [this] { DelSize_Click(); });

    auto* left = new QVBoxLayout;
    left->addWidget(current);
    left->addWidget(listed, 1);
    left->addWidget(named);
    auto* right = new QVBoxLayout;
    right->addWidget(edit);
    right->addWidget(insert);
    right->addWidget(DelSize);
    right->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(apertures, 0, Qt::AlignTop);
    body->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(FrameButtons("AptAccept", "AptCancel"));
}

int POSTAPT::VisibleRows() const { return std::max(1, Sizes->VisibleDataRows()); }

void POSTAPT::Load() {
    LocalizeForm(this);
    changed_ = false;
    Fill();
    gDlgRefresh = 0;
    nameAtLoad_ = gAperFile;
}

void POSTAPT::SetupGrid() {
    Sizes->SetTextMatrix(0, 0, " inch ");
    Sizes->SetTextMatrix(0, 1, "  mm  ");
    Sizes->SetTextMatrix(0, 2, GetLocalString(" Lines ", "99839"));
    Sizes->SetTextMatrix(0, 3, GetLocalString(" Round ", "991116"));
    Sizes->SetTextMatrix(0, 4, GetLocalString(" Square ", "991248"));
    for (int c = 0; c < 5; ++c) {
        Sizes->SetHeadAlignment(c, 2);
        Sizes->SetColAlignment(c, c < 2 ? 1 : 2);
    }
    SizeColumns();
    F_SizeType->setText(platform::ToQString(GetLocalString("Size: (inch/mm)", "991220")));
    AptLst->setPattern("*.APT");
    AptLst->setPath(gSysDir);
    LoadSelectedTable();
}

void POSTAPT::SizeColumns() {
    const QFontMetrics fm(font());
    const int pad = fm.averageCharWidth() * 2;
    const int number = fm.horizontalAdvance(QStringLiteral("0000.000")) + pad;
    const int code = std::max(fm.horizontalAdvance(QStringLiteral(" Square ")),
                              fm.horizontalAdvance(QStringLiteral("D1000*"))) +
                     pad;
    for (int c = 0; c < 5; ++c) Sizes->SetColWidth(c, c < 2 ? number : code);
    columnLabels_[0]->setFixedWidth(2 * number);
    columnLabels_[1]->setFixedWidth(3 * code);
}

void POSTAPT::LoadSelectedTable() {
    {
        platform::BusyPointerGuard busy;
        int32_t err = 0;
        LoadApertureFile(err, ".APT");
        const std::string name = err != 0 ? GetLocalString("none", "99958") : gAperFile;
        CurApt->setText(platform::ToQString(name));
        NewFname->setText(platform::ToQString(err != 0 ? std::string() : gAperFile));
        FillGrid();
    }
    ShowCurrentRow(1);
    selected_ = 1;
    SetGridCell(1);
    Sizes->SetCol(2);
    changed_ = false;
}

void POSTAPT::FillGrid() {
    Sizes->SetRows(2);
    for (int c = 0; c < 5; ++c) Sizes->SetTextMatrix(1, c, "");
    Sizes->SetVisible(false);
    Sizes->SetRows(std::max(2, TableRows() + 1));
    for (int r = 1; r <= TableRows(); ++r) ShowGridRow(r);
    Sizes->SetVisible(true);
    Sizes->Finish(0);
}

void POSTAPT::ShowGridRow(int Row) {
    const std::array<std::string, 5> cells = ApertureRowCells(Row, DecimalPoint());
    for (int c = 0; c < 5; ++c) Sizes->SetTextMatrix(Row, c, cells[std::size_t(c)]);
}

void POSTAPT::ShowCurrentRow(int Row) {
    const std::array<std::string, 5> cells = ApertureRowCells(Row, DecimalPoint());
    CurSize->setText(platform::ToQString(cells[0] + "/" + cells[1]));
    for (int i = 0; i < 3; ++i)
        NewDcode[std::size_t(i)]->setText(platform::ToQString(cells[std::size_t(i) + 2]));
}

void POSTAPT::SetGridCell(int Row) {
    Sizes->SetRow(Row);
    Sizes->SetCol(0);
}

void POSTAPT::SetCurrentTableName(const std::string& Name) {
    gAperFile = Name;
    SaveApertureFileName();
}

void POSTAPT::AptLst_Click() {
    const std::string file = AptLst->fileName();
    if (!AskSaveIfChanged()) return;
    if (file.empty()) return;
    const std::string name = UpperAscii(FirstWord(file.substr(0, file.find('.'))));
    if (name.empty()) return;
    gAperFile = name;
    LoadSelectedTable();
    SetCurrentTableName(name);
}

void POSTAPT::Sizes_Click() {
    selected_ = Sizes->Row();
    ShowCurrentRow(selected_);
    const int col = Sizes->Col();
    NewDcode[col <= 2 ? 0 : col == 3 ? 1 : 2]->setFocus();
}

void POSTAPT::InsSize_Click(int Index) {
    const bool mm = Index == 1;
    const std::string answer =
        InputBoxEx(GetLocalString("Size to insert ", "991218") + (mm ? "(mm)" : "(inch)") + ":",
                   GetLocalString("Tolvi32 - Aperture Table", "99608"), "");
    if (answer.empty()) return;
    const int32_t size = ApertureSizeFromText(answer, mm);
    const int row = size < 0 ? 0 : InsertApertureSize(size);
    if (row == 0) {
        platform::ui().Beep();
        return;
    }
    if (TableRows() == 1)
        ShowGridRow(1);  // the blank row of an empty table becomes the first row
    else
        Sizes->InsertRow("", row);
    ShowGridRow(row);
    changed_ = true;
    ShowCurrentRow(row);
    selected_ = row;
    SetGridCell(row);
    Sizes->SetCol(2);
    NewDcode[0]->setFocus();
    Sizes->SetTopRow(ApertureTopRow(row, Sizes->Rows(), VisibleRows()));
}

void POSTAPT::DelSize_Click() {
    const int top = Sizes->TopRow();
    if (selected_ < top || selected_ >= top + VisibleRows() || !DeleteApertureRow(selected_)) {
        platform::ui().Beep();
        return;
    }
    Sizes->RemoveRow(selected_);
    Sizes->SetTopRow(std::max(1, top - 1));
    selected_ = std::min(selected_, TableRows());
    Sizes->SetRow(selected_);
    Sizes_Click();
    changed_ = true;
}

void POSTAPT::NewDcode_KeyPress(int Index) {
    // An empty table has no row to take the code.
    if (TableRows() == 0 || selected_ < 1 || selected_ > TableRows()) {
        platform::ui().Beep();
        return;
    }
    QLineEdit* box = NewDcode[std::size_t(Index)];
    int32_t code = 0;
    ParseDcode(platform::FromQString(box->text()), code);
    if (code < 0) {
        box->clear();
        platform::ui().Beep();
    } else {
        DcodeOf(gApertures[std::size_t(selected_)], Index) = code;
    }
    ShowCurrentRow(selected_);
    ShowGridRow(selected_);
    const int next = (Index + 1) % 3;
    NewDcode[std::size_t(next)]->setFocus();
    Sizes->SetCol(next + 2);
    changed_ = true;
}

bool POSTAPT::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (int i = 0; i < 3; ++i) {
            if (watched == NewDcode[std::size_t(i)] && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                NewDcode_KeyPress(i);
                return true;
            }
        }
    }
    return SetupDialog::eventFilter(watched, event);
}

POSTAPT::SaveResult POSTAPT::SaveApertureTable() {
    const std::string name = FirstWord(UpperAscii(platform::FromQString(NewFname->text())));
    if (name.empty()) return NoName;
    // The name becomes a file name in the system directory, which the list must find again.
    if (name.find_first_of("./\\") != std::string::npos) {
        platform::ui().Beep();
        return BadName;
    }
    LoadDirectories();
    const std::string path = platform::JoinPath(gSysDir, name + ".APT");
    gWorkFile = path;
    int err = 0, fileNo = 0;
    OpenForOutput(err, fileNo, path);
    if (err != 0) return Failed;
    PrintLineFile(err, fileNo, ApertureTableText());
    if (err != 0) {
        // The file being replaced stays as it was.
        platform::DiscardFile(fileNo);
        return Failed;
    }
    if (!CloseFileOptKill(0, fileNo, path)) return Failed;
    SetCurrentTableName(name);
    AptLst->setPath(gSysDir);
    CurApt->setText(platform::ToQString(name));
    NewFname->setText(platform::ToQString(name));
    return Saved;
}

void POSTAPT::SaveAfile_Click() {
    // Only a table that reached its file counts as saved.
    if (SaveApertureTable() == Saved) changed_ = false;
}

bool POSTAPT::AskSaveIfChanged() {
    if (!changed_) return true;
    const std::string question = GetLocalString("Current Aperture Table has been changed", "99495") + "\r" +
                                 GetLocalString("Do You wish to save changes ?", "99582");
    if (platform::ui().MsgBox(question, kStyleYesNo, gAppTitle) != platform::kAnswerYes) return true;
    const SaveResult r = SaveApertureTable();
    if (r == Saved) {
        changed_ = false;
        return true;
    }
    if (r == NoName)
        platform::ui().MsgBox(GetLocalString("Type a name under \"Named as: \" to save the table.", ""),
                              platform::kStyleSystemModal + platform::kStyleExclamation, gAppTitle);
    NewFname->setFocus();
    return false;
}

void POSTAPT::F_Accept_Click() {
    if (!AskSaveIfChanged()) return;
    AcceptForm();
}

void POSTAPT::Reload() {
    // The name chosen or saved in this showing was stored at once; a cancel takes it back there
    // too, or it would come back at the next start.
    SetCurrentTableName(nameAtLoad_);
    int32_t err = 0;
    LoadApertureFile(err, ".APT");
}

}  // namespace tolvi
