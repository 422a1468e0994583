// Dialogs: every dialog a window shows to the operator goes through this one interface, so
// the Qt implementation (QtDialogs) shows real dialogs and the test implementation
// (ScriptedDialogs) answers from a script and records every text shown.
//
// The current implementation is process-wide (GUI thread). InstallDialogs also routes the
// server-error display of the connection layer here. Without an installed one, the first use
// installs QtDialogs.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QPrinter;
class TDataSource;
class TClientDataSet;

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Error box with an OK button.
    virtual void Error(const std::string& text) = 0;
    // Confirmation with Yes and No; true for Yes.
    virtual bool Question(const std::string& text) = 0;
    // Information box with an OK button.
    virtual void Notice(const std::string& text) = 0;
    // A question answered by one of `options` (button captions, in order): the index of the
    // one chosen, -1 when the operator cancelled.
    virtual int Choice(const std::string& text, const std::vector<std::string>& options) = 0;
    // Asks for a short text of at most `maxLength` characters under the question `text`;
    // `value` holds the text offered and, on OK, the one typed. False when cancelled.
    virtual bool InputText(const std::string& text, int maxLength, std::string& value) = 0;
    // A read-only table under a heading `text`: `columns` captions, `rows` their cells; closed
    // with OK.
    virtual void Table(const std::string& title, const std::string& text,
                       const std::vector<std::string>& columns,
                       const std::vector<std::vector<std::string>>& rows) = 0;
    // Pick list over `source`'s dataset. `title` heads it; `emptyMessage` is shown (as a
    // notice) instead of the list when there is nothing to pick. On a pick the chosen row is
    // the dataset's current row and the result is true; false when cancelled or empty.
    virtual bool Search(TDataSource& source, const std::string& title,
                        const std::string& emptyMessage) = 0;
    // Check list over `source`'s dataset; `keys` holds the keys checked at the start and, on
    // confirm, the chosen ones ("'k1','k2'"). Returns whether the operator confirmed.
    virtual bool MultiSelect(TDataSource& source, const std::string& keyField,
                             const std::string& title, const std::string& emptyMessage,
                             std::string& keys) = 0;
    // Asks for a text and locates it in the dataset (any visible string field, prefix, case
    // ignored). Returns whether a row was found (it is then current).
    virtual bool FindRecord(TClientDataSet& dataSet) = 0;
    // Busy indicator over `over` (nullptr: the application's main window).
    virtual void ShowBusy(QWidget* over, int kind) = 0;
    virtual void HideBusy() = 0;
    // Preview of a printable document; `paint` renders it on the printer it is given.
    virtual void ReportPreview(const std::string& title,
                               const std::function<void(QPrinter&)>& paint) = 0;
    // The platform's print dialog for a printable document; on confirm `paint` renders it on
    // the chosen printer. Returns whether it was printed.
    virtual bool Print(const std::string& title, const std::function<void(QPrinter&)>& paint) = 0;
    // Asks where to save a file (`filter` as "PDF (*.pdf)"), starting at `suggested`; "" when
    // cancelled.
    virtual std::string SaveFileName(const std::string& title, const std::string& suggested,
                                     const std::string& filter) = 0;
};

// The current implementation (QtDialogs when none was installed).
Dialogs& CurrentDialogs();
// Makes `dialogs` current (nullptr: back to QtDialogs on next use) and routes the server-error
// display and the message tables' dialogs to it.
void InstallDialogs(std::unique_ptr<Dialogs> dialogs);

// The routines the windows call, on the current Dialogs. `captions` is a title, "|", and the
// message shown when the list is empty.
bool SearchDialog(TDataSource& source, const std::string& captions, bool multiSelect = false,
                  bool showEmptyMessage = true);
bool MultiSelectDialog(TDataSource& source, const std::string& keyField,
                       const std::string& captions, std::string& keys);
bool FindRecordDialog(TClientDataSet& dataSet);

// Splits "title|empty message".
void SplitCaptions(const std::string& captions, std::string& title, std::string& emptyMessage);
