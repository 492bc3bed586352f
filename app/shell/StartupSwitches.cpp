#include "app/shell/StartupSwitches.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace win = platform::win;

namespace {

constexpr long kErrorNoMoreItems = 259;
constexpr long kErrorBadKey = 1010;
constexpr const char* kProgramKey = "Software\\Varnholt Software\\Harlune";

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::string joinCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        line += argument;
    }
    return line;
}

StartupSwitch parseStartupSwitch(const std::string& commandLine)
{
    const std::string line = lowered(commandLine);
    if (line == "/cleanreg")
        return StartupSwitch::CleanReg;
    if (line == "/cleanregall")
        return StartupSwitch::CleanRegAll;
    if (line == "/registeronly")
        return StartupSwitch::RegisterOnly;
    if (line == "/none")
        return StartupSwitch::NoHardware;
    if (line == "/hidden")
        return StartupSwitch::Hidden;
    return StartupSwitch::None;
}

bool startedForAutomation(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
            continue;
        const std::string flag = lowered(argument.substr(1));
        if (flag == "embedding" || flag == "automation")
            return true;
    }
    return false;
}

long DeleteRegistryKeyTree(win::HKEY root, const char* path)
{
    if (!path || !*path)
        return kErrorBadKey;
    win::HKEY key = 0;
    long result = win::RegOpenKeyEx(root, path, 0, win::KEY_ALL_ACCESS, &key);
    if (result != 0)
        return result;
    for (;;) {
        char name[5001] = {};
        PWIN_DWORD length = sizeof(name) - 1;
        result = win::RegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == kErrorNoMoreItems) {
            win::RegCloseKey(key);
            return win::RegDeleteKey(root, path);
        }
        if (result != 0) {
            win::RegCloseKey(key);
            return result;
        }
        const std::string child = std::string(path) + "\\" + name;
        result = DeleteRegistryKeyTree(root, child.c_str());
        if (result != 0) {
            win::RegCloseKey(key);
            return result;
        }
    }
}

CleanOutcome runCleanSwitch(StartupSwitch which, const std::string& reglistPath,
                            StartupQuestions& questions)
{
    if (which != StartupSwitch::CleanReg && which != StartupSwitch::CleanRegAll)
        return CleanOutcome::Continue;
    const bool all = which == StartupSwitch::CleanRegAll;
    const std::string question =
        all ? "You are about to clean ALL registry entries associated with Harlune.\nAre you "
              "sure that you want to delete these registry entries?"
            : "You are about to clean all registry entries associated with the Harlune type "
              "library.\nAre you sure that you want to delete these registry entries?";
    if (!questions.askYesNo(question))
        // Declined: "/cleanreg" ends without claiming a clean; "/cleanregall" starts normally.
        return all ? CleanOutcome::Continue : CleanOutcome::Exit;

    std::ifstream list(reglistPath);
    if (!list) {
        questions.showMessage("Can't open reglist.dat\n");
        return CleanOutcome::Exit;
    }
    std::string line;
    while (std::getline(list, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty())
            continue;
        // A key that is already gone is passed over.
        DeleteRegistryKeyTree(win::HKEY_CLASSES_ROOT, line.c_str());
    }
    if (all) {
        DeleteRegistryKeyTree(win::HKEY_LOCAL_MACHINE, kProgramKey);
        DeleteRegistryKeyTree(win::HKEY_CURRENT_USER, kProgramKey);
    }
    questions.showMessage("Registry clean successful.  Harlune will now exit.");
    return CleanOutcome::Exit;
}
