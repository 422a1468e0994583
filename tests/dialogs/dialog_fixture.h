// The fixture of the dialog tests: the meeting window's fixture (real application server in
// process, demo data, recorder, scripted dialogs) with the meeting window open, and a helper
// that drives a modal dialog from inside its own event loop.
#pragma once

#include <QTemporaryDir>
#include <functional>

#include "tests/meeting/meeting_fixture.h"

class QDialog;

class DialogTest : public MeetingWindowTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs `script` on the next modal dialog once it is shown and active, inside its modal
    // loop; a dialog the script leaves open is then closed as Esc closes it.
    static void WhenModal(std::function<void(QDialog&)> script);
    // The widget holding the keyboard focus.
    static QWidget* Focused();

  private:
    QTemporaryDir m_settingsDir;
};
