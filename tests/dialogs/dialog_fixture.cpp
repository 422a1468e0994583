#include "tests/dialogs/dialog_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "dialogs/frm_filtro_reuniao.h"
#include "dialogs/frm_ir_para_dia.h"
#include "meeting/frm_reuniao.h"

void DialogTest::SetUp() {
    // Saved dialog options go to a settings file of this test only.
    ASSERT_TRUE(m_settingsDir.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("zel-test"));
    QCoreApplication::setApplicationName(QStringLiteral("dialogs_test"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    MeetingWindowTest::SetUp();
    Cli_zel00400::CriaReuniao();
    ASSERT_NE(nullptr, Window());
    recorder->Clear();
}

void DialogTest::TearDown() {
    Cli_zel00404::Finalization();
    Cli_zel00405::Finalization();
    MeetingWindowTest::TearDown();
}

void DialogTest::WhenModal(std::function<void(QDialog&)> script) {
    QTimer::singleShot(0, [script = std::move(script)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog is shown";
            return;
        }
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        script(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

QWidget* DialogTest::Focused() {
    return QApplication::focusWidget();
}
