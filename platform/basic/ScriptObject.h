#pragma once

#include "platform/automation/IDispatch.h"
#include "platform/basic/Ast.h"
#include "platform/basic/Value.h"

#include <map>
#include <memory>
#include <vector>

namespace platform::basic {

class Interpreter;

// The state of one instance of a class module: its module-level variables. The object
// that scripts hold is an automation object over it.
struct ScriptObjectState
{
    Interpreter* interpreter = nullptr; // null once the interpreter is gone
    // Shared with the class: an instance keeps its code when the class module is replaced.
    std::shared_ptr<Module> module;
    std::vector<Cell> cells;
    // The Static variables of the instance's procedures.
    std::map<const Procedure*, StaticCells> statics;
    automation::IDispatch* object = nullptr; // not owned

    // A new reference to the instance's object.
    automation::DispatchPtr dispatch() const { return automation::DispatchPtr(object); }
};

// True for the automation object of a class module's instance.
bool isScriptObject(automation::IDispatch* object);

// Makes the automation object of an instance (one reference, the caller's).
automation::DispatchPtr makeScriptObject(const std::shared_ptr<ScriptObjectState>& state);

} // namespace platform::basic
