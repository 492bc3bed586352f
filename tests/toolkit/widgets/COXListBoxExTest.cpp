#include "toolkit/widgets/COXListBoxEx.h"

#include "platform/win/AppProfile.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace profile = platform::win::app_profile;

std::vector<std::string> listBoxTexts(const COXListBoxEx& box)
{
    std::vector<std::string> all;
    for (int i = 0; i < box.GetCount(); ++i)
        all.push_back(box.GetText(i));
    return all;
}

std::unique_ptr<COXListBoxEx> listOf(std::initializer_list<const char*> items, int maximum,
                                     bool multiple = false)
{
    auto box = std::make_unique<COXListBoxEx>(multiple);
    for (const char* item : items)
        box->AddString(item);
    box->SetMaxMRU(maximum);
    return box;
}

using Order = std::vector<std::string>;

TEST(COXListBoxExTest, MovesIntoTheBlock)
{
    auto box = listOf({"a", "b", "c", "d", "e", "f"}, 3);
    EXPECT_EQ(box->GetLastMRU(), -1);
    EXPECT_EQ(box->MoveToMRU(3, 0, false), 0);
    EXPECT_EQ(listBoxTexts(*box), (Order{"d", "a", "b", "c", "e", "f"}));
    EXPECT_EQ(box->MoveToMRU(4, 1, false), 1);
    EXPECT_EQ(listBoxTexts(*box), (Order{"d", "e", "a", "b", "c", "f"}));
    EXPECT_EQ(box->GetLastMRU(), 1);
    // Past the block's end plus one, past the maximum, outside the list, negative.
    EXPECT_EQ(box->MoveToMRU(5, 3, false), -1);
    EXPECT_EQ(box->MoveToMRU(5, -1, false), -1);
    EXPECT_EQ(box->MoveToMRU(6, 0, false), -1);
    EXPECT_EQ(box->MoveToMRU(-1, 0, false), -1);
    EXPECT_EQ(box->MoveToMRU(INT_MAX, INT_MIN, true), -1);
    EXPECT_EQ(box->MoveToMRU(5, 2, false), 2);
    EXPECT_EQ(listBoxTexts(*box), (Order{"d", "e", "f", "a", "b", "c"}));
    // Full: refused without force; with force the last entry leaves first.
    EXPECT_EQ(box->MoveToMRU(3, 0, false), -1);
    EXPECT_EQ(listBoxTexts(*box), (Order{"d", "e", "f", "a", "b", "c"}));
    EXPECT_EQ(box->MoveToMRU(4, 0, true), 0);
    EXPECT_EQ(listBoxTexts(*box), (Order{"b", "d", "e", "f", "a", "c"}));
    EXPECT_EQ(box->GetLastMRU(), 2);
    EXPECT_EQ(box->GetMRUPosition(3), -1);
    // Within the block: the entry moves, the block keeps its length.
    EXPECT_EQ(box->MoveToMRU(2, 0, false), 0);
    EXPECT_EQ(listBoxTexts(*box), (Order{"e", "b", "d", "f", "a", "c"}));
    EXPECT_EQ(box->GetLastMRU(), 2);
}

TEST(COXListBoxExTest, AnItemAtItsPlaceOnlyJoinsTheBlock)
{
    auto box = listOf({"a", "b", "c"}, 2);
    EXPECT_EQ(box->MoveToMRU(0, 0, false), 0);
    EXPECT_EQ(box->GetLastMRU(), 0);
    EXPECT_EQ(box->MoveToMRU(1, 1, false), 1);
    EXPECT_EQ(listBoxTexts(*box), (Order{"a", "b", "c"}));
    EXPECT_EQ(box->GetLastMRU(), 1);
}

TEST(COXListBoxExTest, NoBlockForZeroOrMinusOne)
{
    for (int maximum : {0, -1, -5, INT_MIN}) {
        SCOPED_TRACE(maximum);
        auto box = listOf({"a", "b"}, maximum);
        EXPECT_GE(box->GetMaxMRU(), -1);
        EXPECT_EQ(box->MoveToMRU(1, 0, true), -1);
        EXPECT_EQ(box->GetLastMRU(), -1);
    }
}

