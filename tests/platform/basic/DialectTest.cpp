// The dialect's less common constructs, one row per construct with the dialect's result.

#include "PrintHost.h"
#include "platform/basic/Interpreter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace platform::basic;
using tests::platform::basic::moduleOfCode;
using tests::platform::basic::PrintHost;

struct Row
{
    const char* name;
    const char* code; // the body of Sub Main, or a whole module when it has "Sub "
    const char* output;
    int error = 0;                     // the expected error number, 0 for none
    int line = 0;                      // the expected line of the error (lines of the module)
    const char* description = nullptr; // the expected error text (null: not checked)
};

std::string moduleOf(const Row& r)
{
    return moduleOfCode(r.code);
}

void runRows(const std::vector<Row>& rows)
{
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        PrintHost host;
        Interpreter in(host);
        ScriptError error;
        if (!in.load(moduleOf(r), "Test", error)) {
            EXPECT_EQ(error.number, r.error) << error.description << " at " << error.line;
            EXPECT_EQ(error.line, r.line) << error.description;
            if (r.description) {
                EXPECT_EQ(error.description, r.description);
            }
            continue;
        }
        const RunStatus status = in.call("Main", {});
        if (r.error) {
            ASSERT_EQ(status, RunStatus::Failed) << host.output;
            EXPECT_EQ(in.lastError().number, r.error) << in.lastError().description;
            EXPECT_EQ(in.lastError().line, r.line) << in.lastError().description;
            if (r.description) {
                EXPECT_EQ(in.lastError().description, r.description);
            }
        } else {
            EXPECT_NE(status, RunStatus::Failed)
                << in.lastError().number << " " << in.lastError().description << " at line "
                << in.lastError().line;
        }
        EXPECT_EQ(host.output, r.output);
    }
}

TEST(DialectTest, Format)
{
    runRows({
        {"percent", "Debug.Print Format(0.5, \"0%\"); \"|\"; Format(0.123, \"0.0%\")",
         "50%|12.3%\n"},
        {"named number formats",
         "Debug.Print Format(0.1234, \"Percent\"); \"|\"; Format(1234.5, \"Fixed\"); \"|\"; "
         "Format(1234.5, \"Standard\"); \"|\"; Format(1234.5, \"Currency\"); \"|\"; "
         "Format(-1234.5, \"Currency\"); \"|\"; Format(1234.5, \"Scientific\"); \"|\"; "
         "Format(1234.5, \"General Number\")",
         "12.34%|1234.50|1,234.50|$1,234.50|($1,234.50)|1.23E+03|1234.5\n"},
        {"yes/no true/false on/off",
         "Debug.Print Format(0, \"Yes/No\"); Format(2, \"yes/no\"); Format(0, \"True/False\"); "
         "Format(-1, \"True/False\"); Format(0, \"On/Off\"); Format(1, \"On/Off\")",
         "NoYesFalseTrueOffOn\n"},
        {"date and time names",
         "Dim d As Date\nd = #3/9/2024 14:05:07#\nDebug.Print Format(d, \"Long Date\"); \"|\"; "
         "Format(d, \"Short Date\"); \"|\"; Format(d, \"Long Time\"); \"|\"; Format(d, \"Short "
         "Time\"); \"|\"; Format(d, \"General Date\"); \"|\"; Format(d, \"Medium Date\")",
         "Saturday, March 9, 2024|3/9/2024|2:05:07 PM|14:05|3/9/2024 2:05:07 PM|09-Mar-24\n"},
        {"sections and literals",
         "Debug.Print Format(-5, \"0;(0)\"); Format(0, \"0;(0);\"\"zero\"\"\"); Format(5, "
         "\"\\$0.00\"); Format(-5, \"$0\"); Format(1234567, \"#,##0,\")",
         "(5)zero$5.00-$51,235\n"},
        {"digit places",
         "Debug.Print Format(0.5, \"#.00\"); \"|\"; Format(5, \"000\"); \"|\"; "
         "Format(1.5, \"0.0#\"); \"|\"; Format(12345, \"0.0E+0\")",
         ".50|005|1.5|1.2E+4\n"},
    });
}

