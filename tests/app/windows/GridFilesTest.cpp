// The grid's CSV files and spectrum import: golden bytes with both separator pairs, round
// trips, the reader's token table, failed saves and bad input.
#include "app/windows/GridCsv.h"
#include "app/windows/HarluneGridView.h"
#include "gridctrl/model/GridSystem.h"
#include "tests/app/windows/GridViewFakes.h"
#include "tests/app/windows/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using app::windows::CsvLine;
using app::windows::parseCsv;
using grid_test::FakeGridHost;
using gridctrl::model::CGridCellInfo;
using gridctrl::model::CGridControl;

// The user's locale as the grid reads it.
class LocaleSystem : public gridctrl::model::GridSystem
{
public:
    explicit LocaleSystem(QLocale locale) : m_locale(std::move(locale)) {}
    QLocale userLocale() const override { return m_locale; }

private:
    QLocale m_locale;
};

using app::windows::test::freshFolder;

std::string readBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A view over a grid, with the user's locale and the list separator of a case.
class GridFiles
{
public:
    GridFiles(QLocale locale, std::string separator)
        : system(std::move(locale)), installed(system), previousSeparator(gridListSeparator())
    {
        setGridListSeparator(std::move(separator));
        view = std::make_unique<CHarluneGridView>(host);
    }
    ~GridFiles() { setGridListSeparator(previousSeparator); }

    std::string text(int col, long row) { return view->grid().QuickGetText(col, row); }
    CGridCellInfo cell(int col, long row)
    {
        CGridCellInfo c;
        view->grid().GetCell(col, row, &c);
        return c;
    }

    LocaleSystem system;
    gridctrl::model::ScopedGridSystem installed;
    std::string previousSeparator;
    FakeGridHost host;
    std::unique_ptr<CHarluneGridView> view;
};

// The sheet of the golden files: a number, texts with a quote, the separator and a line
// break, and empty cells.
void fillGoldenSheet(CHarluneGridView& view, const std::string& separatorText)
{
    ASSERT_TRUE(view.InitGrid(3, 2, 1, nullptr));
    ASSERT_TRUE(view.SetCellPrecision(1, 1, 1));
    ASSERT_TRUE(view.SetCellValue(1, 1, 2.5));
    ASSERT_TRUE(view.SetCellText(2, 1, "say \"hi\"" + separatorText + " ok"));
    ASSERT_TRUE(view.SetCellText(3, 2, "two\r\nlines"));
}

TEST(GridCsvGoldenTest, CommaAndPoint)
{
    GridFiles files(QLocale::c(), ",");
    fillGoldenSheet(*files.view, ",");
    const fs::path path = freshFolder("golden-c") / "sheet.csv";
    ASSERT_TRUE(files.view->SaveSheet(0, path.string()));
    EXPECT_EQ(readBytes(path), "\"\",\"1\",\"2\",\"3\"\r\n"
                               "\"1\",2.5,\"say \"\"hi\"\", ok\",\"\"\r\n"
                               "\"2\",\"\",\"\",\"two\r\nlines\"\r\n");
}

TEST(GridCsvGoldenTest, SemicolonAndComma)
{
    GridFiles files(QLocale(QLocale::German, QLocale::Germany), ";");
    fillGoldenSheet(*files.view, ";");
    const fs::path path = freshFolder("golden-de") / "sheet.csv";
    ASSERT_TRUE(files.view->SaveSheet(0, path.string()));
    EXPECT_EQ(readBytes(path), "\"\";\"1\";\"2\";\"3\"\r\n"
                               "\"1\";2,5;\"say \"\"hi\"\"; ok\";\"\"\r\n"
                               "\"2\";\"\";\"\";\"two\r\nlines\"\r\n");

    // Read back: the bare 2,5 is the number 2.5, the texts come back whole.
    ASSERT_TRUE(files.view->OpenSheetIntoNew(path.string(), "back"));
    EXPECT_EQ(files.view->grid().GetCurrentSheet(), 1);
    EXPECT_DOUBLE_EQ(files.cell(0, 0).GetNumber(), 2.5);
    EXPECT_EQ(files.cell(0, 0).GetFormat(), CGridCellInfo::kFormatNumber);
    EXPECT_EQ(files.text(1, 0), "say \"hi\"; ok");
    EXPECT_EQ(files.text(2, 1), "two\r\nlines");
    EXPECT_EQ(files.text(1, 1), "");
}

