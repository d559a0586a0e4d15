#include "common/library_lists.h"

#include <algorithm>
#include <array>

#include "common/general_settings.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "platform/paths.h"

namespace tolvi {

namespace {

struct ListRef {
    const char* section;
    std::vector<std::string>* list;
    int32_t* count;
};

std::array<ListRef, 3> Lists() {
    return {{{"DEVLIBS", &gDevLibs, &gDevLibCount},
             {"SCHLIBS", &gSchLibs, &gSchLibCount},
             {"LAYLIBS", &gLayLibs, &gLayLibCount}}};
}

}  // namespace

void ResetLibraryListsState() {
    for (const ListRef& l : Lists()) {
        l.list->assign(1, std::string());
        *l.count = 0;
    }
    gPadstackLib.clear();
    gPartName.clear();
    gPartLibPath.clear();
    gPartPackage.clear();
    gPartSymbol.clear();
    gPartDevId = 0;
    gPartOK = 0;
}

void LoadLibraryLists() {
    for (const ListRef& l : Lists()) {
        l.list->assign(1, std::string());
        *l.count = 0;
    }
    for (const ListRef& l : Lists()) {
        for (int32_t k = 1;; ++k) {
            std::string value;
            IniGetString(l.section, std::to_string(k), "", value);
            if (value.empty()) break;
            l.list->push_back(value);
            ++*l.count;
        }
    }
}

void SaveLibraryLists() {
    int err = 0;  // failures are reported by the settings layer; every key is still handled
    for (const ListRef& l : Lists())
        for (int32_t k = 1; k <= *l.count; ++k) IniDeleteKey(l.section, std::to_string(k), err);
    for (const ListRef& l : Lists()) {
        std::vector<std::string>& list = *l.list;
        if (list.empty()) list.emplace_back();
        // An entry of blanks only reads back as empty too, and would cut the list as well.
        list.erase(std::remove_if(
                       list.begin() + 1, list.end(),
                       [](const std::string& e) { return e.find_first_not_of(" \t") == std::string::npos; }),
                   list.end());
        for (std::size_t k = 1; k < list.size(); ++k)
            IniPutString(l.section, std::to_string(k), list[k], err);
        *l.count = static_cast<int32_t>(list.size() - 1);
    }
}

void LoadPadstackLibrary() {
    IniGetString("PADSTACKS", "I", platform::JoinPath(gLibDir, "PADSTACK.PADSTACK"), gPadstackLib);
    E_SetString("PADSTACKSI", gPadstackLib.c_str());
}

void SavePadstackLibrary() {
    int err = 0;
    IniPutString("PADSTACKS", "I", gPadstackLib, err);
    E_SetString("PADSTACKSI", gPadstackLib.c_str());
}

}  // namespace tolvi