TEST(DialectTest, StaticAndResume)
{
    runRows({
        {"static variable",
         "Sub Main\nCount\nCount\nCount\nEnd Sub\nSub Count()\nStatic n As Integer\nDim m As "
         "Integer\nn = n + 1: m = m + 1\nDebug.Print n; m\nEnd Sub\n",
         " 1  1\n 2  1\n 3  1\n"},
        {"static function",
         "Sub Main\nDebug.Print Next1(); Next1(); Next1()\nEnd Sub\nPrivate Static Function "
         "Next1() As Long\nDim k As Long\nk = k + 10\nNext1 = k\nEnd Function\n",
         " 10  20  30\n"},
        {"static sub and static array",
         "Sub Main\nAdd 1: Add 2\nEnd Sub\nStatic Sub Add(x)\nDim a(3), n\nn = n + 1\na(n) = x\n"
         "Debug.Print n; a(1); a(2)\nEnd Sub\n",
         " 1  1\n 2  1  2\n"},
        {"static kept after reload is gone",
         "Sub Main\nStatic s As String\ns = s & \"x\"\nDebug.Print s\nEnd Sub\n", "x\n"},
        {"resume after an error in a one-line if",
         "Sub Main\nDim d As Integer, n As Integer\nOn Error GoTo Fix\nIf 10 / d > 1 Then n = n + "
         "1: Debug.Print \"ran\"; n\nDebug.Print \"done\"\nExit Sub\nFix:\nd = 2\nResume\n"
         "End Sub\n",
         "ran 1\ndone\n"},
        {"resume into a one-line if body",
         "Sub Main\nDim d As Integer, k As Integer\nOn Error GoTo Fix\nIf True Then k = k + 1: "
         "k = k + 10 / d\nDebug.Print k\nExit Sub\nFix:\nd = 5\nResume\nEnd Sub\n",
         " 4\n"},
        {"resume next inside a one-line if",
         "On Error Resume Next\nDim x\nIf True Then x = 1 / 0: Debug.Print \"after\"; "
         "Err.Number",
         "after 11\n"},
    });
}

TEST(DialectTest, Null)
{
    runRows({
        {"isnull and vartype",
         "Dim v\nv = Null\nDebug.Print IsNull(v); VarType(v); TypeName(v); IsNull(Empty); v",
         "True 1 NullFalseNull\n"},
        {"concatenation reads null as no text",
         "Dim v\nv = Null\nDebug.Print \"a\" & v & \"b\"; IsNull(v & v)", "abTrue\n"},
        {"arithmetic and comparison give null",
         "Dim v\nv = Null\nDebug.Print IsNull(v + 1); IsNull(2 * v); IsNull(\"x\" + v); "
         "IsNull(-v); IsNull(v = 1); IsNull(v = v); IsNull(Not v)",
         "TrueTrueTrueTrueTrueTrueTrue\n"},
        {"logic with null",
         "Dim v\nv = Null\nDebug.Print v And False; v Or True; IsNull(v And True); IsNull(v Or "
         "False); False Imp v",
         "FalseTrueTrueTrueTrue\n"},
        {"null is not true",
         "Dim v\nv = Null\nIf v Then Debug.Print \"then\" Else Debug.Print \"else\"\nIf v = 1 "
         "Then Debug.Print \"eq\" Else Debug.Print \"not eq\"",
         "else\nnot eq\n"},
        {"text functions answer null",
         "Debug.Print IsNull(Len(Null)); IsNull(Left(Null, 2)); IsNull(UCase(Null))",
         "TrueTrueTrue\n"},
        {"null into a typed variable", "Dim n As Integer\nn = Null", "", 94, 3,
         "Invalid use of Null"},
        {"conversion of null", "Debug.Print CLng(Null)", "", 94, 2, "Invalid use of Null"},
        {"null caught by a handler",
         "On Error Resume Next\nDim s As String\ns = Null\nDebug.Print Err.Number; "
         "Err.Description",
         " 94 Invalid use of Null\n"},
    });
}

TEST(DialectTest, Collection)
{
    runRows({
        {"add, count, item by index and key",
         "Dim c As New Collection\nc.Add \"one\", \"a\"\nc.Add \"two\"\nc.Add Item:=\"three\", "
         "Key:=\"C\"\nDebug.Print c.Count; c(1); c.Item(2); c(\"c\"); c.Item(\"A\"); "
         "TypeName(c)",
         " 3 onetwothreeoneCollection\n"},
        {"before and after",
         "Dim c As Collection, v\nSet c = New Collection\nc.Add 1\nc.Add 3\nc.Add 2, , 2\nc.Add "
         "4, After:=3\nc.Add 0, \"z\", 1\nFor Each v In c\nDebug.Print v;\nNext\nDebug.Print",
         " 0  1  2  3  4\n"},
        {"remove by index and key",
         "Dim c As New Collection\nc.Add 10, \"x\"\nc.Add 20, \"y\"\nc.Add 30\nc.Remove "
         "\"x\"\nc.Remove 2\nDebug.Print c.Count; c(1); c(\"y\")",
         " 1  20  20\n"},
        {"objects in a collection",
         "Dim c As New Collection, d As New Collection, o\nd.Add \"inner\"\nc.Add d, "
         "\"d\"\nFor Each o In c\nDebug.Print o.Count; o(1)\nNext\nDebug.Print c(\"d\")(1)",
         " 1 inner\ninner\n"},
        {"duplicate key", "Dim c As New Collection\nc.Add 1, \"k\"\nc.Add 2, \"K\"", "", 457, 4,
         "This key is already associated with an element of this collection"},
        {"index out of range", "Dim c As New Collection\nc.Add 1\nDebug.Print c(2)", "", 9, 4,
         "Subscript out of range"},
        {"unknown key", "Dim c As New Collection\nDebug.Print c(\"none\")", "", 5, 3,
         "Invalid procedure call or argument"},
        {"before and after together", "Dim c As New Collection\nc.Add 1\nc.Add 2, , 1, 1", "", 5,
         4},
        {"collection error reaches a handler",
         "On Error Resume Next\nDim c As New Collection\nc.Remove 1\nDebug.Print Err.Number",
         " 9\n"},
    });
}

