#include "base/db_rich_edit.h"

#include <QKeyEvent>

#include "base/guard.h"
#include "platform/client_data_set.h"

TDBRichEdit::TDBRichEdit(QWidget* parent) : QTextEdit(parent), TFocusEvents(this) {
    setAcceptRichText(true);
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (m_loading) return;
        m_changed = true;
        if (OnChange) Guard(OnChange);
    });
}

TDBRichEdit::~TDBRichEdit() {
    if (m_source) m_source->RemoveListener(this);
}

void TDBRichEdit::SetDataSource(TDataSource* source) {
    if (m_source == source) return;
    if (m_source) m_source->RemoveListener(this);
    m_source = source;
    if (m_source) m_source->AddListener(this);
    refresh();
}

void TDBRichEdit::SetDataField(const std::string& fieldName) {
    m_fieldName = fieldName;
    refresh();
}

TField* TDBRichEdit::Field() const {
    if (!m_source || !m_source->DataSet() || m_source->State() == dsInactive) return nullptr;
    return m_source->DataSet()->FindField(m_fieldName);
}

void TDBRichEdit::refresh() {
    TField* field = Field();
    const QString text = field ? QString::fromStdString(field->AsString()) : QString();
    m_loading = true;
    if (text.startsWith(QLatin1Char('<')))
        setHtml(text);
    else
        setPlainText(text);
    m_loading = false;
    m_changed = false;
    setReadOnly(!field || field->ReadOnly());
}

void TDBRichEdit::RecordChanged(TField* field) {
    if (field == nullptr || field == Field()) refresh();
}

bool TDBRichEdit::FocusControl(TField& field) {
    if (&field != Field()) return false;
    SetFocus(this);
    return true;
}

void TDBRichEdit::DataSourceDestroyed(TDataSource& source) {
    if (m_source == &source) m_source = nullptr;
    refresh();
}

bool TDBRichEdit::BeginChange() {
    TField* field = Field();
    if (!field || field->ReadOnly()) return false;
    const TDataSetState state = m_source->State();
    if (state == dsEdit || state == dsInsert) return true;
    bool editing = false;
    return Guard([&] { editing = m_source->Edit(); }) && editing;
}

void TDBRichEdit::keyPressEvent(QKeyEvent* event) {
    const bool changes = (!event->text().isEmpty() && event->text()[0].isPrint()) ||
                         event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                         event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (changes && !BeginChange()) return;
    QTextEdit::keyPressEvent(event);
}

void TDBRichEdit::UpdateRecord() {
    if (!m_changed) return;
    TField* field = Field();
    if (!field) return;
    field->SetAsString(toHtml().toStdString());
    m_changed = false;
}

void TDBRichEdit::DoExit() {
    UpdateRecord();
    TFocusEvents::DoExit();
}
