#include "base/report_renderer.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include "base/rich_text.h"
#include "platform/client_data_set.h"
#include "platform/routines.h"

namespace {

const QColor kAccent(0x1F, 0x3A, 0x5F);
const QColor kMuted(0x5A, 0x64, 0x72);
const QColor kShade(0xE6, 0xEC, 0xF3);
const QColor kRule(0xB8, 0xC2, 0xCE);
const QString kFontFamily = QStringLiteral("DejaVu Sans");

QTextCharFormat CharFormat(double points, bool bold, const QColor& colour, bool italic = false) {
    QTextCharFormat f;
    f.setFontFamilies({kFontFamily});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setForeground(colour);
    return f;
}

std::string StripZeros(const std::string& s) {
    const std::string t = TrimAll(s);
    const size_t nz = t.find_first_not_of('0');
    if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos) return t;
    return nz == std::string::npos ? "0" : t.substr(nz);
}

std::string HoursText(double hours) {
    const int64_t minutes = Round(hours * 60);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(minutes / 60),
                  static_cast<long long>(minutes % 60));
    return text;
}

std::string Upper(const std::string& s) {
    return UpperCase(s);
}

}  // namespace

std::string FormatReportValue(const TField& field, const std::string& format) {
    if (field.IsNull()) return "";
    if (format == "date") return FormatDateTime("dd/mm/yyyy", field.AsDateTime());
    if (format == "datetime") return FormatDateTime("dd/mm/yyyy hh:nn", field.AsDateTime());
    if (format == "hours") return HoursText(field.AsFloat());
    if (format == "yesno") return TrimAll(field.AsString()) == "S" ? "Sim" : "Não";
    if (format == "int") return StripZeros(field.AsString());
    return TrimAll(field.DisplayText());
}

namespace {

int PageOf(double y, double pageHeight) {
    return static_cast<int>(y / pageHeight);
}

// The page where the first line of `block` is drawn (a line that does not fit the rest of a
// page is pushed down to the next one inside its block).
int FirstLinePage(const QTextBlock& block, double pageHeight) {
    const QRectF rect = block.document()->documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) return PageOf(rect.top(), pageHeight);
    const QTextLine line = layout->lineAt(0);
    return PageOf(rect.top() + line.y() + line.height() - 0.5, pageHeight);
}

}  // namespace

int KeepCaptionsWithNext(QTextDocument& document, double pageHeight) {
    if (pageHeight <= 0) return 0;
    int moved = 0;
    // Each move lays the rest of the document out again, so the blocks are looked at from the
    // top down and every one after a move sees its final place.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!block.blockFormat().boolProperty(kKeepWithNextProperty)) continue;
        const QTextBlock next = block.next();
        if (!next.isValid()) continue;
        const int captionPage = FirstLinePage(block, pageHeight);
        if (FirstLinePage(next, pageHeight) <= captionPage) continue;
        QTextBlockFormat format = block.blockFormat();
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) continue;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(block).setBlockFormat(format);
        ++moved;
    }
    return moved;
}

TReportRenderer::TReportRenderer(const TReportDefinition& definition, const TReportLayout& layout,
                                 TReportData data)
    : m_definition(definition), m_layout(layout), m_data(std::move(data)) {}

TReportRenderer::~TReportRenderer() = default;

TClientDataSet* TReportRenderer::dataSet(const std::string& alias) const {
    auto it = m_data.dataSets.find(Upper(alias));
    return it == m_data.dataSets.end() ? nullptr : it->second;
}

