#include "common/dictionaries.h"

#include "common/settings_access.h"
#include "common/utilities.h"
#include "platform/errors.h"
#include "platform/text_files.h"

namespace tolvi {

namespace {

// The next line, or false at the end of the file. Running into the end is the normal way out
// here and leaves no pending error behind; any other failed read is reported as LineInputFile
// reports it.
bool NextLine(int& Err, int FileNo, std::string& Line) {
    const std::string pending = platform::ErrDescription();
    if (platform::ReadLine(FileNo, Line)) {
        Err = 0;
        return true;
    }
    if (platform::ErrDescription() == platform::kPastEndOfFile) {
        platform::SetErrDescription(pending);
        Err = 0;
        return false;
    }
    Line.clear();
    ShowReadFileError(gWorkFile);
    Err = 1;
    return false;
}

}  // namespace

void ResetDictionariesState() {
    gPartDic.assign(1, NamePairRec{});
    gPackDic.assign(1, NamePairRec{});
}

void ParseDictionary(int32_t& ErrCode, const std::string& FileName, NamePairTable& Pairs) {
    gWorkFile = FileName;
    ErrCode = 0;
    int err = 0;
    int fileNo = 0;
    OpenForInput(err, fileNo, FileName);
    if (err != 0) {
        ErrCode = 1;
        return;
    }
    Pairs.assign(1, NamePairRec{});
    std::string line;
    while (NextLine(err, fileNo, line)) {
        if (line.empty() || line.size() >= 100) continue;
        ParseList(line);
        if (gTokNum[0] < 2.0f) continue;
        Pairs.push_back(NamePairRec{Trim(gTokStr[1]), Trim(gTokStr[2])});
    }
    if (err != 0) ErrCode = 1;
    CloseFileOptKill(0, fileNo, FileName);
}

std::string LookupPairTable(int32_t Direction, const std::string& Key, const NamePairTable& Table) {
    if (Direction != 0 && Direction != 1) return Key;
    const std::string wanted = Trim(Key);
    for (std::size_t i = 1; i < Table.size(); ++i) {
        const NamePairRec& e = Table[i];
        if (Direction == 0 && e.Name == wanted) return e.Replacement;
        if (Direction == 1 && e.Replacement == wanted) return e.Name;
    }
    return Key;
}

}  // namespace tolvi
