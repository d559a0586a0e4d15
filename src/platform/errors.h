#pragma once
// The pending run-time error: the failing platform operation leaves a short description here
// ("File not found", "Permission denied", "Input past end of file", ...). Error boxes use it as
// their title; it is empty when no error is pending.
#include <string>

namespace tolvi::platform {

const std::string& ErrDescription();
void SetErrDescription(std::string text);
// Sets the description from an errno value, in the wording the boxes show.
void SetErrFromErrno(int err);
void ClearErr();
// The description of an errno value, without setting it.
std::string ErrnoDescription(int err);
// As SetErrFromErrno, but a missing file whose directory is missing too reads "Path not found".
void SetErrFromErrno(int err, const std::string& path);

}  // namespace tolvi::platform
