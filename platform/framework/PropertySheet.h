#pragma once

#include <QDialog>
#include <QPointer>

#include <string>
#include <vector>

class QPushButton;
class QTabWidget;

namespace platform::framework {

class PropertySheet;

// One page of a property sheet. It keeps its own working copy of the values it edits; its
// controls are filled in OnInitDialog, which runs when the page is first shown. GUI thread
// only.
class PropertyPage : public QWidget
{
public:
    PropertyPage(unsigned templateId, const std::string& caption, QWidget* parent = nullptr);

    unsigned templateId() const { return m_templateId; }
    const std::string& caption() const { return m_caption; }
    // Marks the page changed: the sheet's Apply button is enabled while any page is.
    void SetModified(bool modified = true);
    bool isModified() const { return m_modified; }
    // Whether OnInitDialog ran (the page was shown).
    bool initialised() const { return m_initialised; }
    PropertySheet* sheet() const;

    // Fills the controls from the working copy when the page is first shown.
    virtual bool OnInitDialog() { return true; }
    // Writes the page's working copy back to its owner (run by the sheet's default apply steps
    // for every page, shown or not).
    virtual void OnApply() {}

    // Used by the sheet.
    void initialiseOnce();

private:
    unsigned m_templateId;
    std::string m_caption;
    bool m_modified = false;
    bool m_initialised = false;
};

// A property sheet: pages in a tab widget with OK, Cancel and Apply. OK and Apply run the apply
// steps (every page, shown or not); Apply first marks all pages unmodified; Cancel writes
// nothing (what an earlier Apply wrote stays). Buttons carry the control ids 1 (OK), 2
// (Cancel) and 12321 (Apply). The sheet does not own its pages: they are members of a derived
// sheet or objects the caller keeps. GUI thread only.
class PropertySheet : public QDialog
{
public:
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;
    static constexpr unsigned ID_APPLY_NOW = 12321;

    explicit PropertySheet(const std::string& caption, QWidget* parent = nullptr);
    ~PropertySheet() override;

    void AddPage(PropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    PropertyPage* GetPage(int index) const;
    bool SetActivePage(int index);
    int GetActiveIndex() const;

    // Runs the sheet modally; IDOK or IDCANCEL.
    int DoModal();

    // The apply steps: the default runs every page's OnApply in order.
    virtual void OnApplySteps();

    // The buttons' actions, also for tests.
    void pressApply();
    void pressOk();
    void pressCancel();

    // Re-evaluates the Apply button (pages call it).
    void updateApplyButton();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTabWidget* m_tabs;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_apply;
    std::vector<QPointer<PropertyPage>> m_pages;
};

} // namespace platform::framework
