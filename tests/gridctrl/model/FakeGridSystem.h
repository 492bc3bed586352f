#pragma once

#include "gridctrl/model/GridSystem.h"

#include <set>

namespace gridctrl::model::test {

// A system with a chosen locale, fixed colours and keys the test holds down.
class FakeGridSystem : public GridSystem
{
public:
    explicit FakeGridSystem(QLocale locale = QLocale::c()) : m_locale(std::move(locale)) {}

    COLORREF sysColor(int index) const override { return 0x010000u + static_cast<COLORREF>(index); }
    int systemMetric(int index) const override { return 100 + index; }
    bool isKeyDown(int key) const override { return m_keys.count(key) != 0; }
    QLocale userLocale() const override { return m_locale; }

    std::set<int> m_keys;

private:
    QLocale m_locale;
};

} // namespace gridctrl::model::test
