#include "base/edit_mask.h"

#include <QList>
#include <QStringList>

namespace {

// Characters with a meaning in Qt input masks; as platform literals they need a backslash.
bool isQtMeta(QChar c) {
    return QStringLiteral("AaNnXx9D0d#HhBb><!{}[]\\").contains(c);
}

QChar qtEquivalent(QChar c) {
    switch (c.unicode()) {
        case '0':
            return QLatin1Char('9');  // required digit
        case '9':
            return QLatin1Char('0');  // optional digit
        case '#':
            return QLatin1Char('#');
        case 'L':
            return QLatin1Char('A');
        case 'l':
            return QLatin1Char('a');
        case 'A':
            return QLatin1Char('N');
        case 'a':
            return QLatin1Char('n');
        case 'C':
            return QLatin1Char('X');
        case 'c':
            return QLatin1Char('x');
        default:
            return QChar();
    }
}

// Positions of the body that take input (not literals), in display order.
QList<bool> inputPositions(const QString& qtMask) {
    QList<bool> positions;
    for (int i = 0; i < qtMask.size(); ++i) {
        const QChar c = qtMask[i];
        if (c == QLatin1Char('>') || c == QLatin1Char('<') || c == QLatin1Char('!')) continue;
        if (c == QLatin1Char('\\')) {
            ++i;
            positions.append(false);
            continue;
        }
        positions.append(QStringLiteral("AaNnXx9D0d#HhBb").contains(c));
    }
    return positions;
}

}  // namespace

EditMask TranslateEditMask(const QString& platformMask) {
    EditMask out;
    if (platformMask.isEmpty()) return out;
    const QStringList parts = platformMask.split(QLatin1Char(';'));
    if (parts.size() > 1) out.keepLiterals = parts[1].trimmed() != QLatin1String("0");
    if (parts.size() > 2 && !parts[2].isEmpty()) out.blank = parts[2][0];
    const QString body = parts[0];
    QString qt;
    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c == QLatin1Char('!')) continue;
        if (c == QLatin1Char('>') || c == QLatin1Char('<')) {
            qt += c;
        } else if (c == QLatin1Char('\\') && i + 1 < body.size()) {
            qt += QLatin1Char('\\');
            qt += body[++i];
        } else if (const QChar q = qtEquivalent(c); !q.isNull()) {
            qt += q;
        } else {
            if (isQtMeta(c)) qt += QLatin1Char('\\');
            qt += c;
        }
    }
    out.qtInputMask = qt + QLatin1Char(';') + out.blank;
    return out;
}

QString MaskedValue(const EditMask& mask, const QString& displayText) {
    if (mask.qtInputMask.isEmpty() || mask.keepLiterals) return displayText;
    const QString body = mask.qtInputMask.left(mask.qtInputMask.lastIndexOf(QLatin1Char(';')));
    const QList<bool> positions = inputPositions(body);
    QString value;
    for (int i = 0; i < displayText.size() && i < positions.size(); ++i)
        if (positions[i]) value += displayText[i];
    while (value.endsWith(mask.blank) || value.endsWith(QLatin1Char(' ')))
        value.chop(1);
    return value;
}
