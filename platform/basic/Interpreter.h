#pragma once

#include "platform/automation/IDispatch.h"
#include "platform/automation/Variant.h"
#include "platform/basic/Ast.h"
#include "platform/basic/Value.h"

#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::basic {

struct ScriptObjectState;

// What the interpreter asks of the engine that runs it. GUI thread.
class InterpreterHost
{
public:
    // One line of Debug.Print output.
    virtual void debugPrint(const std::string& text) = 0;
    // DoEvents: the host lets its message loop run (scripts and events may re-enter).
    virtual void doEvents() = 0;
    // MsgBox: answers the button chosen.
    virtual int msgBox(const std::string& text, int buttons, const std::string& title) = 0;
    // InputBox: the text entered, or nothing when the question was cancelled (a host that
    // cannot ask anybody answers nothing).
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText)
    {
        (void)prompt;
        (void)title;
        (void)defaultText;
        return std::nullopt;
    }
    // An object added under a name ("EventGenerator"), found without regard to case.
    virtual automation::DispatchPtr namedObject(const std::string& lowerName) = 0;
    // Objects whose members are global to scripts.
    virtual std::vector<automation::DispatchPtr> extensions() = 0;
    // Called every statementHookInterval() statements while a script runs without reaching
    // DoEvents, so the host can look for a stop request; it may call requestStop().
    virtual void statementHook() {}

protected:
    ~InterpreterHost() = default;
};

// A run-time error of a script: its number, text and line.
struct ScriptError
{
    ScriptError() = default;
    ScriptError(int number, std::string description, int line, std::string source = {})
        : number(number), description(std::move(description)), line(line), source(std::move(source))
    {}

    int number = 0;
    std::string description;
    int line = 0;
    std::string source; // given to Err.Raise; empty: the module
    int column = 0;     // of a syntax error, 1-based (0: unknown)
    int32_t erl = 0;    // the last line number passed before the error (Erl), 0: none
};

// The outcome of running script code.
enum class RunStatus
{
    Completed,
    Failed,  // an error no handler took; lastError() tells which
    Stopped, // a stop request or an End statement
    NotFound,
};

// Runs modules of the dialect. Re-entrant: a call may run while another waits in
// DoEvents or MsgBox. GUI thread only, except requestStop().
class Interpreter
{
public:
    explicit Interpreter(InterpreterHost& host);
    ~Interpreter();

    // Reads and links the main module, replacing the previous one, and initialises its
    // module-level variables. On a syntax error, or while code runs (error 1005), nothing
    // changes.
    bool load(const std::string& source, const std::string& moduleName, ScriptError& error);
    // Adds a class module (its name is the class's name for New).
    bool addClassModule(const std::string& source, const std::string& className,
                        ScriptError& error);
    bool isLoaded() const { return static_cast<bool>(m_main); }
    const std::string& moduleName() const;
    bool hasProcedure(const std::string& name) const;

    // Runs a procedure of the main module with the given arguments.
    RunStatus call(const std::string& name, std::vector<automation::Variant> args,
                   automation::Variant* result = nullptr);

    // Asks a running script to stop at its next statement (any thread).
    void requestStop() { m_stopRequested = true; }
    // Calls the host's statementHook() every `statements` statements run without DoEvents
    // (0: never).
    void setStatementHookInterval(uint32_t statements)
    {
        m_hookInterval = statements;
        m_untilHook = statements;
    }
    uint32_t statementHookInterval() const { return m_hookInterval; }
    void setPaused(bool paused) { m_paused = paused; }
    bool paused() const { return m_paused; }
    // Nesting depth of running script code (0: idle).
    int runDepth() const { return m_runDepth; }
    uint64_t statementsExecuted() const { return m_statements.load(std::memory_order_relaxed); }
    const ScriptError& lastError() const { return m_lastError; }

    // The most script procedures running inside each other before "Out of stack space"
    // (which also comes earlier when the thread's stack runs low).
    static constexpr int kMaxCallDepth = 20000;

