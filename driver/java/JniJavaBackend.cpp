// The Java driver object in a real Java VM, reached through the JNI invocation interface.
// The VM library is loaded at run time, so the driver library starts without a Java
// runtime and only the Java-driven models need one. A VM cannot be created twice in one
// process: once created (or joined) it stays until the process ends.
#include "driver/core/DriverMessages.h"
#include "driver/java/JavaDriverBackend.h"
#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "platform/win/System.h"

#include <jni.h>

#include <array>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace driver::java {
namespace {

namespace fs = std::filesystem;
namespace win = platform::win;

constexpr const char* kArchiveName = "Tarnwick.jar";
constexpr const char* kSetupSection = "Setup";

using CreateJavaVmFn = jint (*)(JavaVM**, void**, void*);
using GetCreatedJavaVmsFn = jint (*)(JavaVM**, jsize, jsize*);

std::string driverIniPath()
{
    if (const char* file = std::getenv("VYKDRV_INI"); file && *file)
        return file;
    std::string folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        folder = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = std::string(home) + "/.config";
    return folder + "/VYKDRV.INI";
}

std::string iniText(const char* key)
{
    std::array<char, 1024> buffer{};
    win::GetPrivateProfileString(kSetupSection, key, "", buffer.data(),
                                 static_cast<PWIN_DWORD>(buffer.size()), driverIniPath().c_str());
    return buffer.data();
}

bool isFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The archive: the "JavaArchive" key of "VYKDRV.INI", else along PATH, else beside the
// driver library.
std::string findArchive()
{
    if (std::string configured = iniText("JavaArchive"); !configured.empty())
        return isFile(configured) ? configured : std::string();
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view folder = rest.substr(0, colon);
            if (!folder.empty() && isFile(fs::path(folder) / kArchiveName))
                return (fs::path(folder) / kArchiveName).string();
            if (colon == std::string_view::npos)
                break;
            rest.remove_prefix(colon + 1);
        }
    }
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&findArchive), &info) && info.dli_fname) {
        const fs::path beside = fs::path(info.dli_fname).parent_path() / kArchiveName;
        if (isFile(beside))
            return beside.string();
    }
    return {};
}

// The registry's record of a Java runtime, as an installer leaves it.
std::string registryJavaHome()
{
    const char* base = "Software\\JavaSoft\\Java Runtime Environment";
    auto readValue = [](const std::string& keyPath, const char* name) {
        win::HKEY key = 0;
        if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, win::KEY_READ, &key) !=
            win::ERROR_SUCCESS)
            return std::string();
        std::array<char, 512> data{};
        PWIN_DWORD size = static_cast<PWIN_DWORD>(data.size() - 1);
        PWIN_DWORD type = 0;
        std::string value;
        if (win::RegQueryValueEx(key, name, nullptr, &type,
                                 reinterpret_cast<unsigned char*>(data.data()),
                                 &size) == win::ERROR_SUCCESS)
            value = data.data();
        win::RegCloseKey(key);
        return value;
    };
    const std::string version = readValue(base, "CurrentVersion");
    if (version.empty())
        return {};
    return readValue(std::string(base) + "\\" + version, "JavaHome");
}

// The VM library: the registry's runtime, then JAVA_HOME, then the Debian JVM folders.
std::string findVmLibrary()
{
    std::vector<std::string> homes;
    homes.push_back(registryJavaHome());
    if (const char* home = std::getenv("JAVA_HOME"))
        homes.emplace_back(home);
    homes.emplace_back("/usr/lib/jvm/java-17-openjdk-amd64");
    homes.emplace_back("/usr/lib/jvm/default-java");
    for (const std::string& home : homes) {
        if (home.empty())
            continue;
        for (const char* sub : {"lib/server/libjvm.so", "jre/lib/amd64/server/libjvm.so"}) {
            const fs::path candidate = fs::path(home) / sub;
            if (isFile(candidate))
                return candidate.string();
        }
    }
    return {};
}

