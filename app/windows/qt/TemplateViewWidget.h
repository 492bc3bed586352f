#pragma once

#include "app/windows/VYKTemplateView.h"
#include "platform/framework/Document.h"
#include "platform/framework/View.h"

#include <memory>

class QComboBox;

// The template window's document: it holds nothing.
class CVYKTemplateDoc : public platform::framework::Document
{};

// The template window's form (dialog 204): "OK" and "Cancel", the static text "Spectrum
// Window", the combo box of spectrum windows (1538), an edit field (1575) and an up-down
// control (1007). It answers the form's questions from the main frame's children and forwards
// the combo box's focus and the scan notice to CVYKTemplateView. GUI thread only.
class TemplateViewWidget : public platform::framework::View, public TemplateViewHost
{
public:
    explicit TemplateViewWidget(QWidget* parent = nullptr);
    ~TemplateViewWidget() override;

    CVYKTemplateView& core() { return *m_core; }
    QComboBox* comboBox() const { return m_combo; }
    // How many scan notices reached the form.
    int scanNotices() const { return m_scanNotices; }

    void OnInitialUpdate() override;
    void OnDraw(platform::framework::CDC*) override {}
    bool OnPreparePrinting(platform::framework::PrintInfo* info) override;
    void OnBeginPrinting(platform::framework::CDC*, platform::framework::PrintInfo*) override {}
    void OnPrepareDC(platform::framework::CDC*, platform::framework::PrintInfo*) override {}
    void OnPrint(platform::framework::CDC*, platform::framework::PrintInfo*) override {}
    void OnEndPrinting(platform::framework::CDC*, platform::framework::PrintInfo*) override {}
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;

    // TemplateViewHost
    std::vector<uint32_t> childWindows() override;
    std::optional<SpectrumWindow> spectrumWindow(uint32_t frame) override;
    bool isWindow(uint32_t window) override;
    bool addTemplateView(uint32_t spectrumView) override;
    void resetComboBox() override;
    void insertComboString(int index, const std::string& text) override;
    void selectComboString(const std::string& text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<platform::framework::ChildFrame*> mainFrameChildren() const;

    std::unique_ptr<CVYKTemplateView> m_core;
    QComboBox* m_combo = nullptr;
    int m_scanNotices = 0;
};
