#pragma once

#include "platform/win/Registry.h"

#include <string>
#include <vector>

// The program's start-up switches. A switch counts only when it is the whole command line,
// compared without regard to case; anything else (a file name, two switches) is no switch.
enum class StartupSwitch
{
    None,
    CleanReg,
    CleanRegAll,
    RegisterOnly,
    NoHardware,
    Hidden,
};

// The command line as one text: the arguments after the program's name joined by blanks.
std::string joinCommandLine(const std::vector<std::string>& arguments);
StartupSwitch parseStartupSwitch(const std::string& commandLine);

// Whether the framework's parser sees a start by an automation client: an argument
// "/Embedding", "-Embedding", "/Automation" or "-Automation" (case ignored). Such a start keeps
// the main window hidden.
bool startedForAutomation(const std::vector<std::string>& arguments);

// Deletes a key and everything below it; 0 or a Win32 error code (1010 for an empty path).
long DeleteRegistryKeyTree(platform::win::HKEY root, const char* path);

// The boxes the clean-up switches show. GUI thread.
class StartupQuestions
{
public:
    virtual ~StartupQuestions() = default;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void showMessage(const std::string& text) = 0;
};

enum class CleanOutcome
{
    // The program ends (cleaned, or the list could not be read, or "/cleanreg" declined).
    Exit,
    // Start-up goes on ("/cleanregall" answered No, or no clean-up switch).
    Continue,
};

// Runs "/cleanreg" or "/cleanregall": asks, removes every key named in the list file (one path
// under HKEY_CLASSES_ROOT per line) and, for "/cleanregall", the program's own keys under
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, then says so.
CleanOutcome runCleanSwitch(StartupSwitch which, const std::string& reglistPath,
                            StartupQuestions& questions);
