#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QToolButton;

// An up-down control beside a buddy edit, as the dialog bars use it: a click on an arrow asks
// the delta handler, which may refuse the step; with buddy-int on, an accepted step moves the
// number in the buddy edit by one within the range. GUI thread only.
class SpinControl : public QWidget
{
public:
    explicit SpinControl(QWidget* parent = nullptr);

    // setBuddyInt: accepted steps write the new position into the buddy's text.
    void setBuddy(QLineEdit* buddy, bool setBuddyInt);
    void SetRange32(int lower, int upper);
    int lower() const { return m_lower; }
    int upper() const { return m_upper; }
    // Answers whether a step of delta (+1 up, -1 down) may happen.
    void setDeltaHandler(std::function<bool(int delta)> handler) { m_handler = std::move(handler); }
    // Called after an accepted step has written the buddy's new text.
    void setSteppedHandler(std::function<void()> handler) { m_stepped = std::move(handler); }
    // One step, as a click on an arrow.
    void step(int delta);

private:
    QLineEdit* m_buddy = nullptr;
    bool m_setBuddyInt = false;
    int m_lower = 0;
    int m_upper = 100;
    std::function<bool(int)> m_handler;
    std::function<void()> m_stepped;
};
