#pragma once

#include "app/windows/HarluneGridView.h"
#include "gridctrl/model/GridControlParts.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace grid_test {

// A host that records what the view asks and answers from fields the test sets.
class FakeGridHost : public GridViewHost
{
public:
    int VerifyCommand(int menuVerify) override
    {
        verified.push_back(menuVerify);
        return verdict;
    }
    void logException(const char* file, int line) override { logged.emplace_back(file, line); }
    void beginWaitCursor() override { ++waitCursors; }
    void endWaitCursor() override { --waitDepthBalance; }
    std::vector<std::string> chooseOpenFiles(const std::string& title,
                                             const std::vector<GridFileFilter>& filters,
                                             const std::string& extension) override
    {
        dialogs.push_back({title, filters, extension});
        return openAnswer;
    }
    std::optional<std::string> chooseSaveFile(const std::string& title,
                                              const std::vector<GridFileFilter>& filters,
                                              const std::string& extension) override
    {
        dialogs.push_back({title, filters, extension});
        return saveAnswer;
    }
    void filePrint() override { ++prints; }
    void filePrintPreview() override { ++previews; }
    void setTitle(const std::string& text) override { title = text; }

    struct Dialog
    {
        std::string title;
        std::vector<GridFileFilter> filters;
        std::string extension;
    };

    int verdict = 1;
    std::vector<int> verified;
    std::vector<std::pair<std::string, int>> logged;
    int waitCursors = 0;
    int waitDepthBalance = 0;
    std::vector<Dialog> dialogs;
    std::vector<std::string> openAnswer;
    std::optional<std::string> saveAnswer;
    int prints = 0;
    int previews = 0;
    std::string title;
};

// A clipboard that keeps its text.
class FakeClipboard : public gridctrl::model::GridClipboard
{
public:
    bool setText(const std::string& value) override
    {
        ++sets;
        text_ = value;
        return true;
    }
    std::optional<std::string> text() const override { return text_; }

    int sets = 0;
    std::optional<std::string> text_;
};

} // namespace grid_test
