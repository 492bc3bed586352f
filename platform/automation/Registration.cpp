#include "platform/automation/Registration.h"

#include "platform/automation/ClassInfo.h"
#include "platform/win/Registry.h"

#include <algorithm>

namespace platform::automation {

namespace {

constexpr long kErrorFileNotFound = 2;
// The marshaller of plain dispatch interfaces.
constexpr const char* kDispatchProxyStub = "{00020420-0000-0000-C000-000000000046}";

class TableBuilder
{
public:
    void set(const std::string& path, const std::string& name, const std::string& data)
    {
        m_table.values.push_back({path, name, data});
        const std::string top = topKey(path);
        if (std::find(m_table.keyTrees.begin(), m_table.keyTrees.end(), top) ==
            m_table.keyTrees.end()) {
            m_table.keyTrees.push_back(top);
        }
    }
    RegistrationTable take() { return std::move(m_table); }

private:
    // "CLSID\{...}\ProgID" -> "CLSID\{...}"; "Harlune.GenMenu\CLSID" -> "Harlune.GenMenu".
    // CLSID, Interface and TypeLib are shared by every server: only the entry below them
    // is ours.
    static std::string topKey(const std::string& path)
    {
        const size_t first = path.find('\\');
        const std::string head = path.substr(0, first);
        if (first != std::string::npos &&
            (head == "CLSID" || head == "Interface" || head == "TypeLib")) {
            return path.substr(0, path.find('\\', first + 1));
        }
        return head;
    }

    RegistrationTable m_table;
};

void addClass(TableBuilder& b, const std::string& progId, const std::string& clsid,
              const std::string& modulePath)
{
    b.set(progId, "", progId);
    b.set(progId + "\\CLSID", "", clsid);
    const std::string key = "CLSID\\" + clsid;
    b.set(key, "", progId);
    b.set(key + "\\ProgID", "", progId);
    b.set(key + "\\LocalServer32", "", modulePath + " /Automation");
}

void addInterface(TableBuilder& b, const std::string& name, const std::string& iid)
{
    const std::string key = "Interface\\" + iid;
    const std::string version =
        std::to_string(kLibraryMajorVersion) + "." + std::to_string(kLibraryMinorVersion);
    b.set(key, "", name);
    b.set(key + "\\ProxyStubClsid32", "", kDispatchProxyStub);
    b.set(key + "\\TypeLib", "", harluneLibraryId().toString());
    b.set(key + "\\TypeLib", "Version", version);
}

} // namespace

RegistrationTable registrationTable(const std::string& modulePath)
{
    TableBuilder b;
    addClass(b, kDocumentProgId, documentClsid().toString(), modulePath);
    for (const ClassInfo& c : harluneClasses()) {
        addClass(b, c.progId, c.clsid().toString(), modulePath);
    }

    addInterface(b, "IHarluneDocument", documentIid().toString());
    for (const ClassInfo& c : harluneClasses()) {
        addInterface(b, c.typeName(), c.iid().toString());
    }
    addInterface(b, "IEventGenerator", eventGeneratorIid().toString());
    addInterface(b, "IEventGeneratorEvents", eventGeneratorEventsIid().toString());

    const std::string version =
        std::to_string(kLibraryMajorVersion) + "." + std::to_string(kLibraryMinorVersion);
    const std::string lib = "TypeLib\\" + harluneLibraryId().toString() + "\\" + version;
    const size_t slash = modulePath.find_last_of('/');
    b.set(lib, "", "Harlune Type Library");
    b.set(lib + "\\0\\win32", "", modulePath);
    b.set(lib + "\\FLAGS", "", "0");
    b.set(lib + "\\HELPDIR", "", slash == std::string::npos ? "" : modulePath.substr(0, slash));
    return b.take();
}

std::string regListText(const RegistrationTable& table)
{
    std::string text;
    for (const std::string& key : table.keyTrees) {
        text += key;
        text += '\n';
    }
    return text;
}

long writeRegistration(const RegistrationTable& table, ClassesRootWriter& hive)
{
    for (const RegistryValue& v : table.values) {
        if (hive.getString(v.keyPath, v.name) == v.data) {
            continue;
        }
        if (const long rc = hive.setString(v.keyPath, v.name, v.data); rc != 0) {
            return rc;
        }
    }
    return 0;
}

long removeRegistration(const RegistrationTable& table, ClassesRootWriter& hive)
{
    long first = 0;
    for (const std::string& key : table.keyTrees) {
        const long rc = hive.deleteTree(key);
        if (rc != 0 && rc != kErrorFileNotFound && first == 0) {
            first = rc;
        }
    }
    return first;
}

long ClassesRootHive::setString(const std::string& keyPath, const std::string& name,
                                const std::string& data)
{
    using namespace platform::win;
    HKEY key = 0;
    LONG rc = RegCreateKeyEx(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != 0) {
        return rc;
    }
    // A string value holds its terminating NUL.
    rc = RegSetValueEx(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const uint8_t*>(data.c_str()),
                       static_cast<PWIN_DWORD>(data.size() + 1));
    RegCloseKey(key);
    return rc;
}

long ClassesRootHive::deleteTree(const std::string& keyPath)
{
    return platform::win::RegDeleteTree(platform::win::HKEY_CLASSES_ROOT, keyPath.c_str());
}

std::optional<std::string> ClassesRootHive::getString(const std::string& keyPath,
                                                      const std::string& name)
{
    using namespace platform::win;
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != 0) {
        return std::nullopt;
    }
    PWIN_DWORD type = 0;
    PWIN_DWORD size = 0;
    LONG rc = RegQueryValueEx(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::string data;
    if (rc == 0 && type == REG_SZ && size > 0) {
        data.resize(size);
        rc = RegQueryValueEx(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<uint8_t*>(data.data()), &size);
    }
    RegCloseKey(key);
    if (rc != 0 || type != REG_SZ || size == 0) {
        return std::nullopt;
    }
    data.resize(size - 1); // the terminating NUL
    return data;
}

long registerServer(const std::string& modulePath)
{
    // A first registration writes about a thousand values: one replacement of the hive file
    // instead of one flushed rewrite per value.
    platform::win::RegistryBatch batch(platform::win::HKEY_CLASSES_ROOT);
    ClassesRootHive hive;
    const long status = writeRegistration(registrationTable(modulePath), hive);
    const long committed = batch.isOpen() ? batch.commit() : 0;
    return status != 0 ? status : committed;
}

} // namespace platform::automation