std::string TReportRenderer::value(const std::string& placeholder, TClientDataSet* record, int page,
                                   int pages) const {
    const size_t colon = placeholder.find(':');
    const std::string name = placeholder.substr(0, colon);
    const std::string format = colon == std::string::npos ? "" : placeholder.substr(colon + 1);
    if (name == "@page") return page > 0 ? std::to_string(page) : "";
    if (name == "@pages") return pages > 0 ? std::to_string(pages) : "";
    if (name == "@printed") return FormatDateTime("dd/mm/yyyy hh:nn", m_data.printed);
    if (name == "@title") return m_layout.name;
    const size_t dot = name.find('.');
    TClientDataSet* ds = record;
    std::string field = name;
    if (dot != std::string::npos) {
        ds = dataSet(name.substr(0, dot));
        field = name.substr(dot + 1);
        // Another query is read at its first record.
        if (ds && ds->Active() && ds != record) ds->First();
    }
    if (!ds || !ds->Active() || ds->IsEmpty()) return "";
    const TField* f = ds->FindField(field);
    if (!f)
        throw EReportDefinitionError("O relatório " + m_definition.code + " usa o campo " + field +
                                     ", que a consulta " + ds->Name() + " não traz.");
    return FormatReportValue(*f, format);
}

std::string TReportRenderer::Expand(const std::string& text, TClientDataSet* record, int page,
                                    int pages) const {
    std::string out;
    bool anyPlaceholder = false, anyValue = false;
    size_t pos = 0;
    for (;;) {
        const size_t open = text.find('{', pos);
        if (open == std::string::npos) break;
        const size_t close = text.find('}', open);
        if (close == std::string::npos) break;
        out += text.substr(pos, open - pos);
        const std::string v = value(text.substr(open + 1, close - open - 1), record, page, pages);
        anyPlaceholder = true;
        anyValue = anyValue || !IsBlank(v);
        out += v;
        pos = close + 1;
    }
    out += text.substr(pos);
    return anyPlaceholder && !anyValue ? std::string() : TrimAll(out);
}

int TReportRenderer::Paint(QPagedPaintDevice& device) {
    device.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device))
        throw Exception("Não foi possível iniciar a impressão do relatório " + m_definition.code +
                        ".");
    const QRectF area(0, 0, device.width(), device.height());
    build(&device, device.logicalDpiY());
    const double footerHeight = pt(26);
    const double bodyHeight = area.height() - footerHeight;
    m_document->setPageSize(QSizeF(area.width(), bodyHeight));
    KeepCaptionsWithNext(*m_document, bodyHeight);
    const int pages = m_document->pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0) device.newPage();
        painter.save();
        painter.translate(0, -i * bodyHeight);
        m_document->drawContents(&painter, QRectF(0, i * bodyHeight, area.width(), bodyHeight));
        painter.restore();
        paintFooter(painter, QRectF(0, bodyHeight, area.width(), footerHeight), i + 1, pages);
    }
    painter.end();
    return pages;
}

QString TReportRenderer::PlainText() {
    if (!m_document) build(nullptr, 96);
    return m_document->toPlainText();
}

void TReportRenderer::paintFooter(QPainter& painter, const QRectF& area, int page,
                                  int pages) const {
    painter.save();
    painter.setPen(QPen(kRule, pt(0.6)));
    const double ruleY = area.top() + pt(8);
    painter.drawLine(QPointF(area.left(), ruleY), QPointF(area.right(), ruleY));
    QFont font(kFontFamily);
    font.setPointSizeF(7.5);
    painter.setFont(font);
    painter.setPen(kMuted);
    const QRectF text(area.left(), ruleY + pt(3), area.width(), area.bottom() - ruleY - pt(3));
    const Qt::Alignment align[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (size_t i = 0; i < m_definition.footer.size() && i < 3; ++i)
        painter.drawText(
            text, static_cast<int>(align[i] | Qt::AlignTop),
            QString::fromStdString(Expand(m_definition.footer[i], nullptr, page, pages)));
    painter.restore();
}

void TReportRenderer::build(QPagedPaintDevice* device, double dpi) {
    m_dpi = dpi;
    m_document = std::make_unique<QTextDocument>();
    if (device) m_document->documentLayout()->setPaintDevice(device);
    QFont base(kFontFamily);
    base.setPointSizeF(9.5);
    m_document->setDefaultFont(base);
    m_document->setDocumentMargin(0);
    QTextCursor cursor(m_document.get());
    buildTitle(cursor);
    for (const TReportSection& section : m_layout.sections) {
        TClientDataSet* ds = dataSet(section.alias);
        if (!ds) continue;
        QTextBlockFormat caption;
        caption.setTopMargin(pt(14));
        caption.setBottomMargin(pt(4));
        caption.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                            QTextLength(QTextLength::PercentageLength, 100));
        if (!section.caption.empty()) {
            cursor.insertBlock(caption, CharFormat(11.5, true, kAccent));
            cursor.insertText(QString::fromStdString(section.caption));
        }
        switch (section.kind) {
            case TReportSection::Kind::Fields:
                buildFields(cursor, section, *ds);
                break;
            case TReportSection::Kind::Table:
                buildTable(cursor, section, *ds);
                break;
            case TReportSection::Kind::Records:
                buildRecords(cursor, section, *ds);
                break;
        }
    }
}

