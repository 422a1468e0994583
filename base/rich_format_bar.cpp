#include "base/rich_format_bar.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QFontComboBox>
#include <QPainter>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <functional>

#include "base/db_rich_edit.h"
#include "base/suite_icons.h"

namespace {

constexpr int kIconSize = 16;

const char* const kDefaultHints[kFormatButtonCount] = {
    "Recortar",
    "Copiar",
    "Colar",
    "Voltar",
    "Fonte",
    "Tamanho",
    "Negrito",
    "Itálico",
    "Sublinhado",
    "Alinhar à esquerda",
    "Alinhar centralizado",
    "Alinhar à direita",
    "Numerador",
    "Cores",
};

// The letter, list and colour pictures are drawn (the others are the suite's icons), so they
// look alike on every platform theme.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    draw(p);
    return QIcon(pixmap);
}

QIcon LetterIcon(const QString& letter, bool bold, bool italic, bool underline) {
    return DrawnIcon([=](QPainter& p) {
        QFont f(QStringLiteral("Serif"));
        f.setPixelSize(13);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        p.setFont(f);
        p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, letter);
    });
}

QIcon BulletsIcon() {
    return DrawnIcon([](QPainter& p) {
        for (int i = 0; i < 3; ++i) {
            p.setBrush(QColor(40, 40, 40));
            p.drawEllipse(QPointF(2.5, 3.5 + i * 5), 1.5, 1.5);
            p.fillRect(6, 3 + i * 5, 9, 2, QColor(40, 40, 40));
        }
    });
}

QIcon ColorIcon(const QColor& sample) {
    return DrawnIcon([sample](QPainter& p) {
        QFont f;
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, -2, kIconSize, 13), Qt::AlignCenter, QStringLiteral("A"));
        p.fillRect(1, 12, 14, 3, sample);
    });
}

}  // namespace

TRichFormatBar::TRichFormatBar(QWidget* parent) : QToolBar(parent) {
    setIconSize(QSize(kIconSize, kIconSize));
    using B = TFormatButton;
    using T = TRichFormatBar;
    addButton(B::Cut, Icon(SuiteIcon::Cut), &T::cut);
    addButton(B::Copy, Icon(SuiteIcon::Copy), &T::copy);
    addButton(B::Paste, Icon(SuiteIcon::Paste), &T::paste);
    addButton(B::Undo, Icon(SuiteIcon::Undo), &T::undo);
    addSeparator();
    buildFontBoxes();
    addSeparator();
    addButton(B::Bold, LetterIcon(QStringLiteral("N"), true, false, false), &T::toggleBold, true);
    addButton(B::Italic, LetterIcon(QStringLiteral("I"), false, true, false), &T::toggleItalic,
              true);
    addButton(B::Underline, LetterIcon(QStringLiteral("S"), false, false, true),
              &T::toggleUnderline, true);
    addSeparator();
    addButton(B::AlignLeft, Icon(SuiteIcon::AlignLeft), &T::alignLeft, true);
    addButton(B::AlignCenter, Icon(SuiteIcon::AlignCenter), &T::alignCenter, true);
    addButton(B::AlignRight, Icon(SuiteIcon::AlignRight), &T::alignRight, true);
    addButton(B::Bullets, BulletsIcon(), &T::toggleBullets, true);
    addButton(B::Color, ColorIcon(Qt::black), &T::chooseColor);
    SetHints(std::vector<std::string>(std::begin(kDefaultHints), std::end(kDefaultHints)));
}

QAction* TRichFormatBar::addButton(TFormatButton button, const QIcon& icon,
                                   void (TRichFormatBar::*run)(), bool checkable) {
    QAction* a = addAction(icon, QString());
    a->setCheckable(checkable);
    // A toggle shows the format at the cursor; clicking it applies the format, and
    // followCursor puts the check back to what the document holds afterwards.
    connect(a, &QAction::triggered, this, [this, run] {
        (this->*run)();
        followCursor();
    });
    m_actions[index(button)] = a;
    return a;
}

void TRichFormatBar::buildFontBoxes() {
    m_font = new QFontComboBox(this);
    m_font->setMaximumWidth(160);
    m_font->setFocusPolicy(Qt::ClickFocus);
    m_actions[index(TFormatButton::FontName)] = addWidget(m_font);
    connect(m_font, &QFontComboBox::textActivated, this, &TRichFormatBar::ApplyFontFamily);

    m_size = new QComboBox(this);
    m_size->setEditable(true);
    m_size->setFocusPolicy(Qt::ClickFocus);
    for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36})
        m_size->addItem(QString::number(s));
    m_size->setCurrentText(QStringLiteral("10"));
    m_size->setMaximumWidth(56);
    m_actions[index(TFormatButton::FontSize)] = addWidget(m_size);
    connect(m_size, &QComboBox::textActivated, this, [this](const QString& text) {
        bool ok = false;
        const double points =
            QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (ok && points > 0 && points <= 400)
            ApplyFontSize(points);
        else
            followCursor();  // not a size: the box shows the cursor's size again
    });
}

void TRichFormatBar::SetEditor(TDBRichEdit* editor) {
    if (m_editor) disconnect(m_editor, nullptr, this, nullptr);
    m_editor = editor;
    if (m_editor) {
        connect(m_editor, &QTextEdit::currentCharFormatChanged, this,
                &TRichFormatBar::followCursor);
        connect(m_editor, &QTextEdit::cursorPositionChanged, this, &TRichFormatBar::followCursor);
        connect(m_editor, &QObject::destroyed, this, [this] { m_editor = nullptr; });
    }
    followCursor();
}