TEST(DialectTest, Enum)
{
    runRows({
        {"members count from 0 and from the one before",
         "Enum Colour\nRed\nGreen\nBlue = 10\nCyan\nEnd Enum\nSub Main\nDebug.Print Red; Green; "
         "Blue; Cyan; Colour.Cyan; TypeName(Blue)\nEnd Sub\n",
         " 0  1  10  11  11 Long\n"},
        {"typed variables and constant expressions",
         "Private Const kBase = 100\nPublic Enum Level\nLow = kBase\nHigh = Low * 2 + 1\nEnd "
         "Enum\nSub Main\nDim l As Level\nl = High\nDebug.Print l; TypeName(l); Level.Low\nEnd "
         "Sub\n",
         " 201 Long 100\n"},
        {"missing end enum", "Enum E\nA\nSub Main\nEnd Sub\n", "", 1002, 3, "Expected: End Enum"},
        {"enum without members", "Enum E\nEnd Enum\nSub Main\nEnd Sub\n", "", 1002, 2},
        {"member that is no number", "Enum E\nA = \"x\"\nEnd Enum\nSub Main\nEnd Sub\n", "", 13, 2,
         "Type mismatch"},
        {"member too large", "Enum E\nA = 2147483647\nB\nEnd Enum\nSub Main\nEnd Sub\n", "", 6, 3,
         "Overflow"},
    });
}

TEST(DialectTest, MidStatement)
{
    runRows({
        {"replaces in place",
         "Dim s As String, t\ns = \"abcdef\"\nMid(s, 2, 3) = \"XYZW\"\nt = \"hello\"\nMid$(t, 4) = "
         "\"PING\"\nDebug.Print s; \" \"; t",
         "aXYZef helPI\n"},
        {"shorter replacement and length",
         "Dim s\ns = \"abcdef\"\nMid(s, 1, 2) = \"Q\"\nDebug.Print s\nMid(s, 3, 0) = "
         "\"zz\"\nDebug.Print s",
         "Qbcdef\nQbcdef\n"},
        {"an array element",
         "Dim a(1) As String\na(1) = \"xxxx\"\nMid(a(1), 2) = \"ab\"\nDebug.Print a(1)", "xabx\n"},
        {"start past the end", "Dim s\ns = \"abc\"\nMid(s, 4) = \"z\"", "", 5, 4,
         "Invalid procedure call or argument"},
        {"null text", "Dim s\ns = Null\nMid(s, 1) = \"z\"", "", 94, 4},
    });
}

TEST(DialectTest, LineNumbers)
{
    runRows({
        {"erl names the last numbered line",
         "Sub Main\n10 On Error GoTo 100\n20 Dim x\n30 x = 1\nx = x / 0\n40 Debug.Print "
         "\"not here\"\n50 Exit Sub\n100 Debug.Print Erl; Err.Number\nEnd Sub\n",
         " 30  11\n"},
        {"goto and gosub a line number",
         "Sub Main\nGoSub 200\nGoTo 300\nDebug.Print \"skipped\"\n200: Debug.Print \"sub\"\n"
         "Return\n300 Debug.Print \"end\"; Erl\nEnd Sub\n",
         "sub\nend 0\n"},
        {"resume a line number",
         "Sub Main\nOn Error GoTo 90\nErr.Raise 5\n80 Debug.Print \"resumed\"\nExit Sub\n90 "
         "Resume 80\nEnd Sub\n",
         "resumed\n"},
        {"erl without line numbers", "On Error Resume Next\nErr.Raise 7\nDebug.Print Erl", " 0\n"},
        {"goto a missing line number", "Sub Main\nGoTo 55\nEnd Sub\n", "", 1004, 2},
    });
}

TEST(DialectTest, DatesInVariantArrays)
{
    runRows({
        {"an element keeps its date type",
         "Dim a(2), b, v\na(1) = #1/2/2024#\na(2) = DateSerial(2024, 3, 4) + 1\nDebug.Print a(1); "
         "\" \"; VarType(a(1)); TypeName(a(2)); a(2)\nb = Array(#5/6/2024#, 7)\nFor Each v In b\n"
         "Debug.Print TypeName(v); \" \";\nNext\nDebug.Print Year(b(0)); Join(b, \"|\")",
         "1/2/2024  7 Date3/5/2024\nDate Integer  2024 5/6/2024|7\n"},
        {"date arithmetic on an element",
         "Dim a(0)\na(0) = #1/31/2024#\nDebug.Print a(0) + 1; DateDiff(\"d\", a(0), #2/2/2024#)",
         "2/1/2024 2\n"},
    });
}