TEST(COXListBoxExTest, MovesKeepTextDataInfoAndSelection)
{
    for (bool multiple : {false, true}) {
        SCOPED_TRACE(multiple);
        auto box = listOf({"a", "b", "c", "d"}, 3, multiple);
        box->SetItemData(2, 42);
        box->SetItemInfo(2, COXListBoxEx::OXLBI_TEXT | COXListBoxEx::OXLBI_TOOLTIP, nullptr,
                         0x0000FF, 0, "tip of c", 0, 0, 0, 0);
        if (multiple) {
            box->SetSel(2, true);
            box->SetSel(3, true);
            box->SetCaretIndex(2);
        } else {
            box->SetCurSel(2);
        }
        ASSERT_EQ(box->MoveToMRU(2, 0, false), 0);
        EXPECT_EQ(box->GetText(0), "c");
        EXPECT_EQ(box->GetItemData(0), 42);
        EXPECT_EQ(box->GetItemTextColor(0), 0x0000FFu);
        EXPECT_EQ(box->GetItemToolTipText(0), "tip of c");
        EXPECT_EQ(box->GetMRUPosition(0), 0);
        if (multiple) {
            EXPECT_TRUE(box->GetSel(0));
            EXPECT_TRUE(box->GetSel(3));
            EXPECT_FALSE(box->GetSel(1));
            EXPECT_EQ(box->GetCaretIndex(), 0);
        } else {
            EXPECT_EQ(box->GetCurSel(), 0);
        }
        ASSERT_EQ(box->RemoveFromMRU(0), 0);
        EXPECT_EQ(box->GetItemData(0), 42);
        EXPECT_EQ(box->GetMRUPosition(0), -1);
        EXPECT_EQ(box->RemoveFromMRU(0), -1);
    }
}

TEST(COXListBoxExTest, SmallerMaximumDropsFromTheBottom)
{
    auto box = listOf({"a", "b", "c", "d", "e"}, 4);
    box->MoveToMRU(4, 0, false);
    box->MoveToMRU(4, 1, false);
    box->MoveToMRU(4, 2, false);
    ASSERT_EQ(listBoxTexts(*box), (Order{"e", "d", "c", "a", "b"}));
    box->SetMaxMRU(1);
    EXPECT_EQ(box->GetLastMRU(), 0);
    EXPECT_EQ(box->GetText(0), "e");
    EXPECT_EQ(box->GetCount(), 5);
    box->SetMaxMRU(-1);
    EXPECT_EQ(box->GetLastMRU(), -1);
}

TEST(COXListBoxExTest, CompareItemByPlace)
{
    auto box = listOf({"a", "b", "c", "d"}, 3);
    box->MoveToMRU(2, 0, false);
    box->MoveToMRU(3, 1, false);
    EXPECT_EQ(box->CompareItem(0, 1), -1);
    EXPECT_EQ(box->CompareItem(1, 0), 1);
    EXPECT_EQ(box->CompareItem(0, 0), 0);
    EXPECT_EQ(box->CompareItem(0, 3), -1);
    EXPECT_EQ(box->CompareItem(3, 1), 1);
    EXPECT_EQ(box->CompareItem(2, 3), 0);
}

TEST(COXListBoxExTest, InfosFollowTheirItemsAndGettersAnswerWithout)
{
    auto box = listOf({"a", "b", "c"}, 0);
    EXPECT_EQ(box->GetItemTextColor(1), 0xFFFFFFFFu);
    EXPECT_EQ(box->GetItemImageIndex(1), -1);
    EXPECT_FALSE(box->GetItemFont(1).has_value());
    EXPECT_TRUE(box->GetItemToolTipText(1).empty());
    box->SetItemInfo(2, COXListBoxEx::OXLBI_BK, nullptr, 0, 0x00FF00, "", 0, 0, 0, 0);
    EXPECT_EQ(box->DeleteString(1), 2);
    EXPECT_EQ(box->GetItemBkColor(1), 0x00FF00u);
    EXPECT_EQ(box->DeleteString(7), COXListBoxEx::LB_ERR);
    EXPECT_FALSE(box->SetItemInfo(5, COXListBoxEx::OXLBI_TEXT, nullptr, 1, 0, "", 0, 0, 0, 0));
    EXPECT_FALSE(box->SetItemInfo(-2, COXListBoxEx::OXLBI_TEXT, nullptr, 1, 0, "", 0, 0, 0, 0));
    EXPECT_TRUE(box->SetItemInfo(-1, COXListBoxEx::OXLBI_TEXT, nullptr, 7, 0, "", 0, 0, 0, 0));
    EXPECT_EQ(box->GetItemTextColor(0), 7u);
    EXPECT_EQ(box->GetItemTextColor(1), 7u);
    EXPECT_EQ(box->GetItemData(9), COXListBoxEx::LB_ERR);
    EXPECT_EQ(box->FindStringExact(-1, "C"), 1);
    EXPECT_EQ(box->FindStringExact(-1, "x"), COXListBoxEx::LB_ERR);
}

