// TDatePickerEdit: a date edit ("dd/mm/yyyy", mask "!99/99/0000;1; ") with a button that
// opens a calendar. Its text follows the platform's masked-edit semantics; OnChange fires on
// every change of the text, typed, picked or set from code. OnEnter/OnExit cover the edit and
// its button together.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "base/focus_events.h"
#include "platform/date_time.h"

class TMaskEdit;
class QCalendarWidget;
class QToolButton;

class TDatePickerEdit : public QWidget, public TFocusEvents {
    Q_OBJECT
  public:
    explicit TDatePickerEdit(QWidget* parent = nullptr);

    std::string Text() const;
    void SetText(const std::string& text);
    // The date typed; EConvertError ("'31/02/2027' não é uma data válida") when the text is
    // not a valid date (blank included).
    TDateTime GetDate() const;
    void SetDate(TDateTime date);  // time dropped
    // Raises the EConvertError of GetDate unless the text is a valid date or blank.
    void CheckValidDate() const;
    bool IsBlankDate() const;
    // Gives the focus to the calendar button.
    void SetFocusButton();
    // Makes the calendar button usable or not (the date of a meeting that may not move).
    void SetFocusButton(bool enabled);
    // Opens the calendar; a picked day becomes the text (OnChange fires).
    void DropDown();
    // The calendar DropDown shows, in the suite's language.
    static QCalendarWidget* NewCalendar(QWidget* parent);

    TMaskEdit* Edit() const { return m_edit; }
    QToolButton* Button() const { return m_button; }
    std::function<void()> OnChange;

  private:
    TMaskEdit* m_edit;
    QToolButton* m_button;
};
