// TTableDialog: a read-only table under a heading, closed with OK (Dialogs::Table of a running
// application). Built apart from QtDialogs so a window or a picture can be made of it.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QTableWidget;

class TTableDialog : public QDialog {
    Q_OBJECT
  public:
    TTableDialog(QWidget* parent, const std::string& title, const std::string& text,
                 const std::vector<std::string>& columns,
                 const std::vector<std::vector<std::string>>& rows);

    QLabel* lblTexto = nullptr;
    QTableWidget* grdTabela = nullptr;
};
