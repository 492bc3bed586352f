#include "platform/basic/Parser.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <utility>

namespace platform::basic {

using automation::Variant;

namespace {

struct ParseFailure
{
    SyntaxError error;
};

class Parser
{
public:
    explicit Parser(std::vector<Token> tokens) : m_t(std::move(tokens)) {}

    std::unique_ptr<Module> module(const std::string& name, bool isClass)
    {
        auto mod = std::make_unique<Module>();
        mod->name = name;
        mod->isClass = isClass;
        while (!at(Tok::End)) {
            if (skipNewlines()) {
                continue;
            }
            if (isKw("option")) {
                next();
                if (acceptKw("explicit")) {
                    mod->optionExplicit = true;
                } else if (acceptKw("base")) {
                    if (!at(Tok::Number) ||
                        (cur().value.toI4().value != 0 && cur().value.toI4().value != 1)) {
                        fail("Expected: 0 or 1");
                    }
                    mod->optionBase = cur().value.toI4().value;
                    next();
                } else if (acceptKw("compare")) {
                    if (acceptKw("text")) {
                        mod->compareText = true;
                    } else if (!acceptKw("binary") && !acceptKw("database")) {
                        fail("Expected: Binary or Text");
                    }
                }
                skipToLineEnd();
                continue;
            }
            if (isKw("attribute")) {
                skipToLineEnd();
                continue;
            }
            bool scoped = false;
            if (isKw("private") || isKw("public") || isKw("global") || isKw("friend")) {
                next();
                scoped = true;
            }
            const bool isStatic = isKw("static") && (isKwAt(1, "sub") || isKwAt(1, "function") ||
                                                     isKwAt(1, "property"));
            if (isStatic) {
                next();
            }
            if (isKw("sub") || isKw("function") || isKw("property")) {
                mod->procedures.push_back(procedure());
                mod->procedures.back()->allStatic = isStatic;
                continue;
            }
            if (isKw("type") && peek().kind == Tok::Ident) {
                mod->types.push_back(userType());
                continue;
            }
            if (isKw("enum") && peek().kind == Tok::Ident) {
                mod->declarations.push_back(enumStatement());
                continue;
            }
            if (isKw("const")) {
                mod->declarations.push_back(constStatement());
                endOfStatement();
                continue;
            }
            if (isKw("dim") || scoped) {
                if (isKw("dim")) {
                    next();
                }
                auto s = std::make_unique<Stmt>();
                s->kind = StmtKind::Dim;
                s->line = line();
                dimItems(*s, false);
                for (DimItem& item : s->items) {
                    item.module = true;
                }
                mod->declarations.push_back(std::move(s));
                endOfStatement();
                continue;
            }
            fail("Invalid outside procedure");
        }
        return mod;
    }

    std::unique_ptr<Procedure> declarationOnly()
    {
        skipNewlines();
        auto p = procedureHeader();
        skipNewlines();
        if (!at(Tok::End)) {
            fail("Expected: end of statement");
        }
        return p;
    }

private:
    // --- tokens -------------------------------------------------------------------
    const Token& cur() const { return m_t[m_pos]; }
    const Token& peek(size_t n = 1) const { return m_t[std::min(m_pos + n, m_t.size() - 1)]; }
    bool at(Tok k) const { return cur().kind == k; }
    int line() const { return cur().line; }
    void next()
    {
        if (m_pos + 1 < m_t.size()) {
            ++m_pos;
        }
    }
    bool isKw(const char* kw) const { return cur().kind == Tok::Ident && cur().lower == kw; }
    bool isKwAt(size_t n, const char* kw) const
    {
        return peek(n).kind == Tok::Ident && peek(n).lower == kw;
    }
    bool isOp(const char* op) const { return cur().kind == Tok::Op && cur().text == op; }
    bool acceptKw(const char* kw)
    {
        if (isKw(kw)) {
            next();
            return true;
        }
        return false;
    }
    bool acceptOp(const char* op)
    {
        if (isOp(op)) {
            next();
            return true;
        }
        return false;
    }
    [[noreturn]] void fail(const std::string& message) const
    {
        throw ParseFailure{{cur().line, message, cur().column}};
    }
    void expectKw(const char* kw)
    {
        if (!acceptKw(kw)) {
            fail(std::string("Expected: ") + kw);
        }
    }
    void expectOp(const char* op)
    {
        if (!acceptOp(op)) {
            fail(std::string("Expected: ") + op);
        }
    }
    std::string identifier()
    {
        if (!at(Tok::Ident)) {
            fail("Expected: identifier");
        }
        std::string name = cur().text;
        next();
        return name;
    }
    bool atStatementEnd() const { return at(Tok::Newline) || at(Tok::End); }
    void endOfStatement()
    {
        if (at(Tok::Newline)) {
            next();
        } else if (!at(Tok::End)) {
            fail("Expected: end of statement");
        }
    }
    bool skipNewlines()
    {
        bool any = false;
        while (at(Tok::Newline)) {
            next();
            any = true;
        }
        return any;
    }
    void skipToLineEnd()
    {
        while (!at(Tok::End) && !(at(Tok::Newline) && cur().text.empty())) {
            next();
        }
    }

