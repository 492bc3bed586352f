#include "platform/basic/Interpreter.h"

#include "platform/automation/AutomationObject.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/basic/Collection.h"
#include "platform/basic/DateTime.h"
#include "platform/basic/Parser.h"
#include "platform/basic/Record.h"
#include "platform/basic/ScriptObject.h"
#include "platform/basic/ScriptStack.h"
#include "platform/basic/TextPattern.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace platform::basic {

using automation::DispatchPtr;
using automation::FAILED;
using automation::HRESULT;
using automation::SUCCEEDED;
using automation::Variant;
using automation::VarType;

namespace {

// Thrown to end the running script: a stop request or an End statement. No error
// handler of the script takes it.
struct StopSignal
{};

const char* errorText(int number)
{
    switch (number) {
    case 3:
        return "Return without GoSub";
    case 5:
        return "Invalid procedure call or argument";
    case 6:
        return "Overflow";
    case 9:
        return "Subscript out of range";
    case 10:
        return "This array is fixed or temporarily locked";
    case 11:
        return "Division by zero";
    case 13:
        return "Type mismatch";
    case 20:
        return "Resume without error";
    case 28:
        return "Out of stack space";
    case 35:
        return "Sub or Function not defined";
    case 52:
        return "Bad file name or number";
    case 53:
        return "File not found";
    case 54:
        return "Bad file mode";
    case 55:
        return "File already open";
    case 62:
        return "Input past end of file";
    case 91:
        return "Object variable or With block variable not set";
    case 92:
        return "For loop not initialized";
    case 94:
        return "Invalid use of Null";
    case 424:
        return "Object required";
    case 429:
        return "ActiveX component can't create object";
    case 438:
        return "Object doesn't support this property or method";
    case 440:
        return "Automation error";
    case 448:
        return "Named argument not found";
    case 449:
        return "Argument not optional";
    case 450:
        return "Wrong number of arguments or invalid property assignment";
    case 457:
        return "This key is already associated with an element of this collection";
    default:
        return "Application-defined or object-defined error";
    }
}

int errorOfResult(HRESULT hr)
{
    // A result that carries a dialect error number (the engine's own objects).
    // Number 0 would read as no error: such a result is no dialect error.
    if ((static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u &&
        (static_cast<uint32_t>(hr) & 0xFFFFu) != 0) {
        return static_cast<int>(static_cast<uint32_t>(hr) & 0xFFFFu);
    }
    switch (hr) {
    case automation::DISP_E_TYPEMISMATCH:
        return 13;
    case automation::DISP_E_OVERFLOW:
        return 6;
    case automation::DISP_E_MEMBERNOTFOUND:
    case automation::DISP_E_UNKNOWNNAME:
        return 438;
    case automation::DISP_E_BADPARAMCOUNT:
        return 450;
    case automation::DISP_E_PARAMNOTFOUND:
        return 449;
    default:
        return 440;
    }
}

Variant defaultOf(BasicType type)
{
    switch (type) {
    case BasicType::Integer:
        return int16_t{0};
    case BasicType::Long:
        return int32_t{0};
    case BasicType::Single:
        return 0.0f;
    case BasicType::Double:
    case BasicType::Date:
        return 0.0;
    case BasicType::String:
        return std::string();
    case BasicType::Boolean:
        return false;
    case BasicType::Byte:
        return Variant::byte(0);
    case BasicType::Currency:
        return Variant::currency(0);
    case BasicType::Object:
        return DispatchPtr();
    case BasicType::Variant:
        break;
    }
    return Variant();
}

// Rank of numeric types for the result of arithmetic: Byte 0, Integer 1, Long 2, Single
// 3, Double 4, Currency 5, Decimal 6 (the most precise type of the two operands wins).
int rankOf(VarType t)
{
    switch (t) {
    case VarType::UI1:
        return 0;
    case VarType::Cy:
        return 5;
    case VarType::Decimal:
        return 6;
    case VarType::Empty:
    case VarType::Bool:
    case VarType::I2:
        return 1;
    case VarType::I4:
        return 2;
    case VarType::R4:
        return 3;
    default:
        return 4;
    }
}

// True when a further script call could run out of stack: less than this is left.
bool nearStackEnd()
{
    constexpr size_t kReserve = 1024 * 1024;
    return stackLeft() < kReserve;
}

// True when evaluating e cannot change a variable: no script procedure, object member or
// DoEvents is called (the built-ins below only compute).
bool withoutSideEffects(const Expr& e, const Module& module)
{
    static const char* pure[] = {"chr",  "mid",   "left",   "right", "str",   "cstr",  "format",
                                 "len",  "ucase", "lcase",  "trim",  "ltrim", "rtrim", "replace",
                                 "hex",  "space", "string", "val",   "cint",  "clng",  "cdbl",
                                 "csng", "abs",   "int",    "fix",   "round", "sqr"};
    switch (e.kind) {
    case ExprKind::Literal:
    case ExprKind::Missing:
        return true;
    case ExprKind::Name:
        return e.ref == NameRef::Local || e.ref == NameRef::Module || e.ref == NameRef::Constant;
    case ExprKind::Paren:
    case ExprKind::Unary:
        return withoutSideEffects(*e.object, module);
    case ExprKind::Binary:
        return withoutSideEffects(*e.left, module) && withoutSideEffects(*e.right, module);
    case ExprKind::Call: {
        if (e.callee->kind != ExprKind::Name) {
            return false;
        }
        const Expr& callee = *e.callee;
        bool ok = callee.ref == NameRef::Local || callee.ref == NameRef::Module;
        if (callee.ref == NameRef::Other) {
            for (const char* p : pure) {
                ok = ok || callee.lower == p;
            }
            for (const auto& proc : module.procedures) {
                ok = ok && proc->lower != callee.lower;
            }
        }
        for (const auto& a : e.args) {
            ok = ok && withoutSideEffects(*a, module);
        }
        return ok;
    }
    default:
        return false;
    }
}

} // namespace

// --- frames and script objects ------------------------------------------------------

struct Interpreter::ClassModule
{
    std::shared_ptr<Module> module;
};

struct Interpreter::Frame
{
    Module* module = nullptr;
    Procedure* proc = nullptr;
    std::vector<Cell> own;
    std::vector<Cell*> slots;
    std::vector<Cell>* moduleCells = nullptr;
    std::shared_ptr<ScriptObjectState> self;
    std::vector<Value> with;
    int onError = 0; // 0 none, 1 Resume Next, 2 GoTo label
    std::string handlerLabel;
    bool inHandler = false;
    std::string gotoLabel;
    int gosubDepth = 0;
    StaticCells* statics = nullptr; // the procedure's Static variables (null: none)
    int32_t lineNumber = 0;         // the last numbered line run (Erl)
};

bool Interpreter::textCompareOf(const Frame& frame)
{
    return frame.module && frame.module->compareText;
}

int Interpreter::optionBaseOf(const Frame& frame)
{
    return frame.module ? frame.module->optionBase : 0;
}

Interpreter::Interpreter(InterpreterHost& host) : m_host(host)
{
    for (const auto& e : automation::ClassRegistry::instance().enumerations()) {
        for (const auto& [name, value] : e.values) {
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            m_enumConstants[lower] = Variant(value);
        }
    }
}

Interpreter::~Interpreter()
{
    // Objects that outlive the interpreter keep their variables but run no code.
    for (const auto& weak : m_objects) {
        if (auto state = weak.lock()) {
            state->interpreter = nullptr;
        }
    }
}

const std::string& Interpreter::moduleName() const
{
    static const std::string none;
    return m_main ? m_main->name : none;
}

void Interpreter::raise(int number, int line, const std::string& description)
{
    throw ScriptError{number, description.empty() ? errorText(number) : description, line};
}

// --- loading and linking -----------------------------------------------------------

bool Interpreter::load(const std::string& source, const std::string& moduleName, ScriptError& error)
{
    if (m_runDepth > 0) {
        // Frames of the running code point into the module.
        error = {1005, "The macro is running: stop it first", 0};
        return false;
    }
    auto module = readModule(source, moduleName, false, error);
    if (!module) {
        return false;
    }
    std::vector<Cell> cells;
    std::unique_ptr<Module> previous = std::move(m_main);
    m_main = std::move(module);
    try {
        initModuleVariables(*m_main, cells);
    } catch (const ScriptError& e) {
        error = e;
        m_main = std::move(previous);
        return false;
    }
    m_mainCells = std::move(cells);
    m_statics.clear();
    return true;
}

std::unique_ptr<Module> Interpreter::readModule(const std::string& source, const std::string& name,
                                                bool isClass, ScriptError& error)
{
    SyntaxError syntax{0, {}};
    auto module = parseModule(source, name, isClass, syntax);
    if (!module) {
        error = {1002, syntax.message, syntax.line};
        error.column = syntax.column;
        return nullptr;
    }
    if (!link(*module, error)) {
        return nullptr;
    }
    return module;
}

bool Interpreter::addClassModule(const std::string& source, const std::string& className,
                                 ScriptError& error)
{
    auto module = readModule(source, className, true, error);
    if (!module) {
        return false;
    }
    std::string lower = className;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto cls = std::make_unique<ClassModule>();
    cls->module = std::move(module);
    m_classes[lower] = std::move(cls);
    m_statics.clear(); // keyed by procedures, which may be the replaced class's
    return true;
}

bool Interpreter::hasProcedure(const std::string& name) const
{
    if (!m_main) {
        return false;
    }
    for (const auto& p : m_main->procedures) {
        if (automation::namesEqual(p->name, name)) {
            return true;
        }
    }
    return false;
}

namespace {

struct LinkFailure
{
    ScriptError error;
};

} // namespace

bool Interpreter::link(Module& module, ScriptError& error)
{
    // Fields of user-defined types that are records of another type; a type may not hold
    // itself (its records would never end).
    for (const auto& type : module.types) {
        for (UserTypeField& f : type->fields) {
            if (f.className.empty()) {
                continue;
            }
            std::string lower = f.className;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            f.record = findUserType(module, lower);
        }
    }
    for (const auto& type : module.types) {
        std::vector<const UserType*> open = {type.get()};
        for (size_t depth = 0; !open.empty(); ++depth) {
            std::vector<const UserType*> inner;
            for (const UserType* t : open) {
                for (const UserTypeField& f : t->fields) {
                    // A dynamic array field makes no records until it is sized.
                    if (f.record && !(f.isArray && f.bounds.empty())) {
                        inner.push_back(f.record.get());
                    }
                }
            }
            if (depth > 32 || std::find(inner.begin(), inner.end(), type.get()) != inner.end()) {
                error = {1002, "Type " + type->name + " contains itself", 0};
                // The types refer to each other: break the cycle so they can go.
                for (const auto& t : module.types) {
                    for (UserTypeField& f : t->fields) {
                        f.record.reset();
                    }
                }
                return false;
            }
            open = std::move(inner);
        }
    }
    // Constants and record bounds are worked out while the procedures are not linked yet.
    struct Linking
    {
        const Module*& linking;
        ~Linking() { linking = nullptr; }
    } linking{m_linking};
    m_linking = &module;
    try {
        // Module variables and constants first: procedures see all of them.
        for (auto& s : module.declarations) {
            if (s->kind == StmtKind::Dim) {
                for (DimItem& item : s->items) {
                    item.slot = static_cast<int>(module.variables.size());
                    module.variables.push_back({item.lower, item.type, &item});
                }
            }
        }
        for (auto& s : module.declarations) {
            if (s->kind == StmtKind::Const) {
                for (DimItem& item : s->items) {
                    linkExpr(module, nullptr, *item.bounds[0].second, false);
                    Frame none;
                    none.module = &module;
                    Variant value = eval(*item.bounds[0].second, none).v.value();
                    if (item.type != BasicType::Variant) {
                        // A typed constant (an Enum member is a Long) takes its type.
                        auto c = value.changeType(varTypeOf(item.type));
                        if (!c) {
                            raise(c.hr == automation::DISP_E_OVERFLOW ? 6 : 13,
                                  item.line != 0 ? item.line : s->line);
                        }
                        value = std::move(c.value);
                    }
                    module.constants[item.lower] = std::move(value);
                }
            } else {
                for (DimItem& item : s->items) {
                    for (auto& [lo, hi] : item.bounds) {
                        if (lo) {
                            linkExpr(module, nullptr, *lo, false);
                        }
                        linkExpr(module, nullptr, *hi, false);
                    }
                }
            }
        }
        // The bounds of fixed array fields are constants of the module.
        for (const auto& type : module.types) {
            for (UserTypeField& f : type->fields) {
                f.lowerBounds.clear();
                f.extent.clear();
                size_t total = 1;
                for (auto& [lo, hi] : f.bounds) {
                    Frame none;
                    none.module = &module;
                    if (lo) {
                        linkExpr(module, nullptr, *lo, false);
                    }
                    linkExpr(module, nullptr, *hi, false);
                    const auto l = lo ? eval(*lo, none).v.toI4()
                                      : automation::Coerced<int32_t>{module.optionBase};
                    const auto h = eval(*hi, none).v.toI4();
                    if (!l || !h || h.value < l.value ||
                        static_cast<int64_t>(h.value) - l.value + 1 > 50'000'000) {
                        raise(9, 0);
                    }
                    f.lowerBounds.push_back(l.value);
                    f.extent.push_back(h.value - l.value + 1);
                    total *= static_cast<size_t>(f.extent.back());
                    if (total > 50'000'000) {
                        raise(7, 0, "Out of memory");
                    }
                }
            }
        }
        for (auto& p : module.procedures) {
            linkProcedure(module, *p);
        }
    } catch (const LinkFailure& f) {
        error = f.error;
        return false;
    } catch (const ScriptError& e) {
        error = e;
        return false;
    }
    return true;
}

namespace {

struct ProcScope
{
    std::map<std::string, Variant> constants;
};

thread_local ProcScope* t_scope = nullptr;

void collectDims(const Block& block, Procedure& proc)
{
    for (const auto& s : block) {
        if (s->kind == StmtKind::Dim) {
            for (const DimItem& item : s->items) {
                if (std::find(proc.locals.begin(), proc.locals.end(), item.lower) ==
                    proc.locals.end()) {
                    proc.locals.push_back(item.lower);
                    proc.localTypes.push_back(item.type);
                }
            }
        }
        collectDims(s->body, proc);
        for (const auto& [c, b] : s->branches) {
            collectDims(b, proc);
        }
        for (const auto& c : s->cases) {
            collectDims(c.body, proc);
        }
    }
}

// Marks the slots of the procedure's Static declarations.
void markStatics(const Block& block, Procedure& proc)
{
    for (const auto& s : block) {
        if (s->kind == StmtKind::Dim) {
            for (const DimItem& item : s->items) {
                if (item.isStatic && !item.module && item.slot >= 0) {
                    proc.staticSlots[static_cast<size_t>(item.slot)] = true;
                }
            }
        }
        markStatics(s->body, proc);
        for (const auto& [c, b] : s->branches) {
            markStatics(b, proc);
        }
        for (const auto& c : s->cases) {
            markStatics(c.body, proc);
        }
    }
}

// Notes where each label of the procedure stands (the first of a name counts).
void collectLabels(const Block& block, std::vector<LabelStep>& path, Procedure& proc)
{
    for (size_t i = 0; i < block.size(); ++i) {
        const Stmt& s = *block[i];
        path.push_back({&block, i});
        if (s.kind == StmtKind::Label) {
            proc.labels.emplace(s.label, path);
        }
        collectLabels(s.body, path, proc);
        for (const auto& [c, b] : s.branches) {
            collectLabels(b, path, proc);
        }
        for (const auto& c : s.cases) {
            collectLabels(c.body, path, proc);
        }
        path.pop_back();
    }
}

} // namespace

void Interpreter::linkProcedure(Module& module, Procedure& proc)
{
    proc.locals.clear();
    proc.localTypes.clear();
    for (const Param& p : proc.params) {
        proc.locals.push_back(p.lower);
        proc.localTypes.push_back(p.type);
    }
    if (proc.kind == ProcKind::Function || proc.kind == ProcKind::PropertyGet) {
        proc.resultSlot = static_cast<int>(proc.locals.size());
        proc.locals.push_back(proc.lower);
        proc.localTypes.push_back(proc.resultType);
    }
    const size_t firstLocal = proc.locals.size();
    collectDims(proc.body, proc);
    ProcScope scope;
    ProcScope* saved = t_scope;
    t_scope = &scope;
    try {
        linkBlock(module, &proc, proc.body);
    } catch (...) {
        t_scope = saved;
        throw;
    }
    t_scope = saved;
    proc.staticSlots.assign(proc.locals.size(), false);
    for (size_t i = firstLocal; i < proc.locals.size(); ++i) {
        proc.staticSlots[i] = proc.allStatic;
    }
    markStatics(proc.body, proc);
    proc.labels.clear();
    std::vector<LabelStep> path;
    collectLabels(proc.body, path, proc);
    proc.hasStatics =
        std::find(proc.staticSlots.begin(), proc.staticSlots.end(), true) != proc.staticSlots.end();
}

void Interpreter::linkBlock(Module& module, Procedure* proc, Block& block)
{
    for (auto& s : block) {
        if (s->kind == StmtKind::Const) {
            for (DimItem& item : s->items) {
                linkExpr(module, proc, *item.bounds[0].second, false);
                Frame none;
                none.module = &module;
                t_scope->constants[item.lower] = eval(*item.bounds[0].second, none).v;
            }
            continue;
        }
        if (s->kind == StmtKind::Dim || s->kind == StmtKind::ReDim) {
            for (DimItem& item : s->items) {
                if (item.object) {
                    // ReDim of a record's array field.
                    linkExpr(module, proc, *item.object, false);
                    for (auto& [lo, hi] : item.bounds) {
                        if (lo) {
                            linkExpr(module, proc, *lo, false);
                        }
                        linkExpr(module, proc, *hi, false);
                    }
                    continue;
                }
                const auto it = std::find(proc->locals.begin(), proc->locals.end(), item.lower);
                if (it != proc->locals.end()) {
                    item.slot = static_cast<int>(it - proc->locals.begin());
                    item.module = false;
                } else {
                    const auto mv =
                        std::find_if(module.variables.begin(), module.variables.end(),
                                     [&](const ModuleVar& v) { return v.name == item.lower; });
                    if (mv == module.variables.end()) {
                        if (s->kind == StmtKind::Dim || module.optionExplicit) {
                            throw LinkFailure{{1003, "Variable not defined", s->line}};
                        }
                        item.slot = static_cast<int>(proc->locals.size());
                        proc->locals.push_back(item.lower);
                        proc->localTypes.push_back(item.type);
                        item.module = false;
                    } else {
                        item.slot = static_cast<int>(mv - module.variables.begin());
                        item.module = true;
                    }
                }
                for (auto& [lo, hi] : item.bounds) {
                    if (lo) {
                        linkExpr(module, proc, *lo, false);
                    }
                    linkExpr(module, proc, *hi, false);
                }
            }
            continue;
        }
        const bool assigns = s->kind == StmtKind::Assign || s->kind == StmtKind::Set ||
                             s->kind == StmtKind::For || s->kind == StmtKind::ForEach ||
                             s->kind == StmtKind::LineInput;
        for (ExprPtr* e : {&s->target, &s->value, &s->end, &s->step, &s->condition, &s->channel}) {
            if (*e) {
                linkExpr(module, proc, **e, assigns && e == &s->target);
            }
        }
        for (auto& item : s->printItems) {
            if (item) {
                linkExpr(module, proc, *item, s->kind == StmtKind::Input);
            }
        }
        for (auto& [c, b] : s->branches) {
            linkExpr(module, proc, *c, false);
            linkBlock(module, proc, b);
        }
        for (auto& c : s->cases) {
            for (auto& t : c.tests) {
                if (t.a) {
                    linkExpr(module, proc, *t.a, false);
                }
                if (t.b) {
                    linkExpr(module, proc, *t.b, false);
                }
            }
            linkBlock(module, proc, c.body);
        }
        linkBlock(module, proc, s->body);
    }
}

void Interpreter::linkExpr(Module& module, Procedure* proc, Expr& e, bool assigned)
{
    switch (e.kind) {
    case ExprKind::Name: {
        if (proc) {
            const auto it = std::find(proc->locals.begin(), proc->locals.end(), e.lower);
            // The function's own name without arguments is its result variable.
            if (it != proc->locals.end()) {
                e.ref = NameRef::Local;
                e.slot = static_cast<int>(it - proc->locals.begin());
                e.typed = proc->localTypes[static_cast<size_t>(e.slot)] != BasicType::Variant;
                return;
            }
            if (t_scope) {
                const auto c = t_scope->constants.find(e.lower);
                if (c != t_scope->constants.end()) {
                    e.ref = NameRef::Constant;
                    e.literal = c->second;
                    return;
                }
            }
        }
        const auto mv = std::find_if(module.variables.begin(), module.variables.end(),
                                     [&](const ModuleVar& v) { return v.name == e.lower; });
        if (mv != module.variables.end()) {
            e.ref = NameRef::Module;
            e.slot = static_cast<int>(mv - module.variables.begin());
            e.typed = mv->type != BasicType::Variant;
            return;
        }
        const auto mc = module.constants.find(e.lower);
        if (mc != module.constants.end()) {
            e.ref = NameRef::Constant;
            e.literal = mc->second;
            return;
        }
        const auto ec = m_enumConstants.find(e.lower);
        if (ec != m_enumConstants.end()) {
            e.ref = NameRef::Constant;
            e.literal = ec->second;
            return;
        }
        static const std::map<std::string, int> vbConstants = {
            {"vbokonly", 0},
            {"vbokcancel", 1},
            {"vbabortretryignore", 2},
            {"vbyesnocancel", 3},
            {"vbyesno", 4},
            {"vbretrycancel", 5},
            {"vbcritical", 16},
            {"vbquestion", 32},
            {"vbexclamation", 48},
            {"vbinformation", 64},
            {"vbok", 1},
            {"vbcancel", 2},
            {"vbabort", 3},
            {"vbretry", 4},
            {"vbignore", 5},
            {"vbyes", 6},
            {"vbno", 7},
            {"vbtrue", -1},
            {"vbfalse", 0},
            {"vbobjecterror", static_cast<int>(0x80040000)},
            {"vbbinarycompare", 0},
            {"vbtextcompare", 1},
            {"vbusecompareoption", -1},
            {"vbnormal", 0},
            {"vbdirectory", 16},
            {"vbusesystemdayofweek", 0},
            {"vbsunday", 1},
            {"vbmonday", 2},
            {"vbtuesday", 3},
            {"vbwednesday", 4},
            {"vbthursday", 5},
            {"vbfriday", 6},
            {"vbsaturday", 7},
            {"vbempty", 0},
            {"vbnull", 1},
            {"vbinteger", 2},
            {"vblong", 3},
            {"vbsingle", 4},
            {"vbdouble", 5},
            {"vbcurrency", 6},
            {"vbdate", 7},
            {"vbstring", 8},
            {"vbobject", 9},
            {"vberror", 10},
            {"vbboolean", 11},
            {"vbvariant", 12},
            {"vbarray", 8192}};
        const auto vc = vbConstants.find(e.lower);
        if (vc != vbConstants.end()) {
            e.ref = NameRef::Constant;
            e.literal = Variant(static_cast<int32_t>(vc->second));
            return;
        }
        static const std::map<std::string, std::string> vbStrings = {
            {"vbcrlf", "\r\n"}, {"vbcr", "\r"},      {"vblf", "\n"},
            {"vbtab", "\t"},    {"vbnewline", "\n"}, {"vbnullstring", ""}};
        const auto vs = vbStrings.find(e.lower);
        if (vs != vbStrings.end()) {
            e.ref = NameRef::Constant;
            e.literal = Variant(vs->second);
            return;
        }
        e.ref = NameRef::Other;
        if (!proc || !assigned) {
            // A procedure, a built-in, an added object or an extension member; an
            // unknown name read in a procedure becomes a variable below.
            for (const auto& p : module.procedures) {
                if (p->lower == e.lower) {
                    return;
                }
            }
            if (!proc) {
                return;
            }
        }
        if (!assigned) {
            static const char* builtinNames[] = {"now",      "timer",    "rnd",  "err",  "erl",
                                                 "doevents", "freefile", "date", "time", "dir"};
            for (const char* b : builtinNames) {
                if (e.lower == b) {
                    return;
                }
            }
            if (m_host.namedObject(e.lower)) {
                return;
            }
        }
        if (extensionWith(e.lower)) {
            return;
        }
        if (module.optionExplicit) {
            throw LinkFailure{{1003, "Variable not defined", e.line}};
        }
        e.ref = NameRef::Local;
        e.slot = static_cast<int>(proc->locals.size());
        proc->locals.push_back(e.lower);
        proc->localTypes.push_back(BasicType::Variant);
        return;
    }
    case ExprKind::Call:
        if (e.callee->kind == ExprKind::Name) {
            // A name with arguments: an array variable, else a procedure or built-in.
            Expr& n = *e.callee;
            bool variable = false;
            if (proc) {
                const auto it = std::find(proc->locals.begin(), proc->locals.end(), n.lower);
                if (it != proc->locals.end() &&
                    !(proc->resultSlot >= 0 && n.lower == proc->lower)) {
                    n.ref = NameRef::Local;
                    n.slot = static_cast<int>(it - proc->locals.begin());
                    e.typed = proc->localTypes[static_cast<size_t>(n.slot)] != BasicType::Variant;
                    variable = true;
                }
            }
            if (!variable) {
                const auto mv = std::find_if(module.variables.begin(), module.variables.end(),
                                             [&](const ModuleVar& v) { return v.name == n.lower; });
                if (mv != module.variables.end()) {
                    n.ref = NameRef::Module;
                    n.slot = static_cast<int>(mv - module.variables.begin());
                    e.typed = mv->type != BasicType::Variant;
                } else {
                    n.ref = NameRef::Other;
                }
            }
        } else {
            linkExpr(module, proc, *e.callee, false);
        }
        for (auto& a : e.args) {
            linkExpr(module, proc, *a, false);
        }
        return;
    case ExprKind::Member:
        if (e.object) {
            linkExpr(module, proc, *e.object, false);
        }
        return;
    case ExprKind::Unary:
    case ExprKind::Paren:
        linkExpr(module, proc, *e.object, false);
        return;
    case ExprKind::Binary:
        linkExpr(module, proc, *e.left, false);
        linkExpr(module, proc, *e.right, false);
        return;
    default:
        return;
    }
}

void Interpreter::initModuleVariables(Module& module, std::vector<Cell>& cells)
{
    cells.assign(module.variables.size(), Cell{});
    Frame frame;
    frame.module = &module;
    frame.moduleCells = &cells;
    for (size_t i = 0; i < module.variables.size(); ++i) {
        const ModuleVar& v = module.variables[i];
        cells[i].type = v.decl && v.decl->isArray ? BasicType::Variant : v.type;
        cells[i].value = Value(defaultOf(cells[i].type));
        cells[i].value.date = cells[i].type == BasicType::Date;
        if (v.decl) {
            dimension(*v.decl, cells[i], frame, false, v.decl->type);
        }
    }
}

// --- running -----------------------------------------------------------------------

RunStatus Interpreter::call(const std::string& name, std::vector<Variant> args, Variant* result)
{
    if (!m_main) {
        return RunStatus::NotFound;
    }
    Procedure* proc = nullptr;
    for (auto& p : m_main->procedures) {
        if (automation::namesEqual(p->name, name)) {
            proc = p.get();
        }
    }
    if (!proc) {
        return RunStatus::NotFound;
    }
    if (m_runDepth == 0) {
        m_stopRequested = false;
    }
    ++m_runDepth;
    std::vector<Value> values;
    for (Variant& a : args) {
        values.emplace_back(std::move(a));
    }
    RunStatus status = RunStatus::Completed;
    const std::function<void()> run = [&] {
        try {
            Value r = callProcedure(*m_main, *proc, {}, nullptr, &values);
            if (result) {
                *result = r.v;
            }
        } catch (const ScriptError& e) {
            m_lastError = e;
            status = RunStatus::Failed;
        } catch (const StopSignal&) {
            status = RunStatus::Stopped;
        } catch (const std::bad_alloc&) {
            m_lastError = ScriptError{7, "Out of memory", 0};
            status = RunStatus::Failed;
        } catch (const std::exception& e) {
            m_lastError = ScriptError{51, std::string("Internal error: ") + e.what(), 0};
            status = RunStatus::Failed;
        }
    };
    // Script code runs on the engine's own stack; without one (no memory for it), on
    // this thread's, where the depth check ends deep recursion sooner.
    if (!runOnStack(StackKind::Script, run)) {
        run();
    }
    --m_runDepth;
    if (m_runDepth == 0) {
        m_stopRequested = false;
        m_paused = false;
    }
    return status;
}

void Interpreter::outside(const std::function<void()>& call)
{
    if (!runOnStack(StackKind::Thread, call)) {
        raise(28, 0);
    }
}

void Interpreter::checkControl()
{
    m_statements.fetch_add(1, std::memory_order_relaxed);
    if (m_hookInterval != 0 && --m_untilHook == 0) {
        m_untilHook = m_hookInterval;
        outside([this] { m_host.statementHook(); });
    }
    if (m_stopRequested.load(std::memory_order_relaxed)) {
        throw StopSignal{};
    }
    while (m_paused) {
        outside([this] { m_host.doEvents(); });
        if (m_stopRequested.load(std::memory_order_relaxed)) {
            throw StopSignal{};
        }
    }
}

namespace {

bool anyNamed(const std::vector<const Expr*>& args)
{
    return std::any_of(args.begin(), args.end(), [](const Expr* a) { return !a->argName.empty(); });
}

const Expr& missingArgument()
{
    static const Expr missing = [] {
        Expr e;
        e.kind = ExprKind::Missing;
        return e;
    }();
    return missing;
}

} // namespace

std::vector<const Expr*> Interpreter::placeNamed(const std::vector<const Expr*>& args,
                                                 const std::vector<std::string>& names, int line)
{
    std::vector<const Expr*> out;
    for (const Expr* a : args) {
        if (a->argName.empty()) {
            out.push_back(a);
            continue;
        }
        const auto it = std::find(names.begin(), names.end(), a->argName);
        if (it == names.end()) {
            raise(448, line);
        }
        const auto k = static_cast<size_t>(it - names.begin());
        if (out.size() <= k) {
            out.resize(k + 1, &missingArgument());
        }
        if (out[k] != &missingArgument()) {
            raise(448, line, "Named argument already specified");
        }
        out[k] = a;
    }
    return out;
}

Value Interpreter::callProcedure(Module& module, Procedure& proc,
                                 const std::vector<const Expr*>& givenArgs, Frame* caller,
                                 std::vector<Value>* values,
                                 std::shared_ptr<ScriptObjectState> self, const Value* putValue)
{
    std::vector<const Expr*> placed;
    const bool named = !values && anyNamed(givenArgs);
    if (named) {
        std::vector<std::string> names;
        for (const Param& p : proc.params) {
            names.push_back(p.lower);
        }
        placed = placeNamed(givenArgs, names, 0);
    }
    const std::vector<const Expr*>& args = named ? placed : givenArgs;
    const size_t given = (values ? values->size() : args.size()) + (putValue ? 1 : 0);
    size_t required = 0;
    for (const Param& p : proc.params) {
        required += p.optional ? 0 : 1;
    }
    const bool rest = !proc.params.empty() && proc.params.back().paramArray;
    if ((given > proc.params.size() && !rest) || given < required) {
        raise(450, caller ? 0 : proc.line);
    }
    if (m_callDepth >= kMaxCallDepth) {
        raise(28, caller ? 0 : proc.line);
    }
    if (nearStackEnd()) {
        // Deep recursion goes on in the next segment of the engine's stack.
        Value r;
        const bool ran = runOnStack(StackKind::NextSegment, [&] {
            r = callProcedure(module, proc, givenArgs, caller, values, self, putValue);
        });
        if (!ran) {
            raise(28, caller ? 0 : proc.line);
        }
        return r;
    }
    Frame frame;
    frame.module = &module;
    frame.proc = &proc;
    frame.self = std::move(self);
    frame.moduleCells =
        frame.self ? &frame.self->cells : (&module == m_main.get() ? &m_mainCells : nullptr);
    frame.own.resize(proc.locals.size());
    frame.slots.resize(proc.locals.size());
    for (size_t i = 0; i < proc.locals.size(); ++i) {
        frame.own[i].type = proc.localTypes[i];
        frame.own[i].value = Value(defaultOf(proc.localTypes[i]));
        frame.own[i].value.date = proc.localTypes[i] == BasicType::Date;
        frame.slots[i] = &frame.own[i];
    }
    if (proc.hasStatics) {
        auto& store = frame.self ? frame.self->statics : m_statics;
        StaticCells& statics = store[&proc];
        if (statics.cells.empty()) {
            statics.cells.resize(proc.locals.size());
            statics.declared.assign(proc.locals.size(), false);
            for (size_t i = 0; i < proc.locals.size(); ++i) {
                statics.cells[i] = frame.own[i];
            }
        }
        for (size_t i = 0; i < proc.locals.size(); ++i) {
            if (proc.staticSlots[i]) {
                frame.slots[i] = &statics.cells[i];
            }
        }
        frame.statics = &statics;
    }
    // Arguments: a variable passed to a ByRef parameter is shared; an array element is
    // copied in and written back after the call.
    struct WriteBack
    {
        Cell* source;
        std::shared_ptr<Array> array;
        size_t index;
        size_t slot;
    };
    std::vector<WriteBack> writeBacks;
    for (size_t i = 0; i < proc.params.size(); ++i) {
        const Param& p = proc.params[i];
        Cell& cell = frame.own[i];
        const bool isPut = putValue && i + 1 == proc.params.size();
        if (p.paramArray) {
            // The remaining arguments, by value, as an array from 0.
            auto list = Array::make(BasicType::Variant);
            const size_t n = values ? values->size() : args.size();
            list->lower = {0};
            list->extent = {static_cast<int32_t>(n > i ? n - i : 0)};
            list->resize(n > i ? n - i : 0);
            for (size_t k = i; k < n; ++k) {
                Value v;
                if (values) {
                    v = (*values)[k];
                } else if (args[k]->kind == ExprKind::Missing) {
                    v = Value(Variant::missing());
                } else {
                    v = eval(*args[k], *caller);
                }
                if (v.isArray()) {
                    raise(13, 0);
                }
                list->set(k - i, v.stored());
            }
            cell.value = Value();
            cell.value.array = std::move(list);
            continue;
        }
        if (isPut) {
            cell.value = *putValue;
        } else if (values) {
            if (i < values->size()) {
                cell.value = (*values)[i];
            } else if (p.defaultValue) {
                cell.value = eval(*p.defaultValue, frame);
            } else {
                cell.value = Value(Variant::missing());
            }
        } else if (i < args.size() && args[i]->kind != ExprKind::Missing) {
            const Expr& a = *args[i];
            Cell* shared = nullptr;
            if (!p.byVal && caller) {
                if (a.kind == ExprKind::Name &&
                    (a.ref == NameRef::Local || a.ref == NameRef::Module)) {
                    shared = cellOf(a, *caller);
                } else if (a.kind == ExprKind::Call && a.callee->kind == ExprKind::Name &&
                           (a.callee->ref == NameRef::Local || a.callee->ref == NameRef::Module)) {
                    Cell* arrCell = cellOf(*a.callee, *caller);
                    if (arrCell && arrCell->value.isArray()) {
                        // The indices run once; the array is held for the write-back even
                        // when the procedure ReDims or Erases the variable.
                        const std::shared_ptr<Array> arr = arrCell->value.array;
                        const size_t index = elementOffset(*arr, a.args, *caller, a.line, 0);
                        cell.value = Value::loaded(arr->get(index));
                        cell.value.date = cell.value.date || arr->elementType == BasicType::Date;
                        writeBacks.push_back({nullptr, arr, index, i});
                        continue;
                    }
                }
            }
            if (shared) {
                frame.slots[i] = shared;
                continue;
            }
            cell.value = eval(a, *caller);
        } else if (p.defaultValue) {
            cell.value = eval(*p.defaultValue, frame);
        } else if (p.optional) {
            cell.value = Value(Variant::missing());
        } else {
            raise(449, 0);
        }
        if (p.type == BasicType::Date && !cell.value.isArray()) {
            cell.value = Value::ofDate(toDate(cell.value, 0));
        } else if (p.type != BasicType::Variant && !cell.value.isArray()) {
            auto c = cell.value.v.changeType(varTypeOf(p.type));
            if (!c) {
                raise(c.hr == automation::DISP_E_OVERFLOW ? 6 : 13, 0);
            }
            cell.value.v = std::move(c.value);
        }
    }
    ++m_callDepth;
    struct DepthGuard
    {
        int& depth;
        ~DepthGuard() { --depth; }
    } depthGuard{m_callDepth};
    runProcedureBody(proc, frame);
    for (const WriteBack& w : writeBacks) {
        w.array->set(w.index, frame.slots[w.slot]->value.v);
    }
    if (proc.resultSlot >= 0) {
        return frame.slots[static_cast<size_t>(proc.resultSlot)]->value;
    }
    return Value();
}

Interpreter::Flow Interpreter::runProcedureBody(Procedure& proc, Frame& frame)
{
    // The body's blocks take every GoTo to a label of the procedure; one that comes back
    // here named a label the procedure does not have.
    Flow flow = execBlock(proc.body, frame);
    while (flow == Flow::GoTo) {
        flow = runAtLabel(frame, frame.gotoLabel);
    }
    return Flow::Normal;
}

const std::vector<LabelStep>& Interpreter::labelPath(const Procedure& proc,
                                                     const std::string& label, int line)
{
    const auto it = proc.labels.find(label);
    if (it == proc.labels.end() || it->second.empty()) {
        raise(1004, line, "Label not defined");
    }
    return it->second;
}

Interpreter::Flow Interpreter::runAtLabel(Frame& frame, const std::string& label)
{
    const std::vector<LabelStep>& path = labelPath(*frame.proc, label, 0);
    if (path.size() == 1) {
        return execBlock(frame.proc->body, frame, path[0].index + 1);
    }
    return execBlock(frame.proc->body, frame, path[0].index, &path, 1);
}

Interpreter::Flow Interpreter::runFromLabel(Frame& frame, const std::string& label)
{
    const Flow flow = runAtLabel(frame, label);
    // Running off the end of the procedure ends it.
    return flow == Flow::Normal ? Flow::ExitProc : flow;
}

Interpreter::Flow Interpreter::enterStatement(const Stmt& s, Frame& frame,
                                              const std::vector<LabelStep>& path, size_t level)
{
    const LabelStep& step = path[level];
    const auto runBody = [&] {
        return level + 1 == path.size()
                   ? execBlock(*step.block, frame, step.index + 1)
                   : execBlock(*step.block, frame, step.index, &path, level + 1);
    };
    switch (s.kind) {
    case StmtKind::If:
    case StmtKind::Select:
        // The rest of the branch, then on after End If or End Select.
        return runBody();
    case StmtKind::With: {
        // The With statement did not run: the block has no object (91 on its use).
        frame.with.emplace_back();
        struct Pop
        {
            std::vector<Value>& with;
            ~Pop() { with.pop_back(); }
        } pop{frame.with};
        return runBody();
    }
    case StmtKind::Do: {
        const Flow f = runBody();
        if (f == Flow::ExitDo) {
            return Flow::Normal;
        }
        if (f != Flow::Normal) {
            return f;
        }
        if (s.condition && !s.conditionAtTop) {
            const Value cv = eval(*s.condition, frame);
            if (cv.v.isNull()) {
                return Flow::Normal;
            }
            const auto c = cv.v.toBool();
            if (!c) {
                raise(13, s.line);
            }
            if (c.value == s.until) {
                return Flow::Normal;
            }
        }
        // The loop goes on from its top as after any pass.
        return execStatement(s, frame);
    }
    case StmtKind::For:
    case StmtKind::ForEach: {
        // A loop entered past its For has no counter to step: Next fails.
        const Flow f = runBody();
        if (f == Flow::ExitFor) {
            return Flow::Normal;
        }
        if (f != Flow::Normal) {
            return f;
        }
        raise(92, s.line);
    }
    default:
        return runBody();
    }
}

Interpreter::Flow Interpreter::takeError(ScriptError& e, const Stmt& s, Frame& frame)
{
    if (e.line == 0) {
        e.line = s.line;
    }
    e.erl = frame.lineNumber;
    if (frame.onError == 1) {
        m_err = e;
        return Flow::ResumeNext;
    }
    if (frame.onError == 2 && !frame.inHandler && frame.proc) {
        m_err = e;
        frame.inHandler = true;
        // The handler runs here, nested where the error was taken, so that Resume can
        // run the failed statement again and Resume Next the one after it.
        const Flow flow = runFromLabel(frame, frame.handlerLabel);
        if (flow == Flow::ExitFor || flow == Flow::ExitDo) {
            return Flow::ExitProc;
        }
        // Resume label: the jump starts from the statement that failed.
        return flow == Flow::ResumeAt ? Flow::GoTo : flow;
    }
    throw;
}

Interpreter::Flow Interpreter::execBlock(const Block& block, Frame& frame, size_t start,
                                         const std::vector<LabelStep>* entry, size_t level)
{
    for (size_t i = start; i < block.size();) {
        const Stmt& s = *block[i];
        Flow flow;
        try {
            if (entry) [[unlikely]] {
                // Resume runs the statement from its top again.
                const std::vector<LabelStep>* path = entry;
                entry = nullptr;
                flow = enterStatement(s, frame, *path, level);
            } else {
                flow = execStatement(s, frame);
            }
        } catch (ScriptError& e) {
            flow = takeError(e, s, frame);
            if (flow == Flow::Resume) {
                continue;
            }
            if (flow == Flow::ResumeNext) {
                ++i;
                continue;
            }
        }
        if (flow != Flow::Normal) {
            if (flow == Flow::GoTo && frame.proc) [[unlikely]] {
                // A label in this block, or inside one of its statements, is reached from
                // here; any other is in an enclosing block.
                const auto it = frame.proc->labels.find(frame.gotoLabel);
                if (it != frame.proc->labels.end()) {
                    const auto& path = it->second;
                    const auto at = std::find_if(path.begin(), path.end(), [&](const LabelStep& p) {
                        return p.block == &block;
                    });
                    if (at != path.end()) {
                        i = at->index;
                        if (at + 1 == path.end()) {
                            ++i;
                        } else {
                            entry = &path;
                            level = static_cast<size_t>(at - path.begin()) + 1;
                        }
                        continue;
                    }
                }
            }
            return flow;
        }
        ++i;
    }
    return Flow::Normal;
}

void Interpreter::midStatement(const Expr& target, const Expr& replacement, Frame& frame, int line)
{
    // Mid(text, start[, length]) = replacement: overwrites characters in place; the text
    // keeps its length.
    if (target.args.size() < 2 || target.args.size() > 3) {
        raise(450, line);
    }
    for (const auto& a : target.args) {
        if (a->kind == ExprKind::Missing || !a->argName.empty()) {
            raise(a->kind == ExprKind::Missing ? 449 : 448, line);
        }
    }
    const Value current = eval(*target.args[0], frame);
    const Value with = eval(replacement, frame);
    const auto textOfArg = [&](const Value& v) {
        if (v.isArray()) {
            raise(13, line);
        }
        if (v.v.isNull()) {
            raise(94, line);
        }
        if (!v.v.toBstr()) {
            raise(13, line);
        }
        return textOf(v);
    };
    std::string text = textOfArg(current);
    const std::string put = textOfArg(with);
    const auto start = eval(*target.args[1], frame).v.toI4();
    if (!start || start.value < 1 || static_cast<size_t>(start.value) > text.size()) {
        raise(5, line);
    }
    size_t count = put.size();
    if (target.args.size() == 3) {
        const auto length = eval(*target.args[2], frame).v.toI4();
        if (!length || length.value < 0) {
            raise(5, line);
        }
        count = std::min(count, static_cast<size_t>(length.value));
    }
    const size_t at = static_cast<size_t>(start.value) - 1;
    count = std::min(count, text.size() - at);
    text.replace(at, count, put, 0, count);
    assign(*target.args[0], Value(Variant(std::move(text))), frame, false);
}

Interpreter::Flow Interpreter::execLine(const Block& block, Frame& frame)
{
    for (const auto& s : block) {
        Flow flow;
        try {
            flow = execStatement(*s, frame);
        } catch (ScriptError& e) {
            if (frame.onError != 1) {
                // The handler's Resume runs the whole If statement again.
                throw;
            }
            flow = takeError(e, *s, frame);
        }
        if (flow != Flow::Normal && flow != Flow::ResumeNext) {
            return flow;
        }
    }
    return Flow::Normal;
}

Cell* Interpreter::cellOf(const Expr& e, Frame& frame)
{
    if (e.ref == NameRef::Local) {
        if (e.slot >= 0 && static_cast<size_t>(e.slot) < frame.slots.size()) {
            return frame.slots[static_cast<size_t>(e.slot)];
        }
        return nullptr;
    }
    if (e.ref == NameRef::Module && frame.moduleCells && e.slot >= 0 &&
        static_cast<size_t>(e.slot) < frame.moduleCells->size()) {
        return &(*frame.moduleCells)[static_cast<size_t>(e.slot)];
    }
    return nullptr;
}

double Interpreter::toDate(const Value& v, int line)
{
    if (v.isArray()) {
        raise(13, line);
    }
    const Variant x = v.v.value();
    if (x.type() == VarType::Bstr) {
        const auto d = datetime::parseDate(x.toBstr().value);
        if (!d) {
            raise(13, line);
        }
        return *d;
    }
    const auto d = x.toR8();
    if (!d) {
        raise(d.hr == automation::DISP_E_OVERFLOW ? 6 : 13, line);
    }
    if (!(d.value > -657435.0 && d.value < 2958466.0)) {
        raise(6, line);
    }
    return d.value;
}

std::shared_ptr<const UserType> Interpreter::userTypeOf(const std::string& className,
                                                        const Frame& frame) const
{
    if (className.empty()) {
        return nullptr;
    }
    std::string lower = className;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto type = frame.module ? findUserType(*frame.module, lower) : nullptr;
    if (!type && m_main && frame.module != m_main.get()) {
        type = findUserType(*m_main, lower);
    }
    return type;
}

void Interpreter::dimension(const DimItem& item, Cell& cell, Frame& frame, bool preserve,
                            BasicType type)
{
    const auto record = userTypeOf(item.className, frame);
    if (record && !item.isArray) {
        // Made once: a Dim that runs again (in a loop) keeps the record.
        const auto d = cell.value.v.toDispatch();
        if (!d || !d.value || !isRecord(d.value.get())) {
            cell.value = Value(Variant(makeRecord(record)));
        }
        return;
    }
    if (item.isArray) {
        std::shared_ptr<Array> old = cell.value.array;
        if (item.bounds.empty()) {
            if (!old) {
                cell.value = Value();
                cell.value.array = Array::make(type);
            }
            return;
        }
        if (old && old->fixed && preserve == false && !old->extent.empty() &&
            cell.value.array->fixed) {
            // A fixed array keeps its storage when its Dim runs again.
            return;
        }
        auto arr = Array::make(type);
        size_t total = 1;
        for (const auto& [lo, hi] : item.bounds) {
            const auto bound = [&](const Expr& e) {
                const Value v = eval(e, frame);
                const auto b =
                    v.isArray() ? automation::Coerced<int32_t>{0, automation::DISP_E_TYPEMISMATCH}
                                : v.v.toI4();
                if (!b) {
                    raise(b.hr == automation::DISP_E_OVERFLOW ? 6 : 13, 0);
                }
                return b.value;
            };
            const int32_t l = lo ? bound(*lo) : (frame.module ? frame.module->optionBase : 0);
            const int32_t h = bound(*hi);
            // The count in 64 bits: bounds far apart overflow a Long.
            const int64_t count = static_cast<int64_t>(h) - l + 1;
            if (count < 0 || count > 50'000'000) {
                raise(9, 0);
            }
            arr->lower.push_back(l);
            arr->extent.push_back(static_cast<int32_t>(count));
            total *= static_cast<size_t>(count);
            if (total > 50'000'000) {
                raise(7, 0, "Out of memory");
            }
        }
        arr->resize(total);
        if (type == BasicType::Boolean || type == BasicType::Object || type == BasicType::Byte ||
            type == BasicType::Currency) {
            for (size_t i = 0; i < total; ++i) {
                arr->set(i, defaultOf(type));
            }
        }
        if (preserve && old && !old->extent.empty()) {
            // Only the upper bound of the last dimension may change; every element whose
            // indices are still valid keeps them. Storage runs along the last dimension,
            // so each run of it moves to its new place.
            if (old->extent.size() != arr->extent.size()) {
                raise(9, 0);
            }
            const size_t last = arr->extent.size() - 1;
            for (size_t d = 0; d < arr->extent.size(); ++d) {
                if (arr->lower[d] != old->lower[d] ||
                    (d < last && arr->extent[d] != old->extent[d])) {
                    raise(9, 0);
                }
            }
            const auto oldRun = static_cast<size_t>(old->extent[last]);
            const auto newRun = static_cast<size_t>(arr->extent[last]);
            const size_t keep = std::min(oldRun, newRun);
            const size_t runs = oldRun == 0 ? 0 : old->size() / oldRun;
            for (size_t r = 0; r < runs; ++r) {
                for (size_t i = 0; i < keep; ++i) {
                    arr->set(r * newRun + i, old->get(r * oldRun + i));
                }
            }
        }
        if (record) {
            // Every element a record of its own, kept ones included.
            for (size_t i = 0; i < arr->size(); ++i) {
                const auto d = arr->get(i).toDispatch();
                if (!d || !d.value) {
                    arr->set(i, Variant(makeRecord(record)));
                }
            }
        }
        cell.value = Value();
        cell.value.array = std::move(arr);
        return;
    }
    if (item.isNew && !item.className.empty()) {
        cell.value = Value(Variant(newObject(item.className, 0)));
    }
}

Interpreter::Flow Interpreter::execStatement(const Stmt& s, Frame& frame)
{
    checkControl();
    switch (s.kind) {
    case StmtKind::Assign: {
        // "t = t & x" appends in place instead of copying t twice.
        const Expr& v = *s.value;
        if (v.kind == ExprKind::Binary && v.op == BinOp::Concat &&
            s.target->kind == ExprKind::Name && v.left->kind == ExprKind::Name &&
            v.left->ref == s.target->ref && v.left->slot == s.target->slot &&
            (s.target->ref == NameRef::Local || s.target->ref == NameRef::Module)) {
            Cell* c = cellOf(*s.target, frame);
            if (c && !c->value.isArray() && !c->value.v.isByRef() &&
                c->value.v.type() == VarType::Bstr &&
                (c->type == BasicType::String || c->type == BasicType::Variant)) {
                if (withoutSideEffects(*v.right, *frame.module)) {
                    const Value right = eval(*v.right, frame);
                    if (right.isArray() || !right.v.toBstr()) {
                        raise(13, s.line);
                    }
                    c->value.v.appendText(textOf(right));
                    return Flow::Normal;
                }
            }
        }
        const Expr& t = *s.target;
        if (t.kind == ExprKind::Call && t.callee->kind == ExprKind::Name &&
            t.callee->ref == NameRef::Other && t.callee->lower == "mid") [[unlikely]] {
            midStatement(t, *s.value, frame, s.line);
            return Flow::Normal;
        }
        assign(t, eval(*s.value, frame), frame, false);
        return Flow::Normal;
    }
    case StmtKind::Set:
        assign(*s.target, eval(*s.value, frame), frame, true);
        return Flow::Normal;
    case StmtKind::Call: {
        const Expr& t = *s.target;
        if (t.kind == ExprKind::Name || t.kind == ExprKind::Member) {
            // A call without arguments.
            if (t.kind == ExprKind::Name) {
                if (t.ref == NameRef::Local || t.ref == NameRef::Module) {
                    raise(13, s.line);
                }
                evalName(t, frame);
            } else {
                evalMember(t, frame);
            }
        } else {
            evalCall(t, frame);
        }
        return Flow::Normal;
    }
    case StmtKind::Dim:
    case StmtKind::ReDim:
        for (const DimItem& item : s.items) {
            if (item.object) [[unlikely]] {
                redimField(item, s, frame);
                continue;
            }
            Cell* cell = item.module ? (frame.moduleCells && item.slot >= 0
                                            ? &(*frame.moduleCells)[static_cast<size_t>(item.slot)]
                                            : nullptr)
                                     : frame.slots[static_cast<size_t>(item.slot)];
            if (!cell) {
                raise(9, s.line);
            }
            if (s.kind == StmtKind::Dim && !item.module && frame.statics &&
                frame.proc->staticSlots[static_cast<size_t>(item.slot)]) {
                // A Static declaration runs once: later calls keep what it made.
                auto declared = frame.statics->declared[static_cast<size_t>(item.slot)];
                if (declared) {
                    continue;
                }
                declared = true;
            }
            if (s.kind == StmtKind::ReDim) {
                if (cell->value.isArray() && cell->value.array->fixed) {
                    raise(10, s.line);
                }
                // The array keeps its element type.
                dimension(item, *cell, frame, s.preserve,
                          cell->value.isArray() ? cell->value.array->elementType : item.type);
            } else {
                dimension(item, *cell, frame, false, item.type);
                if (item.isArray && !item.bounds.empty()) {
                    cell->value.array->fixed = true;
                }
            }
        }
        return Flow::Normal;
    case StmtKind::Label:
        if (s.lineNumber != 0) {
            frame.lineNumber = s.lineNumber;
        }
        return Flow::Normal;
    case StmtKind::Const:
        return Flow::Normal;
    case StmtKind::If:
        for (const auto& [cond, body] : s.branches) {
            const Value c = eval(*cond, frame);
            const auto b =
                c.v.isNull() ? automation::Coerced<bool>{false, automation::S_OK} : c.v.toBool();
            if (!b) {
                raise(13, s.line);
            }
            if (b.value) {
                return s.singleLine ? execLine(body, frame) : execBlock(body, frame);
            }
        }
        return s.singleLine ? execLine(s.body, frame) : execBlock(s.body, frame);
    case StmtKind::Select: {
        const Value subject = eval(*s.value, frame);
        const bool text = frame.module && frame.module->compareText;
        for (const CaseClause& clause : s.cases) {
            bool match = clause.tests.empty();
            for (const CaseTest& t : clause.tests) {
                if (t.kind == CaseTest::Value) {
                    match = binaryOp(BinOp::Eq, subject, eval(*t.a, frame), false, text)
                                .v.toBool()
                                .value;
                } else if (t.kind == CaseTest::Range) {
                    match = binaryOp(BinOp::Ge, subject, eval(*t.a, frame), false, text)
                                .v.toBool()
                                .value &&
                            binaryOp(BinOp::Le, subject, eval(*t.b, frame), false, text)
                                .v.toBool()
                                .value;
                } else {
                    match =
                        binaryOp(t.op, subject, eval(*t.a, frame), false, text).v.toBool().value;
                }
                if (match) {
                    break;
                }
            }
            if (match) {
                return execBlock(clause.body, frame);
            }
        }
        return Flow::Normal;
    }
    case StmtKind::For: {
        Cell* counter = cellOf(*s.target, frame);
        if (!counter) {
            raise(92, s.line);
        }
        const Value start = eval(*s.value, frame);
        const Value end = eval(*s.end, frame);
        const Value step = s.step ? eval(*s.step, frame) : Value(Variant(int16_t{1}));
        const auto stepValue = step.v.toR8();
        if (!stepValue || !end.v.toR8()) {
            raise(13, s.line);
        }
        assign(*s.target, start, frame, false);
        const bool down = stepValue.value < 0;
        while (true) {
            const Value current = counter->value;
            const bool done = down ? binaryOp(BinOp::Lt, current, end).v.toBool().value
                                   : binaryOp(BinOp::Gt, current, end).v.toBool().value;
            if (done) {
                break;
            }
            const Flow f = execBlock(s.body, frame);
            if (f == Flow::ExitFor) {
                break;
            }
            if (f != Flow::Normal) {
                return f;
            }
            assign(*s.target, binaryOp(BinOp::Add, counter->value, step, s.target->typed), frame,
                   false);
            // A loop whose body runs no statement (an empty one, or one that never gets
            // anywhere: Step 0, a step too small to change a large counter) still answers
            // a stop request and the host's hook.
            checkControl();
        }
        return Flow::Normal;
    }
    case StmtKind::ForEach: {
        const Value group = eval(*s.value, frame);
        if (!group.isArray()) {
            const auto object = group.v.toDispatch();
            if (group.v.type() == VarType::Dispatch && object.value &&
                isCollection(object.value.get())) {
                // The items as they were when the loop began.
                for (const Variant& item : collectionItems(object.value.get())) {
                    assign(*s.target, Value(item), frame, item.type() == VarType::Dispatch);
                    const Flow f = execBlock(s.body, frame);
                    if (f == Flow::ExitFor) {
                        break;
                    }
                    if (f != Flow::Normal) {
                        return f;
                    }
                    checkControl();
                }
                return Flow::Normal;
            }
            raise(group.v.type() == VarType::Dispatch ? 438 : 13, s.line);
        }
        const auto arr = group.array;
        if (arr->extent.empty()) {
            // A dynamic array never dimensioned has no elements to go through, not even
            // none: the same error as any other use of it.
            raise(9, s.line);
        }
        for (size_t i = 0; i < arr->size(); ++i) {
            Value item = Value::loaded(arr->get(i));
            item.date = item.date || arr->elementType == BasicType::Date;
            assign(*s.target, std::move(item), frame, false);
            const Flow f = execBlock(s.body, frame);
            if (f == Flow::ExitFor) {
                break;
            }
            if (f != Flow::Normal) {
                return f;
            }
            checkControl();
        }
        return Flow::Normal;
    }
    case StmtKind::Do:
        while (true) {
            if (s.condition && s.conditionAtTop) {
                const Value cv = eval(*s.condition, frame);
                // Null is neither True nor False: While and Until both stop on it.
                if (cv.v.isNull()) {
                    break;
                }
                const auto c = cv.v.toBool();
                if (!c) {
                    raise(13, s.line);
                }
                if (c.value == s.until) {
                    break;
                }
            }
            const Flow f = execBlock(s.body, frame);
            if (f == Flow::ExitDo) {
                break;
            }
            if (f != Flow::Normal) {
                return f;
            }
            if (s.condition && !s.conditionAtTop) {
                const Value cv = eval(*s.condition, frame);
                // Null is neither True nor False: While and Until both stop on it.
                if (cv.v.isNull()) {
                    break;
                }
                const auto c = cv.v.toBool();
                if (!c) {
                    raise(13, s.line);
                }
                if (c.value == s.until) {
                    break;
                }
            }
            checkControl();
        }
        return Flow::Normal;
    case StmtKind::Exit:
        switch (s.exitKind) {
        case ExitKind::For:
            return Flow::ExitFor;
        case ExitKind::Do:
            return Flow::ExitDo;
        default:
            return Flow::ExitProc;
        }
    case StmtKind::OnError:
        frame.onError = s.mode;
        frame.handlerLabel = s.label;
        m_err = ScriptError{};
        if (s.mode != 2) {
            frame.inHandler = false;
        }
        return Flow::Normal;
    case StmtKind::Resume:
        if (!frame.inHandler) {
            raise(20, s.line);
        }
        frame.inHandler = false;
        m_err = ScriptError{};
        if (s.mode == 0) {
            return Flow::Resume;
        }
        if (s.mode == 1) {
            return Flow::ResumeNext;
        }
        frame.gotoLabel = s.label;
        return Flow::ResumeAt;
    case StmtKind::GoTo:
        if (frame.proc) {
            labelPath(*frame.proc, s.label, s.line);
        }
        frame.gotoLabel = s.label;
        return Flow::GoTo;
    case StmtKind::GoSub: {
        if (frame.gosubDepth >= kMaxCallDepth) {
            raise(28, s.line);
        }
        ++frame.gosubDepth;
        struct Leave
        {
            int& depth;
            ~Leave() { --depth; }
        } leave{frame.gosubDepth};
        const Flow flow = runFromLabel(frame, s.label);
        return flow == Flow::Return ? Flow::Normal : flow;
    }
    case StmtKind::Return:
        if (frame.gosubDepth == 0) {
            raise(3, s.line);
        }
        return Flow::Return;
    case StmtKind::With: {
        frame.with.push_back(eval(*s.target, frame));
        struct Pop
        {
            std::vector<Value>& with;
            ~Pop() { with.pop_back(); }
        } pop{frame.with};
        return execBlock(s.body, frame);
    }
    case StmtKind::End:
        throw StopSignal{};
    default:
        break;
    }
    // Print and file statements.
    if (s.kind == StmtKind::Print && !s.channel) {
        // Numbers print with a blank or '-' before and a blank after; ',' moves to the
        // next 14-column zone; a trailing ';' or ',' keeps the line open.
        std::string& line = m_pendingPrint;
        for (size_t i = 0; i < s.printItems.size(); ++i) {
            if (s.printItems[i]) {
                const Value v = eval(*s.printItems[i], frame);
                if (v.isArray()) {
                    raise(13, s.line);
                }
                const VarType t = v.v.value().type();
                std::string text = t == VarType::Null ? "Null" : textOf(v);
                if (!v.date && (t == VarType::I2 || t == VarType::I4 || t == VarType::R4 ||
                                t == VarType::UI1 || t == VarType::Cy || t == VarType::Decimal ||
                                t == VarType::R8)) {
                    text = (text[0] == '-' ? "" : " ") + text + " ";
                }
                line += text;
            }
            if (i < s.separators.size() && s.separators[i] == ',') {
                line.append(14 - line.size() % 14, ' ');
            }
        }
        if (!s.separators.empty() && s.separators.back() != 0) {
            return Flow::Normal;
        }
        std::string out = std::move(line);
        line.clear();
        out.erase(out.find_last_not_of(' ') + 1);
        outside([&] { m_host.debugPrint(out); });
        return Flow::Normal;
    }
    execFileStatement(s, frame);
    return Flow::Normal;
}

// --- expressions ------------------------------------------------------------------

namespace {

// Keeps an integral result in the narrowest type the operands allow: an Integer result
// that overflows becomes a Long, a Long one a Double, unless a typed variable takes part
// (then it is an Overflow, as for the variable itself).
Variant integralResult(double r, int rank, bool typed)
{
    if (rank == 0 && r >= 0.0 && r <= 255.0) {
        return Variant::byte(static_cast<uint8_t>(r));
    }
    if (rank == 0 && typed) {
        throw ScriptError{6, "Overflow", 0};
    }
    // A Byte result outside its range widens to Integer, as an Integer one does to Long.
    if (rank <= 1 && r >= -32768.0 && r <= 32767.0) {
        return static_cast<int16_t>(r);
    }
    if (rank == 1 && typed) {
        throw ScriptError{6, "Overflow", 0};
    }
    if (r >= -2147483648.0 && r <= 2147483647.0) {
        return static_cast<int32_t>(r);
    }
    if (!typed) {
        return r;
    }
    throw ScriptError{6, "Overflow", 0};
}

// Decimal plus, minus, times or divided by; 6 on overflow, 11 dividing by zero.
Variant decimalResult(BinOp op, const Variant& a, const Variant& b)
{
    const auto x = a.toDecimal();
    const auto y = b.toDecimal();
    if (!x || !y) {
        const bool overflow =
            x.hr == automation::DISP_E_OVERFLOW || y.hr == automation::DISP_E_OVERFLOW;
        throw ScriptError{overflow ? 6 : 13, overflow ? "Overflow" : "Type mismatch", 0};
    }
    std::optional<automation::DecimalNumber> r;
    switch (op) {
    case BinOp::Add:
        r = automation::decimalAdd(x.value, y.value);
        break;
    case BinOp::Sub:
        r = automation::decimalSubtract(x.value, y.value);
        break;
    case BinOp::Mul:
        r = automation::decimalMultiply(x.value, y.value);
        break;
    default:
        if (automation::decimalIsZero(y.value)) {
            throw automation::decimalIsZero(x.value) ? ScriptError{6, "Overflow", 0}
                                                     : ScriptError{11, "Division by zero", 0};
        }
        r = automation::decimalDivide(x.value, y.value);
        break;
    }
    if (!r) {
        throw ScriptError{6, "Overflow", 0};
    }
    return Variant::decimal(*r);
}

// Currency plus, minus or times: exact in ten-thousandths, products rounded half to even;
// a result outside the range of Currency overflows (6).
Variant currencyResult(BinOp op, const Variant& a, const Variant& b)
{
    const auto x = a.toCy();
    const auto y = b.toCy();
    if (!x || !y) {
        const bool overflow =
            x.hr == automation::DISP_E_OVERFLOW || y.hr == automation::DISP_E_OVERFLOW;
        throw ScriptError{overflow ? 6 : 13, overflow ? "Overflow" : "Type mismatch", 0};
    }
    __int128 r = 0;
    if (op == BinOp::Add) {
        r = static_cast<__int128>(x.value) + y.value;
    } else if (op == BinOp::Sub) {
        r = static_cast<__int128>(x.value) - y.value;
    } else {
        const __int128 p = static_cast<__int128>(x.value) * y.value;
        r = p / 10000;
        const __int128 rest = p % 10000;
        const __int128 twice = 2 * (rest < 0 ? -rest : rest);
        if (twice > 10000 || (twice == 10000 && r % 2 != 0)) {
            r += p < 0 ? -1 : 1;
        }
    }
    if (r < std::numeric_limits<int64_t>::min() || r > std::numeric_limits<int64_t>::max()) {
        throw ScriptError{6, "Overflow", 0};
    }
    return Variant::currency(static_cast<int64_t>(r));
}

int compareStrings(const std::string& a, const std::string& b, bool textCompare)
{
    if (textCompare) {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const int x = std::tolower(static_cast<unsigned char>(a[i]));
            const int y = std::tolower(static_cast<unsigned char>(b[i]));
            if (x != y) {
                return x < y ? -1 : 1;
            }
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

Value Interpreter::nullOperation(BinOp op, const Value& av, const Value& bv)
{
    const Variant a = av.v.value();
    const Variant b = bv.v.value();
    const bool aNull = a.isNull();
    const bool bNull = b.isNull();
    const Variant& other = aNull ? b : a;
    switch (op) {
    case BinOp::Is:
        raise(424, 0);
    case BinOp::Concat:
        // & reads Null as no text; Null & Null stays Null.
        if (aNull && bNull) {
            return Value(Variant::null());
        }
        if (!other.toBstr()) {
            raise(13, 0);
        }
        return Value(Variant(textOf(aNull ? bv : av)));
    case BinOp::And:
    case BinOp::Or:
    case BinOp::Imp: {
        // The logical operators decide without the Null where the other operand decides.
        if (aNull && bNull) {
            return Value(Variant::null());
        }
        const auto o = other.toI4();
        if (!o) {
            raise(13, 0);
        }
        if (op == BinOp::And && o.value == 0) {
            return Value(other.type() == VarType::Bool ? Variant(false) : other);
        }
        if (op == BinOp::Or && o.value == -1) {
            return Value(other.type() == VarType::Bool ? Variant(true) : other);
        }
        if (op == BinOp::Imp && ((bNull && o.value == 0) || (aNull && o.value == -1))) {
            return Value(Variant(true));
        }
        return Value(Variant::null());
    }
    default:
        // Arithmetic and comparisons of Null give Null.
        if (!aNull && !other.toR8() && !other.toBstr()) {
            raise(13, 0);
        }
        return Value(Variant::null());
    }
}

Value Interpreter::binaryOp(BinOp op, const Value& av, const Value& bv, bool typed,
                            bool textCompare)
{
    if (av.isArray() || bv.isArray()) {
        raise(13, 0);
    }
    // The operands themselves; a reference is read once (copying a plain value for every
    // operation would cost the loops of scripts dearly).
    Variant aHeld;
    Variant bHeld;
    const Variant& a = av.v.isByRef() ? (aHeld = av.v.value()) : av.v;
    const Variant& b = bv.v.isByRef() ? (bHeld = bv.v.value()) : bv.v;
    const VarType ta = a.type();
    const VarType tb = b.type();
    if (ta == VarType::Null || tb == VarType::Null) [[unlikely]] {
        return nullOperation(op, av, bv);
    }

    if (op == BinOp::Is) {
        const auto x = a.toDispatch();
        const auto y = b.toDispatch();
        if (!x || !y) {
            raise(424, 0);
        }
        return Value(Variant(x.value.get() == y.value.get()));
    }
    if (op == BinOp::Like) {
        if (!a.toBstr() || !b.toBstr()) {
            raise(13, 0);
        }
        return Value(Variant(likeMatch(textOf(av), textOf(bv), textCompare)));
    }
    if (op == BinOp::Concat) {
        if (!a.toBstr() || !b.toBstr()) {
            raise(13, 0);
        }
        return Value(Variant(textOf(av) + textOf(bv)));
    }
    if (av.date || bv.date) {
        // A date plus or minus days is a date; the difference of two dates is days. Text
        // compared with a date is read as a date.
        if (op == BinOp::Add || op == BinOp::Sub) {
            const double x = toDate(av, 0);
            const double y = av.date && bv.date ? toDate(bv, 0) : Variant(b).toR8().value;
            if (!bv.date && !b.toR8()) {
                raise(13, 0);
            }
            const double r = op == BinOp::Add ? x + y : x - y;
            if (op == BinOp::Sub && av.date && bv.date) {
                return Value(Variant(r));
            }
            return Value::ofDate(toDate(Value(Variant(r)), 0));
        }
        if (op >= BinOp::Eq && op <= BinOp::Ge && (ta == VarType::Bstr || tb == VarType::Bstr)) {
            return binaryOp(op, Value(Variant(toDate(av, 0))), Value(Variant(toDate(bv, 0))), typed,
                            textCompare);
        }
    }
    const bool aString = ta == VarType::Bstr;
    const bool bString = tb == VarType::Bstr;
    if (op == BinOp::Add && aString && bString) {
        return Value(Variant(a.toBstr().value + b.toBstr().value));
    }
    if (op >= BinOp::Eq && op <= BinOp::Ge) {
        int c = 0;
        if ((aString && bString) || (aString && tb == VarType::Empty) ||
            (bString && ta == VarType::Empty)) {
            c = compareStrings(a.toBstr().value, b.toBstr().value, textCompare);
        } else if (ta == VarType::Decimal || tb == VarType::Decimal) {
            const auto x = a.toDecimal();
            const auto y = b.toDecimal();
            if (!x || !y) {
                raise(13, 0);
            }
            c = automation::decimalCompare(x.value, y.value);
        } else if (ta == VarType::Cy && tb == VarType::Cy) {
            const int64_t x = a.toCy().value;
            const int64_t y = b.toCy().value;
            c = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            const auto x = a.toR8();
            const auto y = b.toR8();
            if (!x || !y) {
                raise(13, 0);
            }
            c = x.value < y.value ? -1 : (x.value > y.value ? 1 : 0);
            if (std::isnan(x.value) || std::isnan(y.value)) {
                c = 2;
            }
        }
        bool r = false;
        switch (op) {
        case BinOp::Eq:
            r = c == 0;
            break;
        case BinOp::Ne:
            r = c != 0;
            break;
        case BinOp::Lt:
            r = c == -1;
            break;
        case BinOp::Gt:
            r = c == 1;
            break;
        case BinOp::Le:
            r = c == -1 || c == 0;
            break;
        default:
            r = c == 1 || c == 0;
            break;
        }
        return Value(Variant(r));
    }
    if (op == BinOp::And || op == BinOp::Or || op == BinOp::Xor || op == BinOp::Eqv ||
        op == BinOp::Imp) {
        if (ta == VarType::Bool && tb == VarType::Bool) {
            const bool x = a.toBool().value;
            const bool y = b.toBool().value;
            bool r = false;
            switch (op) {
            case BinOp::And:
                r = x && y;
                break;
            case BinOp::Or:
                r = x || y;
                break;
            case BinOp::Xor:
                r = x != y;
                break;
            case BinOp::Eqv:
                r = x == y;
                break;
            default:
                r = !x || y;
                break;
            }
            return Value(Variant(r));
        }
        const auto x = a.toI4();
        const auto y = b.toI4();
        if (!x || !y) {
            raise(x.hr == automation::DISP_E_OVERFLOW || y.hr == automation::DISP_E_OVERFLOW ? 6
                                                                                             : 13,
                  0);
        }
        int32_t r = 0;
        switch (op) {
        case BinOp::And:
            r = x.value & y.value;
            break;
        case BinOp::Or:
            r = x.value | y.value;
            break;
        case BinOp::Xor:
            r = x.value ^ y.value;
            break;
        case BinOp::Eqv:
            r = ~(x.value ^ y.value);
            break;
        default:
            r = ~x.value | y.value;
            break;
        }
        const int rank = std::max(rankOf(ta), rankOf(tb));
        if (rank == 0) {
            return Value(Variant::byte(static_cast<uint8_t>(r)));
        }
        return Value(rank == 1 ? Variant(static_cast<int16_t>(r)) : Variant(r));
    }

    // Arithmetic.
    const auto x = a.toR8();
    const auto y = b.toR8();
    if (!x || !y) {
        raise(x.hr == automation::DISP_E_OVERFLOW || y.hr == automation::DISP_E_OVERFLOW ? 6 : 13,
              0);
    }
    // Text takes part in arithmetic as a Double.
    const int rank = std::max(aString ? 4 : rankOf(ta), bString ? 4 : rankOf(tb));
    if (rank == 5 && (op == BinOp::Add || op == BinOp::Sub || op == BinOp::Mul)) [[unlikely]] {
        return Value(currencyResult(op, a, b));
    }
    if (rank == 6 && (op == BinOp::Add || op == BinOp::Sub || op == BinOp::Mul || op == BinOp::Div))
        [[unlikely]] {
        return Value(decimalResult(op, a, b));
    }
    switch (op) {
    case BinOp::Add:
    case BinOp::Sub:
    case BinOp::Mul: {
        const double r = op == BinOp::Add   ? x.value + y.value
                         : op == BinOp::Sub ? x.value - y.value
                                            : x.value * y.value;
        if (rank <= 2) {
            return Value(integralResult(r, rank, typed));
        }
        if (rank == 3) {
            if (std::isfinite(r) && std::fabs(r) > std::numeric_limits<float>::max()) {
                raise(6, 0);
            }
            return Value(Variant(static_cast<float>(r)));
        }
        if (!std::isfinite(r) && std::isfinite(x.value) && std::isfinite(y.value)) {
            raise(6, 0);
        }
        return Value(Variant(r));
    }
    case BinOp::Div: {
        if (y.value == 0) {
            raise(x.value == 0 ? 6 : 11, 0);
        }
        return Value(Variant(x.value / y.value));
    }
    case BinOp::IntDiv:
    case BinOp::Mod: {
        // Both operands are rounded to integers first; the result takes the sign of the
        // dividend.
        const auto xi = Variant(x.value).toI4();
        const auto yi = Variant(y.value).toI4();
        if (!xi || !yi) {
            raise(6, 0);
        }
        if (yi.value == 0) {
            raise(11, 0);
        }
        const int64_t r = op == BinOp::IntDiv ? static_cast<int64_t>(xi.value) / yi.value
                                              : static_cast<int64_t>(xi.value) % yi.value;
        return Value(integralResult(static_cast<double>(r), rank <= 1 ? rank : 2, true));
    }
    case BinOp::Pow: {
        const double r = std::pow(x.value, y.value);
        if (std::isnan(r) && !std::isnan(x.value) && !std::isnan(y.value)) {
            raise(5, 0);
        }
        if (std::isinf(r) && std::isfinite(x.value) && std::isfinite(y.value)) {
            raise(x.value == 0 ? 5 : 6, 0);
        }
        return Value(Variant(r));
    }
    default:
        raise(13, 0);
    }
}

Value Interpreter::eval(const Expr& e, Frame& frame)
{
    switch (e.kind) {
    case ExprKind::Literal: {
        Value literal(e.literal);
        literal.date = e.date;
        return literal;
    }
    case ExprKind::Name:
        return evalName(e, frame);
    case ExprKind::Member:
        return evalMember(e, frame);
    case ExprKind::Call:
        return evalCall(e, frame);
    case ExprKind::Paren:
        return eval(*e.object, frame);
    case ExprKind::Unary: {
        const Value v = eval(*e.object, frame);
        if (v.isArray()) {
            raise(13, e.line);
        }
        const Variant x = v.v.value();
        if (x.isNull()) {
            return Value(x);
        }
        if (e.negate) {
            switch (x.type()) {
            case VarType::Empty:
                return Value(Variant(int16_t{0}));
            case VarType::I2: {
                const int16_t n = x.toI2().value;
                if (n == std::numeric_limits<int16_t>::min()) {
                    return Value(Variant(32768));
                }
                return Value(Variant(static_cast<int16_t>(-n)));
            }
            case VarType::Bool:
                return Value(Variant(static_cast<int16_t>(x.toBool().value ? 1 : 0)));
            case VarType::I4: {
                const int32_t n = x.toI4().value;
                if (n == std::numeric_limits<int32_t>::min()) {
                    if (e.object->typed) {
                        raise(6, e.line);
                    }
                    return Value(Variant(-static_cast<double>(n)));
                }
                return Value(Variant(-n));
            }
            case VarType::R4:
                return Value(Variant(-x.toR4().value));
            case VarType::UI1:
                return Value(Variant(static_cast<int16_t>(-x.toI2().value)));
            case VarType::Decimal: {
                auto d = x.toDecimal().value;
                d.negative = !d.negative && !automation::decimalIsZero(d);
                return Value(Variant::decimal(d));
            }
            case VarType::Cy: {
                const int64_t n = x.toCy().value;
                if (n == std::numeric_limits<int64_t>::min()) {
                    raise(6, e.line);
                }
                return Value(Variant::currency(-n));
            }
            default: {
                const auto d = x.toR8();
                if (!d) {
                    raise(13, e.line);
                }
                return Value(Variant(-d.value));
            }
            }
        }
        if (x.type() == VarType::Bool) {
            return Value(Variant(!x.toBool().value));
        }
        const auto n = x.toI4();
        if (!n) {
            raise(n.hr == automation::DISP_E_OVERFLOW ? 6 : 13, e.line);
        }
        if (x.type() == VarType::I2 || x.type() == VarType::Empty) {
            return Value(Variant(static_cast<int16_t>(~n.value)));
        }
        if (x.type() == VarType::UI1) {
            return Value(Variant::byte(static_cast<uint8_t>(~n.value)));
        }
        return Value(Variant(~n.value));
    }
    case ExprKind::Binary: {
        // And/Or evaluate both sides, as the dialect does.
        const Value a = eval(*e.left, frame);
        const Value b = eval(*e.right, frame);
        try {
            return binaryOp(e.op, a, b, e.left->typed || e.right->typed,
                            frame.module && frame.module->compareText);
        } catch (ScriptError& err) {
            if (err.line == 0) {
                err.line = e.line;
            }
            throw;
        }
    }
    case ExprKind::New:
        return Value(Variant(newObject(e.name, e.line)));
    case ExprKind::Missing:
        return Value(Variant::missing());
    case ExprKind::Me:
        if (!frame.self) {
            raise(424, e.line);
        }
        return Value(Variant(frame.self->dispatch()));
    }
    return Value();
}

Value Interpreter::evalName(const Expr& e, Frame& frame)
{
    switch (e.ref) {
    case NameRef::Local:
    case NameRef::Module: {
        Cell* c = cellOf(e, frame);
        if (!c) {
            raise(35, e.line);
        }
        return c->value;
    }
    case NameRef::Constant:
        return Value(e.literal);
    default:
        break;
    }
    // A procedure without arguments, a built-in, an added object or an extension member.
    Value result;
    if (callScriptProcedure(e.lower, {}, frame, result, e.line) ||
        callBuiltin(e.lower, {}, frame, result, e.line)) {
        return result;
    }
    if (DispatchPtr obj = m_host.namedObject(e.lower)) {
        return Value(Variant(obj));
    }
    if (const DispatchPtr ext = extensionWith(e.lower)) {
        return invokeObject(ext, e.name,
                            automation::DISPATCH_METHOD | automation::DISPATCH_PROPERTYGET, {},
                            frame, nullptr, e.line);
    }
    raise(35, e.line);
}

DispatchPtr Interpreter::memberObject(const Expr& member, Frame& frame, int line)
{
    Value object;
    if (member.object) {
        object = eval(*member.object, frame);
    } else if (!frame.with.empty()) {
        object = frame.with.back();
    } else {
        raise(91, line);
    }
    const auto d = object.v.value().toDispatch();
    if (!d) {
        raise(424, line);
    }
    if (!d.value) {
        raise(91, line);
    }
    return d.value;
}

size_t Interpreter::elementOffset(const Array& arr, const std::vector<ExprPtr>& indices,
                                  Frame& frame, int line, int badIndex)
{
    // An array never dimensioned has no bounds at all (and no storage): no index list,
    // not even an empty one, names an element of it.
    if (arr.extent.empty() || indices.size() != arr.extent.size()) {
        raise(9, line);
    }
    // Storage runs along the last dimension.
    size_t offset = 0;
    size_t stride = 1;
    for (size_t d = arr.extent.size(); d-- > 0;) {
        const auto idx = eval(*indices[d], frame).v.toI4();
        if (!idx) {
            raise(badIndex != 0 ? badIndex : (idx.hr == automation::DISP_E_OVERFLOW ? 6 : 13),
                  line);
        }
        if (idx.value < arr.lower[d] ||
            static_cast<int64_t>(idx.value) >= static_cast<int64_t>(arr.lower[d]) + arr.extent[d]) {
            raise(9, line);
        }
        offset += static_cast<size_t>(idx.value - arr.lower[d]) * stride;
        stride *= static_cast<size_t>(arr.extent[d]);
    }
    return offset;
}

bool Interpreter::callScriptProcedure(const std::string& lower,
                                      const std::vector<const Expr*>& args, Frame& frame,
                                      Value& result, int line)
{
    if (frame.module) {
        for (auto& p : frame.module->procedures) {
            if (p->lower == lower) {
                if (m_linking) {
                    raise(1002, line, "Constant expression required");
                }
                result = callProcedure(*frame.module, *p, args, &frame, nullptr, frame.self);
                return true;
            }
        }
    }
    if (frame.module != m_main.get() && m_main) {
        for (auto& p : m_main->procedures) {
            if (p->lower == lower) {
                if (m_linking) {
                    raise(1002, line, "Constant expression required");
                }
                result = callProcedure(*m_main, *p, args, &frame, nullptr);
                return true;
            }
        }
    }
    return false;
}

DispatchPtr Interpreter::extensionWith(const std::string& lower)
{
    for (const DispatchPtr& ext : m_host.extensions()) {
        automation::DISPID id = 0;
        if (ext && SUCCEEDED(ext->GetIDsOfNames(lower, id))) {
            return ext;
        }
    }
    return {};
}

void Interpreter::redimField(const DimItem& item, const Stmt& s, Frame& frame)
{
    const Value holder = eval(*item.object, frame);
    const auto d = holder.isArray() ? automation::Coerced<DispatchPtr>{} : holder.v.toDispatch();
    if (!d.value) {
        raise(holder.isArray() || holder.v.type() == VarType::Dispatch ? 91 : 424, s.line);
    }
    std::shared_ptr<Array>* slot = recordArray(d.value.get(), item.name);
    if (!slot) {
        raise(13, s.line);
    }
    if ((*slot)->fixed) {
        raise(10, s.line);
    }
    Cell cell;
    cell.value.array = *slot;
    dimension(item, cell, frame, s.preserve, (*slot)->elementType);
    *slot = std::move(cell.value.array);
}

Value Interpreter::evalMember(const Expr& e, Frame& frame)
{
    if (e.object && e.object->kind == ExprKind::Name && e.object->ref == NameRef::Other &&
        e.object->lower == "err") {
        if (e.lower == "number") {
            return Value(Variant(static_cast<int32_t>(m_err.number)));
        }
        if (e.lower == "description") {
            return Value(Variant(m_err.description));
        }
        if (e.lower == "source") {
            return Value(
                Variant(m_err.source.empty() && m_err.number != 0 ? moduleName() : m_err.source));
        }
        if (e.lower == "clear") {
            m_err = ScriptError{};
            return Value();
        }
        raise(438, e.line);
    }
    const DispatchPtr object = memberObject(e, frame, e.line);
    if (std::shared_ptr<Array>* field = recordArray(object.get(), e.name)) {
        Value whole;
        whole.array = *field;
        return whole;
    }
    return invokeObject(object, e.name,
                        automation::DISPATCH_METHOD | automation::DISPATCH_PROPERTYGET, {}, frame,
                        nullptr, e.line);
}

Value Interpreter::evalCall(const Expr& e, Frame& frame)
{
    std::vector<const Expr*> args;
    args.reserve(e.args.size());
    for (const auto& a : e.args) {
        args.push_back(a.get());
    }
    const Expr& callee = *e.callee;
    if (callee.kind == ExprKind::Name) {
        if (callee.ref == NameRef::Local || callee.ref == NameRef::Module) {
            Cell* c = cellOf(callee, frame);
            if (c && !c->value.isArray() && c->value.v.type() == VarType::Dispatch) {
                // An object's default member ("items(2)", "items(\"key\")").
                const auto object = c->value.v.toDispatch();
                if (!object.value) {
                    raise(91, e.line);
                }
                return invokeObject(object.value, "",
                                    automation::DISPATCH_METHOD | automation::DISPATCH_PROPERTYGET,
                                    args, frame, nullptr, e.line);
            }
            if (!c || !c->value.isArray()) {
                raise(13, e.line);
            }
            // Held while the indices run: one of them may call code that ReDims or Erases
            // the variable.
            const std::shared_ptr<const Array> held = c->value.array;
            const Array& arr = *held;
            Value element = Value::loaded(arr.get(elementOffset(arr, e.args, frame, e.line, 0)));
            element.date = element.date || arr.elementType == BasicType::Date;
            return element;
        }
        Value result;
        if (callScriptProcedure(callee.lower, args, frame, result, e.line) ||
            callBuiltin(callee.lower, args, frame, result, e.line)) {
            return result;
        }
        if (const DispatchPtr ext = extensionWith(callee.lower)) {
            return invokeObject(ext, callee.name,
                                automation::DISPATCH_METHOD | automation::DISPATCH_PROPERTYGET,
                                args, frame, nullptr, e.line);
        }
        raise(35, e.line);
    }
    if (callee.kind == ExprKind::Member) {
        if (callee.object && callee.object->kind == ExprKind::Name &&
            callee.object->ref == NameRef::Other && callee.object->lower == "err") {
            if (callee.lower == "raise") {
                if (args.empty()) {
                    raise(449, e.line);
                }
                // The number is a Long: one that is none gives the errors of passing it as
                // one (13, or 6 beyond its range); 0, which reads as "no error" to the
                // script and to its caller, is an invalid argument (5).
                const Value given = eval(*args[0], frame);
                if (given.v.isNull()) {
                    raise(94, e.line);
                }
                if (given.isArray()) {
                    raise(13, e.line);
                }
                const auto converted = given.v.toI4();
                if (!converted) {
                    raise(converted.hr == automation::DISP_E_OVERFLOW ? 6 : 13, e.line);
                }
                const int number = converted.value;
                if (number == 0) {
                    raise(5, e.line);
                }
                std::string description;
                if (args.size() > 2 && args[2]->kind != ExprKind::Missing) {
                    description = eval(*args[2], frame).v.toBstr().value;
                }
                ScriptError raised{number, description.empty() ? errorText(number) : description,
                                   e.line};
                if (args.size() > 1 && args[1]->kind != ExprKind::Missing) {
                    raised.source = eval(*args[1], frame).v.toBstr().value;
                }
                throw raised;
            }
            if (callee.lower == "clear") {
                m_err = ScriptError{};
                return Value();
            }
            raise(438, e.line);
        }
        const DispatchPtr object = memberObject(callee, frame, e.line);
        if (std::shared_ptr<Array>* field = recordArray(object.get(), callee.name)) {
            // An element of a record's array field, held while the indices run.
            const std::shared_ptr<const Array> held = *field;
            const Array& arr = *held;
            Value element = Value::loaded(arr.get(elementOffset(arr, e.args, frame, e.line, 0)));
            element.date = element.date || arr.elementType == BasicType::Date;
            return element;
        }
        return invokeObject(object, callee.name,
                            automation::DISPATCH_METHOD | automation::DISPATCH_PROPERTYGET, args,
                            frame, nullptr, e.line);
    }
    if (callee.kind == ExprKind::Call) {
        // The default member of an object a call answers ("items(\"key\")(1)").
        const Value object = eval(callee, frame);
        const auto d =
            object.isArray() ? automation::Coerced<DispatchPtr>{} : object.v.value().toDispatch();
        if (!object.isArray() && object.v.value().type() == VarType::Dispatch) {
            if (!d.value) {
                raise(91, e.line);
            }
            return invokeObject(d.value, "",
                                automation::DISPATCH_METHOD | automation::DISPATCH_PROPERTYGET,
                                args, frame, nullptr, e.line);
        }
    }
    raise(13, e.line);
}

std::vector<std::string> Interpreter::memberParameters(const DispatchPtr& object,
                                                       automation::DISPID id,
                                                       const std::string& name)
{
    std::vector<std::string> names;
    for (const auto& weak : m_objects) {
        const auto state = weak.lock();
        if (!state || state->object != object.get()) {
            continue;
        }
        // An instance of a class module: its procedure's parameters.
        for (const auto& p : state->module->procedures) {
            if (automation::namesEqual(p->name, name)) {
                for (const Param& param : p->params) {
                    names.push_back(param.lower);
                }
                return names;
            }
        }
        return names;
    }
    if (isCollection(object.get())) {
        return collectionParameters(name);
    }
    if (auto* automationObject = dynamic_cast<automation::AutomationObject*>(object.get())) {
        if (const auto* member = automationObject->GetDispatchMap().member(id)) {
            for (const auto& param : member->params) {
                std::string lower = param.name;
                std::transform(lower.begin(), lower.end(), lower.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                names.push_back(lower);
            }
        }
    }
    return names;
}

Value Interpreter::invokeObject(const DispatchPtr& object, const std::string& name, uint16_t flags,
                                const std::vector<const Expr*>& givenArgs, Frame& frame,
                                const Value* putValue, int line)
{
    automation::DISPID id = 0;
    if (FAILED(object->GetIDsOfNames(name, id))) {
        raise(438, line);
    }
    // Named arguments by the member's parameter names in the type library.
    std::vector<const Expr*> placed;
    const bool named = anyNamed(givenArgs);
    if (named) {
        placed = placeNamed(givenArgs, memberParameters(object, id, name), line);
    }
    const std::vector<const Expr*>& args = named ? placed : givenArgs;
    // Variables go by reference (the member may fill them); an element of an array goes
    // as a reference to it and the elements after it.
    std::vector<Variant> values;
    std::vector<Cell*> retype;
    // The arrays whose storage the references point into, held until the member returns:
    // an index of a later argument, or the member itself, may ReDim or Erase the variable.
    std::vector<std::shared_ptr<Array>> held;
    values.reserve(args.size() + 1);
    for (const Expr* a : args) {
        if (a->kind == ExprKind::Missing) {
            values.push_back(Variant::missing());
            continue;
        }
        if (a->kind == ExprKind::Name && (a->ref == NameRef::Local || a->ref == NameRef::Module)) {
            Cell* c = cellOf(*a, frame);
            if (c && !c->value.isArray()) {
                values.push_back(Variant::byRef(&c->value.v));
                retype.push_back(c);
                continue;
            }
            if (c && c->value.isArray()) {
                // A whole array goes as a reference to its first element.
                held.push_back(c->value.array);
                values.push_back(held.back()->refAt(0));
                continue;
            }
        }
        if (a->kind == ExprKind::Call && a->callee->kind == ExprKind::Name &&
            (a->callee->ref == NameRef::Local || a->callee->ref == NameRef::Module)) {
            Cell* c = cellOf(*a->callee, frame);
            if (c && c->value.isArray()) {
                held.push_back(c->value.array);
                Array& arr = *held.back();
                values.push_back(arr.refAt(elementOffset(arr, a->args, frame, line, 9)));
                continue;
            }
        }
        const Value v = eval(*a, frame);
        if (v.isArray()) {
            held.push_back(v.array);
            values.push_back(v.array->refAt(0));
        } else {
            values.push_back(v.v);
        }
    }
    if (putValue) {
        values.push_back(putValue->v);
    }
    Variant result;
    automation::DispatchError error;
    HRESULT hr = automation::S_OK;
    const auto invoke = [&] {
        hr = object->Invoke(id, flags, values, putValue ? nullptr : &result, &error);
    };
    // Members of other objects run on the thread's own stack; the engine's own class
    // instances stay on the script stack.
    if (isScriptObject(object.get()) || isRecord(object.get())) {
        invoke();
    } else {
        outside(invoke);
    }
    // Variables keep their declared types after a member filled them.
    for (Cell* c : retype) {
        if (c->type != BasicType::Variant) {
            auto conv = c->value.v.changeType(varTypeOf(c->type));
            if (conv) {
                c->value.v = std::move(conv.value);
            }
        }
    }
    if (FAILED(hr)) {
        raise(errorOfResult(hr), line,
              error.description.empty() ? std::string() : error.description);
    }
    return Value(std::move(result));
}

void Interpreter::assign(const Expr& target, Value value, Frame& frame, bool isSet)
{
    if (!value.isArray()) {
        value.v = value.v.value();
        if (isSet && value.v.type() != VarType::Dispatch) {
            raise(424, target.line);
        }
        if (!isSet && value.v.type() == VarType::Dispatch) {
            // A record is a value: Let takes a copy. Let of another object is its default
            // value, which our objects do not have.
            const auto d = value.v.toDispatch();
            if (!d.value || !isRecord(d.value.get())) {
                raise(450, target.line);
            }
            value.v = Variant(copyRecord(d.value.get()));
        }
    }
    switch (target.kind) {
    case ExprKind::Name: {
        if (target.ref == NameRef::Local || target.ref == NameRef::Module) {
            Cell* c = cellOf(target, frame);
            if (!c) {
                raise(35, target.line);
            }
            if (value.isArray()) {
                if (c->type != BasicType::Variant) {
                    // A dynamic array of a type takes the elements converted to its type
                    // ("Dim parts() As String: parts = Split(s, ",")").
                    if (!c->value.isArray() || c->value.array->fixed) {
                        raise(13, target.line);
                    }
                    const Array& from = *value.array;
                    auto converted = Array::make(c->value.array->elementType);
                    converted->lower = from.lower;
                    converted->extent = from.extent;
                    converted->resize(from.size());
                    for (size_t i = 0; i < from.size(); ++i) {
                        if (FAILED(converted->set(i, from.get(i)))) {
                            raise(13, target.line);
                        }
                    }
                    c->value.array = std::move(converted);
                    return;
                }
                auto copy = std::make_shared<Array>(*value.array);
                copy->fixed = false;
                c->value = Value();
                c->value.array = std::move(copy);
                return;
            }
            if (c->value.isArray() && c->value.array->fixed) {
                raise(13, target.line);
            }
            if (c->type == BasicType::Variant) {
                c->value = std::move(value);
                return;
            }
            if (c->type == BasicType::String && value.v.toBstr()) {
                c->value = Value(Variant(textOf(value)));
                return;
            }
            if (c->type == BasicType::Date) {
                c->value = Value::ofDate(toDate(value, target.line));
                return;
            }
            auto conv = value.v.changeType(varTypeOf(c->type));
            if (!conv) {
                raise(value.v.isNull()                         ? 94
                      : conv.hr == automation::DISP_E_OVERFLOW ? 6
                                                               : 13,
                      target.line);
            }
            c->value = Value(std::move(conv.value));
            return;
        }
        // An extension property.
        if (const DispatchPtr ext = extensionWith(target.lower)) {
            invokeObject(ext, target.name, automation::DISPATCH_PROPERTYPUT, {}, frame, &value,
                         target.line);
            return;
        }
        raise(450, target.line);
    }
    case ExprKind::Member: {
        const DispatchPtr object = memberObject(target, frame, target.line);
        if (std::shared_ptr<Array>* field = recordArray(object.get(), target.name)) {
            // A whole array into a dynamic array field, converted to its element type.
            if (!value.isArray() || (*field)->fixed) {
                raise(13, target.line);
            }
            const Array& from = *value.array;
            auto converted = Array::make((*field)->elementType);
            converted->lower = from.lower;
            converted->extent = from.extent;
            converted->resize(from.size());
            for (size_t i = 0; i < from.size(); ++i) {
                if (FAILED(converted->set(i, from.get(i)))) {
                    raise(13, target.line);
                }
            }
            *field = std::move(converted);
            return;
        }
        invokeObject(object, target.name, automation::DISPATCH_PROPERTYPUT, {}, frame, &value,
                     target.line);
        return;
    }
    case ExprKind::Call: {
        const Expr& callee = *target.callee;
        std::vector<const Expr*> args;
        for (const auto& a : target.args) {
            args.push_back(a.get());
        }
        std::shared_ptr<Array> fieldArray;
        DispatchPtr object;
        if (callee.kind == ExprKind::Member) {
            object = memberObject(callee, frame, target.line);
            if (std::shared_ptr<Array>* field = recordArray(object.get(), callee.name)) {
                fieldArray = *field;
            }
        }
        if (fieldArray || (callee.kind == ExprKind::Name &&
                           (callee.ref == NameRef::Local || callee.ref == NameRef::Module))) {
            Cell* c = fieldArray ? nullptr : cellOf(callee, frame);
            if (!fieldArray && (!c || !c->value.isArray())) {
                raise(13, target.line);
            }
            // Held while the indices and the conversion run: either may call code that
            // ReDims or Erases the variable.
            const std::shared_ptr<Array> held = fieldArray ? fieldArray : c->value.array;
            Array& arr = *held;
            const size_t offset = elementOffset(arr, target.args, frame, target.line, 13);
            if (value.isArray()) {
                raise(13, target.line);
            }
            if (arr.elementType == BasicType::Date) {
                value = Value::ofDate(toDate(value, target.line));
            } else if (value.date && arr.elementType == BasicType::String) {
                value = Value(Variant(textOf(value)));
            }
            const HRESULT hr =
                arr.set(offset, arr.elementType == BasicType::Variant ? value.stored() : value.v);
            if (FAILED(hr)) {
                raise(hr == automation::DISP_E_OVERFLOW ? 6 : 13, target.line);
            }
            return;
        }
        if (callee.kind == ExprKind::Member) {
            invokeObject(object, callee.name, automation::DISPATCH_PROPERTYPUT, args, frame, &value,
                         target.line);
            return;
        }
        raise(450, target.line);
    }
    default:
        raise(450, target.line);
    }
}

DispatchPtr Interpreter::newObject(const std::string& className, int line)
{
    std::string lower = className;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto it = m_classes.find(lower);
    if (it == m_classes.end()) {
        if (lower == "collection") {
            return makeCollection();
        }
        raise(429, line);
    }
    auto state = std::make_shared<ScriptObjectState>();
    state->interpreter = this;
    state->module = it->second->module;
    Module& module = *state->module;
    initModuleVariables(module, state->cells);
    DispatchPtr object = makeScriptObject(state);
    m_objects.push_back(state);
    for (auto& p : module.procedures) {
        if (p->lower == "class_initialize") {
            callProcedure(module, *p, {}, nullptr, nullptr, state);
        }
    }
    return object;
}

} // namespace platform::basic
