// TRichFormatBar: the formatting tool bar of a rich edit: bold, italic, underline, font size,
// text colour and paragraph alignment, applied to the edit's selection. Changing the format
// of a data-aware edit starts editing its dataset first.
#pragma once

#include <QToolBar>

class QComboBox;
class TDBRichEdit;

class TRichFormatBar : public QToolBar {
    Q_OBJECT
  public:
    explicit TRichFormatBar(QWidget* parent = nullptr);
    void SetEditor(TDBRichEdit* editor);
    TDBRichEdit* Editor() const { return m_editor; }

  private:
    bool begin();
    TDBRichEdit* m_editor = nullptr;
    QComboBox* m_size = nullptr;
};
