#pragma once

#include "platform/basic/Ast.h"
#include "platform/basic/Lexer.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform::basic {

// Reads a module (a script or a class module) into its syntax tree. Returns null and
// fills `error` with the line and text of the first syntax error.
std::unique_ptr<Module> parseModule(std::string_view source, const std::string& name, bool isClass,
                                    SyntaxError& error);

// Reads a procedure declaration alone ("Function VerifyMenu(id As MENUVERIFY) As Long").
std::unique_ptr<Procedure> parseDeclaration(std::string_view text, SyntaxError& error);

} // namespace platform::basic
