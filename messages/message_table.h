// TMessageTable: a window's keyed message table. Every text the windows show to the operator
// (other than captions, hints and column titles) is taken from one by key; code never holds
// the text itself.
//
// A table is built from UTF-8 text, one entry per line, "key|text": the key is everything
// before the first "|", the text everything after it (later "|" belong to the text). Keys
// match without regard to case; the order of the lines is kept. Tables are immutable once
// built, so a const table may be read from any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Kinds of message dialog, buttons and the dialog's answer, with the platform's names.
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
};
using TMsgDlgButtons = unsigned;  // a set of TMsgDlgBtn: mbYes | mbNo

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Shows `text` modally and returns the modal result of the button pressed.
using MessageDialogHandler =
    std::function<int(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)>;

// Installs the process-wide dialog that ShowMsg uses (the Qt layer installs the real one,
// tests install a scripted one). Returns the handler it replaces; an empty function removes
// the handler. Call from the GUI thread.
MessageDialogHandler SetMessageDialogHandler(MessageDialogHandler handler);

class TMessageTable {
  public:
    struct Entry {
        std::string key;
        std::string text;
    };

    // Parses `text` ("key|text" lines, "\n" or "\r\n"). Empty lines are skipped; a line
    // without "|" or with an empty key throws Exception naming the table and the line.
    TMessageTable(std::string name, std::string_view text);

    // "TfrmReuniao.msgPadrao".
    const std::string& Name() const { return m_name; }

    // The text of `key`, matched without regard to case (the first entry when a key repeats).
    // A missing key is a fault of the caller: it returns "" and logs a warning naming the
    // table and the key, so a window still works and the fault shows in the log.
    std::string Msg(const std::string& key) const;

    // Whether the table has `key` (any case).
    bool Contains(const std::string& key) const;

    // Shows the text of `key` through the installed dialog handler and returns its modal
    // result. `helpContext` is accepted for the platform's signature and not used.
    // Throws Exception when no handler is installed (never answers on its own) or when the
    // key is missing (a question must never be shown without its text).
    int ShowMsg(const std::string& key, TMsgDlgType type, TMsgDlgButtons buttons,
                int helpContext = 0) const;

    // Keys in table order, as written.
    std::vector<std::string> Keys() const;
    // "key|text" lines in table order.
    std::vector<std::string> Lines() const;
    const std::vector<Entry>& Entries() const { return m_entries; }
    std::size_t Count() const { return m_entries.size(); }

  private:
    const Entry* Find(const std::string& key) const;

    std::string m_name;
    std::vector<Entry> m_entries;
};
