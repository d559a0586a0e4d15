#pragma once
// What the file-reader fuzz targets share: one scratch directory for the whole run (removed at
// exit) and writing an input as a file in it.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

inline const std::string& ScratchDir() {
    // The name lives in a plain buffer: the removal at exit may run after static strings are gone.
    static char pattern[] = "/tmp/tolvi-fuzz-XXXXXX";
    static const std::string dir = [] {
        if (mkdtemp(pattern) == nullptr) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(pattern, ec);
        });
        return std::string(pattern);
    }();
    return dir;
}

// Writes the input as the file at path (an empty input gives an empty file).
inline void WriteInput(const std::string& path, const uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

}  // namespace fuzz
