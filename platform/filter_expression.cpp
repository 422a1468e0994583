#include "platform/filter_expression.h"

#include <strings.h>
#include <cctype>
#include <charconv>
#include <string_view>

#include "platform/exceptions.h"

namespace {

enum class Domain { Text, Number, Date, Bool };
enum class CmpOp { Eq, Ne, Lt, Gt, Le, Ge };

const char* CmpName(CmpOp op) {
    static const char* const kNames[] = {"=", "<>", "<", ">", "<=", ">="};
    return kNames[static_cast<int>(op)];
}

Domain DomainOf(TFieldType type) {
    switch (type) {
        case TFieldType::ftInteger:
        case TFieldType::ftFloat:
            return Domain::Number;
        case TFieldType::ftDateTime:
            return Domain::Date;
        case TFieldType::ftBoolean:
            return Domain::Bool;
        default:
            return Domain::Text;
    }
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

struct Token {
    enum Kind { End, Name, String, Number, Op, LParen, RParen, Comma } kind = End;
    std::string text;
    size_t pos = 0;  // 0-based offset in the expression
};

// One operand: a field, a literal or NULL. `value` is the literal converted to the domain of
// the comparison it takes part in (set by Bind).
struct Operand {
    enum Kind { Field, StringLit, NumberLit, BoolLit, Null } kind = Null;
    std::string text;  // field name or literal text as written
    int index = -1;    // bound field
    Domain domain = Domain::Text;
    std::string boundText;  // text literal, trailing blanks removed
    double boundNumber = 0;
    bool boundBool = false;
};

}  // namespace

struct FilterExpression::Node {
    enum Kind { Or, And, Not, Compare, In, IsNull, BoolField } kind = Compare;
    std::vector<std::unique_ptr<Node>> children;
    CmpOp op = CmpOp::Eq;
    Operand left;
    std::vector<Operand> right;  // Compare: one operand; In: the list
    bool negated = false;        // NOT IN, IS NOT NULL
    Domain domain = Domain::Text;
};

namespace {

using Node = FilterExpression::Node;

class Parser {
  public:
    explicit Parser(const std::string& text) : m_text(text) { Advance(); }

    std::unique_ptr<Node> ParseAll() {
        if (m_tok.kind == Token::End) Fail("the expression is empty");
        auto root = ParseOr();
        if (m_tok.kind != Token::End) Fail("unexpected '" + m_tok.text + "'");
        return root;
    }

  private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw EDatabaseError("Filter expression \"" + m_text + "\" is malformed: " + what +
                             " at position " + std::to_string(m_tok.pos + 1));
    }

    bool IsKeyword(const char* word) const {
        return m_tok.kind == Token::Name && strcasecmp(m_tok.text.c_str(), word) == 0;
    }

    void Expect(Token::Kind kind, const char* what) {
        if (m_tok.kind != kind) Fail(std::string(what) + " expected");
        Advance();
    }