TEST(DialectTest, NamedArgumentsOfBuiltins)
{
    runRows({
        {"less common built-ins by name",
         "Dim a(2 To 4)\nDebug.Print Len(string:=\"abc\"); UCase(string:=\"x\"); "
         "String(character:=\"z\", number:=3); UBound(dimension:=1, arrayname:=a); "
         "MonthName(abbreviate:=True, month:=2); Hex(number:=255); Abs(number:=-2)",
         " 3 Xzzz 4 FebFF 2\n"},
        {"unknown name for a built-in", "Debug.Print Len(text:=\"abc\")", "", 448, 2,
         "Named argument not found"},
    });
}

TEST(DialectTest, LabelsInBlocks)
{
    runRows({
        {"goto a label before Next goes on with the loop",
         "Dim i\nFor i = 1 To 4\nIf i Mod 2 = 0 Then GoTo NextI\nDebug.Print i;\nNextI:\nNext\n"
         "Debug.Print \"end\"",
         " 1  3 end\n"},
        {"resume a label inside a Do loop",
         "Dim i, x\nOn Error GoTo Bad\nDo While i < 3\ni = i + 1\nx = 1 / (i - 2)\nDebug.Print "
         "\"ok\"; i\nCont:\nLoop\nExit Sub\nBad:\nDebug.Print \"bad\"; i\nResume Cont",
         "ok 1\nbad 2\nok 3\n"},
        {"handler inside an If block",
         "On Error GoTo H\nErr.Raise 5\nExit Sub\nIf False Then\nH:\nDebug.Print \"handled\"; "
         "Err.Number\nEnd If\nDebug.Print \"after\"",
         "handled 5\nafter\n"},
        {"gosub a label inside a Case",
         "Sub Main\nDim k\nk = 2\nGoSub Show\nDebug.Print \"back\"\nExit Sub\nSelect Case k\n"
         "Case 1\nShow:\nDebug.Print \"show\"; k\nReturn\nEnd Select\nEnd Sub\n",
         "show 2\nback\n"},
        {"goto out of nested loops",
         "Dim i, j\nFor i = 1 To 3\nFor j = 1 To 3\nIf i * j = 4 Then GoTo Done\nNext\nNext\n"
         "Done:\nDebug.Print i; j",
         " 2  2\n"},
        {"goto into a Do loop runs on with the loop",
         "Dim n\nn = 0\nGoTo Inside\nDo While n < 2\nn = n + 1\nInside:\nDebug.Print n;\nLoop\n"
         "Debug.Print \"end\"",
         " 0  1  2 end\n"},
        {"goto between the branches of an If",
         "Dim x\nx = 1\nIf x = 1 Then\nGoTo Two\nElseIf x = 2 Then\nTwo:\nDebug.Print \"two\"\n"
         "Else\nDebug.Print \"else\"\nEnd If",
         "two\n"},
        {"goto into a For loop fails at its end",
         "GoTo Inside\nDim i\nFor i = 1 To 2\nInside:\nDebug.Print \"in\"\nNext", "in\n", 92, 4,
         "For loop not initialized"},
        {"goto into a With block has no object",
         "GoTo Inside\nWith New Collection\nInside:\nDebug.Print .Count\nEnd With", "", 91, 5},
        {"label missing everywhere", "If True Then\nGoTo Nowhere\nEnd If", "", 1004, 3,
         "Label not defined"},
    });
}

