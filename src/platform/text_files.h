#pragma once
// Text files known by small positive file numbers, the lowest free number first. Every failure
// returns false and leaves a description in ErrDescription().
//
// A file opened for output is written to a temporary file beside the target; CloseFile moves it
// over the target (flush, fsync, rename), so a failed or abandoned write never damages the old
// file. DiscardFile closes an output file without touching the target.
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace tolvi::platform {

// The descriptions of the two ways a line read can end without a line.
inline constexpr const char* kPastEndOfFile = "Input past end of file";
inline constexpr const char* kLineTooLong = "Line too long";

int FreeFileNumber();  // lowest number not in use (from 1)
bool IsFileOpen(int fileNo);
bool OpenFileInput(int fileNo, const std::string& path);   // regular readable files only
bool OpenFileOutput(int fileNo, const std::string& path);  // creates or empties (on close)
// The next line without its end (CR LF, LF or a lone CR); false past the end of the file. A line
// of more than maxBytes is refused ("Line too long"); what is left of it stays unread.
bool ReadLine(int fileNo, std::string& line, std::size_t maxBytes = std::numeric_limits<std::size_t>::max());
// Up to n bytes of the file as they stand (line ends included), what ReadLine has read ahead
// first; got is 0 at the end of the file. False on a read error.
bool ReadBytes(int fileNo, char* out, std::size_t n, std::size_t& got);
// Writes text exactly as given (no line end is added).
bool WriteText(int fileNo, std::string_view text);
// Writes the first n bytes of bytes as WriteText does, without copying them where it can: it
// may keep the buffer, and give bytes another one (of any size) for the caller to fill next.
bool WriteText(int fileNo, std::vector<char>& bytes, std::size_t n);
bool CloseFile(int fileNo);
bool DiscardFile(int fileNo);
void CloseAllFiles();

}  // namespace tolvi::platform
