#include "platform/qt/QtUiServices.h"
#include "platform/qt/fake/ScriptedUiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

using namespace platform::qt;

namespace {

QApplication& application()
{
    static int argc = 1;
    static char name[] = "FindReplaceDialogTest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

QWidget* findDialogWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->findChild<QCheckBox*>()) {
            return top;
        }
    }
    return nullptr;
}

QPushButton* button(QWidget* dialog, const QString& text)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        if (b->text() == text) {
            return b;
        }
    }
    return nullptr;
}

TEST(QtFindReplaceDialog, IsModelessAndReportsEachButton)
{
    application();
    QtUiServices services;
    std::vector<FindReplaceReport> reports;
    FindReplaceRequest request;
    request.replace = true;
    request.findText = "abc";
    request.wholeWordCaption = "Match &entire cell text";
    request.report = [&](const FindReplaceReport& r) { reports.push_back(r); };
    const int id = services.findReplaceDialog(request);
    ASSERT_NE(id, 0);
    QWidget* dialog = findDialogWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    std::vector<QString> captions;
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
        captions.push_back(box->text());
    }
    EXPECT_NE(std::find(captions.begin(), captions.end(), "Match &entire cell text"),
              captions.end());
    const auto edits = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0]->text(), "abc");
    edits[1]->setText("xyz");

    ASSERT_NE(button(dialog, "Replace &All"), nullptr);
    button(dialog, "Replace &All")->click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].replaceAll);
    EXPECT_EQ(reports[0].findText, "abc");
    EXPECT_EQ(reports[0].replaceText, "xyz");
    EXPECT_FALSE(reports[0].closing);

    button(dialog, "Cancel")->click();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[1].closing);
    services.activateFindReplaceDialog(id); // gone: nothing happens
}

TEST(QtFindReplaceDialog, ClosedByItsOwnerWithoutAReport)
{
    application();
    QtUiServices services;
    int reports = 0;
    FindReplaceRequest request;
    request.report = [&](const FindReplaceReport&) { ++reports; };
    const int id = services.findReplaceDialog(request);
    ASSERT_NE(findDialogWindow(), nullptr);
    services.closeFindReplaceDialog(id);
    EXPECT_EQ(findDialogWindow(), nullptr);
    EXPECT_EQ(reports, 0);
}

TEST(ScriptedFindReplaceDialog, RecordsAndDeliversReports)
{
    ScriptedUiServices services;
    std::vector<FindReplaceReport> reports;
    FindReplaceReport next;
    next.findNext = true;
    EXPECT_FALSE(services.reportFindReplace(next));
    FindReplaceRequest request;
    request.wholeWordCaption = "Match &entire cell text";
    request.report = [&](const FindReplaceReport& r) { reports.push_back(r); };
    const int id = services.findReplaceDialog(request);
    ASSERT_NE(id, 0);
    ASSERT_EQ(services.findReplaceDialogs().size(), 1u);
    EXPECT_EQ(services.findReplaceDialogs()[0].wholeWordCaption, "Match &entire cell text");
    EXPECT_TRUE(services.reportFindReplace(next));
    services.activateFindReplaceDialog(id);
    EXPECT_EQ(services.findReplaceActivations(), 1);
    FindReplaceReport closing;
    closing.closing = true;
    EXPECT_TRUE(services.reportFindReplace(closing));
    EXPECT_FALSE(services.isFindReplaceDialogOpen());
    EXPECT_EQ(reports.size(), 2u);
}

} // namespace
