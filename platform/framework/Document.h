#pragma once

#include "platform/framework/CommandTarget.h"

#include <string>
#include <vector>

namespace platform::framework {

class ChildFrame;
class DocTemplate;
class View;

// A document: data shown by one or more views, made and owned by its template. It closes itself
// when its last view goes. GUI thread only.
class Document : public CommandTarget
{
public:
    // Handles File Close (ask to save, then close every window of the document), File Save and
    // File Save As.
    Document();
    ~Document() override;

    const std::string& GetTitle() const { return m_title; }
    // Sets the title; the frames of the document show it.
    virtual void SetTitle(const std::string& title);
    const std::string& GetPathName() const { return m_pathName; }
    // Sets the path; the title becomes the path's file name.
    virtual void SetPathName(const std::string& path);
    bool IsModified() const { return m_modified; }
    virtual void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    DocTemplate* GetDocTemplate() const { return m_template; }

    const std::vector<View*>& views() const { return m_views; }
    // The frames that show this document, in the order of its views.
    std::vector<ChildFrame*> frames() const;
    // Calls OnUpdate of every view but sender.
    void UpdateAllViews(View* sender, long hint = 0, void* hintObject = nullptr);

    // A new, empty document: DeleteContents, not modified.
    virtual bool OnNewDocument();
    // Reads a file; the default reads nothing and fails.
    virtual bool OnOpenDocument(const std::string& path);
    // Writes a file; the default writes nothing and clears the modified flag.
    virtual bool OnSaveDocument(const std::string& path);
    virtual void DeleteContents() {}
    // Asks "Save changes to <title>?" (Yes/No/Cancel) when modified. Yes saves (false when the
    // save fails), No discards, Cancel vetoes: false.
    virtual bool SaveModified();
    // Whether the frame may close: the last frame of the document asks SaveModified.
    virtual bool CanCloseFrame(ChildFrame* frame);
    // Closes every frame of the document without asking; the document is then deleted.
    virtual void OnCloseDocument();

    // Saves to the path, asking for one with the save dialog when there is none.
    bool DoFileSave();
    // Saves under a path chosen with the save dialog.
    bool DoFileSaveAs();
    // File Close: asks to save when modified (Cancel keeps it open), then closes the document.
    void OnFileClose();

    // Used by views and templates.
    void addView(View* view);
    void removeView(View* view);
    void setDocTemplate(DocTemplate* docTemplate) { m_template = docTemplate; }
    bool isClosing() const { return m_closing; }

private:
    std::string m_title;
    std::string m_pathName;
    bool m_modified = false;
    bool m_closing = false;
    DocTemplate* m_template = nullptr;
    std::vector<View*> m_views;
};

} // namespace platform::framework