TEST(DialectTest, ByteAndCurrency)
{
    runRows({
        {"byte conversion and type",
         "Debug.Print CByte(200); TypeName(CByte(1)); VarType(CByte(1)); CByte(254.5); "
         "CByte(\"7\")",
         " 200 Byte 17  254  7\n"},
        {"byte variable past 255", "Dim b As Byte\nb = 255\nb = b + 1", "", 6, 4, "Overflow"},
        {"byte variable below 0", "Dim b As Byte\nb = -1", "", 6, 3, "Overflow"},
        {"typed bytes overflow together",
         "Dim a As Byte, c As Byte\na = 200: c = 100\n"
         "Debug.Print a + c",
         "", 6, 4},
        {"cbyte out of range", "Debug.Print CByte(255.5)", "", 6, 2, "Overflow"},
        {"variant bytes widen",
         "Dim v, w\nv = CByte(200): w = CByte(100)\nDebug.Print v + w; TypeName(v + w); "
         "TypeName(v \\ w); TypeName(v Mod w); Not CByte(1); -CByte(5); TypeName(-CByte(5))",
         " 300 IntegerByteByte 254 -5 Integer\n"},
        {"byte array",
         "Dim a(1) As Byte\na(0) = 65\nDebug.Print a(0); VarType(a); TypeName(a(0))\na(1) = 256",
         " 65  8209 Byte\n", 6, 5},
        {"currency keeps four decimals",
         "Dim c As Currency, p@\nc = 1.23456\np = 2\nDebug.Print c; TypeName(c); VarType(c); "
         "TypeName(p); CStr(CCur(-0.5))",
         " 1.2346 Currency 6 Currency-0.5\n"},
        {"currency arithmetic",
         "Debug.Print CCur(2.5) * 3; TypeName(CCur(1) + 1.5); CCur(1.0001) * CCur(1.0001); "
         "TypeName(CCur(1) / CCur(3)); CCur(0.00005) + 0",
         " 7.5 Currency 1.0002 Double 0\n"},
        {"currency sums are exact",
         "Dim c As Currency, d As Double, i\nFor i = 1 To 10\nc = c + 0.1\nd = d + 0.1\nNext\n"
         "Debug.Print c = 1; d = 1",
         "TrueFalse\n"},
        {"currency overflow", "Dim c As Currency\nc = 922337203685477\nc = c * 10", "", 6, 4,
         "Overflow"},
        {"ccur of text that is no number", "Debug.Print CCur(\"abc\")", "", 13, 2, "Type mismatch"},
    });
}

TEST(DialectTest, ReplaceStartCountCompare)
{
    runRows({
        {"every occurrence",
         "Debug.Print Replace(\"abcabc\", \"b\", \"X\"); \"|\"; Replace(\"abc\", \"\", \"X\"); "
         "\"|\"; Replace(\"aaa\", \"a\", \"aa\")",
         "aXcaXc|abc|aaaaaa\n"},
        {"start drops what is before it",
         "Debug.Print Replace(\"abcabc\", \"b\", \"X\", 3); \"|\"; Replace(\"abc\", \"b\", "
         "\"X\", 5); \"|\"; Replace(\"abc\", \"z\", \"X\", 2)",
         "caXc||bc\n"},
        {"count",
         "Debug.Print Replace(\"abcabc\", \"b\", \"X\", , 1); \"|\"; Replace(\"abcabc\", \"b\", "
         "\"X\", 1, 0); \"|\"; Replace(\"abcabc\", \"b\", \"X\", 1, -1)",
         "aXcabc|abcabc|aXcaXc\n"},
        {"compare",
         "Debug.Print Replace(\"ABCabc\", \"b\", \"X\", , , vbTextCompare); \"|\"; "
         "Replace(\"ABCabc\", \"b\", \"X\", Compare:=vbBinaryCompare)",
         "AXCaXc|ABCaXc\n"},
        {"option compare text",
         "Option Compare Text\nSub Main\nDebug.Print Replace(\"ABC\", \"b\", \"x\")\nEnd Sub\n",
         "AxC\n"},
        {"by name",
         "Debug.Print Replace(expression:=\"aaa\", find:=\"a\", replace:=\"b\", count:=2)",
         "bba\n"},
        {"start below 1", "Debug.Print Replace(\"abc\", \"b\", \"X\", 0)", "", 5, 2,
         "Invalid procedure call or argument"},
        {"count below -1", "Debug.Print Replace(\"abc\", \"b\", \"X\", 1, -2)", "", 5, 2},
    });
}

