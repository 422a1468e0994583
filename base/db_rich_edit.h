// TDBRichEdit: a data-aware rich-text edit of a memo field. The field holds the document as
// HTML (a plain text is shown as it is). Typing starts editing the dataset (AutoEdit; a
// refusal drops the key); the document is written into the field when the dataset posts or
// the edit is left.
#pragma once

#include <QTextEdit>
#include <functional>
#include <string>

#include "base/focus_events.h"
#include "platform/data_source.h"

class TDBRichEdit : public QTextEdit, public TFocusEvents, public TDataSourceListener {
    Q_OBJECT
  public:
    explicit TDBRichEdit(QWidget* parent = nullptr);
    ~TDBRichEdit() override;

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    const std::string& DataField() const { return m_fieldName; }
    void SetDataField(const std::string& fieldName);
    TField* Field() const;
    void UpdateRecord();
    std::function<void()> OnChange;

    void DoExit() override;
    void ActiveChanged() override { refresh(); }
    void DataSetChanged() override { refresh(); }
    void RecordChanged(TField* field) override;
    void UpdateData() override { UpdateRecord(); }
    bool FocusControl(TField& field) override;
    void DataSourceDestroyed(TDataSource& source) override;
    // Starts editing the dataset for a change made through the format bar.
    bool BeginChange();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void refresh();
    TDataSource* m_source = nullptr;
    std::string m_fieldName;
    bool m_changed = false;
    bool m_loading = false;
};
