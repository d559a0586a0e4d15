#include "support/temp_dir.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/paths.h"

namespace tolvi::test {

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "tolvi-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("cannot create a temporary directory");
    path_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests take permissions away; give them back so everything can go.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec)) chmod(it->path().c_str(), 0700);
    chmod(path_.c_str(), 0700);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(std::string_view name) const { return platform::JoinPath(path_, name); }

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
    std::string p = File(name);
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::Read(std::string_view name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tolvi::test
