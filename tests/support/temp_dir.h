#pragma once
// A fresh directory for one test, removed with everything in it at the end.
#include <string>
#include <string_view>

namespace tolvi::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(std::string_view name) const;                           // path of name inside
    std::string Write(std::string_view name, std::string_view bytes) const;  // returns the path
    std::string Read(std::string_view name) const;                           // "" when missing

private:
    std::string path_;
};

}  // namespace tolvi::test
