// The name dictionary reader on arbitrary file contents: it never crashes, keeps entry 0 empty,
// gives pairs without end blanks, and the lookup finds every pair it read in both directions.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/dictionaries.h"
#include "common/utilities.h"
#include "fuzz_support.h"
#include "platform/ui.h"

namespace {

bool Blank(char c) { return c == ' '; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchDir() + "/FUZZ.TDD";
    tolvi::platform::SetUi(nullptr);  // the silent service: no box needs a display
    fuzz::WriteInput(path, data, size);

    tolvi::NamePairTable pairs;
    int32_t err = -1;
    tolvi::ParseDictionary(err, path, pairs);
    if (err != 0 && err != 1) std::abort();
    if (pairs.empty() || !pairs[0].Name.empty() || !pairs[0].Replacement.empty()) std::abort();
    // Each line of fewer than 100 characters gives at most one pair.
    if (pairs.size() - 1 > size / 2 + 1) std::abort();

    for (std::size_t i = 1; i < pairs.size() && i <= 16; ++i) {
        const tolvi::NamePairRec& p = pairs[i];
        for (const std::string* s : {&p.Name, &p.Replacement})
            if (!s->empty() && (Blank(s->front()) || Blank(s->back()))) std::abort();
        // The first entry of a name gives its replacement; a later duplicate gives the earlier one's.
        const std::string forth = tolvi::LookupPairTable(0, p.Name, pairs);
        std::size_t first = 1;
        while (pairs[first].Name != p.Name) ++first;
        if (forth != pairs[first].Replacement) std::abort();
        const std::string back = tolvi::LookupPairTable(1, " " + p.Replacement + " ", pairs);
        first = 1;
        while (pairs[first].Replacement != p.Replacement) ++first;
        if (back != pairs[first].Name) std::abort();
        if (tolvi::LookupPairTable(2, p.Name, pairs) != p.Name) std::abort();
    }
    // A name that no entry holds comes back as given, blanks included.
    const std::string absent = " \x01no such name\x01 ";
    const std::string key = tolvi::Trim(absent);
    bool held = false;
    for (const tolvi::NamePairRec& p : pairs) held = held || p.Name == key || p.Replacement == key;
    if (held) return 0;
    for (int32_t direction : {0, 1})
        if (tolvi::LookupPairTable(direction, absent, pairs) != absent) std::abort();
    return 0;
}
