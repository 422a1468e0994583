// TPageControlEx: a tab widget whose pages are named tab sheets. When the operator picks a
// tab, OnChanging runs before the page changes (raising keeps the page) and OnChange after.
// Making a page active from code (SetActivePage) fires neither, as on the platform; callers
// run their change handler themselves when they want it.
#pragma once

#include <QTabWidget>
#include <functional>

class TPageControlEx : public QTabWidget {
    Q_OBJECT
  public:
    explicit TPageControlEx(QWidget* parent = nullptr);

    QWidget* ActivePage() const { return currentWidget(); }
    // Makes `page` active without events; false when it is not a page of this control.
    bool SetActivePage(QWidget* page);
    int PageCount() const { return count(); }
    QWidget* Pages(int index) const { return widget(index); }

    std::function<void()> OnChanging;
    std::function<void()> OnChange;

  private:
    bool m_switching = false;
    int m_current = -1;
};
