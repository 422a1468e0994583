#include "base/report_definition.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>

#include "platform/routines.h"

namespace {

std::vector<std::string> SplitParts(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t bar = line.find('|', start);
        parts.push_back(TrimAll(line.substr(start, bar == std::string::npos ? bar : bar - start)));
        if (bar == std::string::npos) return parts;
        start = bar + 1;
    }
}

// Reads the statements of one file into a definition, line by line.
class DefinitionParser {
  public:
    explicit DefinitionParser(std::string source) : m_source(std::move(source)) {}

    TReportDefinition Parse(const std::string& text) {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            ++m_line;
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (m_line == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
            const std::string trimmed = TrimAll(line);
            if (!trimmed.empty() && trimmed[0] != '#') statement(SplitParts(trimmed));
            start = end + 1;
        }
        finish();
        return std::move(m_def);
    }

  private:
    [[noreturn]] void fail(const std::string& what) const {
        throw EReportDefinitionError("Definição de relatório inválida (" + m_source + ", linha " +
                                     std::to_string(m_line) + "): " + what);
    }

    std::string where() const { return m_source + ", linha " + std::to_string(m_line); }

    void need(const std::vector<std::string>& p, size_t min, size_t max, const char* form) const {
        if (p.size() < min || p.size() > max) fail(std::string("esperado \"") + form + "\".");
        for (size_t i = 1; i < min; ++i)
            if (p[i].empty()) fail(std::string("parte vazia em \"") + form + "\".");
    }

    void statement(const std::vector<std::string>& p) {
        const std::string& kw = p[0];
        if (kw == "report") return report(p);
        if (kw == "query") return query(p);
        if (kw == "footer") return footer(p);
        if (kw == "layout") return layout(p);
        if (kw == "title" || kw == "subtitle") return title(p);
        if (kw == "fields" || kw == "table" || kw == "records") return section(p);
        if (kw == "field" || kw == "column" || kw == "heading" || kw == "line" || kw == "rich")
            return entry(p);
        fail("instrução desconhecida \"" + kw + "\".");
    }

    void report(const std::vector<std::string>& p) {
        need(p, 3, 3, "report|código|título");
        if (!m_def.code.empty()) fail("\"report\" repetido.");
        m_def.code = p[1];
        m_def.title = p[2];
    }

    void query(const std::vector<std::string>& p) {
        need(p, 3, 64, "query|apelido|consulta|parâmetro...");
        if (!m_layoutSeen.empty()) fail("\"query\" deve vir antes dos layouts.");
        if (m_def.Query(p[1])) fail("apelido de consulta repetido \"" + p[1] + "\".");
        TReportQuery q{p[1], p[2], {}};
        for (size_t i = 3; i < p.size(); ++i) {
            if (p[i].empty()) fail("parâmetro vazio na consulta \"" + p[1] + "\".");
            q.params.push_back(p[i]);
        }
        m_def.queries.push_back(std::move(q));
    }

    void footer(const std::vector<std::string>& p) {
        need(p, 2, 4, "footer|esquerda|centro|direita");
        m_def.footer.assign(p.begin() + 1, p.end());
        m_def.footer.resize(3);
        for (const std::string& t : m_def.footer)
            checkTemplate(t, true);
    }

    void layout(const std::vector<std::string>& p) {
        need(p, 2, 2, "layout|nome");
        if (!m_layoutSeen.insert(UpperCase(p[1])).second) fail("layout repetido \"" + p[1] + "\".");
        m_def.layouts.push_back(TReportLayout{p[1], {}, {}, {}});
    }

    TReportLayout& currentLayout() {
        if (m_def.layouts.empty())
            fail("\"" + std::string("layout") + "\" esperado antes desta linha.");
        return m_def.layouts.back();
    }

    void title(const std::vector<std::string>& p) {
        need(p, 2, 2, "title|texto");
        checkTemplate(p[1], true);
        (p[0] == "title" ? currentLayout().title : currentLayout().subtitle) = p[1];
    }

    void section(const std::vector<std::string>& p) {
        need(p, 2, 4, "fields|table|records|consulta|título|texto se vazio");
        TReportLayout& l = currentLayout();
        if (!m_def.Query(p[1])) fail("consulta não declarada \"" + p[1] + "\".");
        TReportSection s;
        s.kind = p[0] == "fields"  ? TReportSection::Kind::Fields
                 : p[0] == "table" ? TReportSection::Kind::Table
                                   : TReportSection::Kind::Records;
        s.alias = p[1];
        if (p.size() > 2) s.caption = p[2];
        if (p.size() > 3) s.empty = p[3];
        l.sections.push_back(std::move(s));
    }

