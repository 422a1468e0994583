#include "base/db_edit.h"

#include <QKeyEvent>

#include "base/guard.h"
#include "platform/client_data_set.h"

TDBEdit::TDBEdit(QWidget* parent) : TMaskEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, [this] { m_typed = true; });
}

TDBEdit::~TDBEdit() {
    if (m_source) m_source->RemoveListener(this);
}

void TDBEdit::SetDataSource(TDataSource* source) {
    if (m_source == source) return;
    if (m_source) m_source->RemoveListener(this);
    m_source = source;
    if (m_source) m_source->AddListener(this);
    refresh();
}

void TDBEdit::SetDataField(const std::string& fieldName) {
    m_fieldName = fieldName;
    refresh();
}

TField* TDBEdit::Field() const {
    if (!m_source || !m_source->DataSet() || m_fieldName.empty()) return nullptr;
    if (m_source->State() == dsInactive) return nullptr;
    return m_source->DataSet()->FindField(m_fieldName);
}

void TDBEdit::refresh() {
    TField* field = Field();
    if (field && EditMaskText() != field->EditMask()) SetEditMask(field->EditMask());
    std::string text;
    if (field) {
        // An OnGetText that raises must not take the edit down with it.
        if (!Guard([&] { text = field->Text(); })) text.clear();
    }
    m_typed = false;
    // Loading the record's text is a change of the text: OnChange fires, as on the platform.
    // The same text is left alone, so the cursor and selection survive a state change.
    const QString shown = QString::fromStdString(text);
    if (shown != QString::fromStdString(Text())) setText(shown);
    setModified(false);
    updateReadOnly();
}

void TDBEdit::updateReadOnly() {
    TField* field = Field();
    setReadOnly(!field || field->ReadOnly());
}

void TDBEdit::RecordChanged(TField* field) {
    if (field == nullptr || field == Field()) refresh();
}

bool TDBEdit::FocusControl(TField& field) {
    if (&field != Field()) return false;
    SetFocus(this);
    return true;
}

void TDBEdit::DataSourceDestroyed(TDataSource& source) {
    if (m_source == &source) m_source = nullptr;
    refresh();
}

bool TDBEdit::BeforeTyping(QKeyEvent*) {
    TField* field = Field();
    if (!field || field->ReadOnly()) return false;
    const TDataSetState state = m_source->State();
    if (state == dsEdit || state == dsInsert) return true;
    bool editing = false;
    if (!Guard([&] { editing = m_source->Edit(); })) return false;
    return editing;
}

void TDBEdit::UpdateRecord() {
    if (!m_typed) return;
    TField* field = Field();
    if (!field) return;
    const std::string text = Text();
    field->SetText(text);  // raises on a bad value; the typed text stays
    m_typed = false;
}

void TDBEdit::SetText(const std::string& text) {
    TMaskEdit::SetText(text);
    const TDataSetState state = m_source ? m_source->State() : dsInactive;
    if (Field() && (state == dsEdit || state == dsInsert)) m_typed = true;
}

void TDBEdit::DoExit() {
    UpdateRecord();
    TMaskEdit::DoExit();
}