    static std::string lowerOf(const std::string& s)
    {
        std::string out = s;
        for (char& c : out) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return out;
    }

    // --- types and declarations ------------------------------------------------------
    BasicType typeName(std::string* className = nullptr)
    {
        const std::string t = cur().lower;
        if (!at(Tok::Ident)) {
            fail("Expected: type name");
        }
        next();
        static const std::pair<const char*, BasicType> kTypes[] = {
            {"integer", BasicType::Integer}, {"byte", BasicType::Byte},
            {"long", BasicType::Long},       {"single", BasicType::Single},
            {"double", BasicType::Double},   {"currency", BasicType::Currency},
            {"date", BasicType::Date},       {"string", BasicType::String},
            {"boolean", BasicType::Boolean}, {"variant", BasicType::Variant},
            {"any", BasicType::Variant},     {"object", BasicType::Object}};
        for (const auto& [name, type] : kTypes) {
            if (t == name) {
                // "String * 10": the length of a fixed string is read and not kept.
                if (type == BasicType::String && acceptOp("*")) {
                    expr();
                }
                return type;
            }
        }
        if (std::find(m_enumNames.begin(), m_enumNames.end(), t) != m_enumNames.end()) {
            return BasicType::Long;
        }
        if (std::find(m_typeNames.begin(), m_typeNames.end(), t) != m_typeNames.end()) {
            // A user-defined type of the module.
            if (className) {
                *className = m_t[m_pos - 1].text;
            }
            return BasicType::Object;
        }
        // A type library's enumeration is a Long; other names are classes.
        if (!t.empty() &&
            std::all_of(m_t[m_pos - 1].text.begin(), m_t[m_pos - 1].text.end(),
                        [](char c) { return !std::islower(static_cast<unsigned char>(c)); })) {
            return BasicType::Long;
        }
        if (className) {
            *className = m_t[m_pos - 1].text;
        }
        return BasicType::Object;
    }

    // The type a name's suffix gives ("count%", "total&", "name$"), Variant without one.
    BasicType suffixType() const
    {
        switch (m_t[m_pos - 1].suffix) {
        case '%':
            return BasicType::Integer;
        case '&':
            return BasicType::Long;
        case '!':
            return BasicType::Single;
        case '#':
            return BasicType::Double;
        case '@':
            return BasicType::Currency;
        case '$':
            return BasicType::String;
        default:
            return BasicType::Variant;
        }
    }

    void dimItems(Stmt& s, bool redim)
    {
        do {
            DimItem item;
            item.name = identifier();
            item.lower = lowerOf(item.name);
            item.type = suffixType();
            if (redim && isOp(".")) {
                // "ReDim rec.field(...)": the array field of a record.
                auto head = std::make_unique<Expr>();
                head->kind = ExprKind::Name;
                head->line = line();
                head->name = item.name;
                head->lower = item.lower;
                while (acceptOp(".")) {
                    std::string field = identifier();
                    if (isOp(".")) {
                        auto m = std::make_unique<Expr>();
                        m->kind = ExprKind::Member;
                        m->line = line();
                        m->name = std::move(field);
                        m->lower = lowerOf(m->name);
                        checkHeight(*m, head->depth);
                        m->object = std::move(head);
                        head = std::move(m);
                        continue;
                    }
                    item.name = std::move(field);
                    item.lower = lowerOf(item.name);
                }
                item.object = std::move(head);
            }
            if (acceptOp("(")) {
                item.isArray = true;
                if (!isOp(")")) {
                    do {
                        ExprPtr a = expr();
                        if (acceptKw("to")) {
                            item.bounds.emplace_back(std::move(a), expr());
                        } else {
                            item.bounds.emplace_back(nullptr, std::move(a));
                        }
                    } while (acceptOp(","));
                }
                expectOp(")");
            } else if (redim) {
                fail("Expected: (");
            }
            if (acceptKw("as")) {
                item.isNew = acceptKw("new");
                item.type = typeName(&item.className);
            }
            s.items.push_back(std::move(item));
        } while (acceptOp(","));
    }

    std::unique_ptr<Stmt> constStatement()
    {
        auto s = std::make_unique<Stmt>();
        s->kind = StmtKind::Const;
        s->line = line();
        expectKw("const");
        do {
            DimItem item;
            item.name = identifier();
            item.lower = lowerOf(item.name);
            item.type = suffixType();
            if (acceptKw("as")) {
                item.type = typeName();
            }
            expectOp("=");
            item.bounds.emplace_back(nullptr, expr());
            s->items.push_back(std::move(item));
        } while (acceptOp(","));
        return s;
    }

