#pragma once

#include "platform/framework/Application.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/Document.h"
#include "platform/framework/MdiFrame.h"
#include "platform/framework/Resources.h"
#include "platform/framework/View.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/platform/framework/TestApplication.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace frameworktest {

using namespace platform::framework;

struct TestDocument : Document
{
    std::vector<std::string> saved;
    bool OnSaveDocument(const std::string& path) override
    {
        saved.push_back(path);
        return Document::OnSaveDocument(path);
    }
};

struct TestView : View
{
    int updates = 0;
    std::vector<unsigned> timers;
    void OnUpdate(View* sender, long hint, void* hintObject) override
    {
        ++updates;
        View::OnUpdate(sender, hint, hintObject);
    }
    void OnTimer(unsigned id) override { timers.push_back(id); }
    // Activation notices: true when the view's frame became active.
    std::vector<bool> activations;
    void OnActivateView(bool activate, View* activated, View* deactivated) override
    {
        activations.push_back(activate);
        EXPECT_EQ(activate ? activated : deactivated, this);
    }
    using View::onCommand;
    using View::onUpdate;
};

struct TestFrame : ChildFrame
{
    int destroyed = 0;
    void OnDestroy() override { ++destroyed; }
    using ChildFrame::onCommand;
};

struct TestMainFrame : MdiFrame
{
    using MdiFrame::onCommand;
    using MdiFrame::onUpdate;
};

struct TestApp : Application
{
    using Application::onCommand;
};

// An application with a main frame and the three templates 129, 131 and 210.
class FrameworkFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testApplication();
        app = std::make_unique<TestApp>();
        main = std::make_unique<TestMainFrame>();
        app->setMainFrame(main.get());
        main->resize(800, 600);
        main->show();
        for (auto [id, name] :
             {std::pair<unsigned, const char*>{129, "Spectrum"}, {131, "Grid"}, {210, "Graph"}}) {
            app->AddDocTemplate(std::make_unique<DocTemplate>(
                id, name, [] { return std::make_unique<TestDocument>(); },
                [] { return new TestFrame(); }, [] { return new TestView(); }));
        }
    }

    void TearDown() override
    {
        app->CloseAllDocuments();
        flushDeletes();
        main.reset();
        app.reset();
        flushDeletes();
    }

    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    // Runs the event loop until done() or the bound passes; true when done.
    static bool waitFor(const std::function<bool()>& done, int boundMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > boundMs) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        return true;
    }

    Document* open(unsigned templateId)
    {
        return app->docTemplate(templateId)->OpenDocumentFile("");
    }

    std::unique_ptr<TestApp> app;
    std::unique_ptr<TestMainFrame> main;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices installed{ui};
};

} // namespace frameworktest
