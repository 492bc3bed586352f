#pragma once

#include "platform/automation/Variant.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform::basic {

enum class Tok
{
    End,
    Newline, // end of a statement: a line end or ':'
    Ident,
    Number,
    String,
    Op, // punctuation and operators: + - * / \ ^ & = < > <= >= <> ( ) , ; . #
};

struct Token
{
    Tok kind = Tok::End;
    std::string text;          // as written (an identifier without its type suffix)
    std::string lower;         // identifiers: lower case, for keyword and name comparison
    automation::Variant value; // numbers and strings
    int line = 0;
    int column = 0;           // 1-based, of the token's first character
    bool spaceBefore = false; // a blank before it (tells "a (1)" from "a(1)")
    bool dotAfterSpace = false;
    bool date = false; // a date literal: value holds its Double
    char suffix = 0;   // an identifier's type suffix: $ % & ! # @, or 0
};

// A failure to read the program: its line, text and column (1-based, 0 when unknown).
struct SyntaxError
{
    int line;
    std::string message;
    int column = 0;
};

// Splits a module's text into tokens: comments (' and Rem) dropped, " _" line
// continuations joined, numbers typed as the dialect types them (Integer when they fit,
// then Long, then Double; suffixes %, &, !, # force a type), "" inside strings.
// Returns false and fills `error` on a character or literal it cannot read.
bool tokenize(std::string_view source, std::vector<Token>& tokens, SyntaxError& error);

} // namespace platform::basic