    // Enum ... End Enum: constants of type Long; a member without a value is the one before
    // it plus 1 (the first is 0).
    std::unique_ptr<Stmt> enumStatement()
    {
        auto s = make(StmtKind::Const);
        expectKw("enum");
        const std::string name = identifier();
        m_enumNames.push_back(lowerOf(name));
        endOfStatement();
        while (true) {
            skipNewlines();
            if (isKw("end") && isKwAt(1, "enum")) {
                if (s->items.empty()) {
                    fail("Enum without members");
                }
                next();
                next();
                endOfStatement();
                return s;
            }
            static const char* declarations[] = {"end",     "sub",    "function", "property",
                                                 "private", "public", "global",   "dim",
                                                 "const",   "type",   "enum",     "static"};
            if (at(Tok::End) || std::any_of(std::begin(declarations), std::end(declarations),
                                            [this](const char* w) { return isKw(w); })) {
                fail("Expected: End Enum");
            }
            DimItem item;
            item.line = line();
            item.name = identifier();
            item.lower = lowerOf(item.name);
            item.type = BasicType::Long;
            ExprPtr value;
            if (acceptOp("=")) {
                value = expr();
            } else if (s->items.empty()) {
                value = std::make_unique<Expr>();
                value->line = line();
                value->literal = Variant(int32_t{0});
            } else {
                auto previous = std::make_unique<Expr>();
                previous->kind = ExprKind::Name;
                previous->line = line();
                previous->name = s->items.back().name;
                previous->lower = s->items.back().lower;
                auto one = std::make_unique<Expr>();
                one->line = line();
                one->literal = Variant(int32_t{1});
                value = std::make_unique<Expr>();
                value->kind = ExprKind::Binary;
                value->op = BinOp::Add;
                value->line = line();
                value->depth = 2;
                value->left = std::move(previous);
                value->right = std::move(one);
            }
            item.bounds.emplace_back(nullptr, std::move(value));
            s->items.push_back(std::move(item));
            endOfStatement();
        }
    }

    std::shared_ptr<UserType> userType()
    {
        auto t = std::make_shared<UserType>();
        expectKw("type");
        t->name = identifier();
        t->lower = lowerOf(t->name);
        m_typeNames.push_back(t->lower);
        endOfStatement();
        while (true) {
            skipNewlines();
            if (isKw("end") && isKwAt(1, "type")) {
                next();
                next();
                endOfStatement();
                return t;
            }
            if (at(Tok::End)) {
                fail("Expected: End Type");
            }
            UserTypeField field;
            field.name = identifier();
            field.lower = lowerOf(field.name);
            field.type = suffixType();
            if (acceptOp("(")) {
                // An array field: fixed with constant bounds, or dynamic (ReDim p.field).
                field.isArray = true;
                if (!isOp(")")) {
                    do {
                        ExprPtr a = expr();
                        if (acceptKw("to")) {
                            field.bounds.emplace_back(std::move(a), expr());
                        } else {
                            field.bounds.emplace_back(nullptr, std::move(a));
                        }
                    } while (acceptOp(","));
                }
                expectOp(")");
            }
            if (acceptKw("as")) {
                field.type = typeName(&field.className);
            }
            t->fields.push_back(std::move(field));
            endOfStatement();
        }
    }

    // --- procedures ----------------------------------------------------------------
    std::unique_ptr<Procedure> procedureHeader()
    {
        auto p = std::make_unique<Procedure>();
        p->line = line();
        if (acceptKw("sub")) {
            p->kind = ProcKind::Sub;
        } else if (acceptKw("function")) {
            p->kind = ProcKind::Function;
        } else if (acceptKw("property")) {
            if (acceptKw("get")) {
                p->kind = ProcKind::PropertyGet;
            } else if (acceptKw("let")) {
                p->kind = ProcKind::PropertyLet;
            } else if (acceptKw("set")) {
                p->kind = ProcKind::PropertySet;
            } else {
                fail("Expected: Get or Let or Set");
            }
        } else {
            fail("Expected: Sub or Function");
        }
        p->name = identifier();
        p->lower = lowerOf(p->name);
        p->resultType = suffixType();
        if (acceptOp("(")) {
            if (!isOp(")")) {
                do {
                    Param param;
                    param.optional = acceptKw("optional");
                    if (acceptKw("byval")) {
                        param.byVal = true;
                    } else {
                        acceptKw("byref");
                    }
                    param.paramArray = acceptKw("paramarray");
                    param.optional = param.optional || param.paramArray;
                    param.name = identifier();
                    param.lower = lowerOf(param.name);
                    param.type = suffixType();
                    if (acceptOp("(")) {
                        expectOp(")");
                        param.isArray = true;
                    }
                    if (acceptKw("as")) {
                        param.type = typeName();
                    }
                    if (acceptOp("=")) {
                        param.defaultValue = expr();
                    }
                    p->params.push_back(std::move(param));
                } while (acceptOp(","));
            }
            expectOp(")");
        }
        if (acceptKw("as")) {
            p->resultType = typeName();
        }
        return p;
    }

    std::unique_ptr<Procedure> procedure()
    {
        auto p = procedureHeader();
        endOfStatement();
        const char* endWord = p->kind == ProcKind::Sub        ? "sub"
                              : p->kind == ProcKind::Function ? "function"
                                                              : "property";
        p->body = block({});
        if (!(isKw("end") && isKwAt(1, endWord))) {
            fail(std::string("Expected: End ") + endWord);
        }
        next();
        next();
        endOfStatement();
        return p;
    }

