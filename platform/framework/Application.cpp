#include "platform/framework/Application.h"

#include "platform/framework/CommandIds.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/IdleProcessor.h"
#include "platform/framework/MdiFrame.h"
#include "platform/qt/MessagePump.h"
#include "platform/qt/UiServices.h"

#include <QPrinter>

namespace platform::framework {

namespace {
Application* g_application = nullptr;
}

Application::Application()
{
    g_application = this;
    m_pump = std::make_unique<qt::MessagePump>();
    onCommand(ID_FILE_PRINT_SETUP, [this]() { OnFilePrintSetup(); });
    onCommand(ID_APP_EXIT, [this]() { OnAppExit(); });
    m_idle = std::make_unique<IdleProcessor>([this](long count) { return OnIdle(count); });
}

Application::~Application()
{
    m_idle.reset();
    // Templates delete their documents; the frames are the main frame's children.
    m_templates.clear();
    m_pump.reset();
    if (g_application == this) {
        g_application = nullptr;
    }
}

Application* Application::instance()
{
    return g_application;
}

void Application::AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate)
{
    if (docTemplate) {
        m_templates.push_back(std::move(docTemplate));
    }
}

DocTemplate* Application::docTemplate(unsigned resourceId) const
{
    for (const auto& docTemplate : m_templates) {
        if (docTemplate->resourceId() == resourceId) {
            return docTemplate.get();
        }
    }
    return nullptr;
}

std::vector<DocTemplate*> Application::docTemplates() const
{
    std::vector<DocTemplate*> result;
    for (const auto& docTemplate : m_templates) {
        result.push_back(docTemplate.get());
    }
    return result;
}

bool Application::OnIdle(long count)
{
    if (count == 0 && m_mainFrame != nullptr) {
        m_mainFrame->idleUpdate();
    }
    return false;
}

void Application::setIdleProcessing(bool enabled)
{
    m_idle->setEnabled(enabled);
}

void Application::wakeIdle()
{
    if (m_idle) {
        m_idle->wakeSoon();
    }
}

bool Application::SaveAllModified()
{
    for (const auto& docTemplate : m_templates) {
        if (!docTemplate->SaveAllModified()) {
            return false;
        }
    }
    return true;
}

void Application::CloseAllDocuments()
{
    for (const auto& docTemplate : m_templates) {
        docTemplate->CloseAllDocuments();
    }
}

QPrinter& Application::printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *m_printer;
}

void Application::OnAppExit()
{
    if (m_mainFrame != nullptr) {
        m_mainFrame->close();
    }
}

void Application::OnFilePrintSetup()
{
    qt::uiServices().pageSetupDialog(&printer(), nullptr);
}

} // namespace platform::framework