void TRichFormatBar::SetButtonVisible(TFormatButton button, bool visible) {
    Button(button)->setVisible(visible);
}

void TRichFormatBar::SetHints(const std::vector<std::string>& hints) {
    for (size_t i = 0; i < hints.size() && i < m_actions.size(); ++i) {
        const QString hint = QString::fromStdString(hints[i]);
        m_actions[i]->setToolTip(hint);
        if (QWidget* w = widgetForAction(m_actions[i])) w->setToolTip(hint);
    }
}

QString TRichFormatBar::Hint(TFormatButton button) const {
    return Button(button)->toolTip();
}

bool TRichFormatBar::begin() {
    return m_editor && m_editor->BeginChange();
}

void TRichFormatBar::mergeFormat(const QTextCharFormat& format) {
    if (!begin()) return;
    m_editor->mergeCurrentCharFormat(format);
}

void TRichFormatBar::cut() {
    if (m_editor && m_editor->textCursor().hasSelection() && begin()) m_editor->cut();
}

void TRichFormatBar::copy() {
    if (m_editor) m_editor->copy();
}

void TRichFormatBar::paste() {
    // The edit's paste starts the dataset's edit itself (TDBRichEdit::insertFromMimeData).
    if (m_editor) m_editor->paste();
}

void TRichFormatBar::undo() {
    if (m_editor && m_editor->document()->isUndoAvailable() && begin()) m_editor->undo();
}

void TRichFormatBar::toggleBold() {
    if (!m_editor) return;
    QTextCharFormat f;
    f.setFontWeight(m_editor->fontWeight() > QFont::Normal ? QFont::Normal : QFont::Bold);
    mergeFormat(f);
}

void TRichFormatBar::toggleItalic() {
    if (!m_editor) return;
    QTextCharFormat f;
    f.setFontItalic(!m_editor->fontItalic());
    mergeFormat(f);
}

void TRichFormatBar::toggleUnderline() {
    if (!m_editor) return;
    QTextCharFormat f;
    f.setFontUnderline(!m_editor->fontUnderline());
    mergeFormat(f);
}

void TRichFormatBar::alignLeft() {
    if (begin()) m_editor->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
}

void TRichFormatBar::alignCenter() {
    if (begin()) m_editor->setAlignment(Qt::AlignHCenter);
}

void TRichFormatBar::alignRight() {
    if (begin()) m_editor->setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
}

// Paragraphs in a list leave it; others become a bulleted list.
void TRichFormatBar::toggleBullets() {
    if (!begin()) return;
    QTextCursor cursor = m_editor->textCursor();
    cursor.beginEditBlock();
    if (cursor.currentList()) {
        QTextDocument* doc = m_editor->document();
        const QTextBlock last = doc->findBlock(cursor.selectionEnd());
        for (QTextBlock block = doc->findBlock(cursor.selectionStart()); block.isValid();
             block = block.next()) {
            if (QTextList* list = block.textList()) list->remove(block);
            QTextBlockFormat f = block.blockFormat();
            f.setIndent(0);
            QTextCursor(block).setBlockFormat(f);
            if (block == last) break;
        }
    } else {
        QTextListFormat f;
        f.setStyle(QTextListFormat::ListDisc);
        cursor.createList(f);
    }
    cursor.endEditBlock();
}

void TRichFormatBar::chooseColor() {
    if (!m_editor) return;
    const QColor c = QColorDialog::getColor(m_editor->textColor(), this);
    if (c.isValid()) ApplyTextColor(c);
}

void TRichFormatBar::ApplyTextColor(const QColor& color) {
    QTextCharFormat f;
    f.setForeground(color);
    mergeFormat(f);
    followCursor();
}

void TRichFormatBar::ApplyFontFamily(const QString& family) {
    QTextCharFormat f;
    f.setFontFamilies({family});
    mergeFormat(f);
    followCursor();
}

void TRichFormatBar::ApplyFontSize(double points) {
    QTextCharFormat f;
    f.setFontPointSize(points);
    mergeFormat(f);
    followCursor();
}

void TRichFormatBar::followCursor() {
    if (!m_editor || m_following) return;
    m_following = true;
    const QTextCharFormat f = m_editor->currentCharFormat();
    Button(TFormatButton::Bold)->setChecked(f.fontWeight() > QFont::Normal);
    Button(TFormatButton::Italic)->setChecked(f.fontItalic());
    Button(TFormatButton::Underline)->setChecked(f.fontUnderline());
    const Qt::Alignment a = m_editor->alignment();
    Button(TFormatButton::AlignCenter)->setChecked(a & Qt::AlignHCenter);
    Button(TFormatButton::AlignRight)->setChecked(a & Qt::AlignRight);
    Button(TFormatButton::AlignLeft)->setChecked(!(a & (Qt::AlignHCenter | Qt::AlignRight)));
    Button(TFormatButton::Bullets)->setChecked(m_editor->textCursor().currentList() != nullptr);
    const QFont font = f.font();
    m_font->setCurrentFont(font);
    if (font.pointSizeF() > 0) m_size->setCurrentText(QString::number(font.pointSizeF()));
    const QColor colour = f.foreground().style() == Qt::NoBrush ? m_editor->palette().text().color()
                                                                : f.foreground().color();
    Button(TFormatButton::Color)->setIcon(ColorIcon(colour));
    m_following = false;
}