    // --- blocks --------------------------------------------------------------------
    // True at a line that ends the current block.
    bool atBlockEnd() const
    {
        if (at(Tok::End)) {
            return true;
        }
        if (!at(Tok::Ident)) {
            return false;
        }
        const std::string& w = cur().lower;
        if (w == "end") {
            const Token& n = peek();
            return n.kind == Tok::Ident &&
                   (n.lower == "if" || n.lower == "sub" || n.lower == "function" ||
                    n.lower == "property" || n.lower == "select" || n.lower == "with");
        }
        return w == "else" || w == "elseif" || w == "next" || w == "loop" || w == "wend" ||
               w == "case";
    }

    Block block(std::initializer_list<const char*>)
    {
        Block body;
        while (true) {
            skipNewlines();
            if (atBlockEnd()) {
                return body;
            }
            body.push_back(statement());
        }
    }

    void expectEnd(const char* what)
    {
        if (!(isKw("end") && isKwAt(1, what))) {
            fail(std::string("Expected: End ") + what);
        }
        next();
        next();
    }

    // --- statements ----------------------------------------------------------------
    std::unique_ptr<Stmt> statement()
    {
        auto s = statementBody();
        if (s->kind == StmtKind::Label && s->lineNumber != 0 && !atStatementEnd()) {
            // The statement after a line number is the next one.
            return s;
        }
        endOfStatement();
        return s;
    }

    // A label or line number a GoTo, GoSub or Resume names, in lower case.
    std::string labelName()
    {
        if (at(Tok::Number)) {
            const auto n = cur().value.toI4();
            if (!n || n.value < 0 ||
                cur().text.find_first_not_of("0123456789") != std::string::npos) {
                fail("Expected: line number or label");
            }
            next();
            return std::to_string(n.value);
        }
        return lowerOf(identifier());
    }

    std::unique_ptr<Stmt> make(StmtKind kind)
    {
        auto s = std::make_unique<Stmt>();
        s->kind = kind;
        s->line = line();
        return s;
    }

    // A statement that is one word ("End", "Stop", "Return").
    std::unique_ptr<Stmt> keywordStatement(StmtKind kind)
    {
        auto s = make(kind);
        next();
        return s;
    }
    bool peekEndsStatement() const
    {
        return peek().kind == Tok::Newline || peek().kind == Tok::End;
    }

    // A word that is a statement on its own ("Do: Loop", "Return: ..."), never a label.
    bool statementWord() const
    {
        static const char* words[] = {"end",  "else",   "loop",   "next", "wend", "do",
                                      "exit", "resume", "return", "stop", "close"};
        return std::any_of(std::begin(words), std::end(words),
                           [this](const char* w) { return isKw(w); });
    }

