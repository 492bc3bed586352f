#include "toolkit/widgets/COXFontListBox.h"

#include "platform/framework/ControlIds.h"
#include "platform/win/AppProfile.h"
#include "toolkit/widgets/COXFontComboBox.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Face = COXFontListBox::FontFace;
namespace profile = platform::win::app_profile;

Face face(const std::string& name, uint32_t type = COXFontListBox::TRUETYPE_FONTTYPE,
          uint8_t charSet = 0)
{
    Face f;
    platform::qt::setFaceName(f.logFont, name);
    f.logFont.lfCharSet = charSet;
    f.fontType = type;
    return f;
}

std::vector<std::string> texts(const COXListBoxEx& box)
{
    std::vector<std::string> all;
    for (int i = 0; i < box.GetCount(); ++i)
        all.push_back(box.GetText(i));
    return all;
}

class COXFontListBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_old = profile::registryKey();
        profile::setRegistryKey(std::string("Software\\FontTest\\") +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        COXFontListBox::setFontSource([this] { return faces; });
    }
    void TearDown() override
    {
        COXFontListBox::setFontSource({});
        profile::setRegistryKey(m_old);
    }

    std::vector<Face> faces = {
        face("Courier New"),
        face("Arial"),
        face("arial", COXFontListBox::RASTER_FONTTYPE),
        face("Arial Black"),
        face("Plain Symbols Of Mine", COXFontListBox::TRUETYPE_FONTTYPE),
        face("Marks", COXFontListBox::TRUETYPE_FONTTYPE, COXFontListBox::SYMBOL_CHARSET),
        face("Fixed", COXFontListBox::RASTER_FONTTYPE),
    };

private:
    std::string m_old;
};