    void entry(const std::vector<std::string>& p) {
        TReportLayout& l = currentLayout();
        if (l.sections.empty()) fail("\"" + p[0] + "\" fora de uma seção.");
        TReportSection& s = l.sections.back();
        using K = TReportSection::Kind;
        using E = TReportEntry::Kind;
        const std::string& kw = p[0];
        const bool fits =
            (kw == "field" && s.kind == K::Fields) || (kw == "column" && s.kind == K::Table) ||
            ((kw == "heading" || kw == "line" || kw == "rich") && s.kind == K::Records);
        if (!fits) fail("\"" + kw + "\" não cabe nesta seção.");
        TReportEntry e;
        if (kw == "heading") {
            need(p, 2, 2, "heading|texto");
            e.kind = E::Heading;
            e.text = p[1];
        } else if (kw == "rich") {
            need(p, 3, 4, "rich|rótulo|CAMPO|texto se vazio");
            e.kind = E::Rich;
            e.label = p[1];
            e.text = p[2];
            if (p.size() > 3) e.empty = p[3];
        } else if (kw == "column") {
            need(p, 4, 4, "column|título|texto|largura");
            e.kind = E::Column;
            e.label = p[1];
            e.text = p[2];
            e.width = std::atoi(p[3].c_str());
            if (e.width <= 0 || e.width > 100 || std::to_string(e.width) != p[3])
                fail("largura de coluna inválida \"" + p[3] + "\" (1 a 100).");
        } else {
            need(p, 3, 3, kw == "field" ? "field|rótulo|texto" : "line|rótulo|texto");
            e.kind = kw == "field" ? E::Field : E::Line;
            e.label = p[1];
            e.text = p[2];
        }
        if (e.kind != E::Rich) checkTemplate(e.text, false);
        s.entries.push_back(std::move(e));
    }

    // Placeholders must be well formed and name declared queries.
    void checkTemplate(const std::string& text, bool qualifiedOnly) {
        for (const std::string& ph : TemplatePlaceholders(text, where())) {
            if (ph[0] == '@') continue;
            const size_t dot = ph.find('.');
            if (dot == std::string::npos) {
                if (qualifiedOnly)
                    fail("fora de uma seção o campo precisa da consulta: {" + ph + "}.");
                continue;
            }
            if (!m_def.Query(ph.substr(0, dot))) fail("consulta não declarada em {" + ph + "}.");
        }
    }

    void finish() {
        if (m_def.code.empty()) fail("falta a linha \"report|código|título\".");
        if (m_def.layouts.empty()) fail("o relatório não tem nenhum \"layout\".");
        for (const TReportLayout& l : m_def.layouts)
            if (l.sections.empty()) fail("o layout \"" + l.name + "\" não tem seções.");
    }

    std::string m_source;
    int m_line = 0;
    TReportDefinition m_def;
    std::set<std::string> m_layoutSeen;
};

const std::set<std::string>& Formats() {
    static const std::set<std::string> formats = {"date", "datetime", "hours", "yesno", "int"};
    return formats;
}

const std::set<std::string>& ReportValues() {
    static const std::set<std::string> values = {"@page", "@pages", "@printed", "@title"};
    return values;
}

}  // namespace

const TReportQuery* TReportDefinition::Query(const std::string& alias) const {
    for (const TReportQuery& q : queries)
        if (SameText(q.alias, alias)) return &q;
    return nullptr;
}

std::vector<std::string> TemplatePlaceholders(const std::string& text, const std::string& where) {
    std::vector<std::string> out;
    size_t pos = 0;
    while ((pos = text.find('{', pos)) != std::string::npos) {
        const size_t close = text.find('}', pos);
        const auto bad = [&](const std::string& what) {
            throw EReportDefinitionError("Definição de relatório inválida (" + where +
                                         "): " + what);
        };
        if (close == std::string::npos) bad("\"{\" sem \"}\".");
        const std::string ph = text.substr(pos + 1, close - pos - 1);
        const size_t colon = ph.find(':');
        const std::string name = ph.substr(0, colon);
        if (name.empty() || name.find_first_of(" {") != std::string::npos)
            bad("campo inválido {" + ph + "}.");
        if (name[0] == '@' && !ReportValues().count(name)) bad("valor desconhecido {" + ph + "}.");
        if (colon != std::string::npos && !Formats().count(ph.substr(colon + 1)))
            bad("formato desconhecido {" + ph + "}.");
        out.push_back(ph);
        pos = close + 1;
    }
    return out;
}

TReportDefinition ParseReportDefinition(const std::string& text, const std::string& source) {
    return DefinitionParser(source).Parse(text);
}

TReportDefinition LoadReportDefinition(const std::string& code, const std::string& directory) {
    // Report codes are matched without regard to case, as everywhere in the suite.
    const QDir dir(QString::fromStdString(directory));
    const QStringList names =
        dir.entryList({QString::fromStdString(code) + QStringLiteral(".rpt")}, QDir::Files);
    if (code.empty() || names.isEmpty()) throw EReportNotFound(code, directory);
    const QString path = dir.filePath(names.front());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EReportDefinitionError("Não foi possível ler a definição de relatório " +
                                     path.toStdString() + ": " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    TReportDefinition def = ParseReportDefinition(bytes.toStdString(), path.toStdString());
    if (!SameText(def.code, code))
        throw EReportDefinitionError("O arquivo " + path.toStdString() + " define o relatório " +
                                     def.code + ", e não " + code + ".");
    return def;
}

std::string ReportDirectory() {
    const QByteArray env = qgetenv("ZEL_REPORT_DIR");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env).toStdString();
    const QString appDir = QCoreApplication::applicationDirPath();
    return QDir::cleanPath(QDir(appDir).filePath(QStringLiteral("../share/zel/reports")))
        .toStdString();
}
