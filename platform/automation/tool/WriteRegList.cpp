// Writes "reglist.dat": the key trees, relative to HKEY_CLASSES_ROOT, that registration
// of the automation server creates. Run at build time; the file goes beside the program.

#include "platform/automation/Registration.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    const std::string target = argv[1];
    const std::string temporary = target + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << platform::automation::regListText(platform::automation::registrationTable(""));
        out.flush();
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", temporary.c_str());
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::fprintf(stderr, "cannot replace %s\n", target.c_str());
        return 1;
    }
    return 0;
}
