// Scope guards of the windows: the busy animation and the hourglass cursor are shown while a
// guard lives and are taken away also when an exception leaves the scope.
#pragma once

#include <QApplication>

#include "base/routines.h"

class BusyScope {
  public:
    BusyScope(QWidget* form, int kind) { ShowBusyAnimation(form, kind); }
    ~BusyScope() { HideBusyAnimation(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

class HourglassCursor {
  public:
    HourglassCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourglassCursor() { QApplication::restoreOverrideCursor(); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
};
