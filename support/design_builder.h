// Test designs made through the kernel's flat functions, the way the design modules make them.
// Tests, benchmarks and fuzz seeds share them; everything here needs the kernel alone.
//
// What it can make:
// - NewDatabase: an empty database (root hierarchy "MAINHIER", page "MAINPAGE").
// - BuildFullDesign: one of every object kind and every record the ASCII database file carries,
//   with the cases its writer must get right: via padstack items it leaves out, schematic and
//   layout symbols, a symbol padstack, a part with three gate groups, a bus with gaps, a layout
//   component whose first link is 0, a trace with an arc, texts and non-texts mixed in the text
//   lists, two pages with the second current, hierarchies 1 and 3 (none 2), negative numbers, a
//   byte field of 255 and a value above 2^24.
// - BuildBoard: a board for the netlist writers: layout components with a package of n pins,
//   their schematic components, nets of n nodes on them; sized by BoardSize.
// - BuildHierarchyDesign: many hierarchies of many pages, each page and layout with a little of
//   everything the previews draw, block symbols to make hierarchies from; one hierarchy may
//   carry a large schematic. Sized by HierarchyDesign.
// - BuildSampleDesign: the small design the tutorial ships as an ASCII database: an amplifier
//   with a connector, an op-amp, resistors and a capacitor on five nets, a second hierarchy
//   holding a filter, and a block symbol not yet made a hierarchy.
// - GenerateDesign (support/design_generator.h): the large synthetic design of the kernel
//   benchmarks, scaled by DesignSize.
// - Shape, AddShape, AddText: items with every field set, for one-off fixtures.
#pragma once

#include <cstdint>
#include <string>

#include "kernel/kernel.h"
#include "support/design_generator.h"

namespace tolvi::designs {

// Replaces the open database by an empty one called name.
void NewDatabase(const char* name = "Untitled");

// A graphic item of kind 1..5 with every field non-zero (the shape values it does not use too),
// derived from seed so that two items differ.
ItemRec Shape(int32_t kind, int32_t seed = 1);
// Makes the item, sets its link and gap, and appends it to array; the item, 0 on failure.
int32_t AddShape(int32_t array, const ItemRec& item);
// A text item made as the editors make one (position, angle, the two size values, attribute,
// style and width), with a link and a gap, appended to array; the item, 0 on failure.
int32_t AddText(int32_t array, const std::string& text, int32_t attr, int32_t x = 50800, int32_t y = -50800);

// The every-kind design described above, replacing the open database ("FULL"). Hierarchy 1 and
// its page 2 are current afterwards. Returns false when the kernel refused any call.
bool BuildFullDesign();

struct BoardSize {
    int32_t layComps = 2000;
    int32_t pinsPerComp = 20;
    int32_t nets = 5000;
    int32_t nodesPerNet = 4;
    // Every count scaled (at least 1 each), pins and nodes per object kept.
    BoardSize Scaled(double factor) const;
};

// A board replacing the open database ("BOARD"): one package symbol with pinsPerComp pads, one
// schematic symbol with as many pins, one part; layComps layout components "U<n>" each linked
// to its schematic component "U<n>" holding a value text; nets "N<n>" (every third unnamed, every
// tenth a bus member) whose nodes go round the pins of the components in turn.
void BuildBoard(const BoardSize& size);

struct HierarchyDesign {
    int32_t hierarchies = 2;        // "MAINHIER" (1), then "SUB2", "SUB3", ... (ids 2, 3, ...)
    int32_t pagesPerHierarchy = 2;  // "MAINPAGE" (1), then "PAGE2", "PAGE3", ... (ids 2, 3, ...)
    int32_t heavyObjects = 0;       // schematic objects added to the last hierarchy, over its pages
};

// A design replacing the open database ("HIERS"). Symbols: block symbols "BLOCKA" (pins "IN",
// "OUT", "CLK") and "BLOCKB" (pins "A", "B"), "GATE" (a schematic symbol that is no block, two
// pins) and the layout symbol "PADS". On every page of every hierarchy: a wire, a junction and a
// GATE component "G<page>" with a text, placed further out on higher pages; in every layout a
// trace, a PADS component "P1" and a free text. The heavy objects are components "U<n>", wires
// and junctions in turn, page after page. MAINHIER and its first page are current afterwards.
// Returns false when the kernel refused any call.
bool BuildHierarchyDesign(const HierarchyDesign& size);

// The tutorial's sample replacing the open database ("DEMO"). Hierarchy "MAINHIER" (1): the
// schematic components U1 (LM358), J1 (CON4), R1, R2 (RES) and C1 (CAP) on "MAINPAGE", each
// with a layout component of the same name, and the nets VCC, IN, OUT, GND and FB. Hierarchy
// "FILTER" (2), made from the block symbol of that name: R3 and C2 on the nets IN, OUT and GND.
// The block symbol "BUFFER" has no hierarchy yet. Every net is drawn: wires and junctions on the
// page, a trace from pad to pad in the layout. MAINHIER and its page are current afterwards.
// Returns false when the kernel refused any call.
bool BuildSampleDesign();

}  // namespace tolvi::designs
