// The registry hive reader fed any hive file: every key and value enumerated and read into
// buffers of every size, then a write that must read back.

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzFiles.h"
#include "platform/win/c/pwin_registry.h"
#include "platform/win/c/pwin_system.h"

#include <memory>
#include <string>

namespace {

bool isRegistryResult(PWIN_LONG result)
{
    switch (result) {
    case PWIN_ERROR_SUCCESS:
    case PWIN_ERROR_FILE_NOT_FOUND:
    case PWIN_ERROR_ACCESS_DENIED:
    case PWIN_ERROR_INVALID_HANDLE:
    case PWIN_ERROR_NOT_ENOUGH_MEMORY:
    case PWIN_ERROR_INVALID_PARAMETER:
    case PWIN_ERROR_MORE_DATA:
    case PWIN_ERROR_NO_MORE_ITEMS:
    case PWIN_ERROR_BADKEY:
    case PWIN_ERROR_CANTOPEN:
    case PWIN_ERROR_CANTREAD:
    case PWIN_ERROR_CANTWRITE:
    case PWIN_ERROR_KEY_DELETED:
        return true;
    default:
        return false;
    }
}

PWIN_LONG checked(PWIN_LONG result)
{
    FUZZ_CHECK(isRegistryResult(result));
    return result;
}

struct Walk
{
    PWIN_DWORD smallSize = 0;
    int keysLeft = 200;
};

// Reads every value of key into a buffer of exactly the size asked for, and once into a
// small one.
void readValues(PWIN_HKEY key, const Walk& walk)
{
    for (PWIN_DWORD index = 0; index < 64; ++index) {
        char name[PWIN_REG_MAX_VALUE_NAME + 1];
        PWIN_DWORD nameLength = sizeof name;
        PWIN_DWORD type = 0;
        PWIN_DWORD size = 0;
        const PWIN_LONG result = checked(
            pwin_RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size));
        if (result == PWIN_ERROR_NO_MORE_ITEMS) {
            return;
        }
        if (result != PWIN_ERROR_SUCCESS) {
            continue;
        }
        FUZZ_CHECK(nameLength < sizeof name && name[nameLength] == '\0');
        PWIN_DWORD exact = size;
        auto data = std::make_unique<std::uint8_t[]>(exact);
        FUZZ_CHECK(checked(pwin_RegQueryValueExA(key, name, nullptr, &type, data.get(), &exact)) ==
                   PWIN_ERROR_SUCCESS);
        FUZZ_CHECK(exact == size);
        PWIN_DWORD small = walk.smallSize;
        auto smallData = std::make_unique<std::uint8_t[]>(small);
        const PWIN_LONG smallResult =
            checked(pwin_RegQueryValueExA(key, name, nullptr, &type, smallData.get(), &small));
        FUZZ_CHECK(smallResult ==
                   (size <= walk.smallSize ? PWIN_ERROR_SUCCESS : PWIN_ERROR_MORE_DATA));
        FUZZ_CHECK(small == size);
    }
}

void walkKey(PWIN_HKEY key, int depth, Walk& walk)
{
    readValues(key, walk);
    for (PWIN_DWORD index = 0; index < 64 && walk.keysLeft > 0; ++index) {
        char name[PWIN_REG_MAX_KEY_NAME + 1];
        PWIN_DWORD nameLength = sizeof name;
        const PWIN_LONG result = checked(
            pwin_RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr));
        if (result == PWIN_ERROR_NO_MORE_ITEMS) {
            return;
        }
        if (result != PWIN_ERROR_SUCCESS) {
            continue;
        }
        FUZZ_CHECK(nameLength <= PWIN_REG_MAX_KEY_NAME && name[nameLength] == '\0');
        PWIN_DWORD smallLength = walk.smallSize;
        auto smallName = std::make_unique<char[]>(smallLength);
        checked(pwin_RegEnumKeyExA(key, index, smallName.get(), &smallLength, nullptr, nullptr,
                                   nullptr, nullptr));
        --walk.keysLeft;
        if (depth >= 8) {
            continue;
        }
        PWIN_HKEY sub = 0;
        if (checked(pwin_RegOpenKeyExA(key, name, 0, 0, &sub)) == PWIN_ERROR_SUCCESS) {
            walkKey(sub, depth + 1, walk);
            checked(pwin_RegCloseKey(sub));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ByteSource source(data, size);
    Walk walk;
    walk.smallSize = source.take() % 24;
    const std::string folder = fuzz::scratchFolder() + "/registry";
    fuzz::replaceFile(folder + "/HKEY_CURRENT_USER.hive", source.rest());

    walkKey(PWIN_HKEY_CURRENT_USER, 0, walk);

    // A write either fails with its code (a damaged hive is not overwritten) or reads back.
    PWIN_HKEY key = 0;
    if (checked(pwin_RegCreateKeyExA(PWIN_HKEY_CURRENT_USER, "Fuzz\\Written", 0, nullptr, 0, 0,
                                     nullptr, &key, nullptr)) != PWIN_ERROR_SUCCESS) {
        return 0;
    }
    const std::uint8_t value[] = {1, 2, 3, 4};
    if (checked(pwin_RegSetValueExA(key, "Value", 0, PWIN_REG_DWORD, value, sizeof value)) ==
        PWIN_ERROR_SUCCESS) {
        std::uint8_t back[4] = {};
        PWIN_DWORD backSize = sizeof back;
        FUZZ_CHECK(checked(pwin_RegQueryValueExA(key, "Value", nullptr, nullptr, back,
                                                 &backSize)) == PWIN_ERROR_SUCCESS);
        FUZZ_CHECK(backSize == 4 && back[0] == 1 && back[3] == 4);
    }
    checked(pwin_RegCloseKey(key));
    return 0;
}