TEST(DialectTest, ArraysInUserDefinedTypes)
{
    const std::string types = "Const kLast = 3\nType Series\nName As String\nValues(1 To kLast) As "
                              "Double\nTags() As String\nRaw(1) As Byte\nEnd Type\nType Box\n"
                              "Items(1) As Series\nEnd Type\n";
    const auto module = [&](const std::string& body) {
        return types + "Sub Main\n" + body + "\nEnd Sub\n";
    };
    const std::string fixedAndDynamic = module(
        "Dim s As Series, t As Series\ns.Values(2) = 1.5\nReDim s.Tags(1)\ns.Tags(0) = \"a\": "
        "s.Tags(1) = \"b\"\nt = s\nt.Values(2) = 9\nReDim Preserve t.Tags(2)\nDebug.Print "
        "s.Values(2); t.Values(2); LBound(s.Values); UBound(s.Values); UBound(s.Tags); "
        "UBound(t.Tags); t.Tags(1); s.Values(1); TypeName(s.Raw(0))");
    const std::string records = module(
        "Dim b As Box, v, n\nb.Items(1).Values(3) = 2\nb.Items(1).Name = \"x\"\nFor Each v In "
        "b.Items(1).Values\nn = n + v\nNext\nDebug.Print n; b.Items(1).Name; b.Items(0).Values(3)");
    const std::string assignWhole =
        module("Dim s As Series\ns.Tags = Split(\"p,q,r\", \",\")\nDebug.Print UBound(s.Tags); "
               "s.Tags(2)\nReDim s.Tags(0 To 0)\nDebug.Print UBound(s.Tags)");
    const std::string redimFixed = module("Dim s As Series\nReDim s.Values(5)");
    const std::string outside = module("Dim s As Series\ns.Values(4) = 1");
    const std::string wrongType = module("Dim s As Series\ns.Values(1) = \"x\"");
    const std::string byteOverflow = module("Dim s As Series\ns.Raw(1) = 300");
    const std::string notSized = module("Dim s As Series\nDebug.Print UBound(s.Tags)");
    runRows({
        {"fixed and dynamic fields", fixedAndDynamic.c_str(), " 1.5  9  1  3  1  2 b 0 Byte\n"},
        {"records in an array field", records.c_str(), " 2 x 0\n"},
        {"a whole array into a dynamic field", assignWhole.c_str(), " 2 r\n 0\n"},
        {"redim of a fixed field", redimFixed.c_str(), "", 10, 13,
         "This array is fixed or temporarily locked"},
        {"index outside a field's bounds", outside.c_str(), "", 9, 13, "Subscript out of range"},
        {"element of the wrong type", wrongType.c_str(), "", 13, 13, "Type mismatch"},
        {"byte element overflow", byteOverflow.c_str(), "", 6, 13, "Overflow"},
        {"dynamic field not sized", notSized.c_str(), "", 9, 13},
    });
}

TEST(DialectTest, Decimal)
{
    runRows({
        {"cdec keeps every digit",
         "Debug.Print CDec(\"12345678901234567890.123456789\"); TypeName(CDec(1)); "
         "VarType(CDec(1)); CDec(\"1.50\"); CDec(0.1)",
         " 12345678901234567890.123456789 Decimal 14  1.5  0.1\n"},
        {"division to 28 places", "Debug.Print CDec(1) / 3; CDec(2) / CDec(\"0.5\")",
         " 0.3333333333333333333333333333  4\n"},
        {"sums and products are exact",
         "Debug.Print CDec(0.1) + CDec(0.2) = CDec(0.3); 0.1 + 0.2 = 0.3; CDec(1.1) * 3; "
         "CDec(\"1234567890.123456789\") * 1000",
         "TrueFalse 3.3  1234567890123.456789\n"},
        {"decimal is the widest",
         "Debug.Print TypeName(CDec(1) + 1.5); TypeName(CCur(2) * CDec(1)); TypeName(CDec(3) / "
         "2); -CDec(\"1.5\"); CDec(\"0.1\") < 0.2",
         "DecimalDecimalDecimal-1.5 True\n"},
        {"overflow", "Debug.Print CDec(\"79228162514264337593543950335\") + 1", "", 6, 2,
         "Overflow"},
        {"division by zero", "Debug.Print CDec(2) / 0", "", 11, 2, "Division by zero"},
        {"text that is no number", "Debug.Print CDec(\"abc\")", "", 13, 2, "Type mismatch"},
    });
}