    std::unique_ptr<Stmt> statementBody()
    {
        Nest nest(*this);
        if (at(Tok::Number) && (m_pos == 0 || m_t[m_pos - 1].kind == Tok::Newline)) {
            // A line number: a label that also tells Erl where an error happened.
            auto s = make(StmtKind::Label);
            const auto n = cur().value.toI4();
            if (!n || n.value <= 0 ||
                cur().text.find_first_not_of("0123456789") != std::string::npos) {
                fail("Expected: line number or label");
            }
            s->label = std::to_string(n.value);
            s->lineNumber = n.value;
            next();
            if (at(Tok::Newline) && cur().text == ":") {
                next();
            }
            return s;
        }
        if (at(Tok::Ident) && peek().kind == Tok::Newline && peek().text == ":" &&
            (m_pos == 0 || m_t[m_pos - 1].kind == Tok::Newline) && !statementWord()) {
            auto s = make(StmtKind::Label);
            s->label = cur().lower;
            next();
            return s;
        }
        if (isKw("dim") || isKw("static") || isKw("private") || isKw("public")) {
            auto s = make(StmtKind::Dim);
            const bool isStatic = isKw("static");
            next();
            dimItems(*s, false);
            for (DimItem& item : s->items) {
                item.isStatic = isStatic;
            }
            return s;
        }
        if (isKw("redim")) {
            auto s = make(StmtKind::ReDim);
            next();
            s->preserve = acceptKw("preserve");
            dimItems(*s, true);
            return s;
        }
        if (isKw("const")) {
            return constStatement();
        }
        if (isKw("if")) {
            return ifStatement();
        }
        if (isKw("select")) {
            return selectStatement();
        }
        if (isKw("for")) {
            return forStatement();
        }
        if (isKw("do")) {
            return doStatement();
        }
        if (isKw("while")) {
            auto s = make(StmtKind::Do);
            next();
            s->condition = expr();
            s->conditionAtTop = true;
            endOfStatement();
            s->body = block({});
            expectKw("wend");
            return s;
        }
        if (isKw("exit")) {
            auto s = make(StmtKind::Exit);
            next();
            if (acceptKw("sub")) {
                s->exitKind = ExitKind::Sub;
            } else if (acceptKw("function")) {
                s->exitKind = ExitKind::Function;
            } else if (acceptKw("property")) {
                s->exitKind = ExitKind::Property;
            } else if (acceptKw("for")) {
                s->exitKind = ExitKind::For;
            } else if (acceptKw("do")) {
                s->exitKind = ExitKind::Do;
            } else {
                fail("Expected: Do or For or Sub or Function or Property");
            }
            return s;
        }
        if (isKw("on") && isKwAt(1, "error")) {
            auto s = make(StmtKind::OnError);
            next();
            next();
            if (acceptKw("resume")) {
                expectKw("next");
                s->mode = 1;
            } else {
                expectKw("goto");
                if (at(Tok::Number) && cur().value.toI4().value == 0) {
                    next();
                    s->mode = 0;
                } else {
                    s->mode = 2;
                    s->label = labelName();
                }
            }
            return s;
        }
        if (isKw("resume")) {
            auto s = make(StmtKind::Resume);
            next();
            if (acceptKw("next")) {
                s->mode = 1;
            } else if (at(Tok::Ident) || at(Tok::Number)) {
                s->mode = 2;
                s->label = labelName();
            }
            return s;
        }
        if (isKw("goto") || isKw("gosub")) {
            auto s = make(isKw("goto") ? StmtKind::GoTo : StmtKind::GoSub);
            next();
            s->label = labelName();
            return s;
        }
        if (isKw("return") && peekEndsStatement()) {
            return keywordStatement(StmtKind::Return);
        }
        if (isKw("set")) {
            auto s = make(StmtKind::Set);
            next();
            s->target = postfix(false);
            expectOp("=");
            s->value = expr();
            return s;
        }
        if (isKw("let")) {
            next();
        }
        if (isKw("call")) {
            auto s = make(StmtKind::Call);
            next();
            s->target = postfix(false);
            return s;
        }
        if (isKw("with")) {
            auto s = make(StmtKind::With);
            next();
            s->target = expr();
            endOfStatement();
            s->body = block({});
            expectEnd("with");
            return s;
        }
        if (isKw("debug") && peek().kind == Tok::Op && peek().text == "." && isKwAt(2, "print")) {
            auto s = make(StmtKind::Print);
            next();
            next();
            next();
            printItems(*s);
            return s;
        }
        if (isKw("print") || isKw("write")) {
            auto s = make(isKw("print") ? StmtKind::Print : StmtKind::Write);
            next();
            s->channel = fileNumber();
            if (!atStatementEnd()) {
                expectOp(",");
            }
            printItems(*s);
            return s;
        }
        if (isKw("open")) {
            auto s = make(StmtKind::Open);
            next();
            s->value = expr();
            expectKw("for");
            if (acceptKw("input")) {
                s->openMode = 1;
            } else if (acceptKw("output")) {
                s->openMode = 2;
            } else if (acceptKw("append")) {
                s->openMode = 3;
            } else {
                fail("Expected: Input or Output or Append");
            }
            expectKw("as");
            s->channel = fileNumber();
            return s;
        }
        if (isKw("close")) {
            auto s = make(StmtKind::Close);
            next();
            while (!atStatementEnd()) {
                s->printItems.push_back(fileNumber());
                if (!acceptOp(",")) {
                    break;
                }
            }
            return s;
        }
        if (isKw("line") && isKwAt(1, "input")) {
            auto s = make(StmtKind::LineInput);
            next();
            next();
            s->channel = fileNumber();
            expectOp(",");
            s->target = postfix(false);
            return s;
        }
        if (isKw("input") && peek().kind == Tok::Op && peek().text == "#") {
            auto s = make(StmtKind::Input);
            next();
            s->channel = fileNumber();
            expectOp(",");
            do {
                s->printItems.push_back(postfix(false));
            } while (acceptOp(","));
            return s;
        }
        if (isKw("erase")) {
            auto s = make(StmtKind::Erase);
            next();
            do {
                s->printItems.push_back(postfix(false));
            } while (acceptOp(","));
            return s;
        }
        if ((isKw("end") && peekEndsStatement()) || isKw("stop")) {
            return keywordStatement(StmtKind::End);
        }
        // An assignment or a call.
        const int ln = line();
        ExprPtr target = postfix(true);
        if (acceptOp("=")) {
            auto s = make(StmtKind::Assign);
            s->line = ln;
            s->target = std::move(target);
            s->value = expr();
            return s;
        }
        auto s = make(StmtKind::Call);
        s->line = ln;
        if (!atStatementEnd() && !isKw("else")) {
            // "Foo a, b": the arguments without parentheses.
            auto call = std::make_unique<Expr>();
            call->kind = ExprKind::Call;
            call->line = ln;
            call->callee = std::move(target);
            argumentList(call->args, false);
            target = std::move(call);
        }
        if (target->kind != ExprKind::Name && target->kind != ExprKind::Member &&
            target->kind != ExprKind::Call) {
            fail("Expected: statement");
        }
        s->target = std::move(target);
        return s;
    }

    ExprPtr fileNumber()
    {
        acceptOp("#");
        return expr();
    }

