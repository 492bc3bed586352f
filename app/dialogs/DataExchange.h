#pragma once

#include "app/dialogs/DataExchangeRules.h"

#include <span>
#include <string>

class QComboBox;
class QWidget;

// The settings dialogs' data exchange between their fields and their controls (found by
// control id): texts, check boxes, list indices and numbers, with the numbers read as atoi
// and atof read them and the integer and range checks that keep a dialog open. A failed check
// shows its message once (through the UI services), puts the focus on the control and ends
// the exchange: later calls do nothing. GUI thread only.

namespace app::dialogs {

class DataExchange
{
public:
    // save: controls into fields (true) or fields into controls (false).
    DataExchange(QWidget* root, bool save) : m_root(root), m_save(save) {}

    bool saving() const { return m_save; }
    bool failed() const { return m_failed; }

    void text(unsigned control, std::string& value);
    // A check box: 0 or 1.
    void check(unsigned control, int& value);
    // A combo box's selected index; -1 for none.
    void comboIndex(unsigned control, int& value);
    // The leading number of the text (atoi); shown as "%lld".
    void leadingInteger(unsigned control, long long& value);
    // The leading number of the text (atof); shown with up to 15 significant digits.
    void leadingDouble(unsigned control, double& value);
    // A whole integer within range; anything else is refused with a message.
    void integer(unsigned control, int& value, const ValueRange& range);
    void integer(unsigned control, long long& value, const ValueRange& range);
    // A range check of a value already read from control; refused with the range message.
    void checkRange(unsigned control, long long value, const ValueRange& range);

    // Ends the exchange with a message about a control.
    void fail(unsigned control, const std::string& message);

private:
    QWidget* m_root;
    bool m_save;
    bool m_failed = false;
};

// Fills a combo box with a fixed list.
void fillComboBox(QComboBox* box, std::span<const char* const> entries);

// Shows a dialog message (plain OK box) through the UI services.
void showDialogMessage(const std::string& text, QWidget* owner);

} // namespace app::dialogs
