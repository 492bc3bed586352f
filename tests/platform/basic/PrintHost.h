#pragma once

#include "platform/basic/Interpreter.h"

#include <string>
#include <vector>

namespace tests::platform::basic {

// A host that keeps what a script prints (Debug.Print lines, message boxes as "[box] ...")
// in `output`; a message box answers 1 (OK).
class PrintHost : public ::platform::basic::InterpreterHost
{
public:
    void debugPrint(const std::string& text) override { output += text + "\n"; }
    void doEvents() override {}
    int msgBox(const std::string& text, int, const std::string&) override
    {
        output += "[box] " + text + "\n";
        return 1;
    }
    ::platform::automation::DispatchPtr namedObject(const std::string&) override { return {}; }
    std::vector<::platform::automation::DispatchPtr> extensions() override { return {}; }
    std::string output;
};

// The module a test row runs: `code` itself when it defines a Sub or Function, else `code`
// as the body of Sub Main.
inline std::string moduleOfCode(const std::string& code)
{
    if (code.find("Sub ") != std::string::npos || code.find("Function ") != std::string::npos) {
        return code;
    }
    return "Sub Main\n" + code + "\nEnd Sub\n";
}

} // namespace tests::platform::basic
