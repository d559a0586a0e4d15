// Synthetic designs for benchmarks, built through the kernel's flat functions.
#pragma once

#include <cstdint>
#include <string>

namespace tolvi::bench {

// prefix followed by n in decimal ("U12").
std::string Numbered(const char* prefix, int32_t n);

// Counts per design (symbols, devices) or per hierarchy (everything placed in one).
struct DesignSize {
    int hierarchies = 8;
    int pagesPerHierarchy = 4;
    int symbols = 500;
    int entriesPerSymbol = 8;
    int itemsPerSymbol = 6;
    int devices = 500;
    int groupsPerDevice = 2;
    int pinsPerGroup = 4;
    int nets = 5000;
    int nodesPerNet = 4;
    int schComps = 2500;
    int textsPerComp = 2;
    int branches = 5000;
    int pointsPerBranch = 4;
    int junctions = 1000;
    int layComps = 2500;
    int traces = 5000;
    int recordsPerTrace = 8;
    int bendPoints = 2000;
    int vias = 1000;
    int layoutTexts = 500;
    // Lengths in the units of an older-form ASCII file (1/1000 inch, the value / 2540) and angles
    // in 1/100 degree, as a file of that form is loaded before its conversion.
    bool olderUnits = false;

    // The default design holds about 0.95 million objects and records; `factor`
    // scales every per-design and per-hierarchy count (not the number of hierarchies or pages).
    static DesignSize Scaled(double factor);
};

struct DesignCounts {
    int64_t objects = 0;  // map and array elements
    int64_t records = 0;  // trace records, branch points, pins and links
    int64_t total() const { return objects + records; }
};

// Replaces the open database with a new one holding the synthetic design.
DesignCounts GenerateDesign(const DesignSize& size);

// The scale factor from the environment variable TOLVI_BENCH_SCALE, or `fallback`.
double BenchScale(double fallback);

}  // namespace tolvi::bench
