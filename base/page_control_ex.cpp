#include "base/page_control_ex.h"

#include <QTabBar>

#include "base/guard.h"

TPageControlEx::TPageControlEx(QWidget* parent) : QTabWidget(parent) {
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_switching) return;
        // A click on a tab: OnChanging may refuse, then the previous page comes back.
        if (OnChanging && m_current >= 0 && index != m_current && !Guard(OnChanging)) {
            m_switching = true;
            setCurrentIndex(m_current);
            m_switching = false;
            return;
        }
        m_current = index;
        if (OnChange) Guard(OnChange);
    });
}

bool TPageControlEx::SetActivePage(QWidget* page) {
    const int index = indexOf(page);
    if (index < 0) return false;
    m_switching = true;
    setCurrentIndex(index);
    m_switching = false;
    m_current = index;
    return true;
}
