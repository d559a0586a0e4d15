#pragma once
// The whole-file writers of the platform (text files, the settings file) over the program's one
// file writer: a temporary file beside the target that replaces it only when everything has
// reached the disk (see base/file_replace.h).
#include <cstdio>
#include <memory>
#include <string>

#include "base/file_replace.h"

namespace tolvi::platform::detail {

struct PendingFile {
    std::string target;  // the file to replace (a symbolic link's destination)
    std::FILE* stream = nullptr;
    std::unique_ptr<base::FileReplacement> replacement;
};

// Opens a temporary file in target's directory. False with err set when that is impossible,
// or when target exists and may not be written (renaming over it would bypass that).
bool BeginReplace(const std::string& target, PendingFile& file, int& err);
// Flushes, syncs and renames the temporary over the target, then syncs the directory. On
// failure the temporary is removed and the target untouched.
bool CommitReplace(PendingFile& file, int& err);
// Drops the temporary.
void AbandonReplace(PendingFile& file);

}  // namespace tolvi::platform::detail
