#pragma once

#include "driver/java/JavaMethods.h"

#include <memory>
#include <optional>
#include <span>
#include <string>

namespace driver::java {

enum class JavaLoadResult
{
    Loaded,
    NoVm,        // no Java runtime, no archive, or the VM could not be created or joined
    ClassFailed, // the class, its constructor, its object or a method could not be had
};

// What runs the driver object: the real VM through JNI, or a C++ fake for tests. One
// class is loaded at a time. Any thread; implementations guard their own state.
class JavaDriverBackend
{
public:
    virtual ~JavaDriverBackend() = default;
    // Creates or joins the VM when needed, creates the driver object of the class and
    // binds the class's methods (loading again re-creates the object and re-binds).
    virtual JavaLoadResult load(const std::string& classPath) = 0;
    // Forgets the driver object and its class.
    virtual void unload() = 0;
    // Calls a bound method on the driver object. No value when nothing is loaded, the
    // class does not bind the method, or the method threw (the exception is cleared).
    virtual std::optional<JavaValue> call(JavaMethod method, std::span<const JavaArg> args) = 0;
};

// The backend over the real VM (JniJavaBackend.cpp).
std::shared_ptr<JavaDriverBackend> makeJniJavaBackend();

} // namespace driver::java
