#include "setup/optnback.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "common/general_settings.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "platform/qt/codec.h"
#include "platform/ui.h"
#include "setup/units.h"

namespace tolvi {

namespace {
const char* const kCaption = "Tolvi32 Autobackup";
const char* const kCaptionId = "10165";
}  // namespace

IntervalEdit ParseBackupInterval(const std::string& text, float current) {
    const float v = ToSingle(ParseNumber(text));
    int32_t minutes = 0;
    // 60.7 would round to 61, which the next load replaces by 5 without a word.
    if (v >= 1.0f && RoundHalfEven(v, minutes) && minutes <= 60) return {float(minutes), false};
    return {current, true};
}

OPTNBACK::OPTNBACK(QWidget* parent) : SetupDialog("OPTNBACK", kCaption, kCaptionId, parent) {
    traits.setsVerdict = false;
    traits.clearsRefresh = false;
    F_Int = new QLineEdit(this);
    F_Int->setObjectName("F_Int");
    F_Int->setMaximumWidth(F_Int->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    WatchBox(F_Int, [this] { BCK_ParseInterval(); });
    F_Enabled = new QCheckBox(QStringLiteral("Enabled"), this);
    F_Enabled->setObjectName("F_Enabled");

    auto* row = new QHBoxLayout;
    row->addWidget(NewFormLabel(this, nullptr, "Interval (min): ", nullptr));
    row->addWidget(F_Int);
    row->addSpacing(16);
    row->addWidget(F_Enabled);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addSpacing(8);
    layout->addLayout(FrameButtons());
}

void OPTNBACK::Fill() {
    setWindowTitle(platform::ToQString(GetLocalString(kCaption, kCaptionId)));
    F_Int->setText(platform::ToQString(IniSingleText(gBackupInt)));
    F_Enabled->setChecked(gBackupOn != 0);
}

// The caption is set again, which takes away the scope suffix the menu asked for.
void OPTNBACK::Activate() { setWindowTitle(platform::ToQString(GetLocalString(kCaption, kCaptionId))); }

void OPTNBACK::BCK_ParseInterval() {
    const IntervalEdit e = ParseBackupInterval(platform::FromQString(F_Int->text()), gBackupInt);
    if (e.beep) platform::ui().Beep();
    gBackupInt = e.value;
    F_Int->setText(platform::ToQString(IniSingleText(gBackupInt)));
}

void OPTNBACK::Store() {
    gBackupOn = F_Enabled->isChecked() ? 1.0f : 0.0f;
    SaveBackupSettings();
}

void OPTNBACK::Reload() { LoadBackupSettings(); }

}  // namespace tolvi
