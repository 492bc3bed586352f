#pragma once

#include "platform/automation/IDispatch.h"
#include "platform/basic/Ast.h"
#include "platform/basic/Value.h"

#include <memory>
#include <string>

namespace platform::basic {

// A value of a user-defined type (Type ... End Type): its fields are the members of an
// automation object, so "p.x" reads and writes them as properties. Records are values:
// the interpreter copies one on assignment (copyRecord) instead of sharing it.
// GUI thread only.

// A new record of a type with every field at its default (nested records made too).
automation::DispatchPtr makeRecord(const std::shared_ptr<const UserType>& type);
// True for a record.
bool isRecord(automation::IDispatch* object);
// A deep copy of a record.
automation::DispatchPtr copyRecord(automation::IDispatch* record);
// The name of a record's type.
std::string recordTypeName(automation::IDispatch* record);
// The array an array field of a record holds (the slot, so ReDim can replace it), or null when
// the object is no record or the field is no array field. Valid while the record lives.
std::shared_ptr<Array>* recordArray(automation::IDispatch* record, std::string_view name);
// A type of the module by lower-case name, or null.
std::shared_ptr<const UserType> findUserType(const Module& module, const std::string& lower);

} // namespace platform::basic
