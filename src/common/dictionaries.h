#pragma once
// Name dictionaries: text files of name pairs (part names *.TDD, package names *.TDS) that
// translate the design's names into another tool's names on export.
#include <cstdint>
#include <string>
#include <vector>

namespace tolvi {

struct NamePairRec {
    std::string Name;         // the design's name
    std::string Replacement;  // the name to use instead
};

// Entry 0 exists and is always empty; entries 1..n in the order of the file's lines.
using NamePairTable = std::vector<NamePairRec>;
inline NamePairTable gPartDic{NamePairRec{}};
inline NamePairTable gPackDic{NamePairRec{}};

void ResetDictionariesState();

// Reads FileName into Pairs: every line of 1..99 characters with at least two comma fields
// gives the pair of its first two fields, without their end blanks. ErrCode 1 (box shown) when
// the file cannot be opened (Pairs untouched) or a line cannot be read (the pairs so far kept).
void ParseDictionary(int32_t& ErrCode, const std::string& FileName, NamePairTable& Pairs);
// Direction 0: the Replacement of the first entry whose Name equals Key without its end blanks
// (exact, case-sensitive); direction 1: the other way round. Key unchanged when nothing matches.
std::string LookupPairTable(int32_t Direction, const std::string& Key, const NamePairTable& Table);

}  // namespace tolvi
