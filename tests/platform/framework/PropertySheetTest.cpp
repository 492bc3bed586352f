#include "platform/framework/PropertySheet.h"

#include "platform/framework/ControlIds.h"
#include "tests/platform/framework/TestApplication.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform::framework;

namespace {

// The owner the sheet writes into.
struct Owner
{
    int averages = 1;
    int flashDelay = 0;
    int writes = 0;
};

// A page with one edit bound to a working copy of one owner value.
class ValuePage : public PropertyPage
{
public:
    ValuePage(unsigned templateId, const std::string& caption, Owner& owner, int Owner::*field,
              unsigned editId)
        : PropertyPage(templateId, caption), m_owner(owner), m_field(field), m_value(owner.*field)
    {
        m_edit = new QLineEdit(this);
        setControlId(m_edit, editId);
        connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
            SetModified(true);
            m_value = text.toInt(); // text that is not a number counts as 0
        });
    }
    bool OnInitDialog() override
    {
        m_edit->setText(QString::number(m_value));
        return true;
    }
    void OnApply() override
    {
        m_owner.*m_field = m_value;
        ++m_owner.writes;
    }
    void setValue(int value) { m_value = value; }

private:
    Owner& m_owner;
    int Owner::*m_field;
    int m_value;
    QLineEdit* m_edit;
};

class TwoPageSheet : public PropertySheet
{
public:
    explicit TwoPageSheet(Owner& owner)
        : PropertySheet("Configure Data Acquisition"),
          basic(149, "Basic", owner, &Owner::averages, 1169),
          strobe(151, "Strobe", owner, &Owner::flashDelay, 1465)
    {
        AddPage(&basic);
        AddPage(&strobe);
    }
    ValuePage basic;
    ValuePage strobe;
};

QPushButton* button(QWidget* sheet, unsigned id)
{
    return findControl<QPushButton>(sheet, id);
}

} // namespace

TEST(PropertySheetTest, ApplyWritesBothPagesAndCancelAfterApplyWritesNothingMore)
{
    testApplication();
    Owner owner;
    TwoPageSheet sheet(owner);
    sheet.show();
    EXPECT_TRUE(sheet.basic.initialised());
    EXPECT_FALSE(sheet.strobe.initialised()); // never shown
    ASSERT_NE(button(&sheet, PropertySheet::ID_APPLY_NOW), nullptr);
    EXPECT_FALSE(button(&sheet, PropertySheet::ID_APPLY_NOW)->isEnabled());

    auto* edit = findControl<QLineEdit>(&sheet, 1169);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "1");
    edit->setText(QString());
    edit->insert(QStringLiteral("25")); // typed: textEdited fires
    EXPECT_TRUE(sheet.basic.isModified());
    EXPECT_TRUE(button(&sheet, PropertySheet::ID_APPLY_NOW)->isEnabled());
    sheet.strobe.setValue(40); // the never-shown page's working copy

    button(&sheet, PropertySheet::ID_APPLY_NOW)->click();
    EXPECT_EQ(owner.averages, 25);
    EXPECT_EQ(owner.flashDelay, 40); // written though never shown
    EXPECT_EQ(owner.writes, 2);
    EXPECT_FALSE(sheet.basic.isModified());
    EXPECT_FALSE(button(&sheet, PropertySheet::ID_APPLY_NOW)->isEnabled());

    edit->insert(QStringLiteral("9"));
    button(&sheet, PropertySheet::IDCANCEL)->click();
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_EQ(owner.averages, 25); // the applied value stays, the later edit is dropped
    EXPECT_EQ(owner.writes, 2);
}

TEST(PropertySheetTest, OkRunsTheApplyStepsOverEveryPageAndDoModalAnswers)
{
    testApplication();
    struct Case
    {
        const char* name;
        unsigned press;
        int expectedResult;
        int expectedWrites;
    };
    const Case cases[] = {
        {"ok", PropertySheet::IDOK, PropertySheet::IDOK, 2},
        {"cancel", PropertySheet::IDCANCEL, PropertySheet::IDCANCEL, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Owner owner;
        TwoPageSheet sheet(owner);
        sheet.strobe.setValue(7);
        QTimer::singleShot(0, &sheet, [&]() { button(&sheet, c.press)->click(); });
        EXPECT_EQ(sheet.DoModal(), c.expectedResult);
        EXPECT_EQ(owner.writes, c.expectedWrites);
        EXPECT_EQ(owner.flashDelay, c.expectedWrites > 0 ? 7 : 0);
    }
}

TEST(PropertySheetTest, PagesInitialiseWhenFirstShownAndTheSheetNeverDeletesThem)
{
    testApplication();
    Owner owner;
    auto* kept = new ValuePage(150, "External Trigger", owner, &Owner::averages, 1171);
    {
        PropertySheet sheet("Sheet");
        sheet.AddPage(kept);
        ValuePage member(151, "Strobe", owner, &Owner::flashDelay, 1465);
        sheet.AddPage(&member);
        sheet.show();
        EXPECT_TRUE(kept->initialised());
        EXPECT_FALSE(member.initialised());
        EXPECT_TRUE(sheet.SetActivePage(1));
        EXPECT_TRUE(member.initialised());
        EXPECT_FALSE(sheet.SetActivePage(2));
        EXPECT_EQ(sheet.GetPageCount(), 2);
    }
    // The page object outlived the sheet; its owner deletes it.
    EXPECT_EQ(kept->parent(), nullptr);
    delete kept;
}
