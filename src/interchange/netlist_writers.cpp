#include "interchange/netlist_writers.h"

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

// The Scicards lines start with this lead.
constexpr const char* kLead = "    ";

}  // namespace

DictionaryIndex::DictionaryIndex(const NamePairTable& table) {
    mMap.reserve(table.size());
    for (size_t i = 1; i < table.size(); ++i) mMap.emplace(table[i].Name, table[i].Replacement);
}

std::string DictionaryIndex::Lookup(const std::string& Key) const {
    auto it = mMap.find(Trim(Key));
    return it == mMap.end() ? Key : it->second;
}

std::string GetLayCompValue(int32_t LayCompId, const LayCompRec& Rec) {
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

// --- ZOT3 wirelist ---

Zot3Writer::Zot3Writer(RecordOutput& Output) : mOut(Output), mParts(gPartDic), mPackages(gPackDic) {}

void Zot3Writer::ExportWirelist() {
    mOut.OpenOutput(gExportFile);
    if (!mOut.Ok()) return;
    const std::string db = Trim(gDbName);
    mOut.SetField(1, "(PATH");
    mOut.SetField(2, db + "()");
    mOut.WriteRecord(2);
    for (auto section :
         {&Zot3Writer::WriteWrlComponents, &Zot3Writer::WriteWrlValues, &Zot3Writer::WriteWrlNodes}) {
        if (!mOut.Ok()) return;
        (this->*section)();
    }
    mOut.SetField(1, ")");
    mOut.SetField(2, db);
    mOut.WriteRecord(2);
}

template <class SecondText>
void Zot3Writer::WrlComponentSection(const char* Head, const std::string& Status, SecondText&& Second) {
    mOut.ShowMsg(HierStatus(Status));
    mOut.WriteSingle(Head);
    WalkWhileOk(DB_LayCompMap(), mOut, [&](int32_t comp) {
        LayCompRec c;
        if (!L_ReadComponent(comp, c)) return;
        mOut.SetField(1, Name(c.Name));
        mOut.SetField(2, Second(comp, c));
        mOut.WriteRecord(2);
    });
    mOut.WriteSingle(")");
}

void Zot3Writer::WriteWrlComponents() {
    WrlComponentSection("(COMPONENTS", GetLocalString("/Components", "1056"),
                        [this](int32_t, const LayCompRec& c) {
                            if (c.Device != 0) return mParts.Lookup(Name(O_GetName(D_Device(c.Device))));
                            return "*" + mPackages.Lookup(Name(O_GetName(S_Symbol(c.Symbol))));
                        });
}

void Zot3Writer::WriteWrlValues() {
    WrlComponentSection("(VALUES", GetLocalString("/Component Values", "1055"), GetLayCompValue);
}

void Zot3Writer::WriteWrlNodes() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Wirelist", "1067")));
    mOut.WriteSingle("(NODES");
    WalkWhileOk(DB_NetMap(), mOut, [&](int32_t net) {
        NetRec n;
        if (!N_ReadNet(net, n)) return;
        std::string& line = mOut.mFields[1];
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
        mOut.WriteRecord(1);
        WalkWhileOk(N_NodeMap(net), mOut, [&](int32_t node) {
            NodeRec x;
            if (!N_ReadNode(net, node, x) || x.LayComp == 0 || x.LayPin == 0) return;
            mOut.SetField(1, Name(O_GetName(L_Component(x.LayComp))));
            mOut.SetPlainNum(2, x.LayPin);
            mOut.WriteRecord(2);
        });
        mOut.WriteSingle(")");
    });
    mOut.WriteSingle(")");
}

// --- OrCad PCB II wirelist ---

OrCadPcb2Writer::OrCadPcb2Writer(RecordOutput& Output, int32_t& UnconnectedPinCount)
    : mOut(Output), mUnconnectedPinCount(UnconnectedPinCount), mParts(gPartDic) {}

