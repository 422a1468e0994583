// TRichFormatBar: the formatting tool bar of a rich edit. Its buttons, in order: cut, copy,
// paste, undo, font name, font size, bold, italic, underline, align left, centre, align right,
// bullets and text colour; each acts on the edit's selection (or the paragraphs it touches).
// A button that changes the document starts editing a data-aware edit's dataset first; when
// the dataset refuses (a silent abort), nothing changes. The toggles and the font boxes follow
// the format at the edit's cursor.
//
// A window chooses which buttons show (SetButtonVisible) and their hints (SetHints, in button
// order); by default every button shows, with the suite's Portuguese hints.
#pragma once

#include <QToolBar>
#include <array>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QFontComboBox;
class QTextCharFormat;
class TDBRichEdit;

enum class TFormatButton {
    Cut,
    Copy,
    Paste,
    Undo,
    FontName,
    FontSize,
    Bold,
    Italic,
    Underline,
    AlignLeft,
    AlignCenter,
    AlignRight,
    Bullets,
    Color,
};
constexpr int kFormatButtonCount = 14;

class TRichFormatBar : public QToolBar {
    Q_OBJECT
  public:
    explicit TRichFormatBar(QWidget* parent = nullptr);
    void SetEditor(TDBRichEdit* editor);
    TDBRichEdit* Editor() const { return m_editor; }

    // The button's action (its tool button or box is the bar's widget for it).
    QAction* Button(TFormatButton button) const { return m_actions[index(button)]; }
    void SetButtonVisible(TFormatButton button, bool visible);
    // Hints in button order, cut first; missing entries leave a button's hint as it is.
    void SetHints(const std::vector<std::string>& hints);
    QString Hint(TFormatButton button) const;
    // The colour button's work once a colour was chosen (the button asks with a colour dialog).
    void ApplyTextColor(const QColor& color);
    // The font boxes' work: a font family, a size in points.
    void ApplyFontFamily(const QString& family);
    void ApplyFontSize(double points);

  private:
    static int index(TFormatButton b) { return static_cast<int>(b); }
    QAction* addButton(TFormatButton button, const QIcon& icon, void (TRichFormatBar::*run)(),
                       bool checkable = false);
    void buildFontBoxes();
    bool begin();
    void mergeFormat(const QTextCharFormat& format);
    void cut();
    void copy();
    void paste();
    void undo();
    void toggleBold();
    void toggleItalic();
    void toggleUnderline();
    void alignLeft();
    void alignCenter();
    void alignRight();
    void toggleBullets();
    void chooseColor();
    // The toggles, the font boxes and the colour sample show the format at the cursor.
    void followCursor();

    TDBRichEdit* m_editor = nullptr;
    std::array<QAction*, kFormatButtonCount> m_actions{};
    QFontComboBox* m_font = nullptr;
    QComboBox* m_size = nullptr;
    bool m_following = false;
};