    void printItems(Stmt& s)
    {
        while (!atStatementEnd() && !isKw("else")) {
            if (isOp(";") || isOp(",")) {
                s.printItems.push_back(nullptr);
                s.separators.push_back(cur().text[0]);
                next();
                continue;
            }
            s.printItems.push_back(expr());
            if (isOp(";") || isOp(",")) {
                s.separators.push_back(cur().text[0]);
                next();
            } else {
                s.separators.push_back(0);
            }
        }
    }

    std::unique_ptr<Stmt> ifStatement()
    {
        auto s = make(StmtKind::If);
        expectKw("if");
        ExprPtr cond = expr();
        expectKw("then");
        if (!(at(Tok::Newline) && cur().text.empty()) && !at(Tok::End)) {
            // Single-line If: statements separated by ':' up to the line end.
            s->singleLine = true;
            Block then;
            skipColons();
            while (!lineEnd() && !isKw("else")) {
                then.push_back(statementBody());
                skipColons();
            }
            s->branches.emplace_back(std::move(cond), std::move(then));
            if (acceptKw("else")) {
                skipColons();
                while (!lineEnd()) {
                    s->body.push_back(statementBody());
                    skipColons();
                }
            }
            return s;
        }
        endOfStatement();
        Block then = block({});
        s->branches.emplace_back(std::move(cond), std::move(then));
        while (true) {
            if (acceptKw("elseif")) {
                ExprPtr c = expr();
                expectKw("then");
                endOfStatement();
                Block b = block({});
                s->branches.emplace_back(std::move(c), std::move(b));
                continue;
            }
            if (acceptKw("else")) {
                endOfStatement();
                s->body = block({});
            }
            break;
        }
        if (isKw("endif")) {
            next();
        } else {
            expectEnd("if");
        }
        return s;
    }
    bool lineEnd() const { return at(Tok::End) || (at(Tok::Newline) && cur().text.empty()); }
    void skipColons()
    {
        while (at(Tok::Newline) && cur().text == ":") {
            next();
        }
    }

    std::unique_ptr<Stmt> selectStatement()
    {
        auto s = make(StmtKind::Select);
        expectKw("select");
        expectKw("case");
        s->value = expr();
        endOfStatement();
        skipNewlines();
        while (acceptKw("case")) {
            CaseClause clause;
            if (!acceptKw("else")) {
                do {
                    CaseTest t;
                    if (acceptKw("is")) {
                        t.kind = CaseTest::Is;
                        t.op = comparisonOp();
                        t.a = additive();
                    } else {
                        t.a = expr();
                        if (acceptKw("to")) {
                            t.kind = CaseTest::Range;
                            t.b = expr();
                        }
                    }
                    clause.tests.push_back(std::move(t));
                } while (acceptOp(","));
            }
            clause.body = block({});
            s->cases.push_back(std::move(clause));
        }
        expectEnd("select");
        return s;
    }

    BinOp comparisonOp()
    {
        static const std::pair<const char*, BinOp> ops[] = {{"=", BinOp::Eq},  {"<>", BinOp::Ne},
                                                            {"<", BinOp::Lt},  {">", BinOp::Gt},
                                                            {"<=", BinOp::Le}, {">=", BinOp::Ge}};
        for (const auto& [text, op] : ops) {
            if (acceptOp(text)) {
                return op;
            }
        }
        fail("Expected: comparison operator");
    }

    std::unique_ptr<Stmt> forStatement()
    {
        const int ln = line();
        expectKw("for");
        if (acceptKw("each")) {
            auto s = make(StmtKind::ForEach);
            s->line = ln;
            s->target = nameExpr();
            expectKw("in");
            s->value = expr();
            endOfStatement();
            s->body = block({});
            expectKw("next");
            if (at(Tok::Ident)) {
                next();
            }
            return s;
        }
        auto s = make(StmtKind::For);
        s->line = ln;
        s->target = nameExpr();
        expectOp("=");
        s->value = expr();
        expectKw("to");
        s->end = expr();
        if (acceptKw("step")) {
            s->step = expr();
        }
        endOfStatement();
        s->body = block({});
        expectKw("next");
        if (at(Tok::Ident)) {
            next();
        }
        return s;
    }

    std::unique_ptr<Stmt> doStatement()
    {
        auto s = make(StmtKind::Do);
        expectKw("do");
        if (isKw("while") || isKw("until")) {
            s->until = isKw("until");
            next();
            s->condition = expr();
            s->conditionAtTop = true;
        }
        endOfStatement();
        s->body = block({});
        expectKw("loop");
        if (isKw("while") || isKw("until")) {
            if (s->condition) {
                fail("Expected: end of statement");
            }
            s->until = isKw("until");
            next();
            s->condition = expr();
            s->conditionAtTop = false;
        }
        return s;
    }

    ExprPtr nameExpr()
    {
        auto e = std::make_unique<Expr>();
        e->kind = ExprKind::Name;
        e->line = line();
        e->name = identifier();
        e->lower = lowerOf(e->name);
        return e;
    }

