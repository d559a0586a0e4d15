#pragma once
// Paths are the file system's bytes; they never pass through the code page and are never
// upper-cased. Every join goes through JoinPath.
#include <string>
#include <string_view>

namespace tolvi::platform {

// dir + "/" + name, with exactly one separator between them; an empty dir gives name.
std::string JoinPath(std::string_view dir, std::string_view name);

// True for the file-system root "/" (also "//", "///").
bool IsRootPath(std::string_view path);

// The part after the last "/" (the whole path when it holds none).
std::string FileNamePart(std::string_view path);

// The part before the last "/", without it; "/" for a file in the root; "" when there is none.
std::string DirectoryPart(std::string_view path);

// path made absolute against the current directory, without its "." and empty segments; links
// and ".." are left as they are. "" gives the current directory.
std::string AbsolutePath(std::string_view path);

// Existence tests by stat; none changes the current directory.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsEnterableDirectory(const std::string& path);  // a directory the user may search (x bit)
bool IsReadableRegularFile(const std::string& path);

// For fixed file names the program only reads (settings file, local texts, vector font, help,
// aperture tables): the exact name in dir when it exists, otherwise the first entry of dir whose
// name matches without regard to ASCII case, otherwise JoinPath(dir, name) unchanged.
std::string ResolveFixedName(std::string_view dir, std::string_view name);

// Directory holding the running executable (no trailing "/", except the root itself).
std::string ProgramDirectory();
// File name of the running executable ("tolvi32").
std::string ProgramFileName();

// The user's home directory ($HOME, else the password database entry).
std::string HomeDirectory();

// Writes bytes to a temporary file in path's directory, flushes, fsyncs and renames it over
// path (then syncs the directory). On any failure the previous file is untouched, the temporary
// is removed, false is returned and *error (when given) holds a description.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace tolvi::platform
