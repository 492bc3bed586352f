#include "PrintHost.h"
#include "platform/basic/Interpreter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace platform::basic;
using tests::platform::basic::moduleOfCode;
using tests::platform::basic::PrintHost;

struct Snippet
{
    const char* name;
    const char* code; // the body of Sub Main, or a whole module when it has "Sub "
    const char* output;
    int error = 0; // the expected error number, 0 for none
    int line = 0;  // the expected line of the error (lines of the module)
};

std::string moduleOf(const Snippet& s)
{
    return moduleOfCode(s.code);
}

const Snippet kSnippets[] = {
    {"integer arithmetic", "Debug.Print 7 \\ 2; -7 \\ 2; 7 Mod 3; -7 Mod 3; 7 Mod -3",
     " 3 -3  1 -1  1\n"},
    {"division is double", "Debug.Print 7 / 2, 1 / 3", " 3.5           0.333333333333333\n"},
    {"integer division rounds operands", "Debug.Print 7.5 \\ 2, 6.5 \\ 2", " 4             3\n"},
    {"power and unary minus", "Debug.Print -2 ^ 2; 2 ^ -1", "-4  0.5\n"},
    {"integer overflow", "Dim i As Integer\ni = 32767\ni = i + 1", "", 6, 4},
    {"long overflow", "Dim l As Long\nl = 2147483647\nl = l + 1", "", 6, 4},
    {"literal widening", "Debug.Print 32767 + 1", " 32768\n"},
    {"assign overflow", "Dim i As Integer\ni = 70000", "", 6, 3},
    {"type mismatch", "Dim i As Integer\ni = \"abc\"", "", 13, 3},
    {"text to number", "Dim d As Double\nd = \"2.5\"\nDebug.Print d * 2", " 5\n"},
    {"concatenation", "Debug.Print \"a\" & 1 & True & 2.5", "a1True2.5\n"},
    {"plus on text", "Debug.Print \"1\" + \"2\"; \"1\" + 2", "12 3\n"},
    {"double text", "Debug.Print 0.1 + 0.2; 1E+20; 1/4", " 0.3  1E+20  0.25\n"},
    {"booleans", "Debug.Print True, Not True, True + 1, CInt(True)",
     "True          False          0            -1\n"},
    {"bitwise", "Debug.Print 12 And 10; 12 Or 3; 5 Xor 1; Not 0", " 8  15  4 -1\n"},
    {"string comparison", "Debug.Print \"abc\" < \"abd\"; \"B\" < \"a\"; \"x\" = \"x\"",
     "TrueTrueTrue\n"},
    {"mixed comparison", "Debug.Print 10 > \"9\"", "True\n"},
    {"for with changing bounds",
     "Dim n As Integer, i As Integer, c As Integer\nn = 3\nFor i = 1 To n\n n = 10\n c = c + "
     "1\nNext\nDebug.Print c; i",
     " 3  4\n"},
    {"for step down", "Dim i\nFor i = 10 To 1 Step -4\nDebug.Print i;\nNext\nDebug.Print",
     " 10  6  2\n"},
    {"for never runs", "Dim i\nFor i = 5 To 1\nDebug.Print \"x\"\nNext\nDebug.Print i", " 5\n"},
    {"exit for and do",
     "Dim i\nFor i = 1 To 10\nIf i = 3 Then Exit For\nNext\nDo\ni = i + 1\nIf i > 5 Then Exit "
     "Do\nLoop\nDebug.Print i",
     " 6\n"},
    {"select case forms",
     "Sub Main\nDim v\nFor Each v In Array2()\nSelect Case v\nCase 1, 2\nDebug.Print "
     "\"one-two\"\nCase 3 To 5\nDebug.Print \"range\"\nCase Is > 100\nDebug.Print \"big\"\nCase "
     "Else\nDebug.Print \"else\"\nEnd Select\nNext\nEnd Sub\nFunction Array2()\nDim a(4)\na(0) = "
     "2: a(1) = 4: a(2) = 200: a(3) = 7: a(4) = 1\nArray2 = a\nEnd Function\n",
     "one-two\nrange\nbig\nelse\none-two\n"},
    {"select on text",
     "Select Case \"b\"\nCase \"a\"\nDebug.Print 1\nCase \"b\", \"c\"\nDebug.Print 2\nEnd Select",
     " 2\n"},
    {"do until and while wend",
     "Dim i\nDo Until i >= 3\ni = i + 1\nLoop\nWhile i < 5\ni = i + 1\nWend\nDo\ni = i + 1\nLoop "
     "While i < 7\nDebug.Print i",
     " 7\n"},
    {"single-line if",
     "Dim x\nx = 5\nIf x > 3 Then Debug.Print \"big\": Debug.Print \"yes\" Else Debug.Print "
     "\"small\"",
     "big\nyes\n"},
    {"if elseif",
     "Dim x\nx = 2\nIf x = 1 Then\nDebug.Print 1\nElseIf x = 2 Then\nDebug.Print "
     "2\nElse\nDebug.Print 3\nEnd If",
     " 2\n"},
    {"on error resume next",
     "On Error Resume Next\nDim i As Integer\ni = 40000\nDebug.Print Err.Number; "
     "i\nErr.Clear\nDebug.Print Err.Number",
     " 6  0\n 0\n"},
    {"on error goto",
     "Sub Main\nOn Error GoTo Failed\nDebug.Print 1 / 0\nDebug.Print \"not here\"\nExit "
     "Sub\nFailed:\nDebug.Print \"caught\"; Err.Number; Err.Description\nEnd Sub\n",
     "caught 11 Division by zero\n"},
    {"error in handler propagates",
     "Sub Main\nOn Error GoTo H\nErr.Raise 5\nExit Sub\nH:\nErr.Raise 1000, , \"twice\"\nEnd Sub\n",
     "", 1000, 6},
    {"err raise with text", "Err.Raise 1234, \"src\", \"custom failure\"", "", 1234, 2},
    {"error in callee reaches handler",
     "Sub Main\nOn Error Resume Next\nFail\nDebug.Print Err.Number\nEnd Sub\nSub Fail\nDim "
     "a(2)\na(3) = 1\nEnd Sub\n",
     " 9\n"},
    {"array bounds", "Dim a(1 To 3) As Double\na(0) = 1", "", 9, 3},
    {"lbound ubound",
     "Dim a(2 To 5, 3) As Long\nDebug.Print LBound(a); UBound(a); LBound(a, 2); UBound(a, 2)",
     " 2  5  0  3\n"},
    {"redim preserve",
     "Dim a() As Integer\nReDim a(2)\na(2) = 7\nReDim Preserve a(4)\nDebug.Print a(2); "
     "UBound(a)\nReDim a(1)\nDebug.Print a(1)",
     " 7  4\n 0\n"},
    {"redim of fixed array", "Dim a(3)\nReDim a(5)", "", 10, 3},
    {"recursion",
     "Sub Main\nDebug.Print Fact(10)\nEnd Sub\nFunction Fact(n As Integer) As Long\nIf n <= 1 "
     "Then\nFact = 1\nElse\nFact = n * Fact(n - 1)\nEnd If\nEnd Function\n",
     " 3628800\n"},
    {"ten thousand nested calls",
     "Sub Main\nDebug.Print Depth(10000)\nEnd Sub\nFunction Depth(n As Long) As Long\nIf n = 0 "
     "Then\nDepth = 0\nElse\nDepth = Depth(n - 1) + 1\nEnd If\nEnd Function\n",
     " 10000\n"},
    {"infinite recursion is trappable",
     "Sub Main\nOn Error Resume Next\nDeep 1\nDebug.Print Err.Number; Err.Description\nEnd "
     "Sub\nSub Deep(n)\nDeep n + 1\nEnd Sub\n",
     " 28 Out of stack space\n"},
    {"deep recursion is an error", "Sub Main\nDeep 1\nEnd Sub\nSub Deep(n)\nDeep n + 1\nEnd Sub\n",
     "", 28, 5},
    {"byref and byval",
     "Sub Main\nDim a, b\na = 1: b = 1\nBump a, b\nDebug.Print a; b\nBump (a), b\nDebug.Print a; "
     "b\nEnd Sub\nSub Bump(x, ByVal y)\nx = x + 1\ny = y + 1\nEnd Sub\n",
     " 2  1\n 2  1\n"},
    {"byref array element",
     "Sub Main\nDim a(2) As Double\nSetIt a(1)\nDebug.Print a(1)\nEnd Sub\nSub SetIt(v)\nv = "
     "4.5\nEnd Sub\n",
     " 4.5\n"},
    {"optional arguments",
     "Sub Main\nDebug.Print Add(1); Add(1, 5)\nEnd Sub\nFunction Add(a, Optional b = 10)\nAdd = a "
     "+ b\nEnd Function\n",
     " 11  6\n"},
    {"wrong argument count", "Sub Main\nAdd 1, 2, 3\nEnd Sub\nSub Add(a, b)\nEnd Sub\n", "", 450,
     2},
    {"module state and constants",
     "Option Explicit\nConst Base = 100\nDim total As Long\nSub Main\nAddOne\nAddOne\nDebug.Print "
     "total + Base\nEnd Sub\nSub AddOne\ntotal = total + 1\nEnd Sub\n",
     " 102\n"},
    {"option explicit", "Option Explicit\nSub Main\nx = 1\nEnd Sub\n", "", 1003, 3},
    {"string functions",
     "Debug.Print Len(\"hello\"); Left(\"hello\", 2); Right(\"hello\", 3); Mid(\"hello\", 2, 2); "
     "InStr(\"hello\", \"l\"); InStr(4, \"hello\", \"l\")",
     " 5 helloel 3  4\n"},
    {"more string functions",
     "Debug.Print UCase(\"ab\") & LCase(\"CD\") & \"[\" & Trim(\"  x  \") & \"]\" & "
     "Replace(\"a-b-c\", \"-\", \"+\") & Chr(65) & Asc(\"a\") & Hex(255) & Str(5) & Val(\" "
     "12.5abc\")",
     "ABcd[x]a+b+cA97FF 512.5\n"},
    {"conversions",
     "Debug.Print CInt(2.5); CInt(3.5); CLng(\"12\"); CDbl(\"1.5\"); CBool(5); CStr(7)",
     " 2  4  12  1.5 True7\n"},
    {"conversion overflow", "Debug.Print CInt(40000)", "", 6, 2},
    {"maths", "Debug.Print Abs(-3); Sqr(16); Int(-2.5); Fix(-2.5); Round(2.567, 2); Exp(0); Log(1)",
     " 3  4 -3 -2  2.57  1  0\n"},
    {"format",
     "Debug.Print Format(3.14159, \"0.00\"); \" \"; Format(1234567.891, \"#,##0.0\"); \" \"; "
     "Format(0.000123, \"0.00E+00\")",
     "3.14 1,234,567.9 1.23E-04\n"},
    {"is functions",
     "Dim v\nDebug.Print IsEmpty(v); IsNumeric(\"1.5\"); IsNumeric(\"x\"); IsObject(Nothing)",
     "TrueTrueFalseTrue\n"},
    {"with and nothing", "Dim o As Object\nDebug.Print o Is Nothing", "True\n"},
    {"object not set", "Dim o As Object\no.Foo", "", 91, 3},
    {"unknown sub", "NoSuchThing 1", "", 35, 2},
    {"msgbox", "Dim r\nr = MsgBox(\"hi\", vbYesNo)\nDebug.Print r", "[box] hi\n 1\n"},
    {"line continuation", "Debug.Print 1 + _\n  2", " 3\n"},
    {"rem and comments", "Rem a comment\nDebug.Print 1 ' trailing", " 1\n"},
    {"end stops quietly", "Debug.Print 1\nEnd\nDebug.Print 2", " 1\n"},
    {"appending keeps the order of evaluation",
     "Dim t As String\nSub Main\nt = \"a\"\nt = t & t\nt = t & Chr(66) & 1\nt = t & Change()\n"
     "Debug.Print t\nEnd Sub\nFunction Change()\nt = \"zz\"\nChange = \"!\"\nEnd Function\n",
     "aaB1!\n"},
    {"for each over array",
     "Dim a(2) As Integer, v, s\na(0) = 1: a(1) = 2: a(2) = 3\nFor Each v In a\ns = s + "
     "v\nNext\nDebug.Print s",
     " 6\n"},
    {"division by zero", "Dim x\nx = 1 \\ 0", "", 11, 3},
    {"text too long", "Dim s\ns = Space(2000000000)", "", 7, 3},
    {"long operator chain", "Debug.Print 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 + 10", " 55\n"},
    {"redim preserve keeps 2-d elements at their indices",
     "Dim m() As Long, i, j\nReDim m(2, 3)\nFor i = 0 To 2: For j = 0 To 3: m(i, j) = 10 * i + j: "
     "Next: Next\nReDim Preserve m(2, 5)\nFor i = 0 To 2\nFor j = 0 To 5\nDebug.Print m(i, "
     "j);\nNext\nDebug.Print\nNext\nReDim Preserve m(2, 1)\nDebug.Print m(1, 0); m(1, 1); m(2, "
     "1); UBound(m, 2)",
     " 0  1  2  3  0  0\n 10  11  12  13  0  0\n 20  21  22  23  0  0\n 10  11  21  1\n"},
    {"redim preserve of another dimension", "Dim m()\nReDim m(2, 3)\nReDim Preserve m(3, 3)", "", 9,
     4},
    {"redim preserve of a lower bound", "Dim m()\nReDim m(2, 3)\nReDim Preserve m(2, 1 To 3)", "",
     9, 4},
    {"variants widen integer to long to double",
     "Dim v, w, x\nv = 32767: v = v + 1\nw = 2147483647: w = w + 1\nx = 65536: x = x * "
     "x\nDebug.Print v; TypeName(v); w; TypeName(w); x; -(-2147483647 - 1)",
     " 32768 Long 2147483648 Double 4294967296  2147483648\n"},
    {"typed long operand overflows", "Dim l As Long\nl = 2147483647\nDebug.Print l + 1", "", 6, 4},
    {"typed integer at its limit", "Dim i As Integer\ni = -32768\nDebug.Print i; i - 1", "", 6, 4},
    {"format rounds half away from zero",
     "Debug.Print Format(2.5, \"0\"); \" \"; Format(1234.5, \"0\"); \" \"; Format(-2.5, \"0\"); "
     "\" \"; Format(1.005, \"0.00\"); \" \"; Format(0.125, \"#,##0.00\"); \" \"; Format(9.995, "
     "\"0.00\"); \" \"; Format(0.5, \"0\"); \" \"; Format(0.4, \"0\")",
     "3 1235 -3 1.01 0.13 10.00 1 0\n"},
    {"err source from raise",
     "On Error Resume Next\nErr.Raise 513, \"MySrc\"\nDebug.Print Err.Number; "
     "Err.Source\nErr.Raise "
     "5\nDebug.Print Err.Source\nErr.Clear\nDebug.Print \"[\" & Err.Source & \"]\"",
     " 513 MySrc\nTest\n[]\n"},
    {"bare resume runs the failed statement again",
     "Sub Main\nDim d\nOn Error GoTo Fix\nDebug.Print 10 / d\nExit Sub\nFix:\nd = 5\nResume\nEnd "
     "Sub\n",
     " 2\n"},
    {"resume next goes on inside a loop",
     "Sub Main\nDim i\nOn Error GoTo H\nFor i = 1 To 3\nIf i = 2 Then Err.Raise 5\nDebug.Print "
     "i;\nNext\nDebug.Print Err.Number\nExit Sub\nH:\nDebug.Print \"e\"; Err.Number;\nResume "
     "Next\nEnd Sub\n",
     " 1 e 5  2  3  0\n"},
    {"resume to a label",
     "Sub Main\nOn Error GoTo H\nErr.Raise 7\nAgain:\nDebug.Print \"again\"; "
     "Err.Number\nExit Sub\nH:\nResume Again\nEnd Sub\n",
     "again 0\n"},
    {"handler running off the end ends the procedure",
     "Sub Main\nInner\nDebug.Print \"back\"\nEnd Sub\nSub Inner\nOn Error GoTo H\nErr.Raise "
     "9\nH:\nDebug.Print \"handled\"\nEnd Sub\n",
     "handled\nback\n"},
    {"resume without error", "Resume Next", "", 20, 2},
    {"gosub and return",
     "Sub Main\nDim n\nn = 1\nGoSub Twice\nGoSub Twice\nDebug.Print n\nExit Sub\nTwice:\nn = n * "
     "2\nReturn\nEnd Sub\n",
     " 4\n"},
    {"return without gosub", "Return", "", 3, 2},
    {"date literals and parts",
     "Dim d As Date\nd = #2/28/2024#\nDebug.Print d; Year(d); Month(d); Day(d); Weekday(d)",
     "2/28/2024 2024  2  28  4\n"},
    {"date arithmetic across a leap day and a month",
     "Dim d As Date\nd = #2/28/2024#\nDebug.Print (d + 1) & \" \" & (d + 2) & \" \" & "
     "DateAdd(\"m\", 1, #1/31/2024#) & \" \" & DateAdd(\"yyyy\", 1, #2/29/2024#) & \" \" & "
     "DateDiff(\"d\", #2/1/2024#, #3/1/2024#) & \" \" & DateAdd(\"d\", 1, #1/31/2023#)",
     "2/29/2024 3/1/2024 2/29/2024 2/28/2025 29 2/1/2023\n"},
    {"dateserial and timeserial carry",
     "Debug.Print DateSerial(2023, 14, 0) & \"|\" & DateSerial(24, 1, 1) & \"|\" & TimeSerial(13, "
     "5, 9) & \"|\" & DateSerial(2024, 3, 1) + TimeSerial(25, 0, 0)",
     "1/31/2024|1/1/2024|1:05:09 PM|3/2/2024 1:00:00 AM\n"},
    {"datediff and datepart units",
     "Debug.Print DateDiff(\"m\", #1/31/2024#, #2/1/2024#); DateDiff(\"yyyy\", #12/31/2023#, "
     "#1/1/2024#); DateDiff(\"h\", #1/1/2024 23:00#, #1/2/2024 01:30#); DatePart(\"q\", "
     "#8/15/2024#); DatePart(\"y\", #3/1/2024#); DateDiff(\"ww\", #1/6/2024#, #1/7/2024#)",
     " 1  1  2  3  61  1\n"},
    {"format with date patterns",
     "Dim d As Date\nd = #3/9/2024 14:05:07#\nDebug.Print Format(d, \"yyyy-mm-dd hh:nn:ss\") & "
     "\"|\" & Format(d, \"dddd, mmmm d\") & \"|\" & Format(d, \"h:mm AM/PM\") & \"|\" & Format(d, "
     "\"Short Date\") & \"|\" & d",
     "2024-03-09 14:05:07|Saturday, March 9|2:05 PM|3/9/2024|3/9/2024 2:05:07 PM\n"},
    {"cdate isdate and text",
     "Debug.Print CDate(\"2024-02-29\") & \"|\" & IsDate(\"2/30/2024\") & \"|\" & IsDate(\"March "
     "3, 2024\") & \"|\" & TypeName(Now) & \"|\" & VarType(Date) & \"|\" & CDate(\"3:30 PM\") & "
     "\"|\" & CStr(#1/2/2024#)",
     "2/29/2024|False|True|Date|7|3:30:00 PM|1/2/2024\n"},
    {"difference of two dates",
     "Debug.Print #3/1/2024# - #2/1/2024#; TypeName(#3/1/2024# - #2/1/2024#)", " 29 Double\n"},
    {"text that is no date", "Debug.Print CDate(\"someday\")", "", 13, 2},
    {"clock functions",
     "Debug.Print Year(Now) > 2000; Time < 1; Timer >= 0; Int(Date) = Date; Hour(#6:30 PM#); "
     "Minute(#6:30 PM#)",
     "TrueTrueTrueTrue 18  30\n"},
    {"option base 1",
     "Option Base 1\nSub Main\nDim a(3), b\nb = Array(5, 6)\nDebug.Print LBound(a); UBound(a); "
     "LBound(b); b(1)\nEnd Sub\n",
     " 1  3  1  5\n"},
    {"option compare text",
     "Option Compare Text\nSub Main\nDebug.Print \"abc\" = \"ABC\"; InStr(\"Hello\", \"LL\"); "
     "StrComp(\"a\", \"B\"); \"b\" Like \"[A-C]\"\nSelect Case \"X\"\nCase \"x\": Debug.Print "
     "\"case\"\nEnd Select\nEnd Sub\n",
     "True 3 -1 True\ncase\n"},
    {"binary compare by default",
     "Debug.Print \"abc\" = \"ABC\"; StrComp(\"a\", \"B\"); StrComp(\"a\", \"B\", vbTextCompare); "
     "InStr(1, \"Hello\", \"LL\", 1)",
     "False 1 -1  3\n"},
    {"iif choose switch",
     "Debug.Print IIf(1 > 2, \"a\", \"b\"); Choose(2, \"x\", \"y\", \"z\"); Switch(False, 1, True, "
     "2); IsEmpty(Choose(5, 1))",
     "by 2 True\n"},
    {"instrrev and strreverse",
     "Debug.Print InStrRev(\"a.b.c\", \".\"); StrReverse(\"abc\"); InStrRev(\"a.b.c\", \".\", 3); "
     "InStrRev(\"abc\", \"x\")",
     " 4 cba 2  0\n"},
    {"split join filter",
     "Dim p\np = Split(\"a,b,,c\", \",\")\nDebug.Print UBound(p); Join(p, \"-\"); Join(Filter(p, "
     "\"b\"), \"+\"); UBound(Split(\"\")); Join(Split(\"a b c\"), \"|\"); UBound(Split(\"a,b,c\", "
     "\",\", 2))",
     " 3 a-b--cb-1 a|b|c 1\n"},
    {"split into a typed array",
     "Dim parts() As String\nparts = Split(\"x;y\", \";\")\nDebug.Print parts(1); UBound(parts)",
     "y 1\n"},
    {"array and vartype",
     "Dim a\na = Array(1, \"two\", 3.5)\nDebug.Print VarType(a); VarType(a(1)); VarType(1&); "
     "IsNull(a); TypeName(a(2)); LBound(a)",
     " 8204  8  3 FalseDouble 0\n"},
    {"chrw ascw oct cbyte ccur", "Debug.Print AscW(ChrW(8364)); Oct(8); CByte(200); CCur(1.23456)",
     " 8364 10 200  1.2346\n"},
    {"cbyte overflow", "Debug.Print CByte(256)", "", 6, 2},
    {"named arguments",
     "Sub Main\nDebug.Print Pair(b:=2, a:=1); Pair(3, b:=4)\nShow text:=\"hi\"\nEnd Sub\nFunction "
     "Pair(a, Optional b = 0)\nPair = a * 10 + b\nEnd Function\nSub Show(Optional n = 1, Optional "
     "text = \"\")\nDebug.Print text; n\nEnd Sub\n",
     " 12  34\nhi 1\n"},
    {"named arguments of built-ins",
     "Dim r\nr = MsgBox(Title:=\"t\", Prompt:=\"hello\")\nDebug.Print InStr(string1:=\"abcb\", "
     "string2:=\"b\", start:=3); DateSerial(day:=2, month:=1, year:=2024)",
     "[box] hello\n 4 1/2/2024\n"},
    {"unknown named argument", "Sub Main\nPair x:=1\nEnd Sub\nSub Pair(a)\nEnd Sub\n", "", 448, 2},
    {"like",
     "Debug.Print \"abc\" Like \"a*\"; \"abc\" Like \"a?d\"; \"a1\" Like \"a#\"; \"F\" Like "
     "\"[!a-z]\"; \"x*\" Like \"x[*]\"; \"abcabd\" Like \"*ab?\"",
     "TrueFalseTrueTrueTrueTrue\n"},
    {"type suffixes",
     "Dim y&, s$, i%\ny = 40000: s = 5: i = 7\nDebug.Print TypeName(y); TypeName(s); TypeName(i); "
     "y& + 1",
     "LongStringInteger 40001\n"},
    {"ampersand between names", "Dim a, b\na = \"x\": b = \"y\"\nDebug.Print a&b; a&\"z\"",
     "xyxz\n"},
    {"paramarray",
     "Sub Main\nDebug.Print Total(1, 2, 3); Total()\nEnd Sub\nFunction Total(ParamArray n())\nDim "
     "v, s\nFor Each v In n\ns = s + v\nNext\nTotal = s + UBound(n) + 1\nEnd Function\n",
     " 9  0\n"},
    {"user-defined types",
     "Type Point\nx As Double\ny As Double\nEnd Type\nPrivate Type Segment\na As Point\nb As "
     "Point\nname As String\nEnd Type\nSub Main\nDim p As Point, q As Point, s As Segment, pts(2) "
     "As Point\np.x = 1: p.y = 2\nq = p\nq.x = 5\ns.a = p\ns.b.y = 7\npts(1).x = 3\ns.name = "
     "\"seg\"\nDebug.Print p.x; q.x; s.a.y; s.b.y; pts(1).x; pts(0).x; TypeName(s); s.name\nShift "
     "p\nDebug.Print p.x\nEnd Sub\nSub Shift(pt As Point)\npt.x = pt.x + 10\nEnd Sub\n",
     " 1  5  2  7  3  0 Segmentseg\n 11\n"},
    {"user-defined type field mismatch",
     "Type Point\nx As Double\nEnd Type\nSub Main\nDim p As Point\np.x = \"abc\"\nEnd Sub\n", "",
     13, 6},
    {"type holding itself", "Type Loop1\nnext1 As Loop1\nEnd Type\nSub Main\nEnd Sub\n", "", 1002,
     0},
    {"nested functions and strings",
     "Sub Main\nDebug.Print Rev(\"abc\")\nEnd Sub\nFunction Rev(s As String) As String\nDim i As "
     "Integer\nFor i = Len(s) To 1 Step -1\nRev = Rev & Mid(s, i, 1)\nNext\nEnd Function\n",
     "cba\n"},
};

