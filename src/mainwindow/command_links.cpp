#include "mainwindow/command_links.h"

#include <optional>

#include "common/dialog_state.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_routing.h"

namespace tolvi {

namespace {

bool SameNameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

void EnsureElements() {
    // Element 2 exists whatever the list holds, as it always has.
    const std::size_t want = static_cast<std::size_t>(gAppCount > 2 ? gAppCount : 2) + 1;
    if (F_INCMD.size() < want) F_INCMD.resize(want);
}

}  // namespace

void ResetCommandLinksState() {
    F_INCMD.clear();
    gKeyCapture.Reset();
}

bool ManagerIsModal() { return gModalDepth > 0 || platform::AnyModalWindow(); }

void CreateCommandLinks() {
    EnsureElements();
    for (int i = 3; i <= gAppCount && i < static_cast<int>(gAppNames.size()); ++i)
        F_INCMD[i].Text = gAppNames[i];
    auto& bus = platform::suiteBus();
    bus.RegisterSource(kManagerName);
    bus.SetHold(&ManagerIsModal);
    bus.SetStringBoard(
        [](const std::string& key) -> std::optional<std::string> {
            const char* p = E_GetString(key.c_str());
            if (!p) return std::nullopt;
            return std::string(p);
        },
        [](const std::string& key, const std::string& value) { E_SetString(key.c_str(), value.c_str()); });
}

int32_t LinkMode(int i) {
    if (i < 0 || i >= static_cast<int>(F_INCMD.size())) return 0;
    const int32_t link = F_INCMD[i].link;
    return link != 0 && platform::suiteBus().Linked(link) ? 3 : 0;
}

void ConnectCommandLinks() {
    EnsureElements();
    auto& bus = platform::suiteBus();
    for (int i = 2; i <= gAppCount && i < static_cast<int>(gAppNames.size()); ++i) {
        if (LinkMode(i) != 0) continue;
        const std::string app = gAppNames[i];
        // A link to our own source would echo every broadcast back as a command.
        if (app.empty() || SameNameNoCase(Trim(app), kManagerName)) continue;
        CommandLinkElement& e = F_INCMD[i];
        e.link = 0;
        e.LinkTimeout = 600;
        e.LinkTopic = app + "|QUVCMD";
        e.LinkItem = "F_OUTCMD";
        const int16_t index = static_cast<int16_t>(i);
        e.link = bus.Link(app, [index](const std::string& text) {
            if (index < static_cast<int>(F_INCMD.size())) F_INCMD[index].Text = text;
            F_INCMD_LinkNotify(index);
        });
    }
}

void F_INCMD_LinkNotify(int16_t Index) {
    // Each delivery brings its own line, so the request reads the text just delivered.
    const std::string text =
        Index >= 0 && Index < static_cast<int>(F_INCMD.size()) ? F_INCMD[Index].Text : "";
    if (!text.empty()) AP_ExeCmd(text);
    ConnectCommandLinks();
}

void Form_KeyPress(int16_t& KeyAscii) {
    if (KeyAscii < 0 || KeyAscii > 255) return;
    std::optional<std::string> line = gKeyCapture.Feed(static_cast<char>(KeyAscii));
    if (!line) return;
    if (ManagerIsModal()) {
        platform::suiteBus().Post([l = *line] { AP_ExeCmd(l); });
        return;
    }
    AP_ExeCmd(*line);
}

}  // namespace tolvi
