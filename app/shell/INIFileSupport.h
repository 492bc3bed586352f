#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The program's one way to read and write named settings: text values by section and key,
// kept either in the registry (HKEY_LOCAL_MACHINE under a root key, one key per section,
// REG_SZ values) or in an INI file. Numbers are stored as text in fixed formats, so a value
// written by one writer reads back through the matching reader. Nothing is cached between
// objects: every read goes to the registry or the file, so two objects see each other's
// writes at once. GUI thread only; an object lives for one read or write sequence.
//
// Writers return the status of the underlying call, which differs by mode: in registry mode
// 0 is success (else a Win32 error code), in INI mode nonzero is success.
class CINIFileSupport
{
public:
    // fileName null or empty with useRegistry 0 shows the "CINIFileSupport Error" box; the
    // object is still made and then reads defaults and writes nothing.
    CINIFileSupport(const char* fileName, int useRegistry, void* owner = nullptr);
    ~CINIFileSupport();
    CINIFileSupport(const CINIFileSupport&) = delete;
    CINIFileSupport& operator=(const CINIFileSupport&) = delete;

    // Replaces the registry root of this object; returns the length copied with its
    // terminating zero.
    int SetRegistryRoot(const char* root);
    std::string GetRegistryRoot() const { return m_registryRoot; }

    unsigned char GetUChar(const char* section, const char* key);
    unsigned short GetUShort(const char* section, const char* key);
    unsigned int GetUInt(const char* section, const char* key);
    signed char GetChar(const char* section, const char* key);
    short GetShort(const char* section, const char* key);
    int GetInt(const char* section, const char* key);
    long GetLong(const char* section, const char* key);
    float GetFloat(const char* section, const char* key);
    double GetDouble(const char* section, const char* key);
    std::string GetString(const char* section, const char* key);

    unsigned char GetUCharDefault(const char* section, const char* key, unsigned char def);
    unsigned short GetUShortDefault(const char* section, const char* key, unsigned short def);
    unsigned int GetUIntDefault(const char* section, const char* key, unsigned int def);
    signed char GetCharDefault(const char* section, const char* key, signed char def);
    short GetShortDefault(const char* section, const char* key, short def);
    int GetIntDefault(const char* section, const char* key, int def);
    long GetLongDefault(const char* section, const char* key, long def);
    float GetFloatDefault(const char* section, const char* key, float def);
    double GetDoubleDefault(const char* section, const char* key, double def);
    std::string GetStringDefault(const char* section, const char* key, const char* def);

    long WriteUChar(const char* section, const char* key, unsigned int value);
    long WriteUShort(const char* section, const char* key, unsigned int value);
    long WriteUInt(const char* section, const char* key, unsigned int value);
    long WriteChar(const char* section, const char* key, int value);
    long WriteShort(const char* section, const char* key, int value);
    long WriteInt(const char* section, const char* key, int value);
    long WriteLong(const char* section, const char* key, long value);
    long WriteFloat(const char* section, const char* key, float value);
    long WriteFloatExp(const char* section, const char* key, float value);
    long WriteDouble(const char* section, const char* key, double value);
    long WriteDoubleExp(const char* section, const char* key, double value);
    long WriteString(const char* section, const char* key, const char* value);

    // Groups the writes that follow into one replacement of the file (or of the registry
    // hive), made by endBatch: true when it was written. Reads in between see the writes.
    // The writes inside a batch succeed in memory, so a caller that batches must check
    // endBatch: false means none of them was stored (it is also noted in the diagnostic
    // log). A batch still open when the object goes is ended then, and a failure logged.
    void beginBatch();
    [[nodiscard]] bool endBatch();

    bool usesRegistry() const { return m_useRegistry != 0; }
    // The profile file INI mode uses (empty in registry mode without a file name).
    const std::string& iniPath() const { return m_iniPath; }

    // The longest value text, in characters, that a reader returns.
    static constexpr std::size_t kMaxValueLength = 255;

private:
    std::string readValue(const char* section, const char* key, const std::string& def);
    long writeValue(const char* section, const char* key, const std::string& text);
    std::string sectionKeyPath(const char* section) const;

    std::string m_iniPath;
    int m_useRegistry = 0;
    void* m_owner = nullptr;
    std::string m_registryRoot = "Software\\Varnholt Software\\Harlune";
    bool m_batching = false;
};