TEST(DialectTest, ArraysNeverDimensioned)
{
    const std::string type =
        "Type Series\nTags() As Integer\nEnd Type\nSub Main\nDim s As Series\n";
    const std::string fieldElement = type + "s.Tags(0) = 1\nEnd Sub\n";
    const std::string fieldWhole = type + "Debug.Print s.Tags()\nEnd Sub\n";
    const std::string fieldEach = type + "For Each v In s.Tags\nNext\nEnd Sub\n";
    const std::string fieldBound = type + "Debug.Print UBound(s.Tags)\nEnd Sub\n";
    const std::string fieldGrown =
        type + "ReDim Preserve s.Tags(2)\ns.Tags(2) = 5\nDebug.Print s.Tags(2)\nEnd Sub\n";
    runRows({
        {"assignment without an index", "Dim a() As Integer\na() = 7", "", 9, 3,
         "Subscript out of range"},
        {"printing without an index", "Dim a() As Byte\nDebug.Print a()", "", 9, 3},
        {"of every element type",
         "Dim i() As Integer, l() As Long, d() As Double, t() As String, v(), b() As Boolean\n"
         "Dim c() As Currency, o() As Object, s() As Single, y() As Byte, w() As Date\n"
         "On Error Resume Next\ni() = 1: Debug.Print Err.Number;: Err.Clear\n"
         "l() = 1: Debug.Print Err.Number;: Err.Clear\nd() = 1: Debug.Print Err.Number;: "
         "Err.Clear\nt() = 1: Debug.Print Err.Number;: Err.Clear\nv() = 1: Debug.Print "
         "Err.Number;: Err.Clear\nb() = 1: Debug.Print Err.Number;: Err.Clear\nc() = 1: "
         "Debug.Print Err.Number;: Err.Clear\nSet o() = Nothing: Debug.Print Err.Number;: "
         "Err.Clear\nx = s(): Debug.Print Err.Number;: Err.Clear\nx = y(): Debug.Print "
         "Err.Number;: Err.Clear\nx = w(): Debug.Print Err.Number",
         " 9  9  9  9  9  9  9  9  9  9  9\n"},
        {"an element", "Dim a() As String\nDebug.Print a(0)", "", 9, 3},
        {"an element assigned", "Dim a() As Double\na(1) = 2", "", 9, 3},
        {"a module's array", "Dim a() As Long\nSub Main\nDebug.Print a(0)\nEnd Sub\n", "", 9, 3},
        {"taken by an error handler",
         "Dim a() As Integer\nOn Error GoTo Failed\nDebug.Print a()\nExit Sub\nFailed:\n"
         "Debug.Print Err.Number; Err.Description",
         " 9 Subscript out of range\n"},
        {"passed as an element",
         "Sub Main\nDim a() As Integer\nTake a(1)\nEnd Sub\n"
         "Sub Take(x)\nx = 1\nEnd Sub\n",
         "", 9, 3},
        {"passed without an index",
         "Sub Main\nDim a() As Integer\nTake a()\nEnd Sub\n"
         "Sub Take(x)\nDebug.Print x\nEnd Sub\n",
         "", 9, 3},
        {"passed whole, then bounded",
         "Sub Main\nDim a() As Integer\nTake a\nEnd Sub\nSub Take(x() As Integer)\n"
         "Debug.Print UBound(x)\nEnd Sub\n",
         "", 9, 6},
        {"for each", "Dim a() As Integer\nFor Each v In a\nNext", "", 9, 3},
        {"lbound", "Dim a() As Integer\nDebug.Print LBound(a)", "", 9, 3},
        {"ubound of dimension 0", "Dim a() As Integer\nDebug.Print UBound(a, 0)", "", 9, 3},
        {"erased, then used", "Dim a() As Integer\nErase a\nDebug.Print \"erased\"\na(0) = 1",
         "erased\n", 9, 5},
        {"erased after redim", "Dim a() As Object\nReDim a(2)\nErase a\nSet a(0) = Nothing", "", 9,
         5},
        {"redim preserve gives it bounds",
         "Dim a() As Integer\nReDim Preserve a(3)\na(3) = 4\nDebug.Print a(3); UBound(a)",
         " 4  3\n"},
        {"copied, then used", "Dim a() As String, b() As String\nb = a\nb(0) = \"x\"", "", 9, 4},
        {"a field's element", fieldElement.c_str(), "", 9, 6},
        {"a field without an index", fieldWhole.c_str(), "", 9, 6},
        {"a field in for each", fieldEach.c_str(), "", 9, 6},
        {"a field's bound", fieldBound.c_str(), "", 9, 6},
        {"a field grown by redim preserve", fieldGrown.c_str(), " 5\n"},
        {"too many indices", "Dim a(2) As Integer\na(1, 1) = 3", "", 9, 3},
        {"too few indices", "Dim a(2, 2) As Integer\nDebug.Print a(1)", "", 9, 3},
        {"no index of a dimensioned array", "Dim a(2) As Integer\nDebug.Print a()", "", 9, 3},
        {"an index on a scalar", "Dim x As Integer\nx(1) = 3", "", 13, 3, "Type mismatch"},
        {"no index on a scalar", "Dim x\nDebug.Print x()", "", 13, 3},
        {"an empty array is no undimensioned one",
         "a = Split(\"\")\nDebug.Print UBound(a)\nFor Each v In a\nNext\nDebug.Print a(0)", "-1\n",
         9, 6},
        {"bounds far apart", "ReDim a(-2147483648 To 2147483647)", "", 9, 2},
        {"a bound beyond a long", "ReDim a(1E+20 To 2)", "", 6, 2},
        {"bounds at the end of a long",
         "ReDim a(2147483647 To 2147483647)\na(2147483647) = 5\nDebug.Print a(2147483647); "
         "UBound(a)",
         " 5  2147483647\n"},
    });
}

TEST(DialectTest, ConstantsRunNoProcedures)
{
    // Worked out while the module links, before its procedures can run.
    runRows({
        {"a constant",
         "Const k = Twice(2)\nFunction Twice(x)\nTwice = 2 * x\nEnd Function\n"
         "Sub Main\nDebug.Print k\nEnd Sub\n",
         "", 1002, 1, "Constant expression required"},
        {"a record field's bounds",
         "Type Series\nValues(Size()) As Double\nEnd Type\nFunction Size()\nDim a(2)\na(1) = 5\n"
         "Size = a(1)\nEnd Function\nSub Main\nDim s As Series\nEnd Sub\n",
         "", 1002, 2, "Constant expression required"},
        {"built-ins and other constants",
         "Const a = 2\nConst b = a * Len(\"abc\")\nType Series\nValues(b) As Double\nEnd Type\n"
         "Sub Main\nDim s As Series\nDebug.Print UBound(s.Values)\nEnd Sub\n",
         " 6\n"},
    });
}

