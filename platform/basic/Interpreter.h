#pragma once

#include "platform/automation/IDispatch.h"
#include "platform/automation/Variant.h"
#include "platform/basic/Ast.h"
#include "platform/basic/Value.h"

#include <atomic>
#include <cstdint>
#include <fstream>
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
    // An object added under a name ("EventGenerator"), found without regard to case.
    virtual automation::DispatchPtr namedObject(const std::string& lowerName) = 0;
    // Objects whose members are global to scripts.
    virtual std::vector<automation::DispatchPtr> extensions() = 0;

protected:
    ~InterpreterHost() = default;
};

// A run-time error of a script: its number, text and line.
struct ScriptError
{
    int number = 0;
    std::string description;
    int line = 0;
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
    // module-level variables. On a syntax error nothing changes.
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
    };

    bool link(Module& module, ScriptError& error);
    void linkProcedure(Module& module, Procedure& proc);
    void linkBlock(Module& module, Procedure* proc, Block& block);
    void linkExpr(Module& module, Procedure* proc, Expr& e, bool assigned);
    void initModuleVariables(Module& module, std::vector<Cell>& cells);

    Flow execBlock(const Block& block, Frame& frame);
    Flow execStatement(const Stmt& s, Frame& frame);
    Flow runProcedureBody(Procedure& proc, Frame& frame);
    void checkControl();

    Value eval(const Expr& e, Frame& frame);
    Value evalName(const Expr& e, Frame& frame);
    Value evalCall(const Expr& e, Frame& frame);
    Value evalMember(const Expr& e, Frame& frame);
    Value binaryOp(BinOp op, const Value& a, const Value& b);
    Cell* cellOf(const Expr& e, Frame& frame);
    void assign(const Expr& target, Value value, Frame& frame, bool isSet);
    void dimension(const DimItem& item, Cell& cell, Frame& frame, bool preserve, BasicType type);

    Value callProcedure(Module& module, Procedure& proc, const std::vector<const Expr*>& args,
                        Frame* caller, std::vector<Value>* values,
                        std::shared_ptr<ScriptObjectState> self = nullptr,
                        const Value* putValue = nullptr);
    Value invokeObject(const automation::DispatchPtr& object, const std::string& name,
                       uint16_t flags, const std::vector<const Expr*>& args, Frame& frame,
                       const Value* putValue, int line);
    void execFileStatement(const Stmt& s, Frame& frame);
    bool callBuiltin(const std::string& lower, const std::vector<const Expr*>& args, Frame& frame,
                     Value& result, int line);
    automation::DispatchPtr newObject(const std::string& className, int line);

    [[noreturn]] void raise(int number, int line, const std::string& description = {});

    InterpreterHost& m_host;
    std::unique_ptr<Module> m_main;
    std::vector<Cell> m_mainCells;
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
    int m_runDepth = 0;
    int m_callDepth = 0;
    uint32_t m_rndState = 0x12345u;
    // Instances of class modules, told when the interpreter goes.
    std::vector<std::weak_ptr<ScriptObjectState>> m_objects;
    friend class Builtins;
};

} // namespace platform::basic
