#include "interchange/ascii_format.h"

namespace tolvi {

namespace {

constexpr int32_t FieldCountOf(int32_t Type) {
    switch (Type) {
        case kRecHeader:
            return 6;
        case kRecDesigner:
        case kRecRevision:
        case kRecHierarchyEnd:
        case kRecLayCompLink:
        case kRecEnd:
            return 2;
        case kRecLayerColour:
        case kRecSupplyPin:
        case kRecGroupPin:
        case kRecBusMember:
            return 3;
        case kRecCategory:
        case kRecLayer:
            return 4;
        case kRecBusAirgaps:
        case kRecTextSize:
        case kRecViaPadStack:
        case kRecSymbolPadStack:
        case kRecGroup:
        case kRecNet:
        case kRecBus:
        case kRecBendPoint:
        case kRecTrace:
        case kRecTraceArc:
        case kRecBranch:
        case kRecBranchPoint:
            return 5;
        case kRecSymbol:
        case kRecPickArea:
        case kRecJunction:
            return 6;
        case kRecSymbolPad:
        case kRecHierarchy:
        case kRecNode:
        case kRecVia:
            return 7;
        case kRecSchGrid:
        case kRecLayGrid:
        case kRecSchSnap:
        case kRecLaySnap:
        case kRecAngleSnap:
        case kRecPart:
        case kRecTraceSegment:
            return 8;
        case kRecSymbolPin:
        case kRecLayComp:
        case kRecPage:
            return 11;
        case kRecSymbolText:
        case kRecLayCompText:
        case kRecLayoutText:
        case kRecSchCompText:
        case kRecBranchText:
        case kRecSchComp:
            return 14;
        case kRecViaPadItem:
        case kRecSymbolItem:
        case kRecSymbolPadItem:
            return 15;
        case kRecTraceWidths:
        case kRecRoundPads:
        case kRecSquarePads:
            return 17;
        default:
            return 0;
    }
}

}  // namespace

// Looked up for every line of a file: a table, not a search.
constinit const std::array<uint8_t, kAsciiRecordTypes> kAsciiFieldCounts = [] {
    std::array<uint8_t, kAsciiRecordTypes> t{};
    for (int32_t type = 0; type < kAsciiRecordTypes; ++type) t[size_t(type)] = uint8_t(FieldCountOf(type));
    return t;
}();

std::string RecordTypeText(int32_t Type) {
    std::string s(4, '0');
    if (Type > 0) WriteRecordTypeDigits(s.data(), Type);
    return s;
}

void AppendPlainNum(std::string& out, int64_t v) {
    char buf[24];
    out.append(buf, FormatDecimal(buf, v));
}

void AppendNum(std::string& out, int64_t v) {
    if (v >= 0) out.push_back(' ');
    AppendPlainNum(out, v);
}

std::string FmtNum(int64_t v) {
    std::string s;
    AppendNum(s, v);
    return s;
}

std::string PlainNum(int64_t v) {
    std::string s;
    AppendPlainNum(s, v);
    return s;
}

std::string Quote(std::string_view text) {
    std::string s;
    s.reserve(text.size() + 2);
    s.push_back('"');
    s.append(text);
    s.push_back('"');
    return s;
}

}  // namespace tolvi