    struct ClassModule;
    struct Frame;
    struct ScriptObjectImpl;

private:
    friend struct ScriptObjectImpl;
    enum class Flow
    {
        Normal,
        ExitFor,
        ExitDo,
        ExitProc,
        GoTo,
        ResumeAt,   // Resume label: leaves the handler, then jumps like GoTo
        Resume,     // run the statement that failed again
        ResumeNext, // go on after the statement that failed
        Return,     // end of a GoSub subroutine
    };

    // Parses and links a module; null with the error on a syntax or link error.
    std::unique_ptr<Module> readModule(const std::string& source, const std::string& name,
                                       bool isClass, ScriptError& error);
    bool link(Module& module, ScriptError& error);
    void linkProcedure(Module& module, Procedure& proc);
    void linkBlock(Module& module, Procedure* proc, Block& block);
    void linkExpr(Module& module, Procedure* proc, Expr& e, bool assigned);
    void initModuleVariables(Module& module, std::vector<Cell>& cells);

    // Runs a block from statement `start`. With `entry`, that statement holds the label
    // entry->back() names and is entered at entry[level] instead of being run from its top.
    Flow execBlock(const Block& block, Frame& frame, size_t start = 0,
                   const std::vector<LabelStep>* entry = nullptr, size_t level = 0);
    // Enters statement s at the block path[level] names, past a label inside it.
    Flow enterStatement(const Stmt& s, Frame& frame, const std::vector<LabelStep>& path,
                        size_t level);
    // The Mid statement: Mid(text, start[, length]) = replacement.
    void midStatement(const Expr& target, const Expr& replacement, Frame& frame, int line);
    // The statements of a one-line If: an error that a handler takes is one of the If.
    Flow execLine(const Block& block, Frame& frame);
    // The error handler's answer to an error of statement s, or a rethrow without one.
    Flow takeError(ScriptError& e, const Stmt& s, Frame& frame);
    // Runs the procedure's body from a label (an error handler or a GoSub subroutine);
    // running off the end of the body ends the procedure (ExitProc).
    Flow runFromLabel(Frame& frame, const std::string& label);
    // Where a label stands in the procedure; 1004 when it has none of that name.
    const std::vector<LabelStep>& labelPath(const Procedure& proc, const std::string& label,
                                            int line);
    // Runs the procedure's body from just past a label, at whatever depth it stands.
    Flow runAtLabel(Frame& frame, const std::string& label);
    Flow execStatement(const Stmt& s, Frame& frame);
    Flow runProcedureBody(Procedure& proc, Frame& frame);
    void checkControl();
    // Runs a call out of the engine (host, automation member) on the thread's own stack.
    void outside(const std::function<void()>& call);

    // The running module's options: Option Compare Text and Option Base.
    static bool textCompareOf(const Frame& frame);
    static int optionBaseOf(const Frame& frame);
    Value eval(const Expr& e, Frame& frame);
    Value evalName(const Expr& e, Frame& frame);
    Value evalCall(const Expr& e, Frame& frame);
    Value evalMember(const Expr& e, Frame& frame);
    // typed: an operand is a typed variable, so a result that overflows raises 6 instead of
    // widening; textCompare: text compares without regard to case (Option Compare Text).
    Value binaryOp(BinOp op, const Value& a, const Value& b, bool typed = false,
                   bool textCompare = false);
    // An operation with a Null operand: Null, except where the other operand decides.
    Value nullOperation(BinOp op, const Value& a, const Value& b);
    Cell* cellOf(const Expr& e, Frame& frame);
    void assign(const Expr& target, Value value, Frame& frame, bool isSet);
    void dimension(const DimItem& item, Cell& cell, Frame& frame, bool preserve, BasicType type);
    // ReDim of a record's array field ("ReDim rec.values(n)").
    void redimField(const DimItem& item, const Stmt& s, Frame& frame);
    // The user-defined type a declaration names (the module's, else the main module's).
    std::shared_ptr<const UserType> userTypeOf(const std::string& className,
                                               const Frame& frame) const;
    // A value as a date: a number, or text read as a date; 13 when it is neither, 6
    // outside the years of dates.
    double toDate(const Value& v, int line);

