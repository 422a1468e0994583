// TReportDefinition: a report as its definition file describes it. Report definitions are
// text files of our own format, one per report code ("ZEL004.rpt"), read at run time from
// the reports directory of the install, so a layout changes without rebuilding the module.
//
// The file is UTF-8, one statement per line, its parts separated by "|"; blank lines and
// lines starting with "#" are ignored:
//
//   report|ZEL004|Atas e Pautas da Reunião          code (must match the file) and title
//   query|reuniao|qryAtaReuniao|P_CDFILIAL|P_NRTAREFA
//                                 alias, the server's named query, the parameters it declares
//   footer|left text|centre text|right text         page footer (every page)
//   layout|Atas e Pautas                             a layout the operator may choose
//   title|text                                       big heading of the layout
//   subtitle|text                                    line under it
//   fields|alias|caption                             label/value pairs of the query's first row
//     field|label|text
//   table|alias|caption|text when empty              one row per record of the query
//     column|caption|text|width in percent
//   records|alias|caption|text when empty            one block per record of the query
//     heading|text                                   the block's heading line
//     line|label|text                                a label/value line (omitted when blank)
//     rich|label|FIELD|text when empty               a formatted text (minutes) of the record
//
// Texts may hold placeholders: {FIELD} (the section's query, current record), {alias.FIELD}
// (another query's first record), {FIELD:format} with the formats date, datetime, hours
// (real hours as hh:mm), yesno ("S" is "Sim", anything else "Não"), int (leading zeros
// dropped), and the report's own values {@page}, {@pages}, {@printed} (the moment printed),
// {@title} (the layout's name). A text whose placeholders are all blank is blank.
//
// Parsing checks the structure: unknown statements, missing parts, sections before their
// layout or entries before their section, unknown query aliases, bad placeholders and column
// widths are refused with EReportDefinitionError naming the file and the line.
#pragma once

#include <string>
#include <vector>

#include "platform/exceptions.h"

// A definition file that cannot be used (unreadable, malformed); the message names the file,
// the line and what is wrong.
class EReportDefinitionError : public Exception {
  public:
    using Exception::Exception;
};

// A report definition file that is not where the report looks for it.
class EReportNotFound : public Exception {
  public:
    EReportNotFound(std::string code, std::string directory)
        : Exception("report " + code + " not found in " + directory),
          Code(std::move(code)),
          Directory(std::move(directory)) {}
    std::string Code;
    std::string Directory;
};

struct TReportQuery {
    std::string alias;      // how the layout refers to it
    std::string queryName;  // the server's named query
    std::vector<std::string> params;
};

struct TReportEntry {
    enum class Kind { Field, Column, Heading, Line, Rich };
    Kind kind = Kind::Field;
    std::string label;  // field, column, line, rich
    std::string text;   // template; for rich: the field name
    std::string empty;  // rich: shown when the field is blank
    int width = 0;      // column: percent of the page width
};

struct TReportSection {
    enum class Kind { Fields, Table, Records };
    Kind kind = Kind::Fields;
    std::string alias;  // the query it shows
    std::string caption;
    std::string empty;  // table, records: shown when the query has no records
    std::vector<TReportEntry> entries;
};

struct TReportLayout {
    std::string name;
    std::string title;
    std::string subtitle;
    std::vector<TReportSection> sections;
};

struct TReportDefinition {
    std::string code;
    std::string title;
    std::vector<TReportQuery> queries;
    std::vector<std::string> footer;  // left, centre, right
    std::vector<TReportLayout> layouts;

    // The query of `alias` (case ignored); nullptr when none.
    const TReportQuery* Query(const std::string& alias) const;
};

// Parses the text of a definition file; `source` names it in error messages.
TReportDefinition ParseReportDefinition(const std::string& text, const std::string& source);

// Reads and parses `<directory>/<code>.rpt` (the file name's case ignored). EReportNotFound when
// there is no such file, EReportDefinitionError when it cannot be read or parsed, or when its code
// is another.
TReportDefinition LoadReportDefinition(const std::string& code, const std::string& directory);

// The reports directory: $ZEL_REPORT_DIR when set; else <executable's directory>/../share/
// zel/reports (where the install puts the definitions, and where the build copies them in
// the build tree). Needs the application object for the executable's directory.
std::string ReportDirectory();

// The placeholders of a template, in order: "FIELD", "alias.FIELD", "@page", with the format
// after a ":" left in place ("DTHRREUNIAO:datetime"). Throws EReportDefinitionError (with
// `where` in front) for an unclosed or empty placeholder or an unknown format.
std::vector<std::string> TemplatePlaceholders(const std::string& text, const std::string& where);
