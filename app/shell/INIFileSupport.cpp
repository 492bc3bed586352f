#include "app/shell/INIFileSupport.h"

#include "app/shell/NumberText.h"
#include "app/shell/SettingsBackend.h"
#include "platform/win/Log.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

using app::text::atofC;
using app::text::atoiC;
using app::text::formatC;

namespace {

constexpr const char* kLogModule = "settings";

// Unsigned 32-bit readers take the whole unsigned range, so every value WriteUInt stores reads
// back; beyond it the value is clamped.
unsigned int toUInt(const std::string& text)
{
    const long long value = app::text::atollC(text.c_str());
    if (value > static_cast<long long>(UINT_MAX))
        return UINT_MAX;
    if (value < INT_MIN)
        return static_cast<unsigned int>(INT_MIN);
    return static_cast<unsigned int>(value);
}

// The current directory joined with a name, when that file exists and can be read.
std::string fileInCurrentDirectory(const char* fileName)
{
    std::vector<char> directory(PATH_MAX);
    if (::getcwd(directory.data(), directory.size()) == nullptr)
        return {};
    std::string path = std::string(directory.data()) + "/" + fileName;
    if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
        return path;
    }
    return {};
}

// A value reads back cut to the store's limit. The cut never splits a UTF-8 character: one
// that would cross the limit is dropped whole. Bytes that are no UTF-8 are kept as they are.
std::string cutValue(std::string text)
{
    std::size_t size = CINIFileSupport::kMaxValueLength;
    if (text.size() <= size)
        return text;
    const auto continuation = [&](std::size_t at) {
        return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    // The byte after the cut continues a character: step back to that character's lead byte
    // (a character has at most three continuation bytes).
    std::size_t lead = size;
    while (lead > 0 && size - lead < 4 && continuation(lead))
        --lead;
    const unsigned char first = static_cast<unsigned char>(text[lead]);
    const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (lead < size && first >= 0xC0 && lead + length > size)
        size = lead;
    text.resize(size);
    return text;
}

} // namespace

CINIFileSupport::CINIFileSupport(const char* fileName, int useRegistry, void* owner)
    : m_useRegistry(useRegistry), m_owner(owner)
{
    const bool named = fileName != nullptr && fileName[0] != '\0';
    if (named) {
        // A name that exists in the current directory is taken from there. Otherwise a path
        // is used as given, and a bare name lives in the user's configuration folder, as
        // the profile functions of Windows look for it in the Windows folder.
        const std::string name(fileName);
        const std::string local = name[0] == '/' ? std::string() : fileInCurrentDirectory(fileName);
        if (!local.empty()) {
            m_iniPath = local;
        } else if (name.find_first_of("/\\") == std::string::npos) {
            const std::string folder = app::settings::configurationFolder();
            std::error_code ignored;
            std::filesystem::create_directories(folder, ignored);
            m_iniPath = folder + "/" + name;
        } else {
            m_iniPath = name;
        }
    }
    if (!named && useRegistry == 0) {
        app::settings::showMessageBox(
            "You specified using the an INI file without passing a inifilename string",
            "CINIFileSupport Error");
    }
}

CINIFileSupport::~CINIFileSupport()
{
    if (m_batching)
        (void)endBatch(); // a failure is logged there; nobody is left to tell
}

int CINIFileSupport::SetRegistryRoot(const char* root)
{
    m_registryRoot = root != nullptr ? root : "";
    if (m_registryRoot.size() > 999)
        m_registryRoot.resize(999);
    return static_cast<int>(m_registryRoot.size()) + 1;
}

std::string CINIFileSupport::sectionKeyPath(const char* section) const
{
    return m_registryRoot + "\\" + (section != nullptr ? section : "");
}

std::string CINIFileSupport::readValue(const char* section, const char* key, const std::string& def)
{
    if (section == nullptr || key == nullptr)
        return def;
    if (m_useRegistry != 0) {
        std::optional<std::string> value =
            app::settings::readRegistryString(sectionKeyPath(section), key);
        return value ? cutValue(std::move(*value)) : def;
    }
    if (m_iniPath.empty())
        return def;
    return cutValue(app::settings::readProfileString(section, key, def, m_iniPath));
}

long CINIFileSupport::writeValue(const char* section, const char* key, const std::string& text)
{
    if (section == nullptr || key == nullptr)
        return m_useRegistry != 0 ? 87 /* ERROR_INVALID_PARAMETER */ : 0;
    if (m_useRegistry != 0)
        return app::settings::writeRegistryString(sectionKeyPath(section), key, text);
    if (m_iniPath.empty())
        return 0;
    return app::settings::writeProfileString(section, key, text, m_iniPath) ? 1 : 0;
}

void CINIFileSupport::beginBatch()
{
    if (m_batching)
        return;
    if (m_useRegistry != 0) {
        app::settings::beginRegistryBatch();
        m_batching = true;
    } else if (!m_iniPath.empty()) {
        app::settings::beginProfileBatch(m_iniPath);
        m_batching = true;
    }
}

bool CINIFileSupport::endBatch()
{
    if (!m_batching)
        return false;
    m_batching = false;
    const bool written = m_useRegistry != 0 ? app::settings::endRegistryBatch()
                                            : app::settings::endProfileBatch(m_iniPath);
    if (!written)
        platform::win::logError(kLogModule, "a batch of settings was not written to %s",
                                m_useRegistry != 0 ? "the registry" : m_iniPath.c_str());
    return written;
}

