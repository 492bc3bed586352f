#pragma once

#include "platform/framework/Menu.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform::framework {

class ChildFrame;
class Document;
class View;

// A document template: makes a document, its child frame and its view, under the resource id
// that names the template's menu and strings (129 spectrum, 131 grid, 210 graph). It owns its
// documents and its shared menu. GUI thread only.
class DocTemplate
{
public:
    using DocumentFactory = std::function<std::unique_ptr<Document>()>;
    using FrameFactory = std::function<ChildFrame*()>;
    using ViewFactory = std::function<View*()>;

    // docName names untitled documents ("Spectrum" gives "Spectrum1", "Spectrum2" ...). The
    // shared menu is loaded from the menu resource of the same id when there is one.
    DocTemplate(unsigned resourceId, std::string docName, DocumentFactory makeDocument,
                FrameFactory makeFrame, ViewFactory makeView);
    virtual ~DocTemplate();
    DocTemplate(const DocTemplate&) = delete;
    DocTemplate& operator=(const DocTemplate&) = delete;

    unsigned resourceId() const { return m_resourceId; }
    const std::string& docName() const { return m_docName; }
    // The menu every frame of this template shows (owned by the template).
    HMENU sharedMenu() const { return m_sharedMenu; }
    void setSharedMenu(HMENU menu);

    // Opens a new untitled document (path empty) or a file, in a new frame of the
    // application's main frame; the frame is shown and activated when makeVisible. Null when
    // the document or the frame cannot be made or the file cannot be read.
    Document* OpenDocumentFile(const std::string& path, bool makeVisible = true);
    // A new frame and view for an existing document (a second window onto it).
    ChildFrame* CreateNewFrame(Document* document);
    void InitialUpdateFrame(ChildFrame* frame, Document* document, bool makeVisible = true);

    std::vector<Document*> documents() const;
    bool SaveAllModified();
    void CloseAllDocuments();

    // Used by documents: deletes a closed document.
    void removeDocument(Document* document);

private:
    unsigned m_resourceId;
    std::string m_docName;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    ViewFactory m_makeView;
    HMENU m_sharedMenu = 0;
    unsigned m_untitledCount = 0;
    std::vector<std::unique_ptr<Document>> m_documents;
};

} // namespace platform::framework
