// The three netlists of the current hierarchy (ZOT3 wirelist, OrCad PCB II wirelist, Scicards
// netlist), the driver that runs a writer by mode, and the window-less entry point.
#include <functional>

#include "common/db_session.h"
#include "common/localisation.h"
#include "common/utilities.h"
#include "interchange/ascii_format.h"
#include "interchange/exporter.h"
#include "interchange/map_walk.h"

namespace tolvi {

namespace {

std::string Name(const char* kernelText) { return CStrFromPtr(kernelText); }

// Padded with blanks or cut to exactly 16 characters.
std::string Column16(std::string text) {
    text.resize(16, ' ');
    return text;
}

}  // namespace

void ResetExportState() {
    gExportFile.clear();
    gExportMode = 0;
}

DictionaryIndex::DictionaryIndex(const NamePairTable& table) {
    map_.reserve(table.size());
    for (size_t i = 1; i < table.size(); ++i) map_.emplace(table[i].Name, table[i].Replacement);
}

std::string DictionaryIndex::Lookup(const std::string& Key) const {
    auto it = map_.find(Trim(Key));
    return it == map_.end() ? Key : it->second;
}

// --- driver ---

void Exporter::Run(int32_t Mode, int32_t& Result) {
    Result = 0;
    switch (Mode) {
        case 1:
            SaveAsciiDatabase(Result);
            break;
        case 2:
            ExportWirelist(Result);
            break;
        case 3:
            ExportSciNetlist(Result);
            break;
        case 4:
            ExportOrCadPCBII(Result);
            break;
        default:
            return;
    }
    if (Mode == 4) {
        // The writer's temporary mark goes whatever the result.
        OM_MaskAll(DB_NetMap(), 0, 0x100);
        N_MaskAllNodes(0, 0x100);
    }
    EndOutput(Result);
}

int32_t WriteExportFile(int32_t Mode, const std::string& Path, ExportView* View) {
    UpdateMainCaption(gDbHandle);
    const int32_t hier = gCurHier;
    const int32_t page = gCurPage;
    gExportFile = Path;
    Exporter exporter(View);
    exporter.ResetOutput();
    int32_t result = 0;
    exporter.Run(Mode, result);
    DB_SetCurHier(hier);
    DB_SetCurPage(page);
    UpdateMainCaption(gDbHandle);
    return result;
}

// --- ZOT3 wirelist ---

void Exporter::IndexDictionaries() {
    partIndex_.emplace(gPartDic);
    packIndex_.emplace(gPackDic);
}

const DictionaryIndex& Exporter::PartIndex() {
    if (!partIndex_) partIndex_.emplace(gPartDic);
    return *partIndex_;
}

const DictionaryIndex& Exporter::PackIndex() {
    if (!packIndex_) packIndex_.emplace(gPackDic);
    return *packIndex_;
}

void Exporter::ExportWirelist(int32_t& Result) {
    IndexDictionaries();
    OpenOutput(Result, gExportFile);
    if (Result != 0) return;
    const std::string db = Trim(gDbName);
    SetField(1, "(PATH");
    SetField(2, db + "()");
    WriteRecord(Result, 2);
    if (Result == 0) WriteWrlComponents(Result);
    if (Result == 0) WriteWrlValues(Result);
    if (Result == 0) WriteWrlNodes(Result);
    if (Result == 0) {
        SetField(1, ")");
        SetField(2, db);
        WriteRecord(Result, 2);
    }
}

void Exporter::WrlComponentSection(int32_t& Result, const char* Head, const std::string& Status,
                                   const std::function<std::string(int32_t, const LayCompRec&)>& Second) {
    ShowMsg(HierStatus(Status));
    SetField(1, Head);
    WriteRecord(Result, 1);
    if (Result != 0) return;
    WalkWhileOk(DB_LayCompMap(), Result, [&](int32_t comp) {
        LayCompRec c;
        if (!L_ReadComponent(comp, c)) return;
        SetField(1, Name(c.Name));
        SetField(2, Second(comp, c));
        WriteRecord(Result, 2);
    });
    if (Result != 0) return;
    SetField(1, ")");
    WriteRecord(Result, 1);
}

void Exporter::WriteWrlComponents(int32_t& Result) {
    WrlComponentSection(Result, "(COMPONENTS", GetLocalString("/Components", "1056"),
                        [this](int32_t, const LayCompRec& c) {
                            if (c.Device != 0) return PartIndex().Lookup(Name(O_GetName(D_Device(c.Device))));
                            return "*" + PackIndex().Lookup(Name(O_GetName(S_Symbol(c.Symbol))));
                        });
}

void Exporter::WriteWrlValues(int32_t& Result) {
    WrlComponentSection(Result, "(VALUES", GetLocalString("/Component Values", "1055"),
                        [this](int32_t comp, const LayCompRec& c) { return GetLayCompValue(comp, c); });
}

void Exporter::WriteWrlNodes(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Wirelist", "1067")));
    SetField(1, "(NODES");
    WriteRecord(Result, 1);
    if (Result != 0) return;
    WalkWhileOk(DB_NetMap(), Result, [&](int32_t net) {
        NetRec n;
        if (!N_ReadNet(net, n)) return;
        std::string& line = mFields[1];
        line.assign(1, '(');
        line.append(Name(n.Name));
        int32_t member = 0;
        if (n.Flags & 8)
            if (const int32_t bus = N_FindBusMember(net, member); bus != 0) {
                line.push_back('.');
                AppendPlainNum(line, member);
                line.push_back('.');
                line.append(Name(O_GetName(N_Bus(bus))));
            }
        WriteRecord(Result, 1);
        WalkWhileOk(N_NodeMap(net), Result, [&](int32_t node) {
            NodeRec x;
            if (!N_ReadNode(net, node, x) || x.LayComp == 0 || x.LayPin == 0) return;
            SetField(1, Name(O_GetName(L_Component(x.LayComp))));
            SetPlainNum(2, x.LayPin);
            WriteRecord(Result, 2);
        });
        if (Result != 0) return;
        SetField(1, ")");
        WriteRecord(Result, 1);
    });
    if (Result != 0) return;
    SetField(1, ")");
    WriteRecord(Result, 1);
}

std::string Exporter::GetLayCompValue(int32_t LayCompId, const LayCompRec& Rec) {
    for (int32_t i = 1; i <= Rec.LinkCount; ++i) {
        const int32_t sc = L_GetSchCompId(LayCompId, i);
        if (sc <= 0) continue;
        SchCompRec c;
        if (C_ReadComponent(sc, c) <= 0) continue;
        const int32_t pos = OA_SearchMask(C_CompTextArray(sc), 1, 8);
        if (pos <= 0) continue;
        ItemRec text;
        if (I_ReadItem(C_CompText(sc, pos), text)) return Name(text.Text);
    }
    return "NONE";
}

// --- OrCad PCB II wirelist ---

void Exporter::ExportOrCadPCBII(int32_t& Result) {
    IndexDictionaries();
    OpenOutput(Result, gExportFile);
    if (Result != 0) return;
    ShowMsg(HierStatus(GetLocalString("/Wirelist", "1067")));
    const int32_t compMap = DB_LayCompMap();
    const int32_t netMap = DB_NetMap();
    N_SetNodeView(1);

    // The net on a pin is the first net, in map order, holding a node on that layout component
    // and pin: one pass over the nets finds it for every pin at once.
    std::unordered_map<uint64_t, int32_t> netOnPin;
    const auto key = [](int32_t comp, int64_t pin) {
        return (uint64_t(uint32_t(comp)) << 32) | uint32_t(pin);
    };
    Walk(netMap, [&](int32_t net) {
        Walk(N_NodeMap(net), [&](int32_t node) {
            NodeRec x;
            if (N_ReadNode(net, node, x)) netOnPin.emplace(key(x.LayComp, x.LayPin), net);
        });
    });

    const std::string comp = GetLocalString("Comp: ", "99454");
    const std::string partText = GetLocalString(" Part: ", "99546");
    SetField(1, "({ Export from Tolvi32 to ORCAD/PCB II");
    WriteRecordSep(Result, 1, " ");
    if (Result != 0) return;
    SetField(1, "}");
    WriteRecordSep(Result, 1, " ");
    WalkWhileOk(compMap, Result, [&](int32_t id) {
        LayCompRec c;
        SymbolRec s;
        if (!L_ReadComponent(id, c) || c.Device == 0 || c.Symbol == 0 || !S_ReadSymbol(c.Symbol, s)) return;
        const std::string part = PartIndex().Lookup(Name(O_GetName(D_Device(c.Device))));
        const std::string name = Name(c.Name);
        ShowMsg(comp + name + partText + part);
        const std::string p = Trim(part);
        SetField(1, "( " + p + " " + Trim(name) + " " + p);
        WriteRecordSep(Result, 1, " ");
        for (int64_t pin = 1; pin <= s.EntryCount && Result == 0; ++pin) {
            std::string& line = mFields[1];
            line.assign(" ( ");
            AppendPlainNum(line, pin);
            line.push_back(' ');
            auto it = netOnPin.find(key(id, pin));
            if (it != netOnPin.end()) {
                line.append(Trim(Name(O_GetName(N_Net(it->second)))));
            } else {
                line.push_back('?');
                AppendPlainNum(line, ++UnconnectedPinCount);
            }
            line.append(" )");
            WriteRecordSep(Result, 1, " ");
        }
        if (Result != 0) return;
        SetField(1, ")");
        WriteRecordSep(Result, 1, " ");
    });
    if (Result != 0) return;
    SetField(1, ")");
    WriteRecordSep(Result, 1, " ");
}

// --- Scicards netlist ---

void Exporter::ExportSciNetlist(int32_t& Result) {
    OpenOutput(Result, gExportFile);
    if (Result != 0) return;
    WriteSciParts(Result);
    if (Result == 0) WriteSciNets(Result);
}

namespace {
constexpr const char* kLead = "    ";
}

void Exporter::WriteSingle(int32_t& Result, std::string_view Text) {
    if (Result != 0) return;
    SetField(1, Text);
    WriteRecordSep(Result, 1, "");
}

void Exporter::WriteSciParts(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Schematics Components", "1061")));
    WriteSingle(Result, "PARTS LIST");
    WriteSingle(Result, " ");
    if (Result != 0) return;
    int32_t k = 0;
    WalkWhileOk(DB_SchCompMap(), Result, [&](int32_t id) {
        SchCompRec c;
        if (!C_ReadComponent(id, c)) return;
        ++k;
        SetField(k, (k == 1 ? kLead : "") + Column16(Trim(Name(c.Name))));
        if (k == 3) {
            WriteRecordSep(Result, 3, "");
            k = 0;
        }
    });
    if (Result == 0 && k > 0) WriteRecordSep(Result, k, "");
    WriteSingle(Result, "EOS");
    WriteSingle(Result, " ");
}

void Exporter::WriteSciNets(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Netlist", "1060")));
    WriteSingle(Result, "NETS LIST");
    WriteSingle(Result, " ");
    if (Result != 0) return;
    std::string items[3];
    WalkWhileOk(DB_NetMap(), Result, [&](int32_t net) {
        NetRec n;
        if (!N_ReadNet(net, n)) return;
        const std::string header = (n.Flags & 2) ? "NODENAME " + Column16(Name(n.Name)) + "$"
                                                 : "NODE " + Column16(PlainNum(net)) + "$";
        bool headerWritten = false;
        int32_t k = 0;
        const auto flush = [&] {
            for (int32_t i = 0; i < k; ++i) SetField(i + 1, items[i]);
            WriteRecordSep(Result, k, "  ");
            k = 0;
        };
        WalkWhileOk(N_NodeMap(net), Result, [&](int32_t node) {
            NodeRec x;
            EntryRec e;
            if (!N_ReadNode(net, node, x) || x.SchComp == 0 || x.SchEntry == 0 ||
                !C_ReadEntry(x.SchComp, x.SchEntry, e))
                return;
            if (!headerWritten) {
                WriteSingle(Result, header);
                headerWritten = true;
                if (Result != 0) return;
            }
            std::string& item = items[k++];
            item.assign(k == 1 ? kLead : "");
            item.append(Name(O_GetName(C_Component(x.SchComp))));
            item.push_back(' ');
            item.append(Trim(Name(e.Name)));
            if (k == 3) flush();
        });
        if (Result == 0 && k > 0) flush();
    });
    WriteSingle(Result, "EOS");
    WriteSingle(Result, " ");
}

}  // namespace tolvi
