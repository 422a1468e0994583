#include "base/scripted_dialogs.h"

#include <QPrinter>
#include <QTemporaryDir>

#include "base/multi_select_keys.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/routines.h"

ScriptedDialogs& ScriptedDialogs::Install() {
    auto dialogs = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& ref = *dialogs;
    InstallDialogs(std::move(dialogs));
    return ref;
}

void ScriptedDialogs::AnswerSearch(const std::string& field, const std::string& value) {
    AnswerSearch([field, value](TClientDataSet& ds) { return ds.Locate(field, {Variant(value)}); });
}

std::string ScriptedDialogs::ShownText() const {
    std::string out;
    for (const auto& line : m_shown) {
        if (!out.empty()) out += '\n';
        out += line;
    }
    return out;
}

void ScriptedDialogs::Error(const std::string& text) {
    m_shown.push_back("error: " + text);
}

bool ScriptedDialogs::Question(const std::string& text) {
    if (m_questions.empty()) {
        m_shown.push_back("unscripted question: " + text);
        return false;
    }
    m_shown.push_back("question: " + text);
    const bool yes = m_questions.front();
    m_questions.pop_front();
    return yes;
}

void ScriptedDialogs::Notice(const std::string& text) {
    m_shown.push_back("notice: " + text);
}

int ScriptedDialogs::Choice(const std::string& text, const std::vector<std::string>& options) {
    std::string line = "choice: " + text + " [";
    for (size_t i = 0; i < options.size(); ++i)
        line += (i ? "|" : "") + options[i];
    line += "]";
    if (m_choices.empty()) {
        m_shown.push_back("unscripted " + line);
        return -1;
    }
    const int index = m_choices.front();
    m_choices.pop_front();
    const bool valid = index >= 0 && index < static_cast<int>(options.size());
    m_shown.push_back(line + " -> " + (valid ? options[index] : std::string("(cancel)")));
    return valid ? index : -1;
}

bool ScriptedDialogs::InputText(const std::string& text, int maxLength, std::string& value) {
    if (m_inputs.empty()) {
        m_shown.push_back("unscripted input: " + text);
        return false;
    }
    const std::optional<std::string> answer = m_inputs.front();
    m_inputs.pop_front();
    if (!answer) {
        m_shown.push_back("input: " + text + " -> (cancel)");
        return false;
    }
    value = std::string(Utf8Prefix(*answer, static_cast<size_t>(maxLength)));
    m_shown.push_back("input: " + text + " -> " + value);
    return true;
}

void ScriptedDialogs::Table(const std::string& title, const std::string& text,
                            const std::vector<std::string>&,
                            const std::vector<std::vector<std::string>>& rows) {
    m_shown.push_back("table: " + title);
    if (!text.empty()) m_shown.push_back("  " + text);
    for (const auto& row : rows) {
        std::string line = " ";
        for (size_t i = 0; i < row.size(); ++i)
            line += (i ? " | " : " ") + row[i];
        m_shown.push_back(line);
    }
}

bool ScriptedDialogs::Search(TDataSource& source, const std::string& title,
                             const std::string& emptyMessage) {
    TClientDataSet* ds = source.DataSet();
    if (!ds || ds->IsEmpty()) {
        if (!emptyMessage.empty()) Notice(emptyMessage);
        return false;
    }
    if (m_searches.empty()) {
        m_shown.push_back("unscripted search: " + title);
        return false;
    }
    m_shown.push_back("search: " + title);
    auto pick = std::move(m_searches.front());
    m_searches.pop_front();
    return pick && pick(*ds);
}

bool ScriptedDialogs::MultiSelect(TDataSource& source, const std::string&, const std::string& title,
                                  const std::string& emptyMessage, std::string& keys) {
    TClientDataSet* ds = source.DataSet();
    if (!ds || ds->IsEmpty()) {
        if (!emptyMessage.empty()) Notice(emptyMessage);
        return false;
    }
    if (m_multi.empty()) {
        m_shown.push_back("unscripted multiselect: " + title);
        return false;
    }
    m_shown.push_back("multiselect: " + title);
    keys = FormatKeyList(ParseKeyList(m_multi.front()));
    m_multi.pop_front();
    return true;
}

bool ScriptedDialogs::FindRecord(TClientDataSet& dataSet) {
    if (m_finds.empty()) {
        m_shown.push_back("unscripted find");
        return false;
    }
    m_shown.push_back("find: " + m_finds.front());
    const std::string text = m_finds.front();
    m_finds.pop_front();
    return FindInDataSet(dataSet, text);
}

void ScriptedDialogs::ShowBusy(QWidget*, int) {
    ++m_busy;
}

void ScriptedDialogs::HideBusy() {
    --m_busy;
}

namespace {

// Paints a document as a preview or a printer would, on a PDF printer whose file is dropped.
void PaintDiscarded(const std::function<void(QPrinter&)>& paint) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("discarded.pdf")));
    paint(printer);
}

}  // namespace

void ScriptedDialogs::ReportPreview(const std::string& title,
                                    const std::function<void(QPrinter&)>& paint) {
    m_shown.push_back("preview: " + title);
    PaintDiscarded(paint);
}

bool ScriptedDialogs::Print(const std::string& title, const std::function<void(QPrinter&)>& paint) {
    if (m_prints.empty()) {
        m_shown.push_back("unscripted print: " + title);
        return false;
    }
    m_shown.push_back("print: " + title);
    const bool print = m_prints.front();
    m_prints.pop_front();
    if (!print) return false;
    PaintDiscarded(paint);
    return true;
}

std::string ScriptedDialogs::SaveFileName(const std::string& title, const std::string&,
                                          const std::string&) {
    if (m_saveFiles.empty()) {
        m_shown.push_back("unscripted save: " + title);
        return {};
    }
    m_shown.push_back("save: " + title);
    std::string name = m_saveFiles.front();
    m_saveFiles.pop_front();
    return name;
}
