#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GenWindows": arranges, opens, closes and renames the MDI children. Windows are found
// by title as the window selectors find them (ignoring case, the first in MDI order); closing
// destroys the frame at once without a question. GUI thread only.
class I_GenWindows : public platform::automation::AutomationObject
{
public:
    // Titles longer than this are refused.
    static constexpr size_t kMaxTitle = 255;

    static I_GenWindows* create() { return new I_GenWindows(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    void Cascade();
    void TileVertically();
    void TileHorizontally();
    // The active child's title; "None found" when there is none.
    std::string GetActiveWindowTitle();
    bool CloseSpectrumWindow(const std::string& windowname);
    bool RenameSpectrumWindow(const std::string& oldname, const std::string& newname);
    bool NewSpectrumWindow(const std::string& windowname);
    bool NewGridWindow(int32_t cols, int32_t rows, int32_t sheets, const std::string& windowname);
    bool NewGraphWindow(int32_t numtraces, int32_t numpoints, const std::string& windowname);
    bool CloseGraphWindow(const std::string& windowname);
    bool CloseGridWindow(const std::string& windowname);
    bool RenameGridWindow(const std::string& oldname, const std::string& newname);
    bool RenameGraphWindow(const std::string& oldname, const std::string& newname);

private:
    I_GenWindows();
    ~I_GenWindows() override = default;
};