    void Advance() {
        const std::string& s = m_text;
        size_t i = m_next;
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
        m_tok = Token{};
        m_tok.pos = i;
        if (i >= s.size()) {
            m_next = i;
            return;
        }
        const char c = s[i];
        if (c == '\'') {
            m_next = LexString(i);
        } else if (c == '[') {
            const size_t close = s.find(']', i + 1);
            if (close == std::string::npos || close == i + 1) Fail("a field name in [ ] expected");
            m_tok.kind = Token::Name;
            m_tok.text = s.substr(i + 1, close - i - 1);
            m_next = close + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   ((c == '-' || c == '.') && i + 1 < s.size() &&
                    std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            size_t j = i + 1;
            while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.'))
                ++j;
            m_tok.kind = Token::Number;
            m_tok.text = s.substr(i, j - i);
            m_next = j;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t j = i + 1;
            while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
                ++j;
            m_tok.kind = Token::Name;
            m_tok.text = s.substr(i, j - i);
            m_next = j;
        } else {
            m_next = LexSymbol(i);
        }
    }

    size_t LexString(size_t i) {
        std::string out;
        size_t j = i + 1;
        for (;;) {
            if (j >= m_text.size()) Fail("the text literal is not closed");
            if (m_text[j] == '\'') {
                if (j + 1 < m_text.size() && m_text[j + 1] == '\'') {
                    out += '\'';
                    j += 2;
                    continue;
                }
                break;
            }
            out += m_text[j++];
        }
        m_tok.kind = Token::String;
        m_tok.text = std::move(out);
        return j + 1;
    }

    size_t LexSymbol(size_t i) {
        const char c = m_text[i];
        const char d = i + 1 < m_text.size() ? m_text[i + 1] : '\0';
        m_tok.text = std::string(1, c);
        switch (c) {
            case '(':
                m_tok.kind = Token::LParen;
                return i + 1;
            case ')':
                m_tok.kind = Token::RParen;
                return i + 1;
            case ',':
                m_tok.kind = Token::Comma;
                return i + 1;
            case '=':
                m_tok.kind = Token::Op;
                return i + 1;
            case '<':
            case '>':
            case '!':
                m_tok.kind = Token::Op;
                if (d == '=' || (c == '<' && d == '>')) {
                    m_tok.text += d;
                    return i + 2;
                }
                if (c == '!') break;
                return i + 1;
            default:
                break;
        }
        Fail("unexpected character '" + std::string(1, c) + "'");
    }

    std::unique_ptr<Node> ParseOr() {
        auto left = ParseAnd();
        if (!IsKeyword("OR")) return left;
        auto node = std::make_unique<Node>();
        node->kind = Node::Or;
        node->children.push_back(std::move(left));
        while (IsKeyword("OR")) {
            Advance();
            node->children.push_back(ParseAnd());
        }
        return node;
    }

    std::unique_ptr<Node> ParseAnd() {
        auto left = ParseUnary();
        if (!IsKeyword("AND")) return left;
        auto node = std::make_unique<Node>();
        node->kind = Node::And;
        node->children.push_back(std::move(left));
        while (IsKeyword("AND")) {
            Advance();
            node->children.push_back(ParseUnary());
        }
        return node;
    }

    std::unique_ptr<Node> ParseUnary() {
        if (IsKeyword("NOT")) {
            Advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::Not;
            node->children.push_back(ParseUnary());
            return node;
        }
        return ParsePrimary();
    }

    std::unique_ptr<Node> ParsePrimary() {
        if (m_tok.kind == Token::LParen) {
            Advance();
            auto inner = ParseOr();
            Expect(Token::RParen, "')'");
            return inner;
        }
        auto node = std::make_unique<Node>();
        node->left = ParseOperand();
        if (m_tok.kind == Token::Op) {
            node->kind = Node::Compare;
            node->op = OpFromText(m_tok.text);
            Advance();
            node->right.push_back(ParseOperand());
        } else if (IsKeyword("IN") || IsKeyword("NOT")) {
            ParseIn(*node);
        } else if (IsKeyword("IS")) {
            Advance();
            node->kind = Node::IsNull;
            if (IsKeyword("NOT")) {
                node->negated = true;
                Advance();
            }
            if (!IsKeyword("NULL")) Fail("NULL expected");
            Advance();
        } else if (node->left.kind == Operand::Field) {
            node->kind = Node::BoolField;
        } else {
            Fail("a comparison expected");
        }
        return node;
    }

    void ParseIn(Node& node) {
        node.kind = Node::In;
        if (IsKeyword("NOT")) {
            node.negated = true;
            Advance();
            if (!IsKeyword("IN")) Fail("IN expected");
        }
        Advance();
        Expect(Token::LParen, "'(' after IN");
        node.right.push_back(ParseOperand());
        while (m_tok.kind == Token::Comma) {
            Advance();
            node.right.push_back(ParseOperand());
        }
        Expect(Token::RParen, "')' or ','");
    }

    Operand ParseOperand() {
        Operand o;
        o.text = m_tok.text;
        switch (m_tok.kind) {
            case Token::String:
                o.kind = Operand::StringLit;
                break;
            case Token::Number:
                o.kind = Operand::NumberLit;
                break;
            case Token::Name:
                if (IsKeyword("NULL")) {
                    o.kind = Operand::Null;
                } else if (IsKeyword("TRUE") || IsKeyword("FALSE")) {
                    o.kind = Operand::BoolLit;
                } else if (IsKeyword("AND") || IsKeyword("OR") || IsKeyword("NOT") ||
                           IsKeyword("IN") || IsKeyword("IS")) {
                    Fail("a field or a value expected, not '" + m_tok.text + "'");
                } else {
                    o.kind = Operand::Field;
                }
                break;
            default:
                Fail("a field or a value expected");
        }
        Advance();
        return o;
    }

    CmpOp OpFromText(const std::string& t) const {
        if (t == "=") return CmpOp::Eq;
        if (t == "<>" || t == "!=") return CmpOp::Ne;
        if (t == "<") return CmpOp::Lt;
        if (t == ">") return CmpOp::Gt;
        if (t == "<=") return CmpOp::Le;
        return CmpOp::Ge;
    }

    const std::string& m_text;
    size_t m_next = 0;
    Token m_tok;
};

// ---- binding ----

int FindField(const std::vector<FieldDef>& fields, const std::string& name) {
    for (size_t i = 0; i < fields.size(); ++i)
        if (strcasecmp(fields[i].name.c_str(), name.c_str()) == 0) return static_cast<int>(i);
    throw EDatabaseError("Filter expression refers to unknown field '" + name + "'");
}

double ParseNumberLiteral(const std::string& text) {
    double out = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), out);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size())
        throw EDatabaseError("Filter expression has an invalid number '" + text + "'");
    return out;
}

