#pragma once
// Tools of the suite that run as programs of their own (the conversion manager): brought forward
// when they run, else started with the program directory, the settings file and the
// automatic-help flag.
#include <cstdint>
#include <string>
#include <vector>

namespace tolvi {

// The traditional command line of such a program: three quoted fields separated by one blank,
// "<appDir><sep><app>" "<iniFile>" "<autoHelp>".
std::string ModuleCommandLine(const std::string& appDir, const std::string& app, const std::string& iniFile,
                              int32_t autoHelp, const std::string& sep = "/");
// The same as an argument vector: program path, settings file, flag.
std::vector<std::string> ModuleArguments(const std::string& appDir, const std::string& app,
                                         const std::string& iniFile, int32_t autoHelp);

// Brings App's window forward (restoring it when minimised) when App runs; otherwise starts it
// and marks it running ("MW_<APP>" = "1"). A failed start shows "Can't start: <App>".
void Ap_ConvtActivate(const std::string& App);

}  // namespace tolvi
