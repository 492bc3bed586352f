#include "app/automation/SaxBasicObjFrame.h"

#include "app/automation/SaxBasicHost.h"

CSaxBasicObjFrame::CloseVerdict CSaxBasicObjFrame::OnClose()
{
    if (m_script == nullptr)
        return CloseVerdict::Close;
    switch (m_script->GetMacroState()) {
    case 0:
        return CloseVerdict::Close;
    case -1:
        return CloseVerdict::RetryLater;
    default:
        return CloseVerdict::Refuse;
    }
}

void CSaxBasicObjFrame::afterClose(bool userControl)
{
    if (m_script != nullptr && !userControl)
        CSaxBasicDriver::ShutDownEngine(m_script);
}

bool CSaxBasicObjFrame::OnQueryEndSession(bool baseAllows)
{
    if (!baseAllows)
        return false;
    if (m_script == nullptr)
        return true;
    switch (m_script->GetMacroState()) {
    case -1:
        m_ui.messageBox(kMacroActiveText, CSaxBasicObj::kCaption, ScriptUi::Box::Exclamation);
        return false;
    case 1:
        return false;
    default:
        return true;
    }
}

void CSaxBasicObjFrame::beforeDestroy()
{
    if (m_script != nullptr)
        CSaxBasicDriver::ShutDownEngine(m_script);
}

bool CSaxBasicObjFrame::translatesKeys()
{
    return m_script == nullptr || !m_script->IsEditorFocused();
}