unsigned char CINIFileSupport::GetUChar(const char* section, const char* key)
{
    return static_cast<unsigned char>(atoiC(readValue(section, key, "0").c_str()));
}

unsigned short CINIFileSupport::GetUShort(const char* section, const char* key)
{
    return static_cast<unsigned short>(atoiC(readValue(section, key, "0").c_str()));
}

unsigned int CINIFileSupport::GetUInt(const char* section, const char* key)
{
    return toUInt(readValue(section, key, "0"));
}

signed char CINIFileSupport::GetChar(const char* section, const char* key)
{
    return static_cast<signed char>(atoiC(readValue(section, key, "0").c_str()));
}

short CINIFileSupport::GetShort(const char* section, const char* key)
{
    return static_cast<short>(atoiC(readValue(section, key, "0").c_str()));
}

int CINIFileSupport::GetInt(const char* section, const char* key)
{
    return atoiC(readValue(section, key, "0").c_str());
}

long CINIFileSupport::GetLong(const char* section, const char* key)
{
    return atoiC(readValue(section, key, "0").c_str());
}

float CINIFileSupport::GetFloat(const char* section, const char* key)
{
    return static_cast<float>(atofC(readValue(section, key, "0").c_str()));
}

double CINIFileSupport::GetDouble(const char* section, const char* key)
{
    return atofC(readValue(section, key, "0").c_str());
}

std::string CINIFileSupport::GetString(const char* section, const char* key)
{
    return readValue(section, key, "0");
}

// A default passes through the same text form as a stored value: a narrow integer default is
// cut to its width first, a real default is rounded to six decimals by "%f".
unsigned char CINIFileSupport::GetUCharDefault(const char* section, const char* key,
                                               unsigned char def)
{
    return static_cast<unsigned char>(
        atoiC(readValue(section, key, formatC("%d", def & 0xFF)).c_str()));
}

unsigned short CINIFileSupport::GetUShortDefault(const char* section, const char* key,
                                                 unsigned short def)
{
    return static_cast<unsigned short>(
        atoiC(readValue(section, key, formatC("%d", def & 0xFFFF)).c_str()));
}

unsigned int CINIFileSupport::GetUIntDefault(const char* section, const char* key, unsigned int def)
{
    return toUInt(readValue(section, key, formatC("%d", static_cast<int>(def))));
}

signed char CINIFileSupport::GetCharDefault(const char* section, const char* key, signed char def)
{
    return static_cast<signed char>(atoiC(readValue(section, key, formatC("%d", def)).c_str()));
}

short CINIFileSupport::GetShortDefault(const char* section, const char* key, short def)
{
    return static_cast<short>(atoiC(readValue(section, key, formatC("%d", def)).c_str()));
}

int CINIFileSupport::GetIntDefault(const char* section, const char* key, int def)
{
    return atoiC(readValue(section, key, formatC("%d", def)).c_str());
}

long CINIFileSupport::GetLongDefault(const char* section, const char* key, long def)
{
    return atoiC(
        readValue(section, key, formatC("%ld", static_cast<long>(static_cast<int>(def)))).c_str());
}

float CINIFileSupport::GetFloatDefault(const char* section, const char* key, float def)
{
    return static_cast<float>(
        atofC(readValue(section, key, formatC("%f", static_cast<double>(def))).c_str()));
}

double CINIFileSupport::GetDoubleDefault(const char* section, const char* key, double def)
{
    return atofC(readValue(section, key, formatC("%f", def)).c_str());
}

std::string CINIFileSupport::GetStringDefault(const char* section, const char* key, const char* def)
{
    return readValue(section, key, def != nullptr ? def : "");
}

long CINIFileSupport::WriteUChar(const char* section, const char* key, unsigned int value)
{
    return writeValue(section, key, formatC("%u", value & 0xFFu));
}

long CINIFileSupport::WriteUShort(const char* section, const char* key, unsigned int value)
{
    return writeValue(section, key, formatC("%u", value & 0xFFFFu));
}

long CINIFileSupport::WriteUInt(const char* section, const char* key, unsigned int value)
{
    return writeValue(section, key, formatC("%u", value));
}

long CINIFileSupport::WriteChar(const char* section, const char* key, int value)
{
    return writeValue(section, key, formatC("%d", static_cast<signed char>(value)));
}

long CINIFileSupport::WriteShort(const char* section, const char* key, int value)
{
    return writeValue(section, key, formatC("%d", static_cast<short>(value)));
}

long CINIFileSupport::WriteInt(const char* section, const char* key, int value)
{
    return writeValue(section, key, formatC("%d", value));
}

long CINIFileSupport::WriteLong(const char* section, const char* key, long value)
{
    return writeValue(section, key, formatC("%d", static_cast<int>(value)));
}

long CINIFileSupport::WriteFloat(const char* section, const char* key, float value)
{
    return writeValue(section, key, formatC("%f", static_cast<double>(value)));
}

long CINIFileSupport::WriteFloatExp(const char* section, const char* key, float value)
{
    return writeValue(section, key, formatC("%e", static_cast<double>(value)));
}

long CINIFileSupport::WriteDouble(const char* section, const char* key, double value)
{
    return writeValue(section, key, formatC("%.15f", value));
}

long CINIFileSupport::WriteDoubleExp(const char* section, const char* key, double value)
{
    return writeValue(section, key, formatC("%.15e", value));
}

long CINIFileSupport::WriteString(const char* section, const char* key, const char* value)
{
    return writeValue(section, key, value != nullptr ? value : "");
}