TEST(GridCsvRoundTripTest, TextsNumbersAndBooleansComeBack)
{
    GridFiles files(QLocale::c(), ",");
    CHarluneGridView& view = *files.view;
    ASSERT_TRUE(view.InitGrid(4, 3, 1, nullptr));
    const std::string texts[] = {"a,b", "\"quoted\"", "line\nbreak", "", "plain", "\"", ",,"};
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(view.SetCellText(1 + i % 4, 1 + i / 4, texts[i]));
    ASSERT_TRUE(view.SetCellPrecision(4, 2, 9));
    ASSERT_TRUE(view.SetCellValue(4, 2, 3.141592653));
    ASSERT_TRUE(view.SetCellExponentialFormat(1, 3, true));
    ASSERT_TRUE(view.SetCellValue(1, 3, -1.5e-7));
    // A Boolean cell: its text with format 3, written quoted.
    ASSERT_TRUE(view.SetCellText(2, 3, "1"));
    ASSERT_TRUE(view.SetCellFormat(2, 3, CGridCellInfo::kFormatBool));
    const fs::path path = freshFolder("roundtrip") / "sheet.csv";
    ASSERT_TRUE(view.SaveSheet(0, path.string()));
    ASSERT_TRUE(view.OpenSheetIntoNew(path.string(), nullptr));
    EXPECT_EQ(view.grid().GetTabLabel(1), path.string());
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(files.text(i % 4, i / 4), texts[i]);
    }
    EXPECT_DOUBLE_EQ(files.cell(3, 1).GetNumber(), 3.141592653);
    EXPECT_DOUBLE_EQ(files.cell(0, 2).GetNumber(), -1.5e-7);
    EXPECT_EQ(files.text(1, 2), "1");

    // Written again, the read sheet gives the same cells.
    const fs::path again = path.parent_path() / "again.csv";
    ASSERT_TRUE(view.SaveSheet(1, again.string()));
    EXPECT_EQ(view.grid().GetCurrentSheet(), 1);
    ASSERT_TRUE(view.SaveSheet(0, path.string()));
    EXPECT_EQ(view.grid().GetCurrentSheet(), 1) << "saving another sheet keeps the current one";
}

