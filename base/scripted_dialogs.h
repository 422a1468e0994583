// ScriptedDialogs: the Dialogs of tests. Answers come from a script given beforehand, and
// every text shown is recorded, so a test asserts with one comparison what the operator saw:
//
//   auto& d = ScriptedDialogs::Install();
//   d.AnswerQuestion(true);
//   ... run the window ...
//   EXPECT_EQ(d.ShownText(), "error: Sala não cadastrada.");
//
// A dialog without a scripted answer records "unscripted <kind>: <text>" and answers No /
// cancel, so a missing answer shows in the assertion instead of hanging the test.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/dialogs.h"

class ScriptedDialogs : public Dialogs {
  public:
    // Creates one, installs it as the current Dialogs and returns it.
    static ScriptedDialogs& Install();

    // --- script ---
    void AnswerQuestion(bool yes) { m_questions.push_back(yes); }
    // The next Choice picks option `index` (-1: cancels).
    void AnswerChoice(int index) { m_choices.push_back(index); }
    // The next InputText answers `text` (cut to its length limit as the edit would), or
    // cancels with std::nullopt.
    void AnswerInput(std::optional<std::string> text) { m_inputs.push_back(std::move(text)); }
    // The next Search picks the row `pick` moves to (return false to cancel).
    void AnswerSearch(std::function<bool(TClientDataSet&)> pick) {
        m_searches.push_back(std::move(pick));
    }
    // Picks the first row whose `field` equals `value`.
    void AnswerSearch(const std::string& field, const std::string& value);
    void CancelSearch() { m_searches.push_back(nullptr); }
    void AnswerMultiSelect(std::string keys) { m_multi.push_back(std::move(keys)); }
    void AnswerFind(std::string text) { m_finds.push_back(std::move(text)); }
    void AnswerPrint(bool print) { m_prints.push_back(print); }
    void AnswerSaveFile(std::string fileName) { m_saveFiles.push_back(std::move(fileName)); }

    // --- record ---
    // Lines "error: ...", "question: ...", "notice: ...", "choice: text [a|b] -> a",
    // "input: text -> typed" ("input: text -> (cancel)"),
    // "table: title", then "  text" and one "  cell | cell" line per row, "search: title",
    // "multiselect: title",
    // "find: text", "preview: title",
    // "print: title", "save: title" (the busy indicator is counted, not listed), in order.
    const std::vector<std::string>& Shown() const { return m_shown; }
    // Shown() joined with '\n'.
    std::string ShownText() const;
    void ClearShown() { m_shown.clear(); }
    int BusyVisible() const { return m_busy; }

    void Error(const std::string& text) override;
    bool Question(const std::string& text) override;
    void Notice(const std::string& text) override;
    int Choice(const std::string& text, const std::vector<std::string>& options) override;
    bool InputText(const std::string& text, int maxLength, std::string& value) override;
    void Table(const std::string& title, const std::string& text,
               const std::vector<std::string>& columns,
               const std::vector<std::vector<std::string>>& rows) override;
    bool Search(TDataSource& source, const std::string& title,
                const std::string& emptyMessage) override;
    bool MultiSelect(TDataSource& source, const std::string& keyField, const std::string& title,
                     const std::string& emptyMessage, std::string& keys) override;
    bool FindRecord(TClientDataSet& dataSet) override;
    void ShowBusy(QWidget* over, int kind) override;
    void HideBusy() override;
    // Records "preview: title" and paints the document on a PDF printer whose file is dropped
    // (so painting faults show in tests).
    void ReportPreview(const std::string& title,
                       const std::function<void(QPrinter&)>& paint) override;
    // Records "print: title"; paints as the preview does only when AnswerPrint(true) was
    // scripted.
    bool Print(const std::string& title, const std::function<void(QPrinter&)>& paint) override;
    // Records "save: title" and answers the scripted file name ("" when none).
    std::string SaveFileName(const std::string& title, const std::string& suggested,
                             const std::string& filter) override;

  private:
    std::deque<bool> m_questions;
    std::deque<int> m_choices;
    std::deque<std::optional<std::string>> m_inputs;
    std::deque<std::function<bool(TClientDataSet&)>> m_searches;
    std::deque<std::string> m_multi;
    std::deque<std::string> m_finds;
    std::deque<bool> m_prints;
    std::deque<std::string> m_saveFiles;
    std::vector<std::string> m_shown;
    int m_busy = 0;
};
