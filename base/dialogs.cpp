#include "base/dialogs.h"

#include "base/qt_dialogs.h"
#include "messages/message_table.h"
#include "server/check_server_result.h"

namespace {

std::unique_ptr<Dialogs>& current() {
    static std::unique_ptr<Dialogs> dialogs;
    return dialogs;
}

}  // namespace

Dialogs& CurrentDialogs() {
    if (!current()) InstallDialogs(std::make_unique<QtDialogs>());
    return *current();
}

void InstallDialogs(std::unique_ptr<Dialogs> dialogs) {
    current() = std::move(dialogs);
    SetServerErrorDisplay([](const std::string& text) { CurrentDialogs().Error(text); });
    // The message tables' ShowMsg: a Yes/No question, or a box with OK.
    SetMessageDialogHandler([](const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
        if (buttons & (mbYes | mbNo))
            return CurrentDialogs().Question(text) ? int(mrYes) : int(mrNo);
        if (type == TMsgDlgType::mtError)
            CurrentDialogs().Error(text);
        else
            CurrentDialogs().Notice(text);
        return int(mrOk);
    });
}

void SplitCaptions(const std::string& captions, std::string& title, std::string& emptyMessage) {
    const auto bar = captions.find('|');
    title = captions.substr(0, bar);
    emptyMessage = bar == std::string::npos ? std::string() : captions.substr(bar + 1);
}

bool SearchDialog(TDataSource& source, const std::string& captions, bool, bool) {
    std::string title, empty;
    SplitCaptions(captions, title, empty);
    return CurrentDialogs().Search(source, title, empty);
}

bool MultiSelectDialog(TDataSource& source, const std::string& keyField,
                       const std::string& captions, std::string& keys) {
    std::string title, empty;
    SplitCaptions(captions, title, empty);
    return CurrentDialogs().MultiSelect(source, keyField, title, empty, keys);
}

bool FindRecordDialog(TClientDataSet& dataSet) {
    return CurrentDialogs().FindRecord(dataSet);
}
