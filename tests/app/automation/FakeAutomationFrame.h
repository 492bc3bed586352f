#pragma once

// A main frame's window for the automation tests: children from a table, recorded calls, and
// window timers that run on a test clock. It is also the CMainFrame's window, so the
// round-robin and the automation objects see the same children.
#include "app/automation/AutomationFrame.h"
#include "app/automation/SpectrumFrameBars.h"
#include "app/shell/MainFrame.h"
#include "app/shell/MainFramePreferences.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/framework/Menu.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct FakeChild
{
    uint32_t handle = 0;
    MainFrameWindow::ChildKind kind = MainFrameWindow::ChildKind::Spectrum;
    std::string title;
    AutomationFrame::SpectrumIdentity identity;
    SpectrumScanView* scanView = nullptr;
    bool enabled = true;
};

class FakeAutomationFrame : public AutomationFrame, public MainFrameWindow
{
public:
    using ChildKind = MainFrameWindow::ChildKind;
    using HMENU = AutomationFrame::HMENU;

    FakeAutomationFrame() { setAutomationFrame(this); }
    ~FakeAutomationFrame() override
    {
        if (automationFrame() == this)
            setAutomationFrame(nullptr);
    }

    // Children
    FakeChild& add(uint32_t handle, ChildKind kind, const std::string& title)
    {
        children.push_back(FakeChild{handle, kind, title, {}, nullptr, true});
        return children.back();
    }
    void close(uint32_t handle)
    {
        children.erase(std::remove_if(children.begin(), children.end(),
                                      [&](const FakeChild& c) { return c.handle == handle; }),
                       children.end());
        if (active == handle)
            active = 0;
    }
    const FakeChild* find(uint32_t handle) const
    {
        for (const FakeChild& child : children)
            if (child.handle == handle)
                return &child;
        return nullptr;
    }
    const FakeChild& live(uint32_t handle)
    {
        const FakeChild* child = find(handle);
        if (!child)
            throw std::logic_error("a closed window was touched");
        return *child;
    }

    std::vector<uint32_t> childWindows() override
    {
        std::vector<uint32_t> handles;
        for (const FakeChild& child : children)
            handles.push_back(child.handle);
        return handles;
    }
    ChildKind childKind(uint32_t frame) override { return live(frame).kind; }
    std::string windowTitle(uint32_t frame) override { return live(frame).title; }
    bool isWindow(uint32_t window) override { return find(window) != nullptr; }
    uint32_t activeChildFrame() override { return active; }
    bool hasActiveView(uint32_t frame) override { return live(frame).kind != ChildKind::Other; }
    std::optional<SpectrumIdentity> spectrumIdentity(uint32_t frame) override
    {
        const FakeChild& child = live(frame);
        if (child.kind != ChildKind::Spectrum)
            return std::nullopt;
        if (throwOnIdentity == frame)
            throw std::runtime_error("identity");
        return child.identity;
    }
    CHarluneSpectrumView* spectrumView(uint32_t frame) override
    {
        live(frame);
        const auto it = spectrumViews.find(frame);
        return it == spectrumViews.end() ? nullptr : it->second;
    }
    CHarluneGridView* gridView(uint32_t frame) override
    {
        live(frame);
        const auto it = gridViews.find(frame);
        return it == gridViews.end() ? nullptr : it->second;
    }
    CHarluneGraphView* graphView(uint32_t frame) override
    {
        live(frame);
        const auto it = graphViews.find(frame);
        return it == graphViews.end() ? nullptr : it->second;
    }
    void setFrameTitle(uint32_t frame, const std::string& title) override
    {
        live(frame);
        for (FakeChild& child : children)
            if (child.handle == frame)
                child.title = title;
    }
    void destroyFrame(uint32_t frame) override
    {
        live(frame);
        destroyed.push_back(frame);
        close(frame);
    }
    void cascadeEnabledChildren() override { arranged.push_back("cascade"); }
    void tileChildren(bool horizontal) override
    {
        arranged.push_back(horizontal ? "tile horizontally" : "tile vertically");
    }

    CMainFrame& core() override
    {
        if (!mainFrame)
            throw std::logic_error("no core");
        return *mainFrame;
    }
    std::optional<bool> controlBarVisible(unsigned id) override
    {
        const auto it = bars.find(id);
        return it == bars.end() ? std::nullopt : std::optional<bool>(it->second);
    }
    void showControlBar(unsigned id, bool show) override
    {
        if (bars.count(id))
            bars[id] = show;
    }

    // Window timers on a test clock: advance() expires each due timer once per period.
    void setTimer(unsigned id, unsigned ms) override { timers[id] = {ms, nowMs + ms}; }
    void killTimer(unsigned id) override
    {
        timers.erase(id);
        killed.push_back(id);
    }
    void advance(unsigned ms)
    {
        const uint64_t until = nowMs + ms;
        while (true) {
            auto due = timers.end();
            for (auto it = timers.begin(); it != timers.end(); ++it)
                if (it->second.second <= until &&
                    (due == timers.end() || it->second.second < due->second.second))
                    due = it;
            if (due == timers.end())
                break;
            const unsigned id = due->first;
            nowMs = due->second.second;
            due->second.second += std::max(1u, due->second.first);
            if (mainFrame)
                mainFrame->OnTimer(id);
        }
        nowMs = until;
    }

