#pragma once
// The menu items that start a design module or a tool of the suite: each refuses while a module
// is busy, then starts or raises its module under the busy pointer.
#include <string_view>

namespace tolvi {

// File menu.
void M_LoMEd_Click();
void M_CmndInt_Click();
// Lets the designer choose a file and shows it in the file viewer; a dialog that cannot be shown
// ends the command quietly, and the viewer is never started without a file.
void M_ViewF_Click();
// File > Utilities.
void M_DesView_Click();
void M_LibView_Click();
void M_LibSearch_Click();
void M_LibList_Click();
void M_ValcorLib_Click();
// The conversion manager, a program of its own (Ap_ConvtActivate).
void M_ConvManager_Click();
// File > Export.
void M_ExpZOT3_Click();
void M_DXFSch_Click();
void M_DXFLay_Click();
// Options > Toolboxes.
void M_Short_Click();
// The bar's own items and the Simulation menu.
void M_LibEdit_Click();
void M_Schema_Click();
void M_Layout_Click();
void M_Post_Click();
void M_Msim_Click();
void M_Valcor_Click();
void M_Thermo_Click();
void M_Ema_Click();
// Custom menu item Index (from 1): raises the user application of that place in the settings
// file's name list; an Index past the list does nothing.
void M_Cap_Click(int Index);

// Runs the launcher a mailbox start command names ("M_Schema_Click"); other names do nothing.
void RunModuleLauncher(std::string_view handler);

}  // namespace tolvi
