#pragma once

#include <optional>
#include <string>
#include <vector>

// Registration of the automation server: the keys that tell clients where the classes,
// their ProgIDs, dispatch interfaces and the type library are, all under
// HKEY_CLASSES_ROOT. The same table gives "reglist.dat", the key trees the clean-up
// switches delete, so the clean-up removes exactly what registration wrote.
namespace platform::automation {

// One string value; an empty name is the key's default value.
struct RegistryValue
{
    std::string keyPath; // relative to HKEY_CLASSES_ROOT, "\\" between key names
    std::string name;
    std::string data;
};

struct RegistrationTable
{
    std::vector<RegistryValue> values;
    // The top keys of everything above, each once, in the order first written.
    std::vector<std::string> keyTrees;
};

// The registration of the server whose program file is modulePath: "Harlune.Document",
// the 61 classes, their dispatch interfaces and those of the event generator, and the
// type library (version 1.5).
RegistrationTable registrationTable(const std::string& modulePath);

// "reglist.dat": one key tree per line ("\n"), relative to HKEY_CLASSES_ROOT.
std::string regListText(const RegistrationTable& table);

// The hive that registration writes to; answers Win32 error codes (0 success).
class ClassesRootWriter
{
public:
    // Creates the key (and the keys above it) and sets one string value.
    virtual long setString(const std::string& keyPath, const std::string& name,
                           const std::string& data) = 0;
    // Deletes a key with everything below it.
    virtual long deleteTree(const std::string& keyPath) = 0;
    // A string value, or nothing when the key or the value is missing.
    virtual std::optional<std::string> getString(const std::string& keyPath,
                                                 const std::string& name) = 0;

protected:
    ~ClassesRootWriter() = default;
};

// HKEY_CLASSES_ROOT of the program's registry (platform/win).
class ClassesRootHive : public ClassesRootWriter
{
public:
    long setString(const std::string& keyPath, const std::string& name,
                   const std::string& data) override;
    long deleteTree(const std::string& keyPath) override;
    std::optional<std::string> getString(const std::string& keyPath,
                                         const std::string& name) override;
};

// Writes every value that is not already there as it should be (a refresh of a current
// registration writes nothing); stops at and answers the first error.
long writeRegistration(const RegistrationTable& table, ClassesRootWriter& hive);
// Deletes every key tree of the table; a tree that is not there is no error. Answers the
// first other error, after trying every tree.
long removeRegistration(const RegistrationTable& table, ClassesRootWriter& hive);

// Registers the server whose program file is modulePath in HKEY_CLASSES_ROOT ("/registeronly"
// and the refresh at start); 0 or the first Win32 error.
long registerServer(const std::string& modulePath);

} // namespace platform::automation