void BindLiteral(Operand& o, Domain domain) {
    o.domain = domain;
    const auto cannot = [&](const char* kind) {
        return EDatabaseError("Filter expression: '" + o.text + "' is not a valid " + kind);
    };
    switch (domain) {
        case Domain::Text:
            o.boundText = std::string(TrimRight(o.text));
            return;
        case Domain::Number:
            if (o.kind == Operand::NumberLit) {
                o.boundNumber = ParseNumberLiteral(o.text);
            } else if (o.kind != Operand::StringLit || !TryStrToFloat(o.text, o.boundNumber)) {
                throw cannot("number");
            }
            return;
        case Domain::Date:
            if (o.kind == Operand::NumberLit) {
                o.boundNumber = ParseNumberLiteral(o.text);
            } else if (o.kind != Operand::StringLit) {
                throw cannot("date");
            } else if (!TryStrToDateTime(o.text, o.boundNumber)) {
                try {
                    o.boundNumber = IsoToDateTime(o.text);
                } catch (const EConvertError&) {
                    throw cannot("date");
                }
            }
            return;
        case Domain::Bool:
            if (o.kind == Operand::BoolLit || o.kind == Operand::StringLit) {
                if (strcasecmp(o.text.c_str(), "true") == 0) {
                    o.boundBool = true;
                } else if (strcasecmp(o.text.c_str(), "false") == 0) {
                    o.boundBool = false;
                } else {
                    throw cannot("boolean");
                }
            } else if (o.kind == Operand::NumberLit) {
                o.boundBool = ParseNumberLiteral(o.text) != 0;
            } else {
                throw cannot("boolean");
            }
            return;
    }
}

// Decides the domain of a comparison between `operands` and binds each of them to it.
Domain BindOperands(std::vector<Operand*> operands, const std::vector<FieldDef>& fields) {
    bool haveField = false;
    Domain domain = Domain::Text;
    for (Operand* o : operands) {
        if (o->kind != Operand::Field) continue;
        o->index = FindField(fields, o->text);
        const Domain d = DomainOf(fields[o->index].type);
        if (haveField && d != domain)
            throw EDatabaseError("Filter expression compares fields of different kinds ('" +
                                 o->text + "')");
        o->domain = domain = d;
        haveField = true;
    }
    if (!haveField) {
        // Literals only: numbers when all are numbers, else text.
        bool allNumbers = true;
        for (Operand* o : operands)
            if (o->kind != Operand::NumberLit && o->kind != Operand::Null) allNumbers = false;
        domain = allNumbers ? Domain::Number : Domain::Text;
    }
    for (Operand* o : operands)
        if (o->kind != Operand::Field && o->kind != Operand::Null) BindLiteral(*o, domain);
    return domain;
}

void BindNode(Node& node, const std::vector<FieldDef>& fields) {
    for (auto& child : node.children)
        BindNode(*child, fields);
    switch (node.kind) {
        case Node::Compare:
        case Node::In: {
            std::vector<Operand*> ops{&node.left};
            for (Operand& o : node.right)
                ops.push_back(&o);
            node.domain = BindOperands(ops, fields);
            break;
        }
        case Node::IsNull:
            node.domain = BindOperands({&node.left}, fields);
            break;
        case Node::BoolField:
            node.left.index = FindField(fields, node.left.text);
            if (fields[node.left.index].type != TFieldType::ftBoolean)
                throw EDatabaseError("Filter expression: field '" + node.left.text +
                                     "' is not a condition");
            break;
        default:
            break;
    }
}

// ---- evaluation ----

struct Scalar {
    bool null = false;
    double number = 0;
    std::string_view text;
};