void TReportRenderer::buildTitle(QTextCursor& cursor) {
    QTextBlockFormat block;
    block.setBottomMargin(pt(2));
    cursor.setBlockFormat(block);
    cursor.setBlockCharFormat(CharFormat(17, true, kAccent));
    cursor.insertText(QString::fromStdString(Expand(m_layout.title, nullptr)),
                      CharFormat(17, true, kAccent));
    const std::string subtitle = Expand(m_layout.subtitle, nullptr);
    if (!subtitle.empty()) {
        cursor.insertBlock(QTextBlockFormat(), CharFormat(11, false, kMuted));
        cursor.insertText(QString::fromStdString(subtitle));
    }
}

void TReportRenderer::buildFields(QTextCursor& cursor, const TReportSection& section,
                                  TClientDataSet& ds) {
    ds.First();
    const int pairs = static_cast<int>(section.entries.size());
    if (pairs == 0) return;
    QTextTableFormat table;
    table.setBorder(0);
    table.setCellPadding(pt(2));
    table.setCellSpacing(0);
    table.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    table.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 17),
                                     QTextLength(QTextLength::PercentageLength, 33),
                                     QTextLength(QTextLength::PercentageLength, 17),
                                     QTextLength(QTextLength::PercentageLength, 33)});
    QTextTable* t = cursor.insertTable((pairs + 1) / 2, 4, table);
    for (int i = 0; i < pairs; ++i) {
        const TReportEntry& e = section.entries[i];
        const std::string v = Expand(e.text, &ds);
        QTextCursor label = t->cellAt(i / 2, (i % 2) * 2).firstCursorPosition();
        label.insertText(QString::fromStdString(e.label), CharFormat(8.5, true, kMuted));
        QTextCursor text = t->cellAt(i / 2, (i % 2) * 2 + 1).firstCursorPosition();
        text.insertText(QString::fromStdString(v.empty() ? "—" : v),
                        CharFormat(9.5, false, Qt::black));
    }
    cursor.movePosition(QTextCursor::End);
}