    // --- expressions -----------------------------------------------------------------
    // Long operator chains ("1 + 1 + ... + 1") build deep trees without recursing in the
    // parser; their height is bounded here, as running them recurses.
    void checkHeight(Expr& e, int below)
    {
        e.depth = below + 1;
        if (e.depth > kMaxHeight) {
            fail("Expression too complex");
        }
    }
    static constexpr int kMaxHeight = 1000;

    ExprPtr binary(BinOp op, ExprPtr l, ExprPtr r, int ln)
    {
        auto e = std::make_unique<Expr>();
        checkHeight(*e, std::max(l->depth, r->depth));
        e->kind = ExprKind::Binary;
        e->line = ln;
        e->op = op;
        e->left = std::move(l);
        e->right = std::move(r);
        return e;
    }

    ExprPtr expr()
    {
        Nest nest(*this);
        return imp();
    }
    // One level of left-associative operators: operands of the next level joined while one
    // of the level's operators (keywords or punctuation) follows.
    using Level = ExprPtr (Parser::*)();
    ExprPtr leftChain(Level operand, std::initializer_list<std::pair<const char*, BinOp>> ops)
    {
        ExprPtr l = (this->*operand)();
        while (true) {
            const auto found = std::find_if(ops.begin(), ops.end(), [this](const auto& o) {
                return isKw(o.first) || isOp(o.first);
            });
            if (found == ops.end()) {
                return l;
            }
            const int ln = line();
            next();
            l = binary(found->second, std::move(l), (this->*operand)(), ln);
        }
    }
    ExprPtr imp() { return leftChain(&Parser::eqv, {{"imp", BinOp::Imp}}); }
    ExprPtr eqv() { return leftChain(&Parser::xorExpr, {{"eqv", BinOp::Eqv}}); }
    ExprPtr xorExpr() { return leftChain(&Parser::orExpr, {{"xor", BinOp::Xor}}); }
    ExprPtr orExpr() { return leftChain(&Parser::andExpr, {{"or", BinOp::Or}}); }
    ExprPtr andExpr() { return leftChain(&Parser::notExpr, {{"and", BinOp::And}}); }
    ExprPtr notExpr()
    {
        Nest nest(*this);
        if (isKw("not")) {
            auto e = std::make_unique<Expr>();
            e->kind = ExprKind::Unary;
            e->line = line();
            e->negate = false;
            next();
            e->object = notExpr();
            return e;
        }
        return comparison();
    }
    ExprPtr comparison()
    {
        return leftChain(&Parser::concat, {{"=", BinOp::Eq},
                                           {"<>", BinOp::Ne},
                                           {"<", BinOp::Lt},
                                           {">", BinOp::Gt},
                                           {"<=", BinOp::Le},
                                           {">=", BinOp::Ge},
                                           {"is", BinOp::Is},
                                           {"like", BinOp::Like}});
    }
    ExprPtr concat() { return leftChain(&Parser::additive, {{"&", BinOp::Concat}}); }
    ExprPtr additive()
    {
        return leftChain(&Parser::modExpr, {{"+", BinOp::Add}, {"-", BinOp::Sub}});
    }
    ExprPtr modExpr() { return leftChain(&Parser::intDiv, {{"mod", BinOp::Mod}}); }
    ExprPtr intDiv() { return leftChain(&Parser::multiplicative, {{"\\", BinOp::IntDiv}}); }
    ExprPtr multiplicative()
    {
        return leftChain(&Parser::unary, {{"*", BinOp::Mul}, {"/", BinOp::Div}});
    }
    ExprPtr unary()
    {
        Nest nest(*this);
        if (isOp("-") || isOp("+")) {
            const bool minus = isOp("-");
            const int ln = line();
            next();
            ExprPtr operand = unary();
            if (!minus) {
                return operand;
            }
            auto e = std::make_unique<Expr>();
            e->kind = ExprKind::Unary;
            e->line = ln;
            e->negate = true;
            e->object = std::move(operand);
            return e;
        }
        return power();
    }
    ExprPtr power()
    {
        ExprPtr l = postfix(false);
        while (isOp("^")) {
            const int ln = line();
            next();
            // The exponent may carry its own sign: 2 ^ -1.
            ExprPtr r;
            if (isOp("-")) {
                auto e = std::make_unique<Expr>();
                e->kind = ExprKind::Unary;
                e->line = line();
                e->negate = true;
                next();
                e->object = postfix(false);
                r = std::move(e);
            } else {
                r = postfix(false);
            }
            l = binary(BinOp::Pow, std::move(l), std::move(r), ln);
        }
        return l;
    }

    void argumentList(std::vector<ExprPtr>& args, bool inParens)
    {
        if (inParens && isOp(")")) {
            return;
        }
        bool named = false;
        while (true) {
            if (at(Tok::Ident) && peek().kind == Tok::Op && peek().text == ":=") {
                // name:=value; only named arguments may follow.
                const std::string name = cur().lower;
                next();
                next();
                args.push_back(expr());
                args.back()->argName = name;
                named = true;
            } else if (named) {
                fail("Expected: named argument");
            } else if (isOp(",") || (inParens && isOp(")")) || (!inParens && atStatementEnd())) {
                auto m = std::make_unique<Expr>();
                m->kind = ExprKind::Missing;
                m->line = line();
                args.push_back(std::move(m));
            } else {
                args.push_back(expr());
            }
            if (!acceptOp(",")) {
                return;
            }
        }
    }