TEST(COXListBoxExTest, TheLastBlockEntryHasALineUnderIt)
{
    auto box = listOf({"a", "b"}, 2);
    box->MoveToMRU(1, 0, false);
    const QSize size = box->itemSize(0);
    EXPECT_EQ(size.height(), box->itemSize(1).height() + 2);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    box->paintItem(painter, 0, image.rect(), false, false);
    painter.end();
    EXPECT_NE(image.pixel(1, size.height() - 1), image.pixel(1, 1));
}

class COXListBoxExProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_old = profile::registryKey();
        profile::setRegistryKey(std::string("Software\\ListTest\\") +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { profile::setRegistryKey(m_old); }

private:
    std::string m_old;
};

TEST_F(COXListBoxExProfileTest, SaveAndLoadRoundTrip)
{
    auto box = listOf({"a", "b", "c", "d"}, 3);
    box->MoveToMRU(3, 0, false);
    box->MoveToMRU(3, 1, false);
    ASSERT_TRUE(box->SaveMRU("S"));
    EXPECT_EQ(profile::GetProfileInt("S", "MRU_MaxNumber", 0), 3);
    EXPECT_EQ(profile::GetProfileInt("S", "MRU_Count", 0), 2);
    EXPECT_EQ(profile::GetProfileString("S", "MRU_Entry_0"), "d");
    EXPECT_EQ(profile::GetProfileString("S", "MRU_Entry_1"), "c");

    auto other = listOf({"a", "b", "c", "d"}, 0);
    ASSERT_TRUE(other->LoadMRU("S"));
    EXPECT_EQ(other->GetMaxMRU(), 3);
    EXPECT_EQ(listBoxTexts(*other), (Order{"d", "c", "a", "b"}));
    EXPECT_EQ(other->GetLastMRU(), 1);
}

TEST_F(COXListBoxExProfileTest, LoadingStopsAtAMissingEntryAndSkipsUnknownTexts)
{
    profile::WriteProfileInt("S", "MRU_MaxNumber", 4);
    profile::WriteProfileInt("S", "MRU_Count", 1000000);
    profile::WriteProfileString("S", "MRU_Entry_0", "gone");
    profile::WriteProfileString("S", "MRU_Entry_1", "B");
    profile::WriteProfileString("S", "MRU_Entry_2", "");
    profile::WriteProfileString("S", "MRU_Entry_3", "a");
    auto box = listOf({"a", "b", "c"}, 0);
    box->LoadMRU("S");
    EXPECT_EQ(listBoxTexts(*box), (Order{"b", "a", "c"}));
    EXPECT_EQ(box->GetLastMRU(), 0);
    // Values of the wrong kind and negative counts read as defaults or nothing.
    profile::WriteProfileString("T", "MRU_MaxNumber", "x");
    profile::WriteProfileInt("T", "MRU_Count", -9);
    auto other = listOf({"a"}, 2);
    other->LoadMRU("T");
    EXPECT_EQ(other->GetMaxMRU(), 2);
    EXPECT_EQ(other->GetLastMRU(), -1);
}

TEST_F(COXListBoxExProfileTest, SavedAtDestructionOnlyWhenAsked)
{
    {
        auto box = listOf({"a", "b"}, 2);
        box->MoveToMRU(1, 0, false);
    }
    EXPECT_EQ(profile::GetProfileInt(COXListBoxEx::kMruSection, "MRU_Count", -1), -1);
    {
        auto box = listOf({"a", "b"}, 2);
        box->MoveToMRU(1, 0, false);
        box->SetSaveMRU(true);
    }
    EXPECT_EQ(profile::GetProfileInt(COXListBoxEx::kMruSection, "MRU_Count", -1), 1);
    auto box = listOf({"a", "b"}, 0);
    box->SetSaveMRU(true);
    box->Initialize();
    EXPECT_EQ(box->GetText(0), "b");
    box->SetSaveMRU(false);
}

} // namespace
