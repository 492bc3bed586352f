#include "platform/framework/Document.h"

#include "platform/framework/ChildFrame.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/View.h"
#include "platform/qt/UiServices.h"

#include <algorithm>

namespace platform::framework {

Document::Document()
{
    onCommand(ID_FILE_CLOSE, [this]() { OnFileClose(); });
    onCommand(ID_FILE_SAVE, [this]() { DoFileSave(); });
    onCommand(ID_FILE_SAVE_AS, [this]() { DoFileSaveAs(); });
}

Document::~Document()
{
    // Views outlive nothing of ours: detach any still attached.
    const std::vector<View*> views = m_views;
    m_closing = true;
    for (View* view : views) {
        view->detachDocument();
    }
}

void Document::SetTitle(const std::string& title)
{
    m_title = title;
    for (ChildFrame* frame : frames()) {
        frame->OnUpdateFrameTitle();
    }
}

void Document::SetPathName(const std::string& path)
{
    m_pathName = path;
    const auto slash = path.find_last_of("/\\");
    SetTitle(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::vector<ChildFrame*> Document::frames() const
{
    std::vector<ChildFrame*> result;
    for (View* view : m_views) {
        ChildFrame* frame = view->GetParentFrame();
        if (frame != nullptr && std::find(result.begin(), result.end(), frame) == result.end()) {
            result.push_back(frame);
        }
    }
    return result;
}

void Document::UpdateAllViews(View* sender, long hint, void* hintObject)
{
    const std::vector<View*> views = m_views;
    for (View* view : views) {
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end()) {
            view->OnUpdate(sender, hint, hintObject);
        }
    }
}

bool Document::OnNewDocument()
{
    DeleteContents();
    m_pathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool Document::OnOpenDocument(const std::string&)
{
    return false;
}

bool Document::OnSaveDocument(const std::string&)
{
    SetModifiedFlag(false);
    return true;
}

void Document::OnFileClose()
{
    if (SaveModified()) {
        OnCloseDocument(); // deletes this
    }
}

bool Document::DoFileSaveAs()
{
    qt::FileDialogRequest request;
    request.open = false;
    request.overwritePrompt = true;
    request.initialPath = m_pathName.empty() ? m_title : m_pathName;
    const auto chosen = qt::uiServices().fileDialog(request);
    if (!chosen || !OnSaveDocument(chosen->paths.front())) {
        return false;
    }
    SetPathName(chosen->paths.front());
    return true;
}

bool Document::DoFileSave()
{
    std::string path = m_pathName;
    if (path.empty()) {
        qt::FileDialogRequest request;
        request.open = false;
        request.overwritePrompt = true;
        request.initialPath = m_title;
        const auto chosen = qt::uiServices().fileDialog(request);
        if (!chosen) {
            return false;
        }
        path = chosen->paths.front();
    }
    if (!OnSaveDocument(path)) {
        return false;
    }
    if (path != m_pathName) {
        SetPathName(path);
    }
    return true;
}

bool Document::SaveModified()
{
    if (!IsModified()) {
        return true;
    }
    const std::string name = m_title.empty() ? std::string("Untitled") : m_title;
    switch (qt::uiServices().messageBox("Save changes to " + name + "?", "Harlune",
                                        qt::kMbYesNoCancel | qt::kMbIconQuestion)) {
    case qt::kIdYes:
        return DoFileSave();
    case qt::kIdNo:
        return true;
    default:
        return false;
    }
}

bool Document::CanCloseFrame(ChildFrame* frame)
{
    for (ChildFrame* other : frames()) {
        if (other != frame && !other->isDestroying()) {
            return true; // another window still shows the document
        }
    }
    return SaveModified();
}

void Document::OnCloseDocument()
{
    if (m_closing) {
        return;
    }
    m_closing = true;
    for (ChildFrame* frame : frames()) {
        frame->MDIDestroy();
    }
    DeleteContents();
    // Detach views that are still attached (frames already gone).
    const std::vector<View*> views = m_views;
    for (View* view : views) {
        view->detachDocument();
    }
    if (m_template != nullptr) {
        m_template->removeDocument(this); // deletes this
    }
}

void Document::addView(View* view)
{
    if (std::find(m_views.begin(), m_views.end(), view) == m_views.end()) {
        m_views.push_back(view);
    }
}

void Document::removeView(View* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
    if (m_views.empty() && !m_closing) {
        OnCloseDocument();
    }
}

} // namespace platform::framework
