// The platform's edit masks and their Qt form. This is the one place where masks are
// translated.
//
// A platform mask is "body;keep;blank": the body uses 0 (digit, required), 9 (digit, optional),
// # (digit or sign, optional), L/l (letter, required/optional), A/a (letter or digit),
// C/c (any character), > and < (case), ! (accepted, no effect here), \ (next is literal); any
// other character is a literal. "keep" 1 keeps the literals in the value, 0 drops them; "blank"
// is the character shown in empty positions. Example: "!90:00;1; " is a time "hh:mm" whose
// empty text reads "  :  ".
#pragma once

#include <QString>

struct EditMask {
    QString qtInputMask;  // for QLineEdit::setInputMask ("" when there is no mask)
    bool keepLiterals = true;
    QChar blank = QLatin1Char('_');
};

EditMask TranslateEditMask(const QString& platformMask);

// The value of a masked text as the platform stores it: the shown text with literals when they
// are kept, else only the characters at input positions (blanks at the end dropped).
QString MaskedValue(const EditMask& mask, const QString& displayText);