    // Puts named arguments (name:=value) in the places of the parameters they name
    // (lower-case names); places left out hold a Missing argument. 448 for an unknown name.
    std::vector<const Expr*> placeNamed(const std::vector<const Expr*>& args,
                                        const std::vector<std::string>& names, int line);
    // The object a member is called on: the value before the dot, or the With object; 91
    // without one or for Nothing, 424 for a value that is no object.
    automation::DispatchPtr memberObject(const Expr& member, Frame& frame, int line);
    // The storage index of an array element. A wrong count of indices or one outside the
    // bounds raises 9; an index that is no number raises badIndex (0: 6 for one too large
    // for a Long, else 13).
    size_t elementOffset(const Array& arr, const std::vector<ExprPtr>& indices, Frame& frame,
                         int line, int badIndex);
    // Calls a script procedure by name: the running module's (on its instance), else the main
    // module's. False when there is none. No procedure runs while a module links (a
    // constant's value, a record field's bounds): 1002.
    bool callScriptProcedure(const std::string& lower, const std::vector<const Expr*>& args,
                             Frame& frame, Value& result, int line);
    // The extension object that has a member of this name, or null.
    automation::DispatchPtr extensionWith(const std::string& lower);
    Value callProcedure(Module& module, Procedure& proc, const std::vector<const Expr*>& args,
                        Frame* caller, std::vector<Value>* values,
                        std::shared_ptr<ScriptObjectState> self = nullptr,
                        const Value* putValue = nullptr);
    // The lower-case parameter names of an object's member (empty when unknown).
    std::vector<std::string> memberParameters(const automation::DispatchPtr& object,
                                              automation::DISPID id, const std::string& name);
    Value invokeObject(const automation::DispatchPtr& object, const std::string& name,
                       uint16_t flags, const std::vector<const Expr*>& args, Frame& frame,
                       const Value* putValue, int line);
    void execFileStatement(const Stmt& s, Frame& frame);
    bool callBuiltin(const std::string& lower, const std::vector<const Expr*>& args, Frame& frame,
                     Value& result, int line);
    bool callBuiltinOf(const std::string& lower, const std::vector<const Expr*>& args, Frame& frame,
                       Value& result, int line);
    automation::DispatchPtr newObject(const std::string& className, int line);

    [[noreturn]] void raise(int number, int line, const std::string& description = {});

    InterpreterHost& m_host;
    std::unique_ptr<Module> m_main;
    std::vector<Cell> m_mainCells;
    // The Static variables of the main module's procedures.
    std::map<const Procedure*, StaticCells> m_statics;
    std::map<std::string, std::unique_ptr<ClassModule>> m_classes; // by lower-case name
    std::map<std::string, automation::Variant> m_enumConstants;    // by lower-case name
    ScriptError m_lastError;
    // Err: the current error of the running script.
    ScriptError m_err;
    std::map<int, std::unique_ptr<std::fstream>> m_files;
    std::string m_pendingPrint; // Debug.Print text of a line still open
    std::atomic<bool> m_stopRequested{false};
    std::atomic<uint64_t> m_statements{0};
    bool m_paused = false;
    uint32_t m_hookInterval = 0;
    uint32_t m_untilHook = 0;
    int m_runDepth = 0;
    // The module being linked, whose procedures cannot run yet.
    const Module* m_linking = nullptr;
    int m_callDepth = 0;
    uint32_t m_rndState = 0x12345u;
    // Dir: the names the last pattern matched and the next to answer.
    std::vector<std::string> m_dirEntries;
    size_t m_dirNext = 0;
    // Instances of class modules, told when the interpreter goes.
    std::vector<std::weak_ptr<ScriptObjectState>> m_objects;
    friend class Builtins;
};

} // namespace platform::basic
