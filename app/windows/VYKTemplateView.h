#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the template form asks of its window and of the main frame. The form names windows by
// their 32-bit handles, so a spectrum window that closed is recognised and never touched.
class TemplateViewHost
{
public:
    // A spectrum window as the form lists it: its view's handle and its document's title.
    struct SpectrumWindow
    {
        uint32_t view = 0;
        std::string title;
    };

    virtual ~TemplateViewHost() = default;
    // The main frame's MDI child frames in MDI order (z-order, topmost first).
    virtual std::vector<uint32_t> childWindows() = 0;
    // The frame's active view when it is a spectrum view ready to scan; nothing otherwise.
    virtual std::optional<SpectrumWindow> spectrumWindow(uint32_t frame) = 0;
    // Whether a window handle names a live window.
    virtual bool isWindow(uint32_t window) = 0;
    // Asks the spectrum view to send its scan notice to this form; false when it cannot.
    virtual bool addTemplateView(uint32_t spectrumView) = 0;
    // The combo box of the form (item 1538).
    virtual void resetComboBox() = 0;
    virtual void insertComboString(int index, const std::string& text) = 0;
    virtual void selectComboString(const std::string& text) = 0;
};

// The template window's form: a table of the open spectrum windows shown in its combo box, and
// the spectrum window it is bound to, which sends it a notice after each processed scan. The
// walk over the main frame's children is the form's own, so the acquisition round-robin's
// place is left alone. GUI thread only.
class CVYKTemplateView
{
public:
    static constexpr unsigned IDD_TEMPLATE_FORM = 204;
    static constexpr unsigned IDC_SPECTRUM_COMBO = 1538;
    static constexpr unsigned IDC_VALUE_EDIT = 1575;
    static constexpr unsigned IDC_VALUE_SPIN = 1007;
    // Sent by a spectrum view after each processed scan (wParam tick count, lParam the view).
    static constexpr unsigned kScanNotice = 0x5F5;
    static constexpr int kMaxEntries = 200;
    // Document titles are kept to 255 bytes, cut on a character boundary.
    static constexpr std::size_t kMaxTitleBytes = 255;

    explicit CVYKTemplateView(TemplateViewHost& host);

    // Lists the spectrum windows, binds the first and registers with it, fills the combo box.
    // With no spectrum window open the form binds and registers nothing.
    void OnInitialUpdate();
    // The combo box took the focus: the list is made again.
    void OnComboSetFocus();
    // The scan notice: answered with 1, nothing else.
    intptr_t OnScanNotice(uintptr_t tickMs, intptr_t spectrumView);

    // Empties the table and walks the main frame's children; at most kMaxEntries entries, the
    // rest are left out.
    void RebuildTable();
    // Rebuilds the table and puts its titles into the combo box, selecting the selected entry.
    void FillComboBox();

    const std::vector<TemplateViewHost::SpectrumWindow>& entries() const { return m_entries; }
    int selectedEntry() const { return m_selected; }
    // The bound spectrum view's handle while that window lives, else 0.
    uint32_t boundSpectrumView();

private:
    TemplateViewHost& m_host;
    std::vector<TemplateViewHost::SpectrumWindow> m_entries;
    int m_selected = 0;
    uint32_t m_boundView = 0;
};