TEST(LanguageTest, Snippets)
{
    for (const Snippet& s : kSnippets) {
        SCOPED_TRACE(s.name);
        PrintHost host;
        Interpreter in(host);
        ScriptError error;
        const std::string module = moduleOf(s);
        if (!in.load(module, "Test", error)) {
            EXPECT_EQ(error.number, s.error) << error.description << " at " << error.line;
            EXPECT_EQ(error.line, s.line);
            continue;
        }
        const RunStatus status = in.call("Main", {});
        if (s.error) {
            ASSERT_EQ(status, RunStatus::Failed) << host.output;
            EXPECT_EQ(in.lastError().number, s.error) << in.lastError().description;
            EXPECT_EQ(in.lastError().line, s.line) << in.lastError().description;
        } else {
            EXPECT_NE(status, RunStatus::Failed)
                << in.lastError().number << " " << in.lastError().description << " at line "
                << in.lastError().line;
        }
        EXPECT_EQ(host.output, s.output);
    }
}

TEST(LanguageTest, TextFiles)
{
    const char* dir = std::getenv("HARLUNE_TEST_DIR");
    ASSERT_NE(dir, nullptr);
    const std::string path = std::string(dir) + "/data.txt";
    struct Case
    {
        const char* name;
        std::string code;
        const char* output;
        int error;
    };
    const std::string open = "Open \"" + path + "\" For ";
    const Case cases[] = {
        {"write, append and read lines",
         open + "Output As #1\nPrint #1, \"first\"; 1\nClose #1\n" + open +
             "Append As #2\nPrint #2, \"second\"\nClose\n" + open +
             "Input As #1\nDim l\nDo While Not EOF(1)\nLine Input #1, l\nDebug.Print \"[\" & l & "
             "\"]\"\n"
             "Loop\nClose #1",
         "[first 1]\n[second]\n", 0},
        {"input fields",
         open + "Output As #3\nWrite #3, \"a b\", 2.5, 7\nClose #3\n" + open +
             "Input As #3\nDim s As String, d As Double, n\nInput #3, s, d, n\nClose #3\n"
             "Debug.Print s; d; n",
         "a b 2.5  7\n", 0},
        {"reading past the end",
         open + "Output As #1\nClose #1\n" + open + "Input As #1\nDim l\nLine Input #1, l", "", 62},
        {"missing file", "Open \"" + std::string(dir) + "/none/x.txt\" For Input As #1", "", 53},
        {"file number not open", "Print #9, 1", "", 52},
        {"dir and environ",
         open + "Output As #1\nClose #1\nDebug.Print Dir(\"" + std::string(dir) +
             "/dat?.txt\"); \"|\"; Dir; \"|\"; Dir(\"" + std::string(dir) +
             "/none*\"); \"|\"; Environ(\"HARLUNE_TEST_DIR\") = \"" + std::string(dir) + "\"",
         "data.txt|||True\n", 0},
        {"file number already open", open + "Output As #1\n" + open + "Output As #1", "", 55},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrintHost host;
        Interpreter in(host);
        ScriptError error;
        ASSERT_TRUE(in.load("Sub Main\n" + c.code + "\nEnd Sub\n", "Test", error))
            << error.description << " at " << error.line;
        const RunStatus status = in.call("Main", {});
        EXPECT_EQ(status == RunStatus::Failed ? in.lastError().number : 0, c.error)
            << in.lastError().description;
        EXPECT_EQ(host.output, c.output);
    }
}