// The process's VM: created or joined once, never destroyed.
struct Vm
{
    std::mutex mutex;
    JavaVM* vm = nullptr;
    bool tried = false;
};

Vm& processVm()
{
    static Vm instance;
    return instance;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_processVmMadeAtLoad = (processVm(), true);

// Each thread attaches once and detaches when it ends, unless it is the thread that
// created the VM (which the VM knows from its creation on).
struct ThreadAttachment
{
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    bool detachAtExit = false;
    ~ThreadAttachment()
    {
        if (vm && detachAtExit)
            vm->DetachCurrentThread();
    }
};

thread_local ThreadAttachment t_attachment;

JNIEnv* attach(JavaVM* vm)
{
    if (t_attachment.vm == vm && t_attachment.env)
        return t_attachment.env;
    JNIEnv* env = nullptr;
    if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_2) == JNI_OK) {
        t_attachment = {vm, env, false};
        return env;
    }
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
        return nullptr;
    t_attachment.vm = vm;
    t_attachment.env = env;
    t_attachment.detachAtExit = true;
    return env;
}

JavaVM* obtainVm()
{
    Vm& v = processVm();
    std::lock_guard lock(v.mutex);
    if (v.vm || v.tried)
        return v.vm;
    if (iniText("JavaEnabled") == "0")
        return nullptr; // the configuration keeps Java out; retried on a later load
    v.tried = true;
    const std::string archive = findArchive();
    const std::string library = findVmLibrary();
    if (archive.empty() || library.empty()) {
        core::debugLog("Java: archive \"%s\", VM library \"%s\"\n", archive.c_str(),
                       library.c_str());
        v.tried = false; // a later load may find them
        return nullptr;
    }
    // Kept loaded for the life of the process: the VM cannot be unloaded.
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    if (!handle) {
        core::debugLog("Java: %s\n", dlerror());
        return nullptr;
    }
    auto getCreated = reinterpret_cast<GetCreatedJavaVmsFn>(dlsym(handle, "JNI_GetCreatedJavaVMs"));
    auto create = reinterpret_cast<CreateJavaVmFn>(dlsym(handle, "JNI_CreateJavaVM"));
    if (!getCreated || !create)
        return nullptr;

    // A VM already running in the process (the host, or an earlier load of this library)
    // is joined; otherwise one is created.
    std::array<JavaVM*, 5> existing{};
    jsize count = 0;
    if (getCreated(existing.data(), static_cast<jsize>(existing.size()), &count) == JNI_OK &&
        count > 0) {
        v.vm = existing[0];
        return v.vm;
    }
    std::string classPath = "-Djava.class.path=" + archive;
    std::string libraryPath = "-Djava.library.path=" + fs::path(archive).parent_path().string();
    std::array<JavaVMOption, 2> options{};
    options[0].optionString = classPath.data();
    options[1].optionString = libraryPath.data();
    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_TRUE;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (create(&vm, reinterpret_cast<void**>(&env), &args) != JNI_OK) {
        core::debugLog("Java: the VM could not be created\n");
        return nullptr;
    }
    t_attachment = {vm, env, false};
    v.vm = vm;
    return v.vm;
}

// True (and the exception cleared) when the last call threw.
bool threw(JNIEnv* env)
{
    if (!env->ExceptionCheck())
        return false;
    env->ExceptionClear();
    return true;
}

// Pops the local references of one call however the call ends.
class LocalFrame
{
public:
    explicit LocalFrame(JNIEnv* env) : m_env(env), m_pushed(env->PushLocalFrame(16) == JNI_OK) {}
    ~LocalFrame()
    {
        if (m_pushed)
            m_env->PopLocalFrame(nullptr);
    }
    bool ok() const { return m_pushed; }

private:
    JNIEnv* m_env;
    bool m_pushed;
};