void TReportRenderer::buildTable(QTextCursor& cursor, const TReportSection& section,
                                 TClientDataSet& ds) {
    if (ds.IsEmpty() || section.entries.empty()) {
        cursor.insertBlock(QTextBlockFormat(), CharFormat(9.5, false, kMuted, true));
        cursor.insertText(QString::fromStdString(section.empty));
        return;
    }
    QTextTableFormat table;
    table.setBorder(pt(0.5));
    table.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    table.setBorderBrush(kRule);
    table.setBorderCollapse(true);
    table.setCellPadding(pt(3));
    table.setCellSpacing(0);
    table.setHeaderRowCount(1);
    table.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> widths;
    for (const TReportEntry& e : section.entries)
        widths << QTextLength(QTextLength::PercentageLength, e.width);
    table.setColumnWidthConstraints(widths);
    const int columns = static_cast<int>(section.entries.size());
    QTextTable* t = cursor.insertTable(ds.RecordCount() + 1, columns, table);
    for (int c = 0; c < columns; ++c) {
        QTextTableCell cell = t->cellAt(0, c);
        QTextCharFormat shade = cell.format();
        shade.setBackground(kShade);
        cell.setFormat(shade);
        cell.firstCursorPosition().insertText(QString::fromStdString(section.entries[c].label),
                                              CharFormat(8.5, true, kAccent));
    }
    int row = 1;
    for (ds.First(); !ds.Eof(); ds.Next(), ++row)
        for (int c = 0; c < columns; ++c)
            t->cellAt(row, c).firstCursorPosition().insertText(
                QString::fromStdString(Expand(section.entries[c].text, &ds)),
                CharFormat(9.5, false, Qt::black));
    cursor.movePosition(QTextCursor::End);
}

void TReportRenderer::buildRecords(QTextCursor& cursor, const TReportSection& section,
                                   TClientDataSet& ds) {
    if (ds.IsEmpty()) {
        cursor.insertBlock(QTextBlockFormat(), CharFormat(9.5, false, kMuted, true));
        cursor.insertText(QString::fromStdString(section.empty));
        return;
    }
    for (ds.First(); !ds.Eof(); ds.Next())
        buildRecord(cursor, section, ds);
}

void TReportRenderer::buildRecord(QTextCursor& cursor, const TReportSection& section,
                                  TClientDataSet& ds) {
    for (const TReportEntry& e : section.entries) {
        if (e.kind == TReportEntry::Kind::Heading) {
            QTextBlockFormat block;
            block.setTopMargin(pt(10));
            block.setBottomMargin(pt(3));
            block.setBackground(kShade);
            block.setLeftMargin(0);
            cursor.insertBlock(block, CharFormat(10.5, true, kAccent));
            cursor.insertText(QString::fromStdString(" " + Expand(e.text, &ds)));
        } else if (e.kind == TReportEntry::Kind::Line) {
            const std::string v = Expand(e.text, &ds);
            if (v.empty()) continue;
            QTextBlockFormat block;
            block.setLeftMargin(pt(6));
            cursor.insertBlock(block, CharFormat(9.5, false, Qt::black));
            cursor.insertText(QString::fromStdString(e.label + ": "),
                              CharFormat(8.5, true, kMuted));
            cursor.insertText(QString::fromStdString(v), CharFormat(9.5, false, Qt::black));
        } else if (e.kind == TReportEntry::Kind::Rich) {
            QTextBlockFormat block;
            block.setLeftMargin(pt(6));
            block.setTopMargin(pt(5));
            block.setProperty(kKeepWithNextProperty, true);
            cursor.insertBlock(block, CharFormat(8.5, true, kMuted));
            cursor.insertText(QString::fromStdString(e.label));
            const TField* f = ds.FindField(e.text);
            if (!f)
                throw EReportDefinitionError("O relatório " + m_definition.code + " usa o campo " +
                                             e.text + ", que a consulta " + ds.Name() +
                                             " não traz.");
            const std::string text = f->AsString();
            QTextFrameFormat frame;
            frame.setBorder(pt(0.5));
            frame.setBorderBrush(kRule);
            frame.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            frame.setPadding(pt(6));
            frame.setLeftMargin(pt(6));
            frame.setTopMargin(pt(2));
            cursor.insertFrame(frame);
            const std::string html = MinutesToHtml(text);
            if (IsBlank(QTextDocumentFragment::fromHtml(QString::fromStdString(html))
                            .toPlainText()
                            .toStdString()))
                cursor.insertText(QString::fromStdString(e.empty),
                                  CharFormat(9.5, false, kMuted, true));
            else
                cursor.insertHtml(QString::fromStdString(html));
            cursor.movePosition(QTextCursor::End);
        }
    }
}
