// TFilterFormBase: saving and loading a dialog's options in the settings file, activation on
// every showing, and closing as cancel.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "base/buttons.h"
#include "base/date_picker_edit.h"
#include "base/filter_form_base.h"

namespace {

class TestFilterForm : public TFilterFormBase {
  public:
    TestFilterForm() {
        lblCodTela->setText("ZEL99999");
        ckbA = add<QCheckBox>("ckbA");
        ckbB = add<QCheckBox>("ckbB");
        rbtTodos = add<QRadioButton>("rbtTodos");
        rbtLista = add<QRadioButton>("rbtLista");
        rbtTodos->setChecked(true);
        depData = new TDatePickerEdit(grbFiltroPadrao);
        depData->setObjectName("depData");
        grbFiltroPadraoLayout->addWidget(depData);
        connect(rbtLista, &QRadioButton::toggled, this, [this](bool on) {
            if (on) ++listaClicks;
        });
        Create();
    }
    void FormCreate() override { ++creates; }
    void FormActivate() override { ++activations; }
    void sbtCancelClick() override {
        ++cancels;
        TFilterFormBase::sbtCancelClick();
    }

    template <class W>
    W* add(const char* name) {
        auto* w = new W(QString::fromLatin1(name), grbFiltroPadrao);
        w->setObjectName(QString::fromLatin1(name));
        grbFiltroPadraoLayout->addWidget(w);
        return w;
    }

    QCheckBox* ckbA;
    QCheckBox* ckbB;
    QRadioButton* rbtTodos;
    QRadioButton* rbtLista;
    TDatePickerEdit* depData;
    int creates = 0, activations = 0, cancels = 0, listaClicks = 0;
};

class FilterFormBaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QCoreApplication::setOrganizationName("zel-test");
        QCoreApplication::setApplicationName("filter_form_base_test");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    }
    QTemporaryDir dir;
};

TEST_F(FilterFormBaseTest, SavedOptionsComeBackInAnotherInstance) {
    {
        TestFilterForm f;
        f.ckbB->setChecked(true);
        f.rbtLista->setChecked(true);
        f.depData->SetText("05/12/2026");
        f.SetOption("stReuniao", "'0000000002'");
        f.btfSaveOpc->trigger();
    }
    TestFilterForm g;
    EXPECT_EQ("'0000000002'", g.SavedOption("stReuniao"));
    EXPECT_EQ("", g.Option("stReuniao")) << "the option list is read by a load";
    g.btfLoadOpc->trigger();
    EXPECT_EQ("'0000000002'", g.Option("stReuniao"));
    EXPECT_FALSE(g.ckbA->isChecked());
    EXPECT_TRUE(g.ckbB->isChecked());
    EXPECT_TRUE(g.rbtLista->isChecked());
    EXPECT_EQ(1, g.listaClicks) << "a loaded radio button runs its handler";
    EXPECT_EQ("05/12/2026", g.depData->Text());

    QSettings settings;
    EXPECT_TRUE(settings.childGroups().contains("ZEL99999")) << "grouped by screen code";
}

TEST_F(FilterFormBaseTest, LoadingWithNothingSavedChangesNothing) {
    TestFilterForm f;
    f.ckbA->setChecked(true);
    f.depData->SetText("01/01/2026");
    f.btfLoadOpc->trigger();
    EXPECT_TRUE(f.ckbA->isChecked());
    EXPECT_TRUE(f.rbtTodos->isChecked());
    EXPECT_EQ("01/01/2026", f.depData->Text());
    EXPECT_EQ("fallback", f.SavedOption("stReuniao", "fallback"));
}

TEST_F(FilterFormBaseTest, ActivationOnEveryShowingAndClosingCancelsAndHides) {
    TestFilterForm f;
    EXPECT_EQ(1, f.creates);
    f.show();
    EXPECT_EQ(1, f.activations);
    f.close();  // the title bar
    EXPECT_EQ(1, f.cancels);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(QDialog::Rejected, f.result());
    f.show();
    EXPECT_EQ(2, f.activations);
    f.sbtCancel->Click();
    EXPECT_EQ(2, f.cancels) << "once per cancel, not again through reject";
    EXPECT_FALSE(f.isVisible());
}

}  // namespace
