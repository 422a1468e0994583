#include "base/date_picker_edit.h"

#include <QCalendarWidget>
#include <QDate>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>
#include <QWidgetAction>

#include "base/guard.h"
#include "base/mask_edit.h"
#include "base/suite_icons.h"
#include "platform/exceptions.h"
#include "platform/routines.h"

TDatePickerEdit::TDatePickerEdit(QWidget* parent)
    : QWidget(parent),
      TFocusEvents(this),
      m_edit(new TMaskEdit(this)),
      m_button(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_button);
    m_edit->SetEditMask("!99/99/0000;1; ");
    m_button->setIcon(Icon(SuiteIcon::Calendar));
    m_button->setToolTip(QStringLiteral("Calendário"));
    m_button->setFocusPolicy(Qt::TabFocus);
    setFocusProxy(m_edit);
    m_edit->OnChange = [this] {
        if (OnChange) OnChange();
    };
    connect(m_button, &QToolButton::clicked, this, [this] { DropDown(); });
}

std::string TDatePickerEdit::Text() const {
    return m_edit->Text();
}
void TDatePickerEdit::SetText(const std::string& text) {
    m_edit->SetText(text);
}

bool TDatePickerEdit::IsBlankDate() const {
    std::string digits;
    for (char c : Text())
        if (c != '/' && c != ' ') digits += c;
    return digits.empty();
}

TDateTime TDatePickerEdit::GetDate() const {
    return StrToDate(Text());
}

void TDatePickerEdit::SetDate(TDateTime date) {
    SetText(DateToStr(DateOf(date)));
}

void TDatePickerEdit::CheckValidDate() const {
    if (IsBlankDate()) return;
    TDateTime value = 0;
    if (!TryStrToDate(Text(), value)) throw EConvertError("'" + Text() + "' is not a valid date");
}

void TDatePickerEdit::SetFocusButton() {
    m_button->setFocus(Qt::OtherFocusReason);
}

void TDatePickerEdit::SetFocusButton(bool enabled) {
    m_button->setEnabled(enabled);
}

void TDatePickerEdit::DropDown() {
    QMenu menu(this);
    auto* calendar = new QCalendarWidget(&menu);
    TDateTime current = 0;
    if (TryStrToDate(Text(), current)) {
        const DateParts p = DecodeDate(current);
        calendar->setSelectedDate(QDate(p.year, p.month, p.day));
    }
    auto* action = new QWidgetAction(&menu);
    action->setDefaultWidget(calendar);
    menu.addAction(action);
    connect(calendar, &QCalendarWidget::clicked, &menu, [&](const QDate& d) {
        SetDate(EncodeDate(d.year(), d.month(), d.day()));
        menu.close();
    });
    menu.exec(mapToGlobal(QPoint(0, height())));
}
