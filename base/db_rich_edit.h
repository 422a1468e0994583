// TDBRichEdit: a data-aware rich-text edit of a memo field. The field holds the document as
// Qt's rich-text HTML. A text that is not HTML is shown as it is, except an RTF document
// (written by other tools), which is shown as its plain text; once edited it is stored as
// HTML. Typing, pasting, cutting or undoing starts editing the dataset (AutoEdit; a refusal
// drops the change); the document is written into the field when the dataset posts or the
// edit is left.
#pragma once

#include <QTextEdit>
#include <functional>
#include <string>

#include "base/focus_events.h"
#include "platform/data_source.h"

class QKeyEvent;

// Whether `event` changes the text of the text edit it reaches: a character, Backspace,
// Delete, Enter, or the paste, cut, undo and redo shortcuts.
bool KeyChangesText(const QKeyEvent& event);

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
    // Paste and drop: the dataset enters edit first; a refusal drops what was inserted.
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void refresh();
    TDataSource* m_source = nullptr;
    std::string m_fieldName;
    bool m_changed = false;
    bool m_loading = false;
    bool m_showsField = false;  // the document was loaded from a field
    std::string m_shown;        // the field's text it was loaded from
};
