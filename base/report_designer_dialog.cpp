#include "base/report_designer_dialog.h"

#include <QFile>
#include <QPageSize>
#include <QPdfWriter>

#include "base/report_renderer.h"
#include "platform/routines.h"
#include "server/check_server_result.h"
#include "server/server_connection.h"

void TReportParams::Add(const std::string& name) {
    if (!Find(name)) m_items.emplace_back(name);
}

TServerQueryParam* TReportParams::Find(const std::string& name) {
    for (TServerQueryParam& p : m_items)
        if (SameText(p.Name(), name)) return &p;
    return nullptr;
}

const TServerQueryParam* TReportParams::Find(const std::string& name) const {
    return const_cast<TReportParams*>(this)->Find(name);
}

TServerQueryParam& TReportParams::ParamByName(const std::string& name) {
    if (TServerQueryParam* p = Find(name)) return *p;
    throw EDatabaseError("Parameter '" + name + "' not found");
}

bool ExistParam(const TReportParams& params, const std::string& name) {
    return params.Find(name) != nullptr;
}

TReportDesignerDialog::TReportDesignerDialog() = default;
TReportDesignerDialog::~TReportDesignerDialog() = default;

std::string TReportDesignerDialog::DefinitionDirectory() const {
    if (!m_loadedFrom.empty()) return m_loadedFrom;
    return Directory.empty() ? ReportDirectory() : Directory;
}

void TReportDesignerDialog::LoadDefinition() {
    const std::string dir = Directory.empty() ? ReportDirectory() : Directory;
    m_loadedFrom = dir;
    m_executed = false;
    m_queries.clear();
    m_definition.reset();
    m_definition = std::make_unique<TReportDefinition>(LoadReportDefinition(ReportCode, dir));
}

const TReportDefinition& TReportDesignerDialog::Definition() {
    if (!m_definition) LoadDefinition();
    return *m_definition;
}

void TReportDesignerDialog::Execute() {
    const TReportDefinition& def = Definition();
    if (!Connection) throw Exception("Relatório " + ReportCode + ": sem conexão com o servidor.");
    m_executed = false;
    m_params = TReportParams();
    for (const TReportQuery& q : def.queries)
        for (const std::string& p : q.params)
            m_params.Add(p);
    if (BeforeGetQueryParams) BeforeGetQueryParams(m_params);
    m_queries.clear();
    for (const TReportQuery& q : def.queries) {
        auto query = std::make_unique<TServerQuery>(q.queryName);
        query->Connection = Connection;
        for (const std::string& p : q.params)
            query->AddParam(p).SetAsString(m_params.ParamByName(p).AsString());
        query->Open();
        m_queries.push_back(std::move(query));
    }
    // The moment printed is the server's, like every time the module shows.
    TClientDataSet clock("cdsHoraServidor");
    clock.SetData(CheckServerResult(Connection->AppServer().Call("getHoraServidor"), true, 0));
    m_printed = clock.FieldByName("SYSDATE").AsDateTime();
    m_executed = true;
}

const TReportLayout& TReportDesignerDialog::layoutAt(int layout) {
    const TReportDefinition& def = Definition();
    if (layout < 0 || layout >= static_cast<int>(def.layouts.size()))
        throw Exception("O relatório " + ReportCode + " não tem o layout " +
                        std::to_string(layout + 1) + ".");
    return def.layouts[layout];
}

std::unique_ptr<TReportRenderer> TReportDesignerDialog::renderer(int layout) {
    if (!m_executed) Execute();
    TReportData data;
    data.printed = m_printed;
    const TReportDefinition& def = Definition();
    for (size_t i = 0; i < def.queries.size(); ++i)
        data.dataSets[UpperCase(def.queries[i].alias)] = m_queries[i].get();
    return std::make_unique<TReportRenderer>(def, layoutAt(layout), std::move(data));
}

int TReportDesignerDialog::Paint(int layout, QPagedPaintDevice& device) {
    return renderer(layout)->Paint(device);
}

std::string TReportDesignerDialog::PlainText(int layout) {
    return renderer(layout)->PlainText().toStdString();
}

int TReportDesignerDialog::SaveToPdf(int layout, const std::string& fileName) {
    Execute();
    layoutAt(layout);
    const QString path = QString::fromStdString(fileName);
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            throw Exception("Não foi possível gravar o arquivo " + fileName + ": " +
                            probe.errorString().toStdString());
    }
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(QString::fromStdString(layoutAt(layout).name + " - " + Definition().title));
    writer.setCreator(QStringLiteral("zel"));
    return Paint(layout, writer);
}
