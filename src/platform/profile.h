#pragma once
// The settings (profile) file: "[Section]" header lines and "Key=Value" lines in a plain text file.
// Sections and keys match without regard to case and without blanks around the names; values come
// back without their end blanks and without one pair of enclosing double quotes. Writes keep
// every other line, comment and the order, keep the file's line-end style (CR LF for a new file)
// and replace the whole file atomically.
#include <cstddef>
#include <string>
#include <vector>

namespace tolvi::platform {

// The value of key in section of file, or def (its trailing blanks dropped) when the file, the
// section or the key is missing or the file cannot be read. At most capacity - 1 characters are
// returned, as a fixed buffer of that capacity would hold.
std::string ProfileGetString(const std::string& section, const std::string& key, const std::string& def,
                             const std::string& file, std::size_t capacity = 1024);

// Writes key=value into section (creating the file, the section or the key) or, when value is
// null, deletes the key (a missing key is success). False on failure, with ErrDescription() set.
// A write that leaves the file's bytes as they are writes nothing.
bool ProfileWriteString(const std::string& section, const std::string& key, const std::string* value,
                        const std::string& file);

// Batches of reads and writes, so that an operation replaces each file once. While a batch is
// open (batches nest; the outermost counts) a file is read once, at its first use, and held;
// reads and writes then use the held copy, so every read sees every write made. The outermost
// ProfileEndBatch writes each file whose bytes the batch changed, making the batch's writes again
// on what the file holds then when someone else wrote it meanwhile. Without a batch a write
// replaces the file at once.
void ProfileBeginBatch();
// False when a file could not be written (it keeps what it held; ErrDescription() tells why); the
// paths of those files are appended to failed.
bool ProfileEndBatch(std::vector<std::string>* failed = nullptr);
// Drops every held copy and open batch, writing nothing.
void ResetProfileState();

}  // namespace tolvi::platform
