#include "platform/framework/DocTemplate.h"

#include "platform/framework/Application.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/Document.h"
#include "platform/framework/MdiFrame.h"
#include "platform/framework/Resources.h"
#include "platform/framework/View.h"

#include <QMdiArea>

#include <algorithm>

namespace platform::framework {

DocTemplate::DocTemplate(unsigned resourceId, std::string docName, DocumentFactory makeDocument,
                         FrameFactory makeFrame, ViewFactory makeView)
    : m_resourceId(resourceId), m_docName(std::move(docName)),
      m_makeDocument(std::move(makeDocument)), m_makeFrame(std::move(makeFrame)),
      m_makeView(std::move(makeView))
{
    m_sharedMenu = Resources::instance().LoadMenu(resourceId);
}

DocTemplate::~DocTemplate()
{
    // Documents go first: their frames may still refer to the template.
    while (!m_documents.empty()) {
        std::unique_ptr<Document> document = std::move(m_documents.back());
        m_documents.pop_back();
        document.reset();
    }
    if (IsMenu(m_sharedMenu)) {
        DestroyMenu(m_sharedMenu);
    }
}

void DocTemplate::setSharedMenu(HMENU menu)
{
    if (IsMenu(m_sharedMenu) && m_sharedMenu != menu) {
        DestroyMenu(m_sharedMenu);
    }
    m_sharedMenu = menu;
}

Document* DocTemplate::OpenDocumentFile(const std::string& path, bool makeVisible)
{
    if (!m_makeDocument) {
        return nullptr;
    }
    std::unique_ptr<Document> owned = m_makeDocument();
    if (!owned) {
        return nullptr;
    }
    Document* document = owned.get();
    document->setDocTemplate(this);
    m_documents.push_back(std::move(owned));

    ChildFrame* frame = CreateNewFrame(document);
    if (frame == nullptr) {
        removeDocument(document);
        return nullptr;
    }
    bool ready = false;
    if (path.empty()) {
        document->SetTitle(m_docName + std::to_string(++m_untitledCount));
        ready = document->OnNewDocument();
    } else {
        ready = document->OnOpenDocument(path);
        if (ready) {
            document->SetPathName(path);
            document->SetModifiedFlag(false);
        }
    }
    if (!ready) {
        // Closing the frame removes the last view, which closes and deletes the document.
        document->OnCloseDocument();
        return nullptr;
    }
    InitialUpdateFrame(frame, document, makeVisible);
    return document;
}

ChildFrame* DocTemplate::CreateNewFrame(Document* document)
{
    Application* app = Application::instance();
    MdiFrame* main = app != nullptr ? app->mainFrame() : nullptr;
    if (main == nullptr || !m_makeFrame || !m_makeView) {
        return nullptr;
    }
    ChildFrame* frame = m_makeFrame();
    if (frame == nullptr) {
        return nullptr;
    }
    frame->setDocTemplate(this);
    View* view = m_makeView();
    if (view == nullptr) {
        delete frame;
        return nullptr;
    }
    frame->setView(view);
    view->attachDocument(document);
    main->addChildFrame(frame);
    frame->hide();
    int created = -1;
    try {
        created = frame->OnCreate();
    } catch (...) {
        created = -1;
    }
    if (created == -1) {
        frame->MDIDestroy();
        return nullptr;
    }
    frame->OnUpdateFrameTitle();
    return frame;
}

void DocTemplate::InitialUpdateFrame(ChildFrame* frame, Document*, bool makeVisible)
{
    if (View* view = frame->GetActiveView()) {
        view->OnInitialUpdate();
    }
    frame->OnUpdateFrameTitle();
    if (makeVisible) {
        frame->show();
        frame->MDIActivate();
    }
    if (MdiFrame* main = frame->GetMDIFrame()) {
        main->OnUpdateFrameMenu();
    }
}

std::vector<Document*> DocTemplate::documents() const
{
    std::vector<Document*> result;
    for (const auto& document : m_documents) {
        result.push_back(document.get());
    }
    return result;
}

bool DocTemplate::SaveAllModified()
{
    for (Document* document : documents()) {
        if (!document->SaveModified()) {
            return false;
        }
    }
    return true;
}

void DocTemplate::CloseAllDocuments()
{
    for (Document* document : documents()) {
        document->OnCloseDocument();
    }
}

void DocTemplate::removeDocument(Document* document)
{
    const auto found = std::find_if(
        m_documents.begin(), m_documents.end(),
        [document](const std::unique_ptr<Document>& d) { return d.get() == document; });
    if (found == m_documents.end()) {
        return;
    }
    // Take it out of the list first: its destructor may look at the list.
    std::unique_ptr<Document> owned = std::move(*found);
    m_documents.erase(found);
    owned.reset();
}

} // namespace platform::framework
