#include "app/windows/VYKTemplateView.h"

#include "app/windows/HarluneGraphView.h"

CVYKTemplateView::CVYKTemplateView(TemplateViewHost& host) : m_host(host) {}

void CVYKTemplateView::OnInitialUpdate()
{
    RebuildTable();
    m_selected = 0;
    m_boundView = m_entries.empty() ? 0 : m_entries.front().view;
    if (m_boundView != 0)
        m_host.addTemplateView(m_boundView);
    FillComboBox();
}

void CVYKTemplateView::OnComboSetFocus()
{
    FillComboBox();
}

intptr_t CVYKTemplateView::OnScanNotice(uintptr_t, intptr_t)
{
    return 1;
}

void CVYKTemplateView::RebuildTable()
{
    m_entries.clear();
    for (const uint32_t frame : m_host.childWindows()) {
        if (static_cast<int>(m_entries.size()) >= kMaxEntries)
            break;
        if (auto window = m_host.spectrumWindow(frame)) {
            window->title = cutText(window->title, kMaxTitleBytes);
            m_entries.push_back(std::move(*window));
        }
    }
}

void CVYKTemplateView::FillComboBox()
{
    RebuildTable();
    m_host.resetComboBox();
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        m_host.insertComboString(static_cast<int>(i), m_entries[i].title);
    if (m_selected >= 0 && m_selected < static_cast<int>(m_entries.size()))
        m_host.selectComboString(m_entries[static_cast<std::size_t>(m_selected)].title);
}

uint32_t CVYKTemplateView::boundSpectrumView()
{
    if (m_boundView != 0 && !m_host.isWindow(m_boundView))
        m_boundView = 0;
    return m_boundView;
}
