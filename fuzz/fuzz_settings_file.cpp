// The settings file reader and writer on arbitrary file contents: reads must not crash, and a
// value written must read back as written, whatever the file held before.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/settings_access.h"
#include "fuzz_support.h"
#include "platform/ui.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = fuzz::ScratchDir();
    tolvi::platform::SetUi(nullptr);  // the silent service: no box needs a display
    tolvi::gIniFile = dir + "/TOLVI32.INI";
    fuzz::WriteInput(tolvi::gIniFile, data, size);

    // Names taken from the input itself, so sections and keys that exist get hit as well.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string section = "General", key = "Units";
    const std::size_t open = bytes.find('[');
    const std::size_t close = bytes.find(']', open == std::string::npos ? 0 : open);
    if (open != std::string::npos && close != std::string::npos && close > open)
        section = bytes.substr(open + 1, close - open - 1);
    const std::size_t eq = bytes.find('=', close == std::string::npos ? 0 : close);
    if (eq != std::string::npos) {
        const std::size_t lineStart = bytes.find_last_of("\r\n", eq);
        key = bytes.substr(lineStart == std::string::npos ? 0 : lineStart + 1,
                           eq - (lineStart == std::string::npos ? 0 : lineStart + 1));
    }

    std::string value;
    for (const char* s : {"General", "Grid", "Lib"}) {
        tolvi::IniGetString(s, "Units", "d ", value);
        if (value.size() > 1023) std::abort();
    }
    tolvi::IniGetString(section, key, "default", value);
    if (value.size() > 1023) std::abort();

    // Writes need names the file can hold: something besides blanks, no line ends, no "]" in a
    // section, no "=" in a key, and not the start of a comment or of a section header.
    auto usable = [](const std::string& name, const char* forbidden) {
        const std::size_t b = name.find_first_not_of(" \t");
        return b != std::string::npos && name.find_first_of(forbidden) == std::string::npos &&
               name[b] != ';' && name[b] != '[';
    };
    const bool writable = usable(section, "\r\n]") && usable(key, "\r\n=");
    if (!writable) {
        section = "Fuzz";
        key = "Key";
    }
    int err = 0;
    const std::string written = "12700, 25400";
    tolvi::IniPutString(section, key, written, err);
    if (err == 0) {
        tolvi::IniGetString(section, key, "missing", value);
        if (value != written) std::abort();
        tolvi::IniDeleteKey(section, key, err);
        if (err != 0) std::abort();
        tolvi::IniGetString(section, key, "missing", value);
        // A second entry of the same key may have been hidden behind the first one.
        (void)value;
    }
    return 0;
}