class JniJavaBackend final : public JavaDriverBackend
{
public:
    JavaLoadResult load(const std::string& classPath) override
    {
        JavaVM* vm = obtainVm();
        if (!vm)
            return JavaLoadResult::NoVm;
        JNIEnv* env = attach(vm);
        if (!env)
            return JavaLoadResult::NoVm;
        // Exclusive: no call may use the references while they are replaced.
        std::unique_lock lock(m_mutex);
        releaseLocked(env);
        LocalFrame frame(env);
        if (!frame.ok()) {
            threw(env);
            return JavaLoadResult::ClassFailed;
        }
        jclass found = env->FindClass(classPath.c_str());
        if (threw(env) || !found)
            return JavaLoadResult::ClassFailed;
        jmethodID constructor = env->GetMethodID(found, "<init>", "()V");
        if (threw(env) || !constructor)
            return JavaLoadResult::ClassFailed;
        jobject object = env->NewObject(found, constructor);
        if (threw(env) || !object)
            return JavaLoadResult::ClassFailed;
        jclass objectClass = env->GetObjectClass(object);
        if (threw(env) || !objectClass)
            return JavaLoadResult::ClassFailed;
        std::array<jmethodID, kJavaMethodCount> ids{};
        for (const JavaMethodRow& row : javaMethodRows()) {
            if (!classBindsMethod(classPath, row.method))
                continue;
            jmethodID id = env->GetMethodID(objectClass, row.name, row.signature);
            if (threw(env) || !id) {
                core::debugLog("Java: %s %s not found in %s\n", row.name, row.signature,
                               classPath.c_str());
                return JavaLoadResult::ClassFailed;
            }
            ids[static_cast<std::size_t>(row.method)] = id;
        }
        m_class = static_cast<jclass>(env->NewGlobalRef(objectClass));
        m_object = env->NewGlobalRef(object);
        if (!m_class || !m_object) {
            releaseLocked(env);
            return JavaLoadResult::ClassFailed;
        }
        m_ids = ids;
        m_vm = vm;
        return JavaLoadResult::Loaded;
    }

    void unload() override
    {
        std::unique_lock lock(m_mutex);
        if (!m_vm)
            return;
        if (JNIEnv* env = attach(m_vm))
            releaseLocked(env);
    }

