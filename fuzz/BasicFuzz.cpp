// The BASIC lexer and parser fed any script text: either a syntax tree or the line and text
// of the first error, never a crash, for modules, class modules and lone declarations.

#include "fuzz/FuzzCheck.h"
#include "platform/basic/Parser.h"

#include <algorithm>

using namespace platform::basic;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ByteSource choices(data, size);
    const std::uint8_t kind = choices.take();
    const std::string_view source = choices.rest();
    // "\r\n", "\n" and a lone "\r" each end a line: at most one line per line-end byte.
    const int lines = 1 + static_cast<int>(std::count_if(source.begin(), source.end(), [](char c) {
                          return c == '\n' || c == '\r';
                      }));

    std::vector<Token> tokens;
    SyntaxError lexError{0, {}};
    if (tokenize(source, tokens, lexError)) {
        for (const Token& token : tokens) {
            FUZZ_CHECK(token.line >= 0 && token.line <= lines + 1);
        }
    } else {
        FUZZ_CHECK(!lexError.message.empty());
        FUZZ_CHECK(lexError.line >= 0 && lexError.line <= lines + 1);
    }

    SyntaxError error{0, {}};
    if (kind % 3 == 2) {
        if (parseDeclaration(source, error) == nullptr) {
            FUZZ_CHECK(!error.message.empty());
        }
        return 0;
    }
    if (parseModule(source, "Fuzz", kind % 3 == 1, error) == nullptr) {
        FUZZ_CHECK(!error.message.empty());
        FUZZ_CHECK(error.line >= 0 && error.line <= lines + 1);
    }
    return 0;
}
