#pragma once

#include <string>

// The "FileVersion" text of a binary's version information, read under one translation
// ("040904b0" for the program, "040904e4" for the driver library); empty when the file carries
// none or cannot be read.
std::string readFileVersion(const std::string& modulePath, const char* translation);
