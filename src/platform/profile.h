#pragma once
// The settings (profile) file: "[Section]" header lines and "Key=Value" lines in a plain text file.
// Sections and keys match without regard to case and without blanks around the names; values come
// back without their end blanks and without one pair of enclosing double quotes. Writes keep
// every other line, comment and the order, keep the file's line-end style (CR LF for a new file)
// and replace the whole file atomically.
#include <cstddef>
#include <string>

namespace tolvi::platform {

// The value of key in section of file, or def (its trailing blanks dropped) when the file, the
// section or the key is missing or the file cannot be read. At most capacity - 1 characters are
// returned, as a fixed buffer of that capacity would hold.
std::string ProfileGetString(const std::string& section, const std::string& key, const std::string& def,
                             const std::string& file, std::size_t capacity = 1024);

// Writes key=value into section (creating the file, the section or the key) or, when value is
// null, deletes the key (a missing key is success). False on failure, with ErrDescription() set.
bool ProfileWriteString(const std::string& section, const std::string& key, const std::string* value,
                        const std::string& file);

}  // namespace tolvi::platform
