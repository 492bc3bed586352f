#pragma once

#include "platform/automation/Variant.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// The syntax tree of a module of the scripting dialect.
namespace platform::basic {

enum class BasicType
{
    Variant,
    Integer, // 16 bits
    Long,    // 32 bits
    Single,
    Double,
    String,
    Boolean,
    Object,
    Date,     // a Double of days since 30 December 1899 that prints as a date
    Byte,     // 0 to 255
    Currency, // a 64-bit count of ten-thousandths
};

enum class BinOp
{
    Add,
    Sub,
    Mul,
    Div,
    IntDiv,
    Mod,
    Pow,
    Concat,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Is,
    Like,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
};

enum class ExprKind
{
    Literal,
    Name,   // a variable, constant, procedure or global object
    Member, // object.name (object null: the With object)
    Call,   // callee(args): a call, an array element or an indexed property
    Unary,  // - or Not
    Binary,
    Paren,   // (expr): passed by value
    New,     // New ClassName
    Missing, // an argument left out
    Me,
};

// How a name was resolved when the module was linked.
enum class NameRef
{
    Unresolved,
    Local,  // slot in the procedure's frame
    Module, // slot in the module's variables
    Constant,
    Other, // a procedure, a built-in or a global object, found at run time
};

struct Expr
{
    ExprKind kind = ExprKind::Literal;
    int line = 0;
    automation::Variant literal;
    bool date = false; // a date literal (#1/2/2024#)
    std::string name;  // Name, Member, New
    std::string lower; // name in lower case
    BinOp op = BinOp::Add;
    bool negate = false;          // Unary: true '-', false Not
    std::unique_ptr<Expr> object; // Member: the object; Unary, Paren: the operand
    std::unique_ptr<Expr> left, right;
    std::unique_ptr<Expr> callee;
    std::vector<std::unique_ptr<Expr>> args;
    int depth = 1;       // height of the tree below, bounded by the parser
    std::string argName; // an argument given by name (name:=value), in lower case
    // Filled by the linker for Name.
    NameRef ref = NameRef::Unresolved;
    int slot = -1;
    // A variable (or array element) declared with a numeric type other than Variant: its
    // arithmetic overflows instead of widening.
    bool typed = false;
};

using ExprPtr = std::unique_ptr<Expr>;

struct Stmt;
using Block = std::vector<std::unique_ptr<Stmt>>;

enum class StmtKind
{
    Assign, // target = value (Let)
    Set,    // Set target = object
    Call,   // a procedure or method call
    Dim,    // declarations inside a procedure
    ReDim,
    Const,
    If,
    Select,
    For,
    ForEach,
    Do,
    Exit,
    OnError,
    Resume,
    Label,
    GoTo,
    GoSub,
    Return,
    With,
    Print, // Debug.Print or Print #n
    Open,
    Close,
    LineInput,
    Input,
    Write,
    End,
    Erase,
};

enum class ExitKind
{
    Sub,
    Function,
    Property,
    For,
    Do,
};

struct DimItem
{
    std::string name;
    std::string lower;
    BasicType type = BasicType::Variant;
    std::string className; // "As New X" or "As X" of a class module
    bool isNew = false;
    bool isArray = false;
    std::vector<std::pair<ExprPtr, ExprPtr>> bounds; // (lower or null, upper); empty: dynamic
    int slot = -1;
    bool module = false;
    bool isStatic = false; // Static: keeps its value from one call to the next
    int line = 0;          // of an Enum member
    ExprPtr object;        // ReDim of an array field: the record that holds it
};

struct CaseTest
{
    enum Kind
    {
        Value,
        Range,
        Is,
    } kind = Value;
    BinOp op = BinOp::Eq; // Is
    ExprPtr a, b;
};

struct CaseClause
{
    std::vector<CaseTest> tests; // empty: Case Else
    Block body;
};

struct Stmt
{
    StmtKind kind = StmtKind::Call;
    int line = 0;
    ExprPtr target; // Assign, Set, Call, For/ForEach variable, With object, ReDim
    ExprPtr value;  // Assign, Set, Select subject, For start, ForEach group, Open file
    ExprPtr end, step;
    std::vector<DimItem> items; // Dim, ReDim, Const (bounds[0].second holds a Const value)
    bool preserve = false;
    bool singleLine = false; // If: the one-line form, which is one statement for Resume
    std::vector<std::pair<ExprPtr, Block>> branches; // If/ElseIf conditions and bodies
    Block body;                                      // loops, With, Else of If
    std::vector<CaseClause> cases;
    // Do: condition at the top or bottom, While or Until.
    ExprPtr condition;
    bool conditionAtTop = true;
    bool until = false;
    ExitKind exitKind = ExitKind::Sub;
    // On Error: 0 GoTo 0, 1 Resume Next, 2 GoTo label; Resume: 0 Resume, 1 Next, 2 label.
    int mode = 0;
    std::string label;
    int32_t lineNumber = 0; // Label: the number of a numbered line (Erl), else 0
    // Print, Open, Close, Input: channel (null for Debug.Print), items and separators.
    ExprPtr channel;
    std::vector<ExprPtr> printItems;
    std::vector<char> separators; // after each item: ';', ',' or 0
    int openMode = 0;             // 1 Input, 2 Output, 3 Append
};

// One step of the way from a procedure's body to a label: the block and the index in it
// of the statement that holds the label (the last step: of the label itself).
struct LabelStep
{
    const Block* block = nullptr;
    size_t index = 0;
};

struct Param
{
    std::string name;
    std::string lower;
    BasicType type = BasicType::Variant;
    bool byVal = false;
    bool optional = false;
    bool isArray = false;
    bool paramArray = false; // takes the remaining arguments as an array
    ExprPtr defaultValue;
};

enum class ProcKind
{
    Sub,
    Function,
    PropertyGet,
    PropertyLet,
    PropertySet,
};

struct Procedure
{
    std::string name;
    std::string lower;
    ProcKind kind = ProcKind::Sub;
    std::vector<Param> params;
    BasicType resultType = BasicType::Variant;
    Block body;
    int line = 0;
    // Frame layout filled by the linker: parameters first, then the result, then locals.
    std::vector<std::string> locals;
    std::vector<BasicType> localTypes;
    int resultSlot = -1;
    // Static Sub/Function: every local keeps its value between calls.
    bool allStatic = false;
    // Filled by the linker: the slots whose cells live from one call to the next.
    std::vector<bool> staticSlots;
    bool hasStatics = false; // any of staticSlots
    // Filled by the linker: where each label and line number stands, by lower-case name.
    std::map<std::string, std::vector<LabelStep>> labels;
};

struct ModuleVar
{
    std::string name;
    BasicType type = BasicType::Variant;
    DimItem* decl = nullptr;
};

struct UserType;

struct UserTypeField
{
    std::string name;
    std::string lower;
    BasicType type = BasicType::Variant;
    std::string className;                  // "As OtherType"
    std::shared_ptr<const UserType> record; // a field of a user-defined type (linked)
    bool isArray = false;
    std::vector<std::pair<ExprPtr, ExprPtr>> bounds; // (lower or null, upper); empty: dynamic
    // Filled by the linker from bounds: each dimension's lower bound and element count.
    std::vector<int32_t> lowerBounds;
    std::vector<int32_t> extent;
};

// Type ... End Type.
struct UserType
{
    std::string name;
    std::string lower;
    std::vector<UserTypeField> fields;
};

struct Module
{
    std::string name;
    bool isClass = false;
    bool optionExplicit = false;
    bool compareText = false; // Option Compare Text
    int optionBase = 0;       // the lower bound of arrays declared without one
    std::vector<std::unique_ptr<Procedure>> procedures;
    Block declarations; // module-level Dim and Const
    std::vector<ModuleVar> variables;
    std::map<std::string, automation::Variant> constants; // by lower-case name
    std::vector<std::shared_ptr<UserType>> types;
};

} // namespace platform::basic
