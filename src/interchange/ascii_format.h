#pragma once
// The ASCII database file (*.TPA): one record a line, every line ending in CR LF, fields joined by
// "," with no blanks around them. Field 1 is the record type as four digits ("0001"); numbers are
// written " n" (zero and up) or "-n"; names are written between double quotes and texts as they
// are, both raw: nothing inside them is escaped. The writer and the reader share this header.
//
// Order of a file: the header block (0001, 0002, 0003, the 0010 records, 32 x 0011, 0012..0021,
// 32 x 0022), via padstacks (0030 + 0031), symbols (0100 + 0101/0102, 0103/0104, 0105 + 0106),
// parts (0200 + 0201, 0202 + 0203), then per hierarchy 1..99: 1000, 32 x 1010, 1100 + 1101,
// 1200 + 1201, 1300, 1400, 1500 + 1501 + 1502, 1600 + 1601/1602, 1700, per page 1..99: 2000, 2400,
// 2500 + 2501, 2600 + 2601 + 2602; then 1001 closing the hierarchy; last 9999,End.
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvi {

// Record types, by their number in field 1.
enum AsciiRecordType : int32_t {
    kRecHeader = 1,        // t name, t version, n hierarchy, n page, "$NT00$"
    kRecDesigner = 2,      // t the label's 25-character designer
    kRecRevision = 3,      // t the label's 25-character revision
    kRecCategory = 10,     // n id, t name, n colour
    kRecLayerColour = 11,  // n layer, n colour
    kRecSchGrid = 12,      // n chosen row, 6 n values (the inch half of the table)
    kRecLayGrid = 13,      //
    kRecSchSnap = 14,      //
    kRecLaySnap = 15,      //
    kRecAngleSnap = 16,    // n chosen row, 6 n angles
    kRecPickArea = 17,     // n chosen row, 4 n sizes
    kRecTraceWidths = 18,  // 16 n
    kRecRoundPads = 19,    // 16 n
    kRecSquarePads = 20,   // 16 n
    kRecBusAirgaps = 21,   // n bus width, 3 n airgaps
    kRecTextSize = 22,     // n entry, n width, n height, n line width
    kRecViaPadStack = 30,  // n number, n Status, n HoleA, n HoleB
    kRecViaPadItem = 31,   // item record
    kRecSymbol = 100,      // n id, n Status, q name, n EntryCount, n SimCode
    kRecSymbolPin = 101,   // n entry, n Status, n X, n Y, q name, n PaX, n PaY, n PaAngle, n Attrib, q sim
    kRecSymbolPad = 102,   // n entry, n Status, n X, n Y, n Angle, n PadStack
    kRecSymbolItem = 103,  // item record
    kRecSymbolText = 104,  // text record
    kRecSymbolPadStack = 105,
    kRecSymbolPadItem = 106,
    kRecPart = 200,           // n id, n Status, q Name1, q Name2, q Name3, n SupplyPinCount, n GroupCount
    kRecSupplyPin = 201,      // n pin number, q name
    kRecGroup = 202,          // n group, q group name, q symbol name, n PinCount
    kRecGroupPin = 203,       // n pin number, q name
    kRecHierarchy = 1000,     // n hierarchy, t name, n X1, n Y1, n X2, n Y2
    kRecHierarchyEnd = 1001,  // n the hierarchy's own current page
    kRecLayer = 1010,         // n layer, n enabled, t name
    kRecNet = 1100,           // n id, n Flags, q name, n kept
    kRecNode = 1101,          // n id, n Status, n SchComp, n SchEntry, n LayComp, n LayPin
    kRecBus = 1200,           // n id, n kept, q name, n LastMember
    kRecBusMember = 1201,     // n position, n member
    kRecVia = 1300,           // n id, n Flags, n X, n Y, n kept, n PadStack
    kRecBendPoint = 1400,     // n id, n kept, n X, n Y
    kRecLayComp = 1500,  // n id, n Flags, q name, n X, n Y, n Angle, n Symbol, n Device, n kept, n LinkCount
    kRecLayCompLink = 1501,   // n schematic component id
    kRecLayCompText = 1502,   // text record
    kRecTrace = 1600,         // n id, n kept, n kept, n SegmentCount
    kRecTraceSegment = 1601,  // n Flags, n X, n Y, n Width, n Gap, n kept, n kept
    kRecTraceArc = 1602,      // n Flags, n CentreX, n CentreY, n Radius
    kRecLayoutText = 1700,    // text record
    kRecPage = 2000,          // n page, t name, 4 n sheet values, n X1, n Y1, n X2, n Y2
    kRecJunction = 2400,      // n id, n kept, n page, n X, n Y
    kRecSchComp = 2500,      // n id, n Flags, q name, n X, n Y, n Symbol, n Device, n PackInfo1, n PackInfo2,
                             // n page, n kept, n Angle, n kept
    kRecSchCompText = 2501,  // text record
    kRecBranch = 2600,       // n id, n kept, n kept, n PointCount
    kRecBranchPoint = 2601,  // n X, n Y, n kept, n kept
    kRecBranchText = 2602,   // text record
    kRecEnd = 9999,          // "End"
};

// Item record: type, Kind, Attr, Link, X, Y, StyleA, StyleB, Width, Gap, Angle, P2, P3, P4, P5.
constexpr int32_t kItemRecordFields = 15;
// Text record: type, Kind (6), Attr, Link, X, Y, StyleA, StyleB, Width, Gap, Angle, P2, P3, q text.
constexpr int32_t kTextRecordFields = 14;
// The last field of a header written in the current units (angles in 1/1000 degree).
inline constexpr std::string_view kAsciiFormMarker = "$NT00$";

// The number of fields of a record of Type, the type included; 0 for a type the format does not
// have. A header has at least 5 (the older form ends without the marker).
constexpr int32_t kAsciiRecordTypes = 10000;  // types are 0001 .. 9999
extern const std::array<uint8_t, kAsciiRecordTypes> kAsciiFieldCounts;
inline int32_t AsciiFieldCount(int32_t Type) {
    return Type >= 0 && Type < kAsciiRecordTypes ? kAsciiFieldCounts[size_t(Type)] : 0;
}
// Field 1 of a record: the type as four digits, "0001" .. "9999" (of a larger number its last
// four), written at p.
inline void WriteRecordTypeDigits(char* p, int32_t Type) {
    p[0] = char('0' + Type / 1000 % 10);
    p[1] = char('0' + Type / 100 % 10);
    p[2] = char('0' + Type / 10 % 10);
    p[3] = char('0' + Type % 10);
}
// The same as a text; "0000" for a type below 1.
std::string RecordTypeText(int32_t Type);

namespace detail {

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The digits of u written from end backwards, two at a time.
template <class U>
inline void WriteDigitsBack(char* end, U u) {
    while (u >= 100) {
        const unsigned pair = unsigned(u % 100) * 2;
        u /= 100;
        end -= 2;
        end[0] = kDigitPairs[pair];
        end[1] = kDigitPairs[pair + 1];
    }
    if (u >= 10) {
        const unsigned pair = unsigned(u) * 2;
        end[-2] = kDigitPairs[pair];
        end[-1] = kDigitPairs[pair + 1];
    } else {
        end[-1] = char('0' + unsigned(u));
    }
}

// The number of decimal digits of u (1 for 0): from the bit width (1233 / 4096 is just above
// log10 2), mended by one comparison.
inline unsigned DecimalDigits(uint64_t u) {
    static constexpr uint64_t kPowers[20] = {1ull,
                                             10ull,
                                             100ull,
                                             1000ull,
                                             10000ull,
                                             100000ull,
                                             1000000ull,
                                             10000000ull,
                                             100000000ull,
                                             1000000000ull,
                                             10000000000ull,
                                             100000000000ull,
                                             1000000000000ull,
                                             10000000000000ull,
                                             100000000000000ull,
                                             1000000000000000ull,
                                             10000000000000000ull,
                                             100000000000000000ull,
                                             1000000000000000000ull,
                                             10000000000000000000ull};
    const unsigned guess = unsigned(std::bit_width(u | 1) * 1233) >> 12;
    return guess + (u >= kPowers[guess] ? 1 : 0) + (u == 0 ? 1 : 0);
}

}  // namespace detail

// The decimal digits of v (a minus first when negative) written at p, at most 20 bytes; returns
// the end. What std::to_chars writes, without its general machinery: the writers format
// millions of numbers.
inline char* FormatDecimal(char* p, int64_t v) {
    uint64_t u = uint64_t(v);
    if (v < 0) {
        *p++ = '-';
        u = 0 - u;
    }
    char* const end = p + detail::DecimalDigits(u);
    if (u <= 0xFFFFFFFFu)
        detail::WriteDigitsBack(end, uint32_t(u));  // 32-bit division: the usual case, and cheaper
    else
        detail::WriteDigitsBack(end, u);
    return end;
}

// A number field: one blank before zero and positive numbers, a minus before negative ones.
void AppendNum(std::string& out, int64_t v);
std::string FmtNum(int64_t v);
// The decimal digits alone (a minus when negative), as the netlists write numbers.
void AppendPlainNum(std::string& out, int64_t v);
std::string PlainNum(int64_t v);
// A quoted name: the text between double quotes, unchanged.
std::string Quote(std::string_view text);

}  // namespace tolvi
