#include "platform/field.h"

#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/exceptions.h"
#include "platform/routines.h"

namespace {

bool IsTextType(TFieldType type) {
    return type == TFieldType::ftString || type == TFieldType::ftFixedChar ||
           type == TFieldType::ftMemo || type == TFieldType::ftBlob;
}

}  // namespace

TField::TField(TClientDataSet& dataSet, FieldDef def, int index)
    : m_dataSet(dataSet), m_def(std::move(def)), m_index(index) {}

std::string TField::Name() const {
    return m_dataSet.Name() + m_def.name;
}

const std::string& TField::DisplayLabel() const {
    return m_displayLabel.empty() ? m_def.name : m_displayLabel;
}

int TField::DisplayWidth() const {
    if (m_displayWidth >= 0) return m_displayWidth;
    switch (m_def.type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
            return m_def.size > 0 ? m_def.size : 20;
        case TFieldType::ftDateTime:
            return 18;
        case TFieldType::ftBoolean:
            return 5;
        default:
            return 10;
    }
}

TAlignment TField::Alignment() const {
    if (m_alignment >= 0) return static_cast<TAlignment>(m_alignment);
    const bool number = m_def.type == TFieldType::ftInteger || m_def.type == TFieldType::ftFloat;
    return number ? taRightJustify : taLeftJustify;
}

Variant TField::Value() const {
    const Variant* cell = m_dataSet.CurrentCell(m_index);
    return cell ? *cell : Variant();
}

void TField::SetValue(const Variant& value) {
    m_dataSet.StoreCell(*this, ConvertForStore(value));
}

Variant TField::OldValue() const {
    return m_dataSet.OriginalCell(m_index);
}

// Brings an assigned value to the field's own kind, as the platform's field classes do.
Variant TField::ConvertForStore(const Variant& value) const {
    if (value.IsNull()) return value;
    const std::string* text = value.StringPtr();
    if (IsTextType(m_def.type)) {
        std::string s = text ? *text : value.AsString();
        if (m_def.size > 0 &&
            (m_def.type == TFieldType::ftString || m_def.type == TFieldType::ftFixedChar))
            s = CutToChars(s, m_def.size);
        return Variant(std::move(s));
    }
    if (text && IsBlank(*text)) return Variant();
    switch (m_def.type) {
        case TFieldType::ftInteger:
            if (text) return Variant(static_cast<long long>(StrToInt(TrimAll(*text))));
            return Variant(static_cast<long long>(value.AsInteger()));
        case TFieldType::ftFloat:
            if (text) return Variant(StrToFloat(TrimAll(*text)));
            return Variant(value.AsFloat());
        case TFieldType::ftDateTime:
            if (text) return Variant::FromDateTime(StrToDateTime(TrimAll(*text)));
            if (value.kind() == Variant::Kind::Bool)
                throw EConvertError("Could not convert a boolean to a date");
            return Variant::FromDateTime(value.AsFloat());
        case TFieldType::ftBoolean:
            return Variant(value.AsBool());
        default:
            return value;
    }
}

std::string TField::AsString() const {
    return Value().AsString();
}

void TField::SetAsString(const std::string& value) {
    SetValue(Variant(value));
}

double TField::AsFloat() const {
    return Value().AsFloat();
}

int64_t TField::AsInteger() const {
    return Value().AsInteger();
}

TDateTime TField::AsDateTime() const {
    return Value().AsDateTime();
}

bool TField::AsBoolean() const {
    return Value().AsBool();
}

std::string TField::Text() const {
    std::string text;
    if (OnGetText) {
        OnGetText(const_cast<TField&>(*this), text, false);
        return text;
    }
    return AsString();
}

void TField::SetText(const std::string& text) {
    if (OnSetText) {
        OnSetText(*this, text);
        return;
    }
    SetAsString(text);
}

std::string TField::DisplayText() const {
    std::string text;
    if (OnGetText) {
        OnGetText(const_cast<TField&>(*this), text, true);
        return text;
    }
    const Variant v = Value();
    if (v.IsNull()) return {};
    text = v.AsString();
    if (!m_editMask.empty() &&
        (m_def.type == TFieldType::ftString || m_def.type == TFieldType::ftFixedChar))
        return FormatMaskText(m_editMask, text);
    return text;
}

void TField::FocusControl() {
    if (OnFocusControl) {
        OnFocusControl();
        return;
    }
    m_dataSet.FocusControlOf(*this);
}

// ---- masks and text ----

namespace {

struct MaskPosition {
    bool literal;
    char ch;
};

// Splits "mask;savelits;blank" into positions, whether literals are kept, and the blank.
std::vector<MaskPosition> ParseMask(const std::string& mask, bool& saveLiterals, char& blank) {
    saveLiterals = true;
    blank = '_';
    std::string body = mask;
    // The two trailing sections are ";<0|1>;<blank>"; an escaped ';' belongs to the body.
    const size_t last = mask.rfind(';');
    if (last != std::string::npos && last > 0 && mask[last - 1] != '\\') {
        const size_t prev = mask.rfind(';', last - 1);
        if (prev != std::string::npos && (prev == 0 || mask[prev - 1] != '\\')) {
            body = mask.substr(0, prev);
            saveLiterals = mask.substr(prev + 1, last - prev - 1) != "0";
            if (last + 1 < mask.size()) blank = mask[last + 1];
        } else {
            body = mask.substr(0, last);
            saveLiterals = mask.substr(last + 1) != "0";
        }
    }
    std::vector<MaskPosition> out;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        switch (c) {
            case '!':
            case '>':
            case '<':
                break;
            case '\\':
                if (i + 1 < body.size()) out.push_back({true, body[++i]});
                break;
            case 'L':
            case 'l':
            case 'A':
            case 'a':
            case 'C':
            case 'c':
            case '0':
            case '9':
            case '#':
                out.push_back({false, c});
                break;
            case '_':
                out.push_back({true, ' '});
                break;
            default:
                out.push_back({true, c});
                break;
        }
    }
    return out;
}

}  // namespace

std::string FormatMaskText(const std::string& mask, const std::string& value) {
    bool saveLiterals = true;
    char blank = '_';
    const std::vector<MaskPosition> positions = ParseMask(mask, saveLiterals, blank);
    std::string out;
    out.reserve(positions.size());
    size_t j = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        const MaskPosition& p = positions[i];
        if (saveLiterals) {
            out += i < value.size() ? value[i] : (p.literal ? p.ch : blank);
        } else if (p.literal) {
            out += p.ch;
        } else {
            out += j < value.size() ? value[j++] : blank;
        }
    }
    return out;
}

std::string CutToChars(const std::string& text, int chars) {
    if (chars < 0) return text;
    return std::string(Utf8Prefix(text, static_cast<size_t>(chars)));
}
