#pragma once
// Part, symbol, package and padstack libraries for tests, the gallery and the benchmarks, made
// the way the library editor makes them: objects built in the open database through the flat
// functions, written with the kernel's library writer, and removed from the database again.
// Needs an open database.
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/library_file.h"

namespace tolvi::test {

class LibraryBuilder {
public:
    // A part library (devices) or a symbol library (symbols, packages, padstacks).
    enum Kind { Parts, Symbols };
    explicit LibraryBuilder(Kind kind);

    // A schematic symbol: a body of w x h units centred on (cx, cy) with `pins` pins, half on each
    // side, their entries at the pin ends, and its name above the body.
    LibraryBuilder& Symbol(const std::string& name, int pins = 2, int32_t w = 600000, int32_t h = 400000,
                           int32_t cx = 0, int32_t cy = 0);
    // A gate with an output bubble: an inverter (one input) or a NAND shape.
    LibraryBuilder& Gate(const std::string& name, int inputs);
    // An amplifier: a triangle with two inputs and an output.
    LibraryBuilder& Amplifier(const std::string& name);
    // A package: a dual row of `pads` round pads (the first one square) at `pitch`, rows `span`
    // apart, inside an outline with a notch.
    LibraryBuilder& Package(const std::string& name, int pads = 8, int32_t pitch = 254000,
                            int32_t span = 762000);
    LibraryBuilder& Padstack(const std::string& name, int32_t diameter, bool square = false);
    // A part: name, the package field (its first word names the package) and one gate group per
    // symbol name.
    LibraryBuilder& Part(const std::string& name, const std::string& package,
                         const std::vector<std::string>& groupSymbols);

    size_t Count() const { return writer_.library().entries.size(); }
    // Written whole; false when the file cannot be written.
    bool Save(const std::string& path) const;

private:
    // Adds the symbol to the library and removes it from the database.
    LibraryBuilder& Written(int32_t symbolId);

    tolvi::kernel::LibraryWriter writer_;
};

// The sample libraries in dir: EXTRA.SYMBOL (OPAMP, RES), LOGIC.SYMBOL (NAND2, INV, DFF),
// DIP.PACKAGE (DIP8, DIP14), SMD.PACKAGE (SO8, R0805), LOGIC.PART (7400: four NAND2 groups in a
// "DIP14 plastic"; 7404: six INV groups; 7474: two DFF; LM358: two OPAMP in "DIP8 wide") and
// STD.PADSTACK (ROUND60, SQUARE60, VIA30). False when one cannot be written.
bool WriteSampleLibraries(const std::string& dir);

}  // namespace tolvi::test