TEST(DialectTest, ArraysChangedWhileTheirIndicesRun)
{
    // The element is the one of the array as it was when its indices began; the array
    // erased or dimensioned again meanwhile is never touched after it is gone.
    const char* erase = "Function Erased()\nErase a\nErased = 2\nEnd Function\n";
    const std::string read = std::string("Dim a() As Integer\nSub Main\nReDim a(3)\na(2) = 7\n"
                                         "Debug.Print a(Erased())\nEnd Sub\n") +
                             erase;
    const std::string written =
        std::string("Dim a() As String\nSub Main\nReDim a(3)\na(Erased()) = \"x\"\nDebug.Print "
                    "\"written\"\nEnd Sub\n") +
        erase;
    const std::string byReference =
        "Dim a() As Integer\nSub Main\nReDim a(3)\nTake a(2)\nDebug.Print \"back\"\nEnd Sub\n"
        "Sub Take(x)\nErase a\nReDim a(0)\nx = 5\nEnd Sub\n";
    const std::string dimensionedAgain =
        std::string("Dim a() As Double\nSub Main\nReDim a(1 To 3)\nDebug.Print a(Grown())\nEnd "
                    "Sub\nFunction Grown()\nReDim a(1 To 1)\nGrown = 3\nEnd Function\n");
    runRows({
        {"read", read.c_str(), " 7\n"},
        {"written", written.c_str(), "written\n"},
        {"by reference", byReference.c_str(), "back\n"},
        {"dimensioned again", dimensionedAgain.c_str(), " 0\n"},
    });
}

TEST(DialectTest, ErrRaiseNumbers)
{
    runRows({
        {"a number that rounds to 0", "9223 Err.Raise  0.333333333333333", "", 5, 2,
         "Invalid procedure call or argument"},
        {"0 taken by a handler",
         "On Error Resume Next\nErr.Raise 0\nDebug.Print Err.Number; Err.Description",
         " 5 Invalid procedure call or argument\n"},
        {"beyond a long", "Err.Raise 1E+10", "", 6, 2, "Overflow"},
        {"text", "Err.Raise \"x\"", "", 13, 2, "Type mismatch"},
        {"null", "Err.Raise Null", "", 94, 2, "Invalid use of Null"},
        {"an object's error", "Err.Raise vbObjectError + 513", "", -2147220991, 2},
        {"own number and text", "Err.Raise 1000, \"me\", \"custom\"", "", 1000, 2, "custom"},
    });
}

// A host whose statement hook counts its calls (from the thread that runs the script).
class HookCountingHost final : public PrintHost
{
public:
    void statementHook() override { hooks.fetch_add(1); }
    std::atomic<int> hooks{0};
};

TEST(DialectTest, LoopsEndOnAStopRequest)
{
    struct Case
    {
        const char* name;
        const char* code;
    };
    const std::vector<Case> cases = {
        {"for with step 0", "For i = 1 To 2 Step 0\nNext"},
        {"for whose step is lost in its counter", "For x = 1E+20 To 2E+20\nNext"},
        {"for each over many elements",
         "Dim a() As Integer\nReDim a(20000000)\nFor Each v In a\nNext"},
        {"while", "While True\nWend"},
        {"do", "Do\nLoop"},
        {"goto back", "10 GoTo 10"},
        {"recursion", "Sub Main\nR\nEnd Sub\nSub R()\nOn Error Resume Next\nR\nR\nEnd Sub\n"},
    };
    using Clock = std::chrono::steady_clock;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Owned here unless the script never ends: then they stay with its thread.
        auto host = std::make_unique<HookCountingHost>();
        auto in = std::make_unique<Interpreter>(*host);
        ScriptError error;
        ASSERT_TRUE(in->load(moduleOfCode(c.code), "Test", error)) << error.description;
        in->setStatementHookInterval(100);
        auto finished = std::make_shared<std::promise<RunStatus>>();
        std::future<RunStatus> status = finished->get_future();
        std::thread script([&run = *in, finished] { finished->set_value(run.call("Main", {})); });

        // The hook is called from inside the loop; then the stop comes from this thread.
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (host->hooks.load() < 3 && Clock::now() < deadline &&
               status.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            std::this_thread::yield();
        }
        EXPECT_GE(host->hooks.load(), 3);
        in->requestStop();
        if (status.wait_until(deadline) != std::future_status::ready) {
            ADD_FAILURE() << "the script still runs after the stop request";
            script.detach();
            (void)host.release();
            (void)in.release();
            continue;
        }
        script.join();
        EXPECT_EQ(status.get(), RunStatus::Stopped) << in->lastError().description;
    }
}
} // namespace
