#pragma once

#include "app/dialogs/DataExchange.h"

#include <QDialog>

#include <string>

class QBoxLayout;
class QPushButton;

// The base of the small modal dialogs: a caption and a dialog-template id, the fields
// exchanged with the controls when the dialog is shown (OnInitDialog, then the exchange into
// the controls) and on OK (the exchange back, which may refuse and keep the dialog open).
// DoModal answers IDOK (1) or IDCANCEL (2). GUI thread only.

namespace app::dialogs {

class ValueDialog : public QDialog
{
public:
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    ValueDialog(unsigned templateId, const std::string& caption, QWidget* parent);

    unsigned templateId() const { return m_templateId; }
    int DoModal();

    // The exchange of every field with its control; false when a check refused a value.
    bool UpdateData(bool save = true);

    // The buttons' actions, also for tests.
    void pressOk() { OnOK(); }
    void pressCancel() { OnCancel(); }

protected:
    // Runs once, when the dialog is first shown: the default exchanges the fields into the
    // controls. Answers whether the default focus should be set (false: the dialog set it).
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange) { (void)exchange; }
    // Exchanges the controls into the fields and ends with IDOK unless a check refused.
    virtual void OnOK();
    virtual void OnCancel();

    // Adds an OK (id 1) and a Cancel (id 2) button row to a layout.
    void addOkCancel(QBoxLayout* layout);
    // Ends the modal run with a result.
    void EndDialog(int result) { done(result); }

    // Fills the controls before the first show sizes the dialog, so the dialog fits what
    // its fields put into them (a long message, a hidden control).
    void setVisible(bool visible) override;
    void showEvent(QShowEvent* event) override;
    // A letter without Alt presses the button whose mnemonic it is, as in a message box, when
    // the control with the focus does not take it as text.
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override { OnCancel(); }

private:
    void initialiseOnce();

    unsigned m_templateId;
    bool m_initialised = false;
};

} // namespace app::dialogs
