#include "app/windows/qt/TemplateViewWidget.h"

#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/ControlIds.h"
#include "platform/framework/MdiFrame.h"
#include "platform/win/Messages.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace fw = platform::framework;

TemplateViewWidget::TemplateViewWidget(QWidget* parent)
    : View(parent), m_core(std::make_unique<CVYKTemplateView>(*this))
{
    auto* form = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("Spectrum Window"), this);
    m_combo = new QComboBox(this);
    fw::setControlId(m_combo, CVYKTemplateView::IDC_SPECTRUM_COMBO);
    m_combo->setMinimumContentsLength(24);
    m_combo->installEventFilter(this);
    auto* edit = new QLineEdit(this);
    fw::setControlId(edit, CVYKTemplateView::IDC_VALUE_EDIT);
    auto* spin = new QSpinBox(this);
    fw::setControlId(spin, CVYKTemplateView::IDC_VALUE_SPIN);
    spin->setAccessibleName(QStringLiteral("Spin1"));
    spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    fw::setControlId(ok, 1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    fw::setControlId(cancel, 2);

    form->addWidget(label, 0, 0);
    form->addWidget(m_combo, 0, 1);
    form->addWidget(edit, 1, 0);
    form->addWidget(spin, 1, 1, Qt::AlignLeft);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    form->addLayout(buttons, 0, 2, 2, 1);
    form->setRowStretch(2, 1);
}

TemplateViewWidget::~TemplateViewWidget() = default;

void TemplateViewWidget::OnInitialUpdate()
{
    View::OnInitialUpdate();
    // The frame shrinks to fit the form; it never grows.
    if (fw::ChildFrame* frame = GetParentFrame()) {
        const QSize form = sizeHint();
        const QSize border = frame->size() - size();
        frame->resize(frame->size().boundedTo(form + border));
    }
    m_core->OnInitialUpdate();
}

bool TemplateViewWidget::OnPreparePrinting(fw::PrintInfo* info)
{
    return DoPreparePrinting(info);
}

intptr_t TemplateViewWidget::OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                                             bool& handled)
{
    if (message == CVYKTemplateView::kScanNotice) {
        handled = true;
        ++m_scanNotices;
        return m_core->OnScanNotice(wParam, lParam);
    }
    return View::OnWindowMessage(message, wParam, lParam, handled);
}

bool TemplateViewWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_combo && event->type() == QEvent::FocusIn)
        m_core->OnComboSetFocus();
    return View::eventFilter(watched, event);
}

std::vector<fw::ChildFrame*> TemplateViewWidget::mainFrameChildren() const
{
    fw::ChildFrame* own = GetParentFrame();
    fw::MdiFrame* mainFrame = own != nullptr ? own->GetMDIFrame() : nullptr;
    return mainFrame != nullptr ? mainFrame->childFrames() : std::vector<fw::ChildFrame*>{};
}

std::vector<uint32_t> TemplateViewWidget::childWindows()
{
    std::vector<uint32_t> handles;
    for (fw::ChildFrame* frame : mainFrameChildren())
        if (frame->GetSafeHwnd() != 0)
            handles.push_back(frame->GetSafeHwnd());
    return handles;
}

namespace {

SpectrumViewWidget* readySpectrumView(fw::ChildFrame* frame)
{
    auto* view = dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView());
    return view != nullptr && view->isReady() && view->GetSafeHwnd() != 0 ? view : nullptr;
}

} // namespace

std::optional<TemplateViewHost::SpectrumWindow> TemplateViewWidget::spectrumWindow(uint32_t handle)
{
    for (fw::ChildFrame* frame : mainFrameChildren()) {
        if (frame->GetSafeHwnd() != handle)
            continue;
        SpectrumViewWidget* view = readySpectrumView(frame);
        if (view == nullptr)
            return std::nullopt;
        const fw::Document* document = view->GetDocument();
        return SpectrumWindow{view->GetSafeHwnd(), document ? document->GetTitle() : std::string()};
    }
    return std::nullopt;
}

bool TemplateViewWidget::isWindow(uint32_t window)
{
    return platform::win::IsWindow(static_cast<platform::win::HWND>(window)) != 0;
}

bool TemplateViewWidget::addTemplateView(uint32_t spectrumView)
{
    if (GetSafeHwnd() == 0)
        return false;
    for (fw::ChildFrame* frame : mainFrameChildren())
        if (SpectrumViewWidget* view = readySpectrumView(frame))
            if (view->GetSafeHwnd() == spectrumView)
                return view->core().AddTemplateView(GetSafeHwnd());
    return false;
}

void TemplateViewWidget::resetComboBox()
{
    m_combo->clear();
}

void TemplateViewWidget::insertComboString(int index, const std::string& text)
{
    m_combo->insertItem(index, QString::fromStdString(text));
}

void TemplateViewWidget::selectComboString(const std::string& text)
{
    m_combo->setCurrentIndex(m_combo->findText(QString::fromStdString(text)));
}