    ExprPtr primary()
    {
        auto e = std::make_unique<Expr>();
        e->line = line();
        if (at(Tok::Number) || at(Tok::String)) {
            e->kind = ExprKind::Literal;
            e->literal = cur().value;
            e->date = cur().date;
            next();
            return e;
        }
        if (acceptOp("(")) {
            e->kind = ExprKind::Paren;
            e->object = expr();
            expectOp(")");
            return e;
        }
        if (isOp(".")) {
            // ".Member" inside With.
            next();
            e->kind = ExprKind::Member;
            e->name = identifier();
            e->lower = lowerOf(e->name);
            return e;
        }
        if (at(Tok::Ident)) {
            const std::string w = cur().lower;
            if (w == "true" || w == "false") {
                e->kind = ExprKind::Literal;
                e->literal = Variant(w == "true");
                next();
                return e;
            }
            if (w == "nothing") {
                e->kind = ExprKind::Literal;
                e->literal = Variant(automation::DispatchPtr());
                next();
                return e;
            }
            if (w == "null") {
                e->kind = ExprKind::Literal;
                e->literal = Variant::null();
                next();
                return e;
            }
            if (w == "empty") {
                e->kind = ExprKind::Literal;
                next();
                return e;
            }
            if (w == "me") {
                e->kind = ExprKind::Me;
                next();
                return e;
            }
            if (w == "new") {
                next();
                e->kind = ExprKind::New;
                e->name = identifier();
                e->lower = lowerOf(e->name);
                return e;
            }
            static const char* reserved[] = {"then", "else", "to", "step", "and",  "or",  "not",
                                             "xor",  "mod",  "is", "end",  "loop", "next"};
            for (const char* r : reserved) {
                if (w == r) {
                    fail("Expected: expression");
                }
            }
            e->kind = ExprKind::Name;
            e->name = cur().text;
            e->lower = w;
            next();
            return e;
        }
        fail("Expected: expression");
    }

    // A primary with its ".name" and "(args)" suffixes. At the head of a statement a
    // '(' after a blank starts the arguments, not an index.
    ExprPtr postfix(bool statementHead)
    {
        ExprPtr e = primary();
        while (true) {
            if (isOp(".") && !cur().spaceBefore && e->kind == ExprKind::Name &&
                std::find(m_enumNames.begin(), m_enumNames.end(), e->lower) != m_enumNames.end()) {
                // "Colour.Red": the member of an enumeration is its constant.
                next();
                e->name = identifier();
                e->lower = lowerOf(e->name);
                continue;
            }
            if (isOp(".") && !cur().spaceBefore) {
                next();
                auto m = std::make_unique<Expr>();
                m->kind = ExprKind::Member;
                m->line = line();
                m->name = identifier();
                m->lower = lowerOf(m->name);
                checkHeight(*m, e->depth);
                m->object = std::move(e);
                e = std::move(m);
                continue;
            }
            if (isOp("(") && !(statementHead && cur().spaceBefore) &&
                e->kind != ExprKind::Literal && e->kind != ExprKind::Paren) {
                next();
                auto c = std::make_unique<Expr>();
                c->kind = ExprKind::Call;
                c->line = line();
                c->callee = std::move(e);
                argumentList(c->args, true);
                int below = c->callee->depth;
                for (const auto& a : c->args) {
                    below = std::max(below, a->depth);
                }
                checkHeight(*c, below);
                expectOp(")");
                e = std::move(c);
                continue;
            }
            return e;
        }
    }

    // Bounds the parser's recursion, so deeply nested input is an error, not a crash.
    struct Nest
    {
        explicit Nest(Parser& parser) : p(parser)
        {
            if (++p.m_depth > kMaxNesting) {
                p.fail("Expression or block nested too deeply");
            }
        }
        ~Nest() { --p.m_depth; }
        Parser& p;
    };
    static constexpr int kMaxNesting = 200;

    std::vector<Token> m_t;
    size_t m_pos = 0;
    std::vector<std::string> m_typeNames; // user-defined types declared so far
    std::vector<std::string> m_enumNames; // enumerations declared so far
    int m_depth = 0;
};

} // namespace

std::unique_ptr<Module> parseModule(std::string_view source, const std::string& name, bool isClass,
                                    SyntaxError& error)
{
    std::vector<Token> tokens;
    if (!tokenize(source, tokens, error)) {
        return nullptr;
    }
    try {
        Parser p(std::move(tokens));
        return p.module(name, isClass);
    } catch (const ParseFailure& f) {
        error = f.error;
        return nullptr;
    }
}

std::unique_ptr<Procedure> parseDeclaration(std::string_view text, SyntaxError& error)
{
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, error)) {
        return nullptr;
    }
    try {
        Parser p(std::move(tokens));
        return p.declarationOnly();
    } catch (const ParseFailure& f) {
        error = f.error;
        return nullptr;
    }
}

} // namespace platform::basic
