#include "base/db_rich_edit.h"

#include <QKeyEvent>

#include "base/guard.h"
#include "platform/client_data_set.h"
#include "platform/rtf_text.h"

bool KeyChangesText(const QKeyEvent& event) {
    const QString text = event.text();
    if (!text.isEmpty() && text[0].isPrint()) return true;
    switch (event.key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return true;
        default:
            break;
    }
    for (QKeySequence::StandardKey k :
         {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo})
        if (event.matches(k)) return true;
    return false;
}

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
    const std::string stored = field ? field->AsString() : std::string();
    setReadOnly(!field || field->ReadOnly());
    // The document already shows that text (the dataset only entered edit, say): loading it
    // again would move the cursor away from where the operator is typing.
    if (field && m_showsField && !m_changed && stored == m_shown) return;
    m_showsField = field != nullptr;
    m_shown = stored;
    const QString text = QString::fromStdString(stored);
    m_loading = true;
    if (text.startsWith(QLatin1Char('<')))
        setHtml(text);
    else if (IsRtfText(stored))
        setPlainText(QString::fromStdString(RtfToPlainText(stored)));
    else
        setPlainText(text);
    m_loading = false;
    m_changed = false;
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
    if (KeyChangesText(*event) && !BeginChange()) return;
    QTextEdit::keyPressEvent(event);
}

void TDBRichEdit::insertFromMimeData(const QMimeData* source) {
    if (BeginChange()) QTextEdit::insertFromMimeData(source);
}

void TDBRichEdit::UpdateRecord() {
    if (!m_changed) return;
    TField* field = Field();
    if (!field) return;
    // A change that reached the document without starting the edit (the context menu's cut
    // or delete) starts it now; when the dataset refuses, the document shows the field again.
    if (!BeginChange()) {
        refresh();
        return;
    }
    field->SetAsString(toHtml().toStdString());
    m_changed = false;
}

void TDBRichEdit::DoExit() {
    UpdateRecord();
    TFocusEvents::DoExit();
}
