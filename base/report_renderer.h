// TReportRenderer: lays out one layout of a report definition over the records of its
// queries and paints it, page by page, on a printer, a preview or a PDF writer.
//
// The body is a QTextDocument: the layout's title and subtitle, then its sections in order
// (label/value pairs, a ruled table, or one block per record with its heading, its lines and
// its formatted minutes, whose bold, italic, colours, alignment and lists are kept). Each page
// ends with the definition's footer line, where {@page} and {@pages} are filled in.
//
// The datasets are read (First/Next) when the document is built, at every Paint (the
// document is laid out for the device's resolution); they must stay open until then. GUI thread
// only (fonts and text layout need the application object; the offscreen platform is enough).
#pragma once

#include <QRectF>
#include <QString>
#include <QTextFormat>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/report_definition.h"
#include "platform/date_time.h"

class QPagedPaintDevice;
class QPainter;
class QTextCursor;
class QTextDocument;
class TClientDataSet;
class TField;

// The records a report shows, by query alias, and its own values.
struct TReportData {
    std::map<std::string, TClientDataSet*> dataSets;  // alias (upper case) -> open dataset
    TDateTime printed = 0;                            // the moment printed (server clock)
};

class TReportRenderer {
  public:
    TReportRenderer(const TReportDefinition& definition, const TReportLayout& layout,
                    TReportData data);
    ~TReportRenderer();

    // Paints every page on `device` (A4 margins of 15 mm are set first where the device
    // allows it). Returns the number of pages.
    int Paint(QPagedPaintDevice& device);

    // The body's text without formatting (for a look in tests and logs).
    QString PlainText();

    // The text of template `text`, placeholders filled from `record` (the section's query,
    // current record; may be nullptr) and the other queries' first records. A text whose
    // placeholders are all blank is "".
    std::string Expand(const std::string& text, TClientDataSet* record, int page = 0,
                       int pages = 0) const;

  private:
    // Builds the document for a device of `dpi` dots per inch (nullptr: the screen).
    void build(QPagedPaintDevice* device, double dpi);
    double pt(double points) const { return points * m_dpi / 72.0; }
    void buildTitle(QTextCursor& cursor);
    void buildFields(QTextCursor& cursor, const TReportSection& section, TClientDataSet& ds);
    void buildTable(QTextCursor& cursor, const TReportSection& section, TClientDataSet& ds);
    void buildRecords(QTextCursor& cursor, const TReportSection& section, TClientDataSet& ds);
    void buildRecord(QTextCursor& cursor, const TReportSection& section, TClientDataSet& ds);
    void paintFooter(QPainter& painter, const QRectF& area, int page, int pages) const;
    TClientDataSet* dataSet(const std::string& alias) const;
    std::string value(const std::string& placeholder, TClientDataSet* record, int page,
                      int pages) const;

    const TReportDefinition& m_definition;
    const TReportLayout& m_layout;
    TReportData m_data;
    std::unique_ptr<QTextDocument> m_document;
    double m_dpi = 96;
};

// The block property that keeps a caption on the page of the block after it (the first line
// of its minutes box).
constexpr int kKeepWithNextProperty = QTextFormat::UserProperty + 1;

// Moves every block of `document` marked with kKeepWithNextProperty whose next block's first
// line lands on a later page (of `pageHeight`, the document already laid out at its page size)
// to the top of that page, so a caption never ends a page apart from what it introduces.
// Returns how many blocks were moved.
int KeepCaptionsWithNext(QTextDocument& document, double pageHeight);

// The text of a field as a report shows it, in `format` ("" for the field's own display
// text; date, datetime, hours, yesno, int). A null field is "".
std::string FormatReportValue(const TField& field, const std::string& format);
