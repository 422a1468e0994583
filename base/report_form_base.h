// TReportFormBase: the base window of the suite's report windows, a modal dialog.
//
// It holds the report component rpddPadrao (TReportDesignerDialog) with the report code shown
// in lblCodRel, a combo box cbxRelatorio with the layouts of the report's definition (in the
// file's order), the buttons sbtPreview ("Visualizar": a print preview), sbtPrint
// ("Imprimir": the platform's print dialog), sbtSalvarComo ("Salvar como": a PDF file the
// operator chooses) and sbtFechar, the screen code label lblCodTela and the message table
// msgPadrao (the derived window's; it must hold "Arq_Rel_Err").
//
// The definition is read at every activation (so a changed file counts at the next opening);
// a missing file is reported with "Arq_Rel_Err" (report code, directory searched), a file
// that cannot be used with its own message, and the output buttons then do nothing but repeat
// that report. Before the queries run, rpddPadraoBeforeGetQueryParams lets the derived window
// give the parameters their values.
//
// Handlers are virtual; a derived window overrides them and calls the base version where the
// base behaviour is wanted. Every entry from Qt runs through the guard. Closing (title bar,
// Esc, sbtFechar) runs FormClose and hides the dialog.
#pragma once

#include <QDialog>
#include <string>

#include "base/report_designer_dialog.h"
#include "messages/message_table.h"

class QComboBox;
class QLabel;
class QVBoxLayout;
class TFlatButton;

class TReportFormBase : public QDialog {
    Q_OBJECT
  public:
    explicit TReportFormBase(QWidget* parent = nullptr);
    ~TReportFormBase() override;

    // --- inherited components ---
    TFlatButton* sbtPreview;
    TFlatButton* sbtPrint;
    TFlatButton* sbtSalvarComo;
    TFlatButton* sbtFechar;
    QComboBox* cbxRelatorio;
    QLabel* lblRelatorio;  // caption of the combo box
    QLabel* lblCodRel;     // the report code
    QLabel* lblCodTela;
    QVBoxLayout* ClientLayout;  // derived windows add their controls here
    TReportDesignerDialog rpddPadrao;
    const TMessageTable* msgPadrao = nullptr;

    // Runs FormCreate once (through the guard); derived constructors call it at their end.
    void Create();
    // The report code (also shown in lblCodRel).
    void SetReportCode(const std::string& code);

    // --- handlers ---
    virtual void FormCreate() {}
    // Reads the report's definition and lists its layouts in cbxRelatorio.
    virtual void FormActivate();
    virtual void FormClose() {}
    // Runs the report's queries and shows the chosen layout in a print preview.
    virtual void sbtPreviewClick();
    // Runs the queries and prints the chosen layout through the print dialog.
    virtual void sbtPrintClick();
    // Asks for a file name and writes the chosen layout there as PDF.
    virtual void sbtSalvarComoClick();
    // The values of the parameters the report's queries declare.
    virtual void rpddPadraoBeforeGetQueryParams(TReportParams& params) { (void)params; }
    // The file name the save-as dialog proposes.
    virtual std::string SuggestedFileName() const;

    // The layout chosen in the combo box (its index, -1 when none).
    int SelectedReport() const;

    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Reads the definition; a failure is shown (Arq_Rel_Err or the file's error) and raises.
    void loadDefinition();
    // The definition, loaded; raises as loadDefinition when it cannot be.
    const TReportDefinition& definition();
    std::string outputTitle() const;
    bool m_loaded = false;
};