Scalar Evaluate(const Operand& o, Domain domain, const std::vector<Variant>& row) {
    Scalar s;
    switch (o.kind) {
        case Operand::Null:
            s.null = true;
            return s;
        case Operand::Field:
            break;
        default:
            s.number = domain == Domain::Bool ? (o.boundBool ? 1 : 0) : o.boundNumber;
            s.text = o.boundText;
            return s;
    }
    const Variant& v = row[o.index];
    if (domain == Domain::Text) {
        if (const std::string* p = v.StringPtr()) s.text = TrimRight(*p);
        return s;  // a null text reads as blank
    }
    if (v.IsNull()) {
        s.null = true;
    } else if (domain == Domain::Bool) {
        s.number = v.AsBool() ? 1 : 0;
    } else {
        s.number = v.AsFloat();
    }
    return s;
}

bool CompareScalars(const Scalar& a, const Scalar& b, CmpOp op, Domain domain) {
    if (a.null || b.null) return false;
    int c;
    if (domain == Domain::Text) {
        const int r = a.text.compare(b.text);
        c = r < 0 ? -1 : (r > 0 ? 1 : 0);
    } else {
        c = a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    }
    switch (op) {
        case CmpOp::Eq:
            return c == 0;
        case CmpOp::Ne:
            return c != 0;
        case CmpOp::Lt:
            return c < 0;
        case CmpOp::Gt:
            return c > 0;
        case CmpOp::Le:
            return c <= 0;
        case CmpOp::Ge:
            return c >= 0;
    }
    return false;
}

bool EvaluateNode(const Node& node, const std::vector<Variant>& row) {
    switch (node.kind) {
        case Node::Or:
            for (const auto& c : node.children)
                if (EvaluateNode(*c, row)) return true;
            return false;
        case Node::And:
            for (const auto& c : node.children)
                if (!EvaluateNode(*c, row)) return false;
            return true;
        case Node::Not:
            return !EvaluateNode(*node.children[0], row);
        case Node::Compare:
            return CompareScalars(Evaluate(node.left, node.domain, row),
                                  Evaluate(node.right[0], node.domain, row), node.op, node.domain);
        case Node::In: {
            const Scalar left = Evaluate(node.left, node.domain, row);
            bool found = false;
            for (const Operand& o : node.right)
                if (CompareScalars(left, Evaluate(o, node.domain, row), CmpOp::Eq, node.domain)) {
                    found = true;
                    break;
                }
            return found != node.negated;
        }
        case Node::IsNull: {
            const bool null = node.left.kind == Operand::Field ? row[node.left.index].IsNull()
                                                               : node.left.kind == Operand::Null;
            return null != node.negated;
        }
        case Node::BoolField: {
            const Variant& v = row[node.left.index];
            return !v.IsNull() && v.AsBool();
        }
    }
    return false;
}

// ---- printing ----

std::string OperandString(const Operand& o) {
    switch (o.kind) {
        case Operand::StringLit: {
            std::string out = "'";
            for (char c : o.text)
                out += c == '\'' ? std::string("''") : std::string(1, c);
            return out + "'";
        }
        case Operand::Null:
            return "NULL";
        default:
            return o.text;
    }
}

std::string NodeString(const Node& node) {
    switch (node.kind) {
        case Node::Or:
        case Node::And: {
            std::string out;
            for (const auto& c : node.children) {
                if (!out.empty()) out += node.kind == Node::Or ? " OR " : " AND ";
                out += "(" + NodeString(*c) + ")";
            }
            return out;
        }
        case Node::Not:
            return "NOT (" + NodeString(*node.children[0]) + ")";
        case Node::Compare:
            return OperandString(node.left) + " " + CmpName(node.op) + " " +
                   OperandString(node.right[0]);
        case Node::In: {
            std::string out = OperandString(node.left) + (node.negated ? " NOT IN (" : " IN (");
            for (size_t i = 0; i < node.right.size(); ++i)
                out += (i ? ", " : "") + OperandString(node.right[i]);
            return out + ")";
        }
        case Node::IsNull:
            return OperandString(node.left) + (node.negated ? " IS NOT NULL" : " IS NULL");
        case Node::BoolField:
            return node.left.text;
    }
    return {};
}

}  // namespace

FilterExpression::FilterExpression(const std::string& text)
    : m_text(text), m_root(Parser(m_text).ParseAll()) {}

FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

void FilterExpression::Bind(const std::vector<FieldDef>& fields) {
    m_bound = false;
    BindNode(*m_root, fields);
    m_bound = true;
}

bool FilterExpression::Matches(const std::vector<Variant>& row) const {
    if (!m_bound) throw EDatabaseError("Filter expression used before it was bound to fields");
    return EvaluateNode(*m_root, row);
}

std::string FilterExpression::DebugString() const {
    return NodeString(*m_root);
}