    std::optional<JavaValue> call(JavaMethod method, std::span<const JavaArg> args) override
    {
        // Shared: calls run side by side; a load or unload waits until they are done,
        // because they replace the references a call uses.
        std::shared_lock lock(m_mutex);
        const jmethodID id = m_ids[static_cast<std::size_t>(method)];
        if (!m_vm || !m_object || !id)
            return std::nullopt;
        JNIEnv* env = attach(m_vm);
        if (!env)
            return std::nullopt;
        LocalFrame frame(env);
        if (!frame.ok()) {
            threw(env);
            return std::nullopt;
        }
        const JavaMethodRow& row = javaMethodRow(method);
        std::array<jvalue, 4> values{};
        jbyteArray byteArray = nullptr;
        std::size_t used = 0;
        const char* s = row.signature + 1;
        for (; *s && *s != ')'; ++s) {
            if (used >= values.size() || used >= args.size())
                return std::nullopt;
            const JavaArg& arg = args[used];
            jvalue& value = values[used++];
            switch (*s) {
            case 'I':
                value.i = static_cast<jint>(arg.integer);
                break;
            case 'S':
                value.s = static_cast<jshort>(arg.integer);
                break;
            case 'B':
                value.b = static_cast<jbyte>(arg.integer);
                break;
            case 'Z':
                value.z = arg.integer != 0 ? JNI_TRUE : JNI_FALSE;
                break;
            case 'F':
                value.f = static_cast<jfloat>(arg.real);
                break;
            case 'D':
                value.d = arg.real;
                break;
            case 'L': {
                const std::string text(arg.text);
                value.l = env->NewStringUTF(text.c_str());
                if (threw(env) || !value.l)
                    return std::nullopt;
                while (*s && *s != ';')
                    ++s;
                break;
            }
            case '[': {
                ++s;
                if (*s == 'B') {
                    const auto n = static_cast<jsize>(arg.bytes.size());
                    byteArray = env->NewByteArray(n);
                    if (threw(env) || !byteArray)
                        return std::nullopt;
                    env->SetByteArrayRegion(byteArray, 0, n,
                                            reinterpret_cast<const jbyte*>(arg.bytes.data()));
                    value.l = byteArray;
                } else {
                    const auto n = static_cast<jsize>(arg.doubles.size());
                    jdoubleArray array = env->NewDoubleArray(n);
                    if (threw(env) || !array)
                        return std::nullopt;
                    env->SetDoubleArrayRegion(array, 0, n, arg.doubles.data());
                    value.l = array;
                }
                break;
            }
            default:
                return std::nullopt;
            }
        }
        const char* returns = s + 1;
        JavaValue result;
        const jvalue* a = values.data();
        const bool plain = row.virtualCall;
        switch (returns[0]) {
        case 'V':
            plain ? env->CallVoidMethodA(m_object, id, a)
                  : env->CallNonvirtualVoidMethodA(m_object, m_class, id, a);
            break;
        case 'I':
            result.integer = plain ? env->CallIntMethodA(m_object, id, a)
                                   : env->CallNonvirtualIntMethodA(m_object, m_class, id, a);
            break;
        case 'S':
            result.integer = plain ? env->CallShortMethodA(m_object, id, a)
                                   : env->CallNonvirtualShortMethodA(m_object, m_class, id, a);
            break;
        case 'F':
            result.real = plain ? env->CallFloatMethodA(m_object, id, a)
                                : env->CallNonvirtualFloatMethodA(m_object, m_class, id, a);
            break;
        case 'D':
            result.real = plain ? env->CallDoubleMethodA(m_object, id, a)
                                : env->CallNonvirtualDoubleMethodA(m_object, m_class, id, a);
            break;
        default: {
            jobject object = plain ? env->CallObjectMethodA(m_object, id, a)
                                   : env->CallNonvirtualObjectMethodA(m_object, m_class, id, a);
            if (threw(env))
                return std::nullopt;
            if (!object) {
                result.isNull = true;
            } else if (returns[0] == 'L') {
                jstring text = static_cast<jstring>(object);
                const char* chars = env->GetStringUTFChars(text, nullptr);
                if (threw(env) || !chars)
                    return std::nullopt;
                result.text = chars;
                env->ReleaseStringUTFChars(text, chars);
            } else if (returns[1] == 'B') {
                auto array = static_cast<jbyteArray>(object);
                const jsize n = env->GetArrayLength(array);
                result.bytes.resize(static_cast<std::size_t>(n));
                env->GetByteArrayRegion(array, 0, n, reinterpret_cast<jbyte*>(result.bytes.data()));
            } else {
                auto array = static_cast<jdoubleArray>(object);
                const jsize n = env->GetArrayLength(array);
                result.doubles.resize(static_cast<std::size_t>(n));
                env->GetDoubleArrayRegion(array, 0, n, result.doubles.data());
            }
            break;
        }
        }
        if (threw(env))
            return std::nullopt;
        // A byte array passed in comes back as the method left it (getData fills it).
        if (byteArray && returns[0] != '[') {
            const jsize n = env->GetArrayLength(byteArray);
            result.bytes.resize(static_cast<std::size_t>(n));
            env->GetByteArrayRegion(byteArray, 0, n, reinterpret_cast<jbyte*>(result.bytes.data()));
            if (threw(env))
                return std::nullopt;
        }
        return result;
    }

private:
    void releaseLocked(JNIEnv* env)
    {
        if (m_object)
            env->DeleteGlobalRef(m_object);
        if (m_class)
            env->DeleteGlobalRef(m_class);
        m_object = nullptr;
        m_class = nullptr;
        m_ids = {};
    }

    std::shared_mutex m_mutex;
    JavaVM* m_vm = nullptr;
    jclass m_class = nullptr;
    jobject m_object = nullptr;
    std::array<jmethodID, kJavaMethodCount> m_ids{};
};

} // namespace

std::shared_ptr<JavaDriverBackend> makeJniJavaBackend()
{
    return std::make_shared<JniJavaBackend>();
}

} // namespace driver::java
