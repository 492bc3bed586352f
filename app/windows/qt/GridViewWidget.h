#pragma once

#include "app/windows/HarluneGridView.h"
#include "platform/framework/Document.h"
#include "platform/framework/View.h"

#include <functional>
#include <memory>

namespace gridctrl::widgets {
class GridWidget;
}

// The grid window's document: it holds nothing (the view's grid control keeps the sheets)
// and holds the application's automation lock while it lives, so that a server started
// for a script stays up while a grid window is open.
class CHarluneGridDoc : public platform::framework::Document
{
public:
    CHarluneGridDoc();
    ~CHarluneGridDoc() override;
    CHarluneGridDoc(const CHarluneGridDoc&) = delete;
    CHarluneGridDoc& operator=(const CHarluneGridDoc&) = delete;
};

// The grid window's view widget: it embeds the grid control's window (id 131) filling the
// client area, forwards the commands of menu 131 to its CHarluneGridView, prints the current
// sheet through the framework's protocol and answers the view's questions with the program's
// dialogs. GUI thread only.
class GridViewWidget : public platform::framework::View, public GridViewHost
{
public:
    // verify answers the script's verdict on a user action (0 forbids it); help shows the
    // program's help for a context.
    GridViewWidget(std::function<int(int)> verify, std::function<void(int)> help,
                   QWidget* parent = nullptr);
    ~GridViewWidget() override;

    CHarluneGridView& core() { return *m_core; }
    gridctrl::widgets::GridWidget& gridWindow() { return *m_gridWindow; }
    QSize sizeHint() const override { return QSize(640, 420); }

    void OnDraw(platform::framework::CDC* dc) override;
    bool OnPreparePrinting(platform::framework::PrintInfo* info) override;
    void OnBeginPrinting(platform::framework::CDC* dc,
                         platform::framework::PrintInfo* info) override;
    void OnEndPrinting(platform::framework::CDC*, platform::framework::PrintInfo*) override {}
    void OnPrint(platform::framework::CDC* dc, platform::framework::PrintInfo* info) override;

    // GridViewHost
    int VerifyCommand(int menuVerify) override;
    void logException(const char* file, int line) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    std::vector<std::string> chooseOpenFiles(const std::string& title,
                                             const std::vector<GridFileFilter>& filters,
                                             const std::string& defaultExtension) override;
    std::optional<std::string> chooseSaveFile(const std::string& title,
                                              const std::vector<GridFileFilter>& filters,
                                              const std::string& defaultExtension) override;
    void filePrint() override;
    void filePrintPreview() override;
    void closeWindow() override;
    void setTitle(const std::string& title) override;
    void showError(const std::string& text) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<int(int)> m_verify;
    std::unique_ptr<CHarluneGridView> m_core;
    gridctrl::widgets::GridWidget* m_gridWindow = nullptr;
    int m_waitDepth = 0;
};
