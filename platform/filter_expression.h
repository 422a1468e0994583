// FilterExpression: a client dataset's Filter text, parsed once and evaluated per row.
//
// Grammar (keywords in any case):
//   expr    := and { OR and }
//   and     := unary { AND unary }
//   unary   := NOT unary | primary
//   primary := '(' expr ')' | operand [ cmp operand | [NOT] IN '(' operand {',' operand} ')'
//                                      | IS [NOT] NULL ]
//   cmp     := '=' | '<>' | '!=' | '<' | '>' | '<=' | '>='
//   operand := field | [field name] | 'text' ('' is a quote) | number | NULL | TRUE | FALSE
// A bare operand is a condition only when it is a boolean field.
//
// Comparison rules: text compares ignoring trailing blanks, and a null text field reads as
// blank (a blank status " " admits rows whose status is empty). Numbers, dates and booleans
// compare by value; a null one satisfies no comparison. A literal compared with a field is
// converted to the field's kind once, when the expression is bound (dates as dd/mm/yyyy
// [hh:nn[:ss]] or ISO, numbers with "," or "."); one that cannot be converted is an error.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/packet.h"
#include "platform/variant.h"

class FilterExpression {
  public:
    // Parses `text`; EDatabaseError with the position and what was expected when malformed.
    explicit FilterExpression(const std::string& text);
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    // Resolves the field names against `fields` and converts the literals to the kinds they
    // are compared with. EDatabaseError for an unknown field or an impossible comparison.
    // May be called again for other fields.
    void Bind(const std::vector<FieldDef>& fields);
    bool IsBound() const { return m_bound; }
    // Whether a row (one value per bound field, in field order) passes. Bind first.
    bool Matches(const std::vector<Variant>& row) const;

    const std::string& Text() const { return m_text; }
    // The parsed expression in a normalised form, for tests and messages:
    // (IDSITTAREFA IN (' ', 'P')) AND (NOT (QTHRREUNIAO > 1.5)).
    std::string DebugString() const;

    struct Node;

  private:
    std::string m_text;
    std::unique_ptr<Node> m_root;
    bool m_bound = false;
};
