#pragma once
// The save-and-export window: shows the file the main window chose (gExportFile), lets the
// designer pick the part-name and package-name dictionaries, runs the writer of gExportMode on
// Export with progress in its status line, stops it on Cancel, reports the result and puts the
// current hierarchy and page back as they were. One export per showing: afterwards only Close is
// left. The option scope is Default after every export (the ASCII writer reloads the option
// tables from the database), and every option set is loaded again from the settings file.
#include <array>
#include <cstdint>
#include <string>

#include "interchange/exporter.h"
#include "interchange/netlist_writers.h"
#include "interchange/progress_window.h"
#include "interchange/record_output.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace tolvi {

// F_Continue is the Export button.
class QUVSASC : public ProgressWindow {
    Q_OBJECT
public:
    explicit QUVSASC(QWidget* parent = nullptr);

    // Index 1 part names, 2 package names; element 0 is unused.
    std::array<QGroupBox*, 3> F_FileSELFrame{};
    std::array<QPushButton*, 3> F_InpFile{};
    std::array<QLabel*, 3> F_InpFileName{};

    int32_t SavedHier = 0;
    int32_t SavedPage = 0;
    // The record output the writers write through.
    RecordOutput Output{this};
    // The OrCad writer's pins on no net, counted over this showing.
    int32_t UnconnectedPinCount = 0;

    Q_INVOKABLE void Form_Load();
    void F_InpFile_Click(int Index);
    void F_Continue_Click() override;
    void F_Cancel_Click() override;
    std::string GetLayCompValue(int32_t LayCompId, const LayCompRec& Rec) {
        return ::tolvi::GetLayCompValue(LayCompId, Rec);
    }
};

}  // namespace tolvi