void OrCadPcb2Writer::ExportOrCadPCBII() {
    mOut.OpenOutput(gExportFile);
    if (!mOut.Ok()) return;
    mOut.ShowMsg(HierStatus(GetLocalString("/Wirelist", "1067")));
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
    mOut.WriteSingle("({ Export from Tolvi32 to ORCAD/PCB II");
    mOut.WriteSingle("}");
    WalkWhileOk(compMap, mOut, [&](int32_t id) {
        LayCompRec c;
        SymbolRec s;
        if (!L_ReadComponent(id, c) || c.Device == 0 || c.Symbol == 0 || !S_ReadSymbol(c.Symbol, s)) return;
        const std::string part = mParts.Lookup(Name(O_GetName(D_Device(c.Device))));
        const std::string name = Name(c.Name);
        mOut.ShowMsg(comp + name + partText + part);
        const std::string p = Trim(part);
        mOut.WriteSingle("( " + p + " " + Trim(name) + " " + p);
        for (int64_t pin = 1; pin <= s.EntryCount && mOut.Ok(); ++pin) {
            std::string& line = mOut.mFields[1];
            line.assign(" ( ");
            AppendPlainNum(line, pin);
            line.push_back(' ');
            auto it = netOnPin.find(key(id, pin));
            if (it != netOnPin.end()) {
                line.append(Trim(Name(O_GetName(N_Net(it->second)))));
            } else {
                line.push_back('?');
                AppendPlainNum(line, ++mUnconnectedPinCount);
            }
            line.append(" )");
            mOut.WriteRecord(1);
        }
        mOut.WriteSingle(")");
    });
    mOut.WriteSingle(")");
}

// --- Scicards netlist ---

void SciCardsWriter::ExportSciNetlist() {
    mOut.OpenOutput(gExportFile);
    if (!mOut.Ok()) return;
    WriteSciParts();
    if (mOut.Ok()) WriteSciNets();
}

void SciCardsWriter::WriteSciParts() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Schematics Components", "1061")));
    mOut.WriteSingle("PARTS LIST");
    mOut.WriteSingle(" ");
    int32_t k = 0;
    WalkWhileOk(DB_SchCompMap(), mOut, [&](int32_t id) {
        SchCompRec c;
        if (!C_ReadComponent(id, c)) return;
        ++k;
        mOut.SetField(k, (k == 1 ? kLead : "") + Column16(Trim(Name(c.Name))));
        if (k == 3) {
            mOut.WriteRecordSep(3, "");
            k = 0;
        }
    });
    if (k > 0) mOut.WriteRecordSep(k, "");
    mOut.WriteSingle("EOS");
    mOut.WriteSingle(" ");
}

void SciCardsWriter::WriteSciNets() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Netlist", "1060")));
    mOut.WriteSingle("NETS LIST");
    mOut.WriteSingle(" ");
    std::string items[3];
    WalkWhileOk(DB_NetMap(), mOut, [&](int32_t net) {
        NetRec n;
        if (!N_ReadNet(net, n)) return;
        const std::string header = (n.Flags & 2) ? "NODENAME " + Column16(Name(n.Name)) + "$"
                                                 : "NODE " + Column16(PlainNum(net)) + "$";
        bool headerWritten = false;
        int32_t k = 0;
        const auto flush = [&] {
            for (int32_t i = 0; i < k; ++i) mOut.SetField(i + 1, items[i]);
            mOut.WriteRecordSep(k, "  ");
            k = 0;
        };
        WalkWhileOk(N_NodeMap(net), mOut, [&](int32_t node) {
            NodeRec x;
            EntryRec e;
            if (!N_ReadNode(net, node, x) || x.SchComp == 0 || x.SchEntry == 0 ||
                !C_ReadEntry(x.SchComp, x.SchEntry, e))
                return;
            if (!headerWritten) {
                mOut.WriteSingle(header);
                headerWritten = true;
            }
            std::string& item = items[k++];
            item.assign(k == 1 ? kLead : "");
            item.append(Name(O_GetName(C_Component(x.SchComp))));
            item.push_back(' ');
            item.append(Trim(Name(e.Name)));
            if (k == 3) flush();
        });
        if (k > 0) flush();
    });
    mOut.WriteSingle("EOS");
    mOut.WriteSingle(" ");
}

}  // namespace tolvi