TEST(COXFontListBoxSymbolTest, SymbolFacesByNameAndCharacterSet)
{
    struct Case
    {
        const char* name;
        uint8_t charSet;
        bool symbol;
    } cases[] = {
        {"Standard Symbols PS", 0, true},
        {"Wingbats", 0, true},
        {"Braille Six", 0, true},
        {"MT Extras", 0, true},
        {"Line Draw", 0, true},
        {"LineDrawing", 0, true},
        {"Line Printer", 0, false},
        {"Extras", 0, false},
        {"DejaVu Sans", 0, false},
        {"Marks", 2, true},
        {"symbolic", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Face f = face(c.name, 4, c.charSet);
        EXPECT_EQ(COXFontListBox::isSymbolFace(f.logFont), c.symbol);
    }
}

TEST_F(COXFontListBoxTest, FacesSortedOnceEachWithTypeImagesAndSymbolBrackets)
{
    COXFontListBox box;
    ASSERT_TRUE(box.Initialize());
    EXPECT_EQ(texts(box), (std::vector<std::string>{"Arial", "Arial Black", "Courier New", "Fixed",
                                                    "Marks", "Plain Symbols Of Mine"}));
    // Of the two Arials the TrueType one stays.
    EXPECT_EQ(box.fontRecord(0)->fontType, COXFontListBox::TRUETYPE_FONTTYPE);
    EXPECT_EQ(box.GetItemImageIndex(0), 1);
    EXPECT_EQ(box.GetItemImageIndex(3), 0);
    EXPECT_EQ(box.displayText(4), QStringLiteral("[Marks]"));
    EXPECT_EQ(box.displayFont(4), box.font());
    EXPECT_EQ(box.displayText(5), QStringLiteral("[Plain Symbols Of Mine]"));
    EXPECT_EQ(box.displayText(0), QStringLiteral("Arial"));
    EXPECT_EQ(box.FindStringExact(-1, "Marks"), 4);
    EXPECT_EQ(box.fontRecord(0)->logFont.lfHeight, 20);
    EXPECT_EQ(box.GetMaxMRU(), 6);
}

TEST_F(COXFontListBoxTest, BlockSurvivesAFilterChange)
{
    COXFontListBox box;
    box.Initialize();
    box.MoveToMRU(2, 0, false); // Courier New
    box.MoveToMRU(3, 1, false); // Fixed
    faces.push_back(face("Zeta"));
    box.SetFontTypeFilter(3);
    EXPECT_EQ(box.GetFontTypeFilter(), 3);
    EXPECT_EQ(box.GetText(0), "Courier New");
    EXPECT_EQ(box.GetText(1), "Fixed");
    EXPECT_EQ(box.GetLastMRU(), 1);
    EXPECT_EQ(box.GetText(box.GetCount() - 1), "Zeta");
    // Taken out of the block, a face goes back to its place by name.
    EXPECT_EQ(box.RemoveFromMRU(0), 3);
    EXPECT_EQ(box.GetText(3), "Courier New");
}

TEST_F(COXFontListBoxTest, ManyFacesStillFill)
{
    faces.clear();
    for (int i = 0; i < 100000; ++i)
        faces.push_back(face("Face " + std::to_string(i)));
    faces.push_back(face(""));
    faces.push_back(face(std::string(40, 'L')));
    COXFontListBox box;
    box.Initialize();
    EXPECT_EQ(box.GetCount(), 100002);
}

TEST_F(COXFontListBoxTest, ComboSelectsWholeNamesOnly)
{
    COXFontComboBox combo;
    ASSERT_EQ(combo.count(), 6);
    // "Arial Black" in the block above "Arial".
    combo.chooseFromList(1);
    ASSERT_EQ(combo.GetListBox().GetText(0), "Arial Black");
    EXPECT_EQ(combo.SelectFontName("Arial"), 1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Arial"));
    EXPECT_EQ(combo.SelectFontName("ARIAL black"), 0);
    EXPECT_EQ(combo.SelectFontName("Courier"), -1);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.SelectFontName(""), -1);
    EXPECT_FALSE(combo.GetSelectedFont().has_value());
    EXPECT_EQ(combo.SelectFontName(std::string(100, 'x')), -1);
}

TEST_F(COXFontListBoxTest, BlockChangesOnlyThroughAChoiceInTheList)
{
    COXFontComboBox combo;
    const std::vector<std::string> before = texts(combo.GetListBox());
    combo.SelectFontName("Fixed");
    platform::qt::LOGFONT logFont{};
    platform::qt::setFaceName(logFont, "Marks");
    combo.SelectFont(logFont);
    EXPECT_EQ(texts(combo.GetListBox()), before);
    EXPECT_EQ(combo.GetListBox().GetLastMRU(), -1);
    combo.chooseFromList(3);
    EXPECT_EQ(combo.GetListBox().GetText(0), "Fixed");
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Fixed"));
    combo.GetListBox().SetMaxMRU(-1);
    combo.chooseFromList(4);
    EXPECT_EQ(combo.GetListBox().GetLastMRU(), -1);
}

TEST_F(COXFontListBoxTest, DataExchangeBothWaysKeepsTheFontWhenNothingIsSelected)
{
    QWidget dialog;
    auto* combo = new COXFontComboBox(&dialog);
    platform::framework::setControlId(combo, 40);
    platform::framework::CFont font;
    platform::qt::setFaceName(font.logFont, "Courier New");
    font.logFont.lfHeight = -33;
    ASSERT_TRUE(DDX_FontComboBox(false, &dialog, 40, font));
    EXPECT_EQ(combo->currentText(), QStringLiteral("Courier New"));
    combo->SelectFontName("Arial");
    ASSERT_TRUE(DDX_FontComboBox(true, &dialog, 40, font));
    EXPECT_EQ(platform::qt::faceName(font.logFont), "Arial");
    combo->SelectFontName("");
    ASSERT_TRUE(DDX_FontComboBox(true, &dialog, 40, font));
    EXPECT_EQ(platform::qt::faceName(font.logFont), "Arial");
    EXPECT_FALSE(DDX_FontComboBox(true, &dialog, 41, font));
}

TEST(COXFontComboBoxInstalledTest, ListsTheMachinesFamiliesEachInItsFace)
{
    COXFontListBox::setFontSource({});
    COXFontComboBox combo;
    const QStringList families = QFontDatabase::families();
    EXPECT_GT(combo.count(), 0);
    EXPECT_LE(combo.count(), families.size());
    for (int i = 0; i < std::min(combo.count(), 5); ++i) {
        EXPECT_TRUE(families.contains(combo.itemText(i), Qt::CaseInsensitive));
        const QSize size = combo.GetListBox().itemSize(i);
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        combo.GetListBox().paintItem(painter, i, image.rect(), false, false);
    }
}

// A face that is not installed shows the face text in it is drawn with, and stays the face
// asked for until the user picks one.
TEST(COXFontComboBoxInstalledTest, FaceNotInstalledShowsItsStandInAndStaysAskedFor)
{
    COXFontListBox::setFontSource({});
    QWidget dialog;
    auto* combo = new COXFontComboBox(&dialog);
    platform::framework::setControlId(combo, 40);
    const std::string missing = "Harlune Missing Face";
    ASSERT_FALSE(QFontDatabase::families().contains(QString::fromStdString(missing)));
    const QString standIn = QFontInfo(QFont(QString::fromStdString(missing))).family();

    platform::framework::CFont font;
    platform::qt::setFaceName(font.logFont, missing);
    ASSERT_TRUE(DDX_FontComboBox(false, &dialog, 40, font));
    ASSERT_GE(combo->currentIndex(), 0);
    EXPECT_EQ(combo->currentText().compare(standIn, Qt::CaseInsensitive), 0);
    EXPECT_EQ(combo->standInFor(), missing);
    // Read back unchanged, the stored face stays as it was.
    ASSERT_TRUE(DDX_FontComboBox(true, &dialog, 40, font));
    EXPECT_EQ(platform::qt::faceName(font.logFont), missing);

    // Picked by the user, the listed face is the face.
    combo->chooseFromList(combo->currentIndex());
    EXPECT_TRUE(combo->standInFor().empty());
    ASSERT_TRUE(DDX_FontComboBox(true, &dialog, 40, font));
    EXPECT_EQ(QString::fromStdString(platform::qt::faceName(font.logFont))
                  .compare(standIn, Qt::CaseInsensitive),
              0);

    // An installed face is shown as itself.
    EXPECT_GE(combo->SelectFontName(standIn.toStdString()), 0);
    EXPECT_TRUE(combo->standInFor().empty());
}

} // namespace