    void newSpectrumWindow(const std::string& title) override
    {
        opened.push_back("spectrum " + title);
    }
    void newGridWindow(int c, int r, int s, const std::string& title) override
    {
        opened.push_back("grid " + std::to_string(c) + "x" + std::to_string(r) + "x" +
                         std::to_string(s) + " " + title);
        if (onNewGrid)
            onNewGrid();
    }
    void newGraphWindow(int t, int p, const std::string& title) override
    {
        opened.push_back("graph " + std::to_string(t) + "x" + std::to_string(p) + " " + title);
        if (onNewGraph)
            onNewGraph();
    }
    std::string applicationVersion() override { return "1.2.3.4"; }
    std::string driverVersion() override { return "5.6.7.8"; }

    // Menus: each template's shared menu; a resource loads as a menu with one item whose id is
    // the resource number.
    HMENU templateMenu(ChildKind kind) override { return templates[kind]; }
    void setTemplateMenu(ChildKind kind, HMENU menu) override { templates[kind] = menu; }
    HMENU loadMenu(unsigned resourceId) override
    {
        if (resourceId != 129 && resourceId != 131 && resourceId != 210)
            return 0;
        namespace fw = platform::framework;
        const HMENU menu = fw::CreateMenu();
        const HMENU popup = fw::CreatePopupMenu();
        fw::AppendMenu(popup, fw::MF_STRING, resourceId, "resource " + std::to_string(resourceId));
        fw::AppendMenu(menu, fw::MF_POPUP, popup, "&File");
        return menu;
    }
    void updateFrameMenu(uint32_t frame, HMENU menu) override
    {
        live(frame);
        frameMenus.emplace_back(frame, menu);
    }
    void drawMenuBar() override { ++menuBarDraws; }
    std::vector<HMENU> menusInUse() override
    {
        std::vector<HMENU> menus{ownMenu};
        for (const auto& [kind, menu] : templates)
            menus.push_back(menu);
        return menus;
    }
    int drawChartToClipboard(platform::chart::XrtHandle chart, int format) override
    {
        draws.push_back({chart, "", format});
        return drawResult;
    }
    int drawChartToFile(platform::chart::XrtHandle chart, const std::string& path,
                        int format) override
    {
        draws.push_back({chart, path, format});
        return drawResult;
    }

    SpectrumFrameBars* spectrumFrameBars(uint32_t frame) override
    {
        live(frame);
        const auto it = frameBars.find(frame);
        return it == frameBars.end() ? nullptr : it->second;
    }
    MainFramePreferences* mainPreferences() override { return preferences; }

    // MainFrameWindow, for the CMainFrame
    SpectrumScanView* activeSpectrumView(uint32_t frame) override
    {
        const FakeChild& child = live(frame);
        if (child.kind != ChildKind::Spectrum)
            return nullptr;
        scanned.push_back(child.title);
        return child.scanView;
    }
    SpectrumScanView* activeView() override { return nullptr; }
    void setStatusText(const std::string&) override {}
    void idleUpdate() override {}
    void wakeIdle() override {}
    void sendSpectrumCommand(uintptr_t, intptr_t) override {}
    void postClose() override { ++closesPosted; }
    void fireTimerTick(int16_t id) override { ticks.push_back(id); }
    void fireUserMenu(int32_t id) override { userMenus.push_back(id); }

    std::vector<FakeChild> children;
    // The spectrum views of spectrum children that have one.
    std::map<uint32_t, CHarluneSpectrumView*> spectrumViews;
    uint32_t active = 0;
    uint32_t throwOnIdentity = 0;
    CMainFrame* mainFrame = nullptr;
    std::map<unsigned, bool> bars;
    std::map<unsigned, std::pair<unsigned, uint64_t>> timers;
    std::vector<unsigned> killed;
    uint64_t nowMs = 0;
    std::vector<std::string> arranged;
    std::vector<uint32_t> destroyed;
    std::vector<std::string> opened;
    std::function<void()> onNewGrid;
    std::function<void()> onNewGraph;
    // The grid and graph views of grid and graph children that have one.
    std::map<uint32_t, CHarluneGridView*> gridViews;
    std::map<uint32_t, CHarluneGraphView*> graphViews;
    std::map<ChildKind, HMENU> templates;
    HMENU ownMenu = 0;
    std::vector<std::pair<uint32_t, HMENU>> frameMenus;
    int menuBarDraws = 0;
    std::vector<std::string> scanned;
    int closesPosted = 0;
    std::vector<int16_t> ticks;
    std::vector<int32_t> userMenus;
    // Chart pictures asked for (the clipboard's with no path) and the answer to give.
    struct Draw
    {
        platform::chart::XrtHandle chart = 0;
        std::string path;
        int format = 0;
        bool operator==(const Draw&) const = default;
    };
    std::vector<Draw> draws;
    int drawResult = 0;
    // The spectrum frames' bars, and the main frame's preferences (none: null).
    std::map<uint32_t, SpectrumFrameBars*> frameBars;
    MainFramePreferences* preferences = nullptr;
};

// Counts the lines handlers would write to the error log.
class RecordingSink : public platform::automation::ErrorLogSink
{
public:
    RecordingSink() { platform::automation::setErrorLogSink(this); }
    ~RecordingSink() { platform::automation::setErrorLogSink(nullptr); }
    void logException(const char*, const char* sourceName, int) override
    {
        sources.push_back(sourceName ? sourceName : "");
    }
    std::vector<std::string> sources;
};
