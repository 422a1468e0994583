// QtDialogs: the Dialogs of a running application, shown as modal Qt dialogs.
#pragma once

#include <QPointer>

#include "base/dialogs.h"

class QWidget;

class QtDialogs : public Dialogs {
  public:
    QtDialogs();
    ~QtDialogs() override;

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
    void ReportPreview(const std::string& title,
                       const std::function<void(QPrinter&)>& paint) override;
    bool Print(const std::string& title, const std::function<void(QPrinter&)>& paint) override;
    std::string SaveFileName(const std::string& title, const std::string& suggested,
                             const std::string& filter) override;

  private:
    QPointer<QWidget> m_busy;
};
