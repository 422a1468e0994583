// THistoryDialog: "Histórico", the recorded changes of one meeting, newest first, one line per
// change with when, who, from where and what (history_text.h), filtered by kind. It shows the
// packet it is given (GetHistorico's), operators and rooms by the names it is given, and knows
// nothing of connections. GUI thread only.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "meeting/history_text.h"
#include "platform/packet.h"

class QComboBox;
class QLabel;
class QTableWidget;

class THistoryDialog : public QDialog {
    Q_OBJECT
  public:
    // `caption` names the meeting ("Reunião 0000000012 - Planejamento").
    THistoryDialog(QWidget* parent, const std::string& caption, const DataPacket& history,
                   const Cli_zel00400::HistoryNames& names);

    // Shows only the changes of `kind` ("" for all).
    void SetKind(const std::string& kind);
    // The lines shown, top to bottom, as "when | who | kind | what".
    std::vector<std::string> Lines() const;

    QComboBox* cbxTipo = nullptr;
    QTableWidget* tblHistorico = nullptr;
    QLabel* lblReuniao = nullptr;

  private:
    struct Entry {
        std::string when, who, address, kind, what;
    };
    void fill();

    std::vector<Entry> m_entries;  // newest first
    std::string m_kind;
};
