#include "base/rich_format_bar.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QTextCharFormat>

#include "base/db_rich_edit.h"

TRichFormatBar::TRichFormatBar(QWidget* parent) : QToolBar(parent) {
    auto charAction = [this](const QString& text, auto apply) {
        QAction* a = addAction(text);
        connect(a, &QAction::triggered, this, [this, apply] {
            if (!begin()) return;
            QTextCharFormat format;
            apply(format, m_editor->currentCharFormat());
            m_editor->mergeCurrentCharFormat(format);
        });
    };
    charAction(QStringLiteral("N"), [](QTextCharFormat& f, const QTextCharFormat& cur) {
        f.setFontWeight(cur.fontWeight() > QFont::Normal ? QFont::Normal : QFont::Bold);
    });
    charAction(QStringLiteral("I"), [](QTextCharFormat& f, const QTextCharFormat& cur) {
        f.setFontItalic(!cur.fontItalic());
    });
    charAction(QStringLiteral("S"), [](QTextCharFormat& f, const QTextCharFormat& cur) {
        f.setFontUnderline(!cur.fontUnderline());
    });
    m_size = new QComboBox(this);
    for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36})
        m_size->addItem(QString::number(s));
    m_size->setCurrentText(QStringLiteral("10"));
    addWidget(m_size);
    connect(m_size, &QComboBox::textActivated, this, [this](const QString& text) {
        if (!begin()) return;
        QTextCharFormat f;
        f.setFontPointSize(text.toDouble());
        m_editor->mergeCurrentCharFormat(f);
    });
    QAction* color = addAction(QStringLiteral("Cor"));
    connect(color, &QAction::triggered, this, [this] {
        if (!m_editor) return;
        const QColor c = QColorDialog::getColor(m_editor->textColor(), this);
        if (!c.isValid() || !begin()) return;
        m_editor->setTextColor(c);
    });
    for (auto [text, align] : {std::pair{"E", Qt::AlignLeft}, std::pair{"C", Qt::AlignHCenter},
                               std::pair{"D", Qt::AlignRight}}) {
        QAction* a = addAction(QString::fromLatin1(text));
        connect(a, &QAction::triggered, this, [this, align = align] {
            if (begin()) m_editor->setAlignment(align);
        });
    }
}

void TRichFormatBar::SetEditor(TDBRichEdit* editor) {
    m_editor = editor;
}

bool TRichFormatBar::begin() {
    return m_editor && m_editor->BeginChange();
}
