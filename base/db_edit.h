// TDBEdit: a data-aware edit of one field of a data source's dataset.
//
// It shows the field's edit text (through OnGetText) and the field's EditMask. Typing into it
// while the dataset browses puts the dataset into edit when the source's AutoEdit is on; a
// refused edit (BeforeEdit raising, EAbort included) drops the key. What is typed stays the
// edit's text until the dataset posts or the edit is left; then it is written into the field
// (through OnSetText). A conversion error on leaving keeps the focus in the edit.
#pragma once

#include <string>

#include "base/mask_edit.h"
#include "platform/data_source.h"

class TDBEdit : public TMaskEdit, public TDataSourceListener {
    Q_OBJECT
  public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    const std::string& DataField() const { return m_fieldName; }
    void SetDataField(const std::string& fieldName);
    // The field shown (nullptr when the dataset is closed or has no such field).
    TField* Field() const;
    // Writes typed text into the field now (what leaving the edit and posting do).
    void UpdateRecord();
    // Sets the text from code. While the dataset is being edited or inserted it counts as
    // typed: leaving the edit or posting writes it into the field (as on the platform). Hides
    // TMaskEdit::SetText for calls through a TDBEdit.
    void SetText(const std::string& text);

    void DoExit() override;

    // TDataSourceListener
    void ActiveChanged() override { refresh(); }
    void StateChanged() override { updateReadOnly(); }
    void DataSetChanged() override { refresh(); }
    void RecordChanged(TField* field) override;
    void UpdateData() override { UpdateRecord(); }
    bool FocusControl(TField& field) override;
    void DataSourceDestroyed(TDataSource& source) override;

  protected:
    bool BeforeTyping(QKeyEvent* event) override;

  private:
    void refresh();
    void updateReadOnly();

    TDataSource* m_source = nullptr;
    std::string m_fieldName;
    bool m_typed = false;
};