TEST(LanguageTest, SyntaxErrorReportsItsLineAndRunsNothing)
{
    struct Case
    {
        const char* name;
        const char* code;
        int line;
        int column; // 0: not checked
    };
    const Case cases[] = {
        {"missing then", "Sub Main\nDebug.Print 1\nIf x Debug.Print 2\nEnd Sub\n", 3, 6},
        {"unclosed string", "Sub Main\nx = \"abc\nEnd Sub\n", 2, 5},
        {"missing end sub", "Sub Main\nDebug.Print 1\n", 3, 0},
        {"missing next", "Sub Main\nFor i = 1 To 2\nDebug.Print i\nEnd Sub\n", 4, 1},
        {"statement outside procedure", "Debug.Print 1\n", 1, 1},
        {"bad expression", "Sub Main\nx = 1 +\nEnd Sub\n", 2, 8},
        {"bad character", "Sub Main\n  x = 1 ` 2\nEnd Sub\n", 2, 9},
    };
    // Nesting too deep for the parser's bounds.
    const std::string deepParens =
        "Sub Main\nx = " + std::string(5000, '(') + "1" + std::string(5000, ')') + "\nEnd Sub\n";
    std::string deepIfs = "Sub Main\n";
    for (int i = 0; i < 5000; ++i) {
        deepIfs += "If 1 Then\n";
    }
    for (int i = 0; i < 5000; ++i) {
        deepIfs += "End If\n";
    }
    deepIfs += "End Sub\n";
    std::string longChain = "Sub Main\nx = 1";
    for (int i = 0; i < 200000; ++i) {
        longChain += " + 1";
    }
    longChain += "\nEnd Sub\n";
    const std::pair<std::string, const char*> deep[] = {
        {deepParens, "Expression or block nested too deeply"},
        {deepIfs, "Expression or block nested too deeply"},
        {longChain, "Expression too complex"}};
    for (const auto& [code, message] : deep) {
        PrintHost host;
        Interpreter in(host);
        ScriptError error;
        EXPECT_FALSE(in.load(code, "Test", error));
        EXPECT_EQ(error.description, message);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrintHost host;
        Interpreter in(host);
        ScriptError error;
        EXPECT_FALSE(in.load(c.code, "Test", error));
        EXPECT_EQ(error.line, c.line) << error.description;
        if (c.column != 0) {
            EXPECT_EQ(error.column, c.column) << error.description;
        }
        EXPECT_FALSE(error.description.empty());
        EXPECT_EQ(in.call("Main", {}), RunStatus::NotFound);
        EXPECT_EQ(host.output, "");
    }
}

} // namespace
