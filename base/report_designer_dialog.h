// TReportDesignerDialog: the report component of a report window (rpddPadrao). It reads the
// definition of its report code from the reports directory, asks its owner for the values of
// the parameters the definition's queries declare (BeforeGetQueryParams), runs those queries
// on the application server (TServerQuery) and paints the chosen layout on a printer, a
// preview or a PDF file.
//
//   TReportDesignerDialog rpd;
//   rpd.ReportCode = "ZEL004";
//   rpd.Connection = &net;
//   rpd.BeforeGetQueryParams = [](TReportParams& p) {
//       if (ExistParam(p, "P_NRTAREFA")) p.ParamByName("P_NRTAREFA").SetAsString(nr);
//   };
//   rpd.SaveToPdf(0, "/tmp/ata.pdf");
//
// Failures raise: EReportNotFound (no definition file), EReportDefinitionError (a file that
// cannot be used), EServerError (a query the server refuses, e.g. an unknown name). Nothing
// is painted or written then. GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/report_definition.h"
#include "base/server_query.h"
#include "platform/date_time.h"

class QPagedPaintDevice;
class TReportRenderer;
class TServerConnection;

// The parameters the queries of a report declare, each name once, in declaration order.
class TReportParams {
  public:
    void Add(const std::string& name);
    // nullptr when not declared (case ignored).
    TServerQueryParam* Find(const std::string& name);
    const TServerQueryParam* Find(const std::string& name) const;
    // EDatabaseError "Parameter 'X' not found" when not declared.
    TServerQueryParam& ParamByName(const std::string& name);
    const std::vector<TServerQueryParam>& Items() const { return m_items; }

  private:
    std::vector<TServerQueryParam> m_items;
};

// Whether the report's queries declare parameter `name` (case ignored).
bool ExistParam(const TReportParams& params, const std::string& name);

class TReportDesignerDialog {
  public:
    TReportDesignerDialog();
    ~TReportDesignerDialog();

    // The report to run ("ZEL004"): its definition is <Directory>/<ReportCode>.rpt.
    std::string ReportCode;
    // Where the definition is read from; "" for ReportDirectory() at the time of loading.
    std::string Directory;
    TServerConnection* Connection = nullptr;
    // Fills the parameter values before the queries run.
    std::function<void(TReportParams& params)> BeforeGetQueryParams;

    // Reads the definition file again (raises as above).
    void LoadDefinition();
    // The definition, read on first use.
    const TReportDefinition& Definition();
    // The directory the definition was (or will be) read from.
    std::string DefinitionDirectory() const;

    // Runs the queries with fresh parameter values and reads the server clock; the painting
    // calls below then use what they returned.
    void Execute();
    // Paints layout `layout` (index in the definition) of the last Execute. Returns the page
    // count.
    int Paint(int layout, QPagedPaintDevice& device);
    // Execute, then layout `layout` written to the PDF file `fileName` (replaced). Raises when
    // the file cannot be written. Returns the page count.
    int SaveToPdf(int layout, const std::string& fileName);

    // The queries of the last Execute, in definition order.
    const std::vector<std::unique_ptr<TServerQuery>>& Queries() const { return m_queries; }
    // The parameters given to the last Execute.
    const TReportParams& Params() const { return m_params; }
    // The body text of a layout of the last Execute, without formatting.
    std::string PlainText(int layout);

  private:
    const TReportLayout& layoutAt(int layout);
    std::unique_ptr<TReportRenderer> renderer(int layout);

    std::unique_ptr<TReportDefinition> m_definition;
    std::string m_loadedFrom;
    std::vector<std::unique_ptr<TServerQuery>> m_queries;
    TReportParams m_params;
    TDateTime m_printed = 0;
    bool m_executed = false;
};