TEST(GridCsvReaderTest, TokenTable)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::vector<std::vector<std::string>> lines;
    };
    const Case cases[] = {
        {"plain", "a,b,c\r\n1,2,3\r\n", {{"a", "b", "c"}, {"1", "2", "3"}}},
        {"LF only", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"no last break", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"empty field", "a,,b\n", {{"a", "", "b"}}},
        {"quoted separator", "\"a,b\",c\n", {{"a,b", "c"}}},
        {"doubled quote", "\"say \"\"hi\"\"\",x\n", {{"say \"hi\"", "x"}}},
        {"line break in quotes", "\"two\r\nlines\",x\r\n", {{"two\r\nlines", "x"}}},
        {"empty quotes", "\"\",\"\"\n", {{"", ""}}},
        {"only a break", "\n", {{""}}},
        {"empty", "", {}},
        {"NUL dropped", std::string("a\0b,c\n", 6), {{"ab", "c"}}},
        {"open quote runs to the end", "\"a,b\nc", {{"a,b\nc"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<CsvLine> lines = parseCsv(c.bytes, ",");
        ASSERT_EQ(lines.size(), c.lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            ASSERT_EQ(lines[i].size(), c.lines[i].size()) << "line " << i;
            for (std::size_t k = 0; k < lines[i].size(); ++k)
                EXPECT_EQ(lines[i][k].text, c.lines[i][k]);
        }
    }
    EXPECT_DOUBLE_EQ(app::windows::csvNumber("1,5", ","), 1.5);
    EXPECT_DOUBLE_EQ(app::windows::csvNumber("2.5e3x", "."), 2500.0);
    EXPECT_DOUBLE_EQ(app::windows::csvNumber("abc", "."), 0.0);
    // What the fast decimal reader leaves alone reads as strtod reads it in the "C" locale.
    const struct
    {
        const char* token;
        const char* separator;
        double value;
    } numbers[] = {{"0x10", ".", 16.0},      {" 2.5", ".", 2.5},       {"+3", ".", 3.0},
                   {"-1,25e2", ",", -125.0}, {"1e999", ".", HUGE_VAL}, {"-.5", ".", -0.5},
                   {"7.", ".", 7.0},         {"1e", ".", 1.0},         {"", ".", 0.0}};
    for (const auto& n : numbers) {
        SCOPED_TRACE(n.token);
        EXPECT_EQ(app::windows::csvNumber(n.token, n.separator), n.value);
    }
}

TEST(GridCsvReaderTest, FourLinesOfThreeFieldsMakeTwoColumnsAndThreeRows)
{
    GridFiles files(QLocale::c(), ",");
    ASSERT_TRUE(files.view->InitGrid(2, 2, 1, nullptr));
    const fs::path path = freshFolder("four") / "four.csv";
    writeBytes(path, "\"c\",\"A\",\"B\"\r\n\"r1\",1,2\n\"r2\",3,4,99,100\r\n\"r3\",\"x\"\r\n");
    ASSERT_TRUE(files.view->OpenSheetIntoNew(path.string(), "four.csv"));
    auto& g = files.view->grid();
    EXPECT_EQ(g.GetNumberCols(), 2);
    EXPECT_EQ(g.GetNumberRows(), 3);
    EXPECT_EQ(files.text(-1, -1), "c");
    EXPECT_EQ(files.text(0, -1), "A");
    EXPECT_EQ(files.text(-1, 2), "r3");
    EXPECT_DOUBLE_EQ(files.cell(1, 1).GetNumber(), 4.0);
    EXPECT_EQ(files.text(1, 2), "") << "a short line leaves the rest of its row empty";
    EXPECT_EQ(files.text(0, 2), "x");
}

TEST(GridCsvReaderTest, AnEmptyFieldIsAnEmptyCell)
{
    GridFiles files(QLocale::c(), ",");
    ASSERT_TRUE(files.view->InitGrid(2, 2, 1, nullptr));
    const fs::path path = freshFolder("emptyfield") / "e.csv";
    writeBytes(path, "\"\",\"1\",\"2\",\"3\"\r\n\"1\",a,,b\r\n");
    ASSERT_TRUE(files.view->OpenSheetIntoNew(path.string(), nullptr));
    EXPECT_EQ(files.view->grid().GetNumberCols(), 3);
    EXPECT_EQ(files.text(1, 0), "");
    EXPECT_EQ(files.text(2, 0), "0.000000") << "b is no number";
}

TEST(GridCsvReaderTest, BadInputGivesFalseOrAWholeSheet)
{
    GridFiles files(QLocale::c(), ",");
    ASSERT_TRUE(files.view->InitGrid(2, 2, 1, nullptr));
    const fs::path folder = freshFolder("bad");
    struct Case
    {
        const char* name;
        std::string bytes;
        bool read;
    };
    std::string megabyte(1 << 20, 'x');
    std::string manyFields;
    for (int i = 0; i < 100000; ++i)
        manyFields += "1,";
    const Case cases[] = {
        {"empty", "", false},
        {"only a line break", "\r\n", true},
        {"NUL bytes", std::string("\"a\0\",1\n\0\0", 10), true},
        {"a line of a megabyte", "\"\"," + megabyte + "\n1,2\n", true},
        {"unbalanced quote", "\"\",\"open\n1,2\n", true},
        {"100,000 fields", manyFields + "\n", false},
        {"invalid UTF-8", "\"\",\"\xFF\xFE\xC3\"\n\"\x80\",1\n", true},
    };
    int sheets = files.view->grid().GetNumberSheets();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = folder / "bad.csv";
        writeBytes(path, c.bytes);
        EXPECT_EQ(files.view->OpenSheetIntoNew(path.string(), "bad"), c.read);
        if (c.read)
            ++sheets;
        EXPECT_EQ(files.view->grid().GetNumberSheets(), sheets);
    }
    // A folder and a missing file: FALSE, no sheet.
    EXPECT_FALSE(files.view->OpenSheetIntoNew(folder.string(), nullptr));
    EXPECT_FALSE(files.view->OpenSheetIntoNew((folder / "missing.csv").string(), nullptr));
    EXPECT_FALSE(files.view->OpenSpectrumIntoNew(folder.string(), nullptr));
    EXPECT_EQ(files.view->grid().GetNumberSheets(), sheets);
    EXPECT_TRUE(files.host.logged.empty());
}

TEST(GridCsvReaderTest, NoFileIsReadOverTheCurrentSheetAtTheLastSheet)
{
    GridFiles files(QLocale::c(), ",");
    ASSERT_TRUE(files.view->InitGrid(2, 2, 1, nullptr));
    ASSERT_TRUE(files.view->SetCellText(1, 1, "keep"));
    ASSERT_EQ(files.view->grid().SetNumberSheets(CGridControl::kMaxSheets), 0);
    const fs::path path = freshFolder("full") / "f.csv";
    writeBytes(path, "\"\",\"1\"\r\n\"1\",\"new\"\r\n");
    EXPECT_FALSE(files.view->OpenSheetIntoNew(path.string(), nullptr));
    EXPECT_FALSE(files.view->OpenSpectrumIntoNew(path.string(), nullptr));
    EXPECT_EQ(files.text(0, 0), "keep");
}

TEST(GridCsvSaveTest, RefusedOrFailedSaveLeavesTheFileAsItWas)
{
    GridFiles files(QLocale::c(), ",");
    ASSERT_TRUE(files.view->InitGrid(17, 400, 1, nullptr));
    const fs::path folder = freshFolder("failed");
    const fs::path path = folder / "kept.csv";
    writeBytes(path, "previous contents");
    EXPECT_FALSE(files.view->SaveSheet(1, path.string()));
    EXPECT_FALSE(files.view->SaveSheet(-1, path.string()));
    EXPECT_EQ(readBytes(path), "previous contents");

    // The disk fills up half-way: files may not grow beyond 4 KB for this process.
    struct rlimit saved
    {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool result = files.view->SaveSheet(0, path.string());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(result);
    EXPECT_EQ(readBytes(path), "previous contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(GridCsvSaveTest, SaveAllNamesEverySheetInADottedFolder)
{
    GridFiles files(QLocale::c(), ",");
    CHarluneGridView& view = *files.view;
    ASSERT_TRUE(view.InitGrid(1, 1, 2, nullptr));
    ASSERT_TRUE(view.SetCellText(1, 1, "one"));
    ASSERT_TRUE(view.SetActiveSheet(2));
    ASSERT_TRUE(view.SetCellText(1, 1, "two"));
    ASSERT_TRUE(view.InsertSheet(1, 1, "/some/where/spec.scope"));
    const fs::path folder = freshFolder("all") / "my.data";
    fs::create_directories(folder);
    files.host.saveAnswer = (folder / "run.csv").string();
    ASSERT_TRUE(view.OnCommand(CHarluneGridView::ID_FILE_SAVE_ALL_SHEETS));
    ASSERT_EQ(files.host.dialogs.size(), 1u);
    EXPECT_EQ(files.host.dialogs[0].title, "Save Current Grid Sheet");
    EXPECT_EQ(files.host.dialogs[0].extension, "csv");
    EXPECT_NE(readBytes(folder / "run.Sheet 1.csv").find("\"one\""), std::string::npos);
    EXPECT_NE(readBytes(folder / "run.Sheet 2.csv").find("\"two\""), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "run._some_where_spec.scope.csv"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);

    // A chosen name without an extension in a dotted folder keeps the folder whole.
    const auto names = view.saveAllNames((folder / "run").string());
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].second, (folder / "run.Sheet 1.csv").string());
}

TEST(GridCsvSaveTest, SaveCurrentSheetSavesTheSheetOfTheCurrentTab)
{
    GridFiles files(QLocale::c(), ",");
    CHarluneGridView& view = *files.view;
    ASSERT_TRUE(view.InitGrid(1, 1, 3, nullptr));
    for (int s = 1; s <= 3; ++s) {
        ASSERT_TRUE(view.SetActiveSheet(s));
        ASSERT_TRUE(view.SetCellText(1, 1, "sheet" + std::to_string(s)));
    }
    ASSERT_TRUE(view.DeleteSheet(1)); // tab positions now differ from the ids
    ASSERT_TRUE(view.SetActiveSheet(3));
    const fs::path path = freshFolder("current") / "new.csv";
    files.host.saveAnswer = path.string();
    ASSERT_TRUE(view.OnCommand(CHarluneGridView::ID_FILE_SAVE_CURRENT_SHEET));
    EXPECT_NE(readBytes(path).find("\"sheet3\""), std::string::npos);
}

TEST(GridCsvOpenTest, OpenCommandLabelsEachFile)
{
    GridFiles files(QLocale::c(), ",");
    CHarluneGridView& view = *files.view;
    ASSERT_TRUE(view.InitGrid(1, 1, 1, nullptr));
    const fs::path folder = freshFolder("open");
    writeBytes(folder / "a.csv", "\"\",\"1\"\r\n\"1\",2\r\n");
    writeBytes(folder / "b.txt", "\"\",\"1\"\n\"1\",3\n");
    files.host.openAnswer = {(folder / "a.csv").string(), (folder / "b.txt").string()};
    ASSERT_TRUE(view.OnCommand(CHarluneGridView::ID_FILE_OPEN_CSV));
    ASSERT_EQ(view.grid().GetNumberSheets(), 3);
    EXPECT_EQ(view.grid().GetTabLabel(1), "a.csv");
    EXPECT_EQ(view.grid().GetTabLabel(2), "b.txt");
    ASSERT_EQ(files.host.dialogs.size(), 1u);
    EXPECT_EQ(files.host.dialogs[0].title, "Open Grid File");
    ASSERT_EQ(files.host.dialogs[0].filters.size(), 2u);
    EXPECT_EQ(files.host.dialogs[0].filters[0].text, "CSV Files (*.csv)");
}

std::string spectrumFile(int headerLines, const std::vector<std::string>& data, bool end = true)
{
    std::string bytes;
    for (int i = 0; i < headerLines - 1; ++i)
        bytes += "Header line " + std::to_string(i) + ": x\r\n";
    bytes += ">>>>>Begin Spectral Data<<<<<\r\n";
    for (const std::string& line : data)
        bytes += line + "\r\n";
    if (end)
        bytes += ">>>>>End Spectral Data<<<<<\r\n";
    return bytes;
}

TEST(GridSpectrumImportTest, HeaderPairsAndMarkers)
{
    GridFiles files(QLocale::c(), ",");
    CHarluneGridView& view = *files.view;
    ASSERT_TRUE(view.InitGrid(1, 1, 1, nullptr));
    const fs::path path = freshFolder("spectrum") / "s.scope";
    writeBytes(path, spectrumFile(10, {"350.123456\t0.000001", "351.5\t2", "oops", "352\t-3.25",
                                       "353.000001\t1234567.654321"}));
    ASSERT_TRUE(view.OpenSpectrumIntoNew(path.string(), ""));
    auto& g = view.grid();
    EXPECT_EQ(g.GetTabLabel(1), path.string());
    EXPECT_EQ(g.GetNumberCols(), 3);
    EXPECT_EQ(g.GetNumberRows(), 16);
    EXPECT_EQ(files.text(0, 0), "Header line 0: x");
    EXPECT_EQ(files.text(0, 9), ">>>>>Begin Spectral Data<<<<<");
    EXPECT_EQ(files.text(0, 10), "350.123456");
    EXPECT_EQ(files.text(1, 10), "0.000001");
    EXPECT_EQ(files.text(0, 14), "353.000001");
    EXPECT_EQ(files.text(1, 14), "1234567.654321");
    EXPECT_DOUBLE_EQ(files.cell(1, 14).GetNumber(), 1234567.654321);
    EXPECT_EQ(files.text(0, 12), "") << "a line that is not two numbers stays empty";
    EXPECT_EQ(files.text(1, 12), "");
    EXPECT_EQ(files.text(0, 15), ">>>>>End Spectral Data<<<<<");
    EXPECT_EQ(files.text(2, 10), "");
}

TEST(GridSpectrumImportTest, MissingMarkersReadWhatThereIsAndAnswerFalse)
{
    GridFiles files(QLocale::c(), ",");
    CHarluneGridView& view = *files.view;
    ASSERT_TRUE(view.InitGrid(1, 1, 1, nullptr));
    const fs::path folder = freshFolder("markers");
    writeBytes(folder / "noend.scope", spectrumFile(2, {"1\t2", "3\t4"}, false));
    EXPECT_FALSE(view.OpenSpectrumIntoNew((folder / "noend.scope").string(), "noend"));
    EXPECT_EQ(view.grid().GetNumberRows(), 4);
    EXPECT_DOUBLE_EQ(files.cell(1, 3).GetNumber(), 4.0);
    writeBytes(folder / "nobegin.scope", "a\nb\n");
    EXPECT_FALSE(view.OpenSpectrumIntoNew((folder / "nobegin.scope").string(), "nobegin"));
    EXPECT_EQ(files.text(0, 1), "b");
    writeBytes(folder / "empty.scope", "");
    const int sheets = view.grid().GetNumberSheets();
    EXPECT_FALSE(view.OpenSpectrumIntoNew((folder / "empty.scope").string(), nullptr));
    EXPECT_EQ(view.grid().GetNumberSheets(), sheets);
}

TEST(GridSpectrumImportTest, MoreThan4096PointsAreRead)
{
    GridFiles files(QLocale::c(), ",");
    CHarluneGridView& view = *files.view;
    ASSERT_TRUE(view.InitGrid(1, 1, 1, nullptr));
    std::vector<std::string> data;
    for (int i = 0; i < 5000; ++i)
        data.push_back(std::to_string(i) + ".500000\t1.000000");
    const fs::path path = freshFolder("many") / "many.scope";
    writeBytes(path, spectrumFile(1, data));
    ASSERT_TRUE(view.OpenSpectrumIntoNew(path.string(), "many"));
    EXPECT_EQ(view.grid().GetNumberRows(), 5002);
    EXPECT_DOUBLE_EQ(files.cell(0, 5000).GetNumber(), 4999.5);
}

} // namespace
