#include "base/date_picker_edit.h"

#include <QCalendarWidget>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

#include "base/guard.h"
#include "base/mask_edit.h"
#include "base/suite_icons.h"
#include "platform/exceptions.h"
#include "platform/routines.h"

namespace {

const char* const kDayNames[] = {"Domingo", "Segunda", "Terça", "Quarta",
                                 "Quinta",  "Sexta",   "Sábado"};

}  // namespace

QCalendarWidget* TDatePickerEdit::NewCalendar(QWidget* parent) {
    auto* calendar = new QCalendarWidget(parent);
    calendar->setObjectName("calendar");
    // The suite speaks Portuguese whatever the machine's locale: month names, and the week
    // from "Domingo" to "Sábado" in a header row of its own (the platform's header would show
    // the locale's abbreviations).
    calendar->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    calendar->setFirstDayOfWeek(Qt::Sunday);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setHorizontalHeaderFormat(QCalendarWidget::NoHorizontalHeader);
    // The days that can be picked are shown in blue.
    QTextCharFormat valid;
    valid.setForeground(QColor(0, 0, 255));
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        calendar->setWeekdayTextFormat(static_cast<Qt::DayOfWeek>(day), valid);
    if (auto* layout = qobject_cast<QVBoxLayout*>(calendar->layout())) {
        auto* names = new QWidget(calendar);
        names->setObjectName("dayNames");
        auto* row = new QHBoxLayout(names);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        for (const char* name : kDayNames) {
            auto* label = new QLabel(QString::fromUtf8(name), names);
            label->setAlignment(Qt::AlignCenter);
            row->addWidget(label, 1);
        }
        layout->insertWidget(1, names);
    }
    return calendar;
}

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

namespace {

EConvertError InvalidDate(const std::string& text) {
    return EConvertError(InvalidDateMessage(text));
}

}  // namespace

TDateTime TDatePickerEdit::GetDate() const {
    TDateTime value = 0;
    if (!TryStrToDate(Text(), value)) throw InvalidDate(Text());
    return value;
}

void TDatePickerEdit::SetDate(TDateTime date) {
    SetText(DateToStr(DateOf(date)));
}

void TDatePickerEdit::CheckValidDate() const {
    if (IsBlankDate()) return;
    TDateTime value = 0;
    if (!TryStrToDate(Text(), value)) throw InvalidDate(Text());
}

void TDatePickerEdit::SetFocusButton() {
    m_button->setFocus(Qt::OtherFocusReason);
}

void TDatePickerEdit::SetFocusButton(bool enabled) {
    m_button->setEnabled(enabled);
}

void TDatePickerEdit::DropDown() {
    QMenu menu(this);
    QCalendarWidget* calendar = NewCalendar(&menu);
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
