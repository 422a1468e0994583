// Report definitions and minutes texts: the committed minutes report parses, a malformed file
// is refused naming its line, a missing one names the directory searched, and minutes in
// RTF or plain text come out as readable text.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/report_definition.h"
#include "base/rich_text.h"

namespace {

const char* const kHead =
    "report|TST001|Teste\n"
    "query|pauta|qryAtaPauta|P_NRTAREFA\n";

std::string ParseError(const std::string& body) {
    try {
        ParseReportDefinition(kHead + body, "TST001.rpt");
    } catch (const EReportDefinitionError& e) {
        return e.Message();
    }
    return "accepted";
}

TEST(ReportDefinition, TheMinutesReportOfTheBuildTreeParses) {
    const TReportDefinition def = LoadReportDefinition("zel004", ReportDirectory());
    EXPECT_EQ("ZEL004", def.code);
    EXPECT_EQ("Atas e Pautas da Reunião", def.title);
    ASSERT_EQ(3u, def.queries.size());
    for (const TReportQuery& q : def.queries)
        EXPECT_EQ((std::vector<std::string>{"P_CDFILIAL", "P_NRTAREFA"}), q.params) << q.alias;
    ASSERT_EQ(2u, def.layouts.size());
    EXPECT_EQ("Atas e Pautas", def.layouts[0].name);
    EXPECT_EQ("Pauta", def.layouts[1].name);
    const TReportSection& items = def.layouts[0].sections.back();
    EXPECT_EQ(TReportSection::Kind::Records, items.kind);
    EXPECT_EQ(TReportEntry::Kind::Rich, items.entries.back().kind);
    EXPECT_EQ("TXDESCITTARE", items.entries.back().text);
    for (const TReportEntry& e : def.layouts[1].sections.back().entries)
        EXPECT_NE(TReportEntry::Kind::Rich, e.kind) << "the agenda layout has no minutes";
}

TEST(ReportDefinition, MalformedStatementsAreRefusedWithFileLineAndReason) {
    EXPECT_EQ("accepted", ParseError("layout|A\nrecords|pauta|Pauta\nheading|{DSREFEITTARE}\n"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"layout|A\nbanda|x\n", "linha 4): instrução desconhecida \"banda\""},
        {"fields|pauta\n", "linha 3): \"layout\" esperado"},
        {"layout|A\nfield|Nome|{X}\n", "linha 4): \"field\" fora de uma seção"},
        {"layout|A\nrecords|ata\n", "consulta não declarada \"ata\""},
        {"layout|A\nrecords|pauta\nline|Data|{DTINCLITTARE:dia}\n", "formato desconhecido"},
        {"layout|A\nrecords|pauta\nline|Data|{DTINCLITTARE\n", "\"{\" sem \"}\""},
        {"layout|A\nrecords|pauta\nline|Data|{ata.NRTAREFA}\n", "consulta não declarada em"},
        {"layout|A\ntable|pauta\ncolumn|Assunto|{DSREFEITTARE}|0\n", "largura de coluna"},
        {"layout|A\nrecords|pauta\ncolumn|Assunto|{DSREFEITTARE}|50\n", "não cabe nesta seção"},
        {"layout|A\nrecords|pauta\nrich|Ata\n", "esperado \"rich|rótulo|CAMPO"},
        {"footer|{NRTAREFA}\nlayout|A\nrecords|pauta\n", "precisa da consulta"},
        {"layout|A\n", "o layout \"A\" não tem seções"},
        {"query|pauta|qryOutra\nlayout|A\nrecords|pauta\n", "apelido de consulta repetido"},
    };
    for (const auto& [body, reason] : cases) {
        const std::string error = ParseError(body);
        EXPECT_NE(std::string::npos, error.find("TST001.rpt")) << error;
        EXPECT_NE(std::string::npos, error.find(reason)) << body << " -> " << error;
    }
    EXPECT_THROW(ParseReportDefinition("layout|A\n", "x"), EReportDefinitionError)
        << "no report line";
}

TEST(ReportDefinition, LoadingNamesTheDirectorySearchedAndRefusesAnotherReportsFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    try {
        LoadReportDefinition("ZEL004", dir.path().toStdString());
        FAIL() << "a missing file must raise";
    } catch (const EReportNotFound& e) {
        EXPECT_EQ("ZEL004", e.Code);
        EXPECT_EQ(dir.path().toStdString(), e.Directory);
    }
    QFile file(QDir(dir.path()).filePath("ZEL009.rpt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(kHead) + "layout|A\nrecords|pauta\n");
    file.close();
    EXPECT_THROW(LoadReportDefinition("ZEL009", dir.path().toStdString()), EReportDefinitionError);
}

TEST(RichText, RtfMinutesBecomeTheirPlainText) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\generator Msftedit 5.41;}"
        "\\viewkind4\\uc1\\pard\\lang1046\\b\\f0\\fs16 Decis\\'f5es\\b0  da reuni\\'e3o:\\par\n"
        "\\cf1 a\\u231?\\'e3o aprovada \\{50%\\}\\par\n}";
    EXPECT_TRUE(IsRtfText("  " + rtf));
    EXPECT_EQ("Decisões da reunião:\nação aprovada {50%}", RtfToPlainText(rtf));
    EXPECT_EQ("Decisões da reunião:<br/>ação aprovada {50%}", MinutesToHtml(rtf));
    EXPECT_EQ("Ata: assunto", RtfToPlainText("{\\rtf1\\ansi Ata: assunto}"));
    EXPECT_EQ("texto", RtfToPlainText("{\\rtf1 texto")) << "unbalanced braces";
}

TEST(RichText, HtmlStaysAndPlainTextIsEscaped) {
    const std::string html = "<html><body><p><b>Aprovado</b></p></body></html>";
    EXPECT_EQ(html, MinutesToHtml(html));
    EXPECT_EQ("a &lt; b &amp; c<br/>fim", MinutesToHtml("a < b & c\nfim"));
    EXPECT_FALSE(IsRtfText("<p>{\\rtf</p>"));
}

}  // namespace
