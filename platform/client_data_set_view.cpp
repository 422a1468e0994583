// TClientDataSet: the view (filter and sort), Locate and Lookup, bookmarks, and the display
// record scope of grids.
#include <strings.h>
#include <algorithm>
#include <string_view>

#include "platform/client_data_set.h"
#include "platform/client_data_set_impl.h"

namespace {

// Orders two cells of one field: null first, then by value.
int CompareCells(const Variant& a, const Variant& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
    const std::string* sa = a.StringPtr();
    const std::string* sb = b.StringPtr();
    if (sa && sb) {
        const int c = sa->compare(*sb);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (sa || sb) return sa ? 1 : -1;
    const double x = a.AsFloat();
    const double y = b.AsFloat();
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Lower case for ASCII and the Latin-1 letters of Portuguese (À..Þ), in UTF-8. Folding keeps
// the byte length, so folded texts compare byte by byte.
void FoldInPlace(std::string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 'A' && c <= 'Z') {
            s[i] = static_cast<char>(c + 32);
        } else if (c == 0xC3 && i + 1 < s.size()) {
            const unsigned char n = static_cast<unsigned char>(s[i + 1]);
            if (n >= 0x80 && n <= 0x9E && n != 0x97) s[i + 1] = static_cast<char>(n + 0x20);
            ++i;
        }
    }
}

// Whether `cell` equals (or, with `prefix`, starts with) the already folded `key`, folding
// the cell on the fly.
bool FoldedMatch(std::string_view cell, std::string_view key, bool prefix) {
    if (prefix ? cell.size() < key.size() : cell.size() != key.size()) return false;
    bool afterC3 = false;
    for (size_t i = 0; i < key.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(cell[i]);
        if (afterC3) {
            if (c >= 0x80 && c <= 0x9E && c != 0x97) c += 0x20;
            afterC3 = false;
        } else if (c >= 'A' && c <= 'Z') {
            c += 32;
        } else if (c == 0xC3) {
            afterC3 = true;
        }
        if (c != static_cast<unsigned char>(key[i])) return false;
    }
    return true;
}

bool IsText(TFieldType t) {
    return t == TFieldType::ftString || t == TFieldType::ftFixedChar || t == TFieldType::ftMemo ||
           t == TFieldType::ftBlob;
}

// One searched value, prepared once for the whole search.
struct SearchKey {
    int field = 0;
    bool text = false;
    bool null = false;
    std::string s;
    Variant value;  // non-text kinds, converted to the field's kind
};

bool KeyMatches(const SearchKey& k, const Variant& cell, TLocateOptions options) {
    if (k.text) {
        if (k.null) return cell.IsNull();
        const std::string* p = cell.StringPtr();
        const std::string_view v = p ? std::string_view(*p) : std::string_view();
        if (options.Contains(loCaseInsensitive))
            return FoldedMatch(v, k.s, options.Contains(loPartialKey));
        return options.Contains(loPartialKey) ? v.substr(0, k.s.size()) == k.s : v == k.s;
    }
    if (k.null) return cell.IsNull();
    return !cell.IsNull() && cell == k.value;
}

}  // namespace

// ---- Impl ----

int TClientDataSet::Impl::ViewIndexOfId(uint64_t id) const {
    if (id == 0) return -1;
    for (size_t i = 0; i < view.size(); ++i)
        if (rows[view[i]].id == id) return static_cast<int>(i);
    return -1;
}

bool TClientDataSet::Impl::SortLess(int a, int b) const {
    for (int f : sortFields) {
        const int c = CompareCells(rows[a].values[f], rows[b].values[f]);
        if (c != 0) return c < 0;
    }
    return a < b;  // ties keep the natural order
}

void TClientDataSet::Impl::RebuildView(bool filtered, uint64_t keepId) {
    const FilterExpression* f = filtered && filter && filter->IsBound() ? filter.get() : nullptr;
    view.clear();
    view.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const DataSetRow& row = rows[i];
        if (row.status == RowStatus::Deleted) continue;
        if (f && row.status != RowStatus::Pending && !f->Matches(row.values)) continue;
        view.push_back(static_cast<int>(i));
    }
    if (!sortFields.empty())
        std::sort(view.begin(), view.end(), [this](int a, int b) { return SortLess(a, b); });
    displayOverride = -1;
    const int keep = ViewIndexOfId(keepId);
    pos = keep >= 0 ? keep : (view.empty() ? -1 : 0);
}

void TClientDataSet::Impl::InsertRow(size_t at, DataSetRow row) {
    for (int& v : view)
        if (v >= static_cast<int>(at)) ++v;
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
}

void TClientDataSet::Impl::EraseRow(size_t at) {
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(at));
    for (int& v : view)
        if (v > static_cast<int>(at)) --v;
}

// ---- filter and sort ----

std::vector<int> TClientDataSet::ResolveFieldList(const std::string& names,
                                                  const std::vector<FieldDef>& defs) const {
    std::vector<int> out;
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        std::string name = names.substr(start, end - start);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        if (!name.empty()) {
            int found = -1;
            for (size_t i = 0; i < defs.size(); ++i)
                if (strcasecmp(defs[i].name.c_str(), name.c_str()) == 0)
                    found = static_cast<int>(i);
            if (found < 0) throw Error("Field '" + name + "' not found");
            out.push_back(found);
        }
        start = end + 1;
    }
    return out;
}

void TClientDataSet::BindView(const std::vector<FieldDef>& defs,
                              std::unique_ptr<FilterExpression>& filter,
                              std::vector<int>& sortFields, bool filtered) const {
    if (m_filterText.find_first_not_of(" \t\r\n") != std::string::npos) {
        filter = std::make_unique<FilterExpression>(m_filterText);
        if (filtered) filter->Bind(defs);
    }
    sortFields = ResolveFieldList(m_indexFieldNames, defs);
}

// Installs a new filter and sort on an open dataset (already in browse state) and puts the
// cursor on the first row.
void TClientDataSet::ApplyView(std::unique_ptr<FilterExpression> filter,
                               std::vector<int> sortFields, bool filtered) {
    Impl& d = *m_impl;
    const uint64_t keep = d.pos >= 0 ? d.rows[d.view[d.pos]].id : 0;
    d.filter = std::move(filter);
    d.sortFields = std::move(sortFields);
    m_filtered = filtered;
    d.RebuildView(filtered, keep);
    First();
}

void TClientDataSet::SetFilter(const std::string& expression) {
    const bool blank = expression.find_first_not_of(" \t\r\n") == std::string::npos;
    std::unique_ptr<FilterExpression> filter;
    if (!blank) filter = std::make_unique<FilterExpression>(expression);  // syntax check
    if (!Active() || !m_filtered) {
        m_filterText = expression;
        m_impl->filter = std::move(filter);
        return;
    }
    if (filter) filter->Bind(FieldDefs());
    CheckBrowseMode();
    m_filterText = expression;
    ApplyView(std::move(filter), m_impl->sortFields, true);
}

void TClientDataSet::SetFiltered(bool filtered) {
    if (!Active()) {
        m_filtered = filtered;
        return;
    }
    if (filtered == m_filtered) {
        CheckBrowseMode();
        return;
    }
    std::unique_ptr<FilterExpression> filter;
    std::vector<int> sortFields;
    BindView(FieldDefs(), filter, sortFields, filtered);
    CheckBrowseMode();
    ApplyView(std::move(filter), std::move(sortFields), filtered);
}

void TClientDataSet::SetIndexFieldNames(const std::string& fields) {
    if (!Active()) {
        m_indexFieldNames = fields;
        return;
    }
    std::vector<int> sortFields = ResolveFieldList(fields, FieldDefs());
    CheckBrowseMode();
    m_indexFieldNames = fields;
    ApplyView(std::move(m_impl->filter), std::move(sortFields), m_filtered);
}

// ---- searching ----

int TClientDataSet::FindInView(const std::vector<int>& fields, const std::vector<Variant>& values,
                               TLocateOptions options) const {
    std::vector<SearchKey> keys(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        SearchKey& k = keys[i];
        const TField& field = *m_fields[fields[i]];
        k.field = fields[i];
        k.text = IsText(field.DataType());
        k.null = values[i].IsNull();
        if (k.null) continue;
        if (k.text) {
            k.s = values[i].AsString();
            if (options.Contains(loCaseInsensitive)) FoldInPlace(k.s);
        } else {
            k.value = field.ConvertForStore(values[i]);
            k.null = k.value.IsNull();
        }
    }
    const Impl& d = *m_impl;
    for (size_t p = 0; p < d.view.size(); ++p) {
        const std::vector<Variant>& row = d.rows[d.view[p]].values;
        bool all = true;
        for (const SearchKey& k : keys)
            if (!KeyMatches(k, row[k.field], options)) {
                all = false;
                break;
            }
        if (all) return static_cast<int>(p);
    }
    return -1;
}

bool TClientDataSet::Locate(const std::string& fields, const std::vector<Variant>& values,
                            TLocateOptions options) {
    CheckActive();
    const std::vector<int> list = ResolveFieldList(fields, FieldDefs());
    if (list.empty() || list.size() != values.size())
        throw Error("Locate needs one value for each field of '" + fields + "'");
    Fire(BeforeScroll);
    CheckBrowseMode();
    const int found = FindInView(list, values, options);
    if (found < 0) return false;
    m_impl->pos = found;
    m_bof = m_eof = false;
    NotifyDataSetChanged();
    Fire(AfterScroll);
    return true;
}

Variant TClientDataSet::Lookup(const std::string& keyFields, const std::vector<Variant>& keyValues,
                               const std::string& resultField) const {
    if (!Active()) return {};
    const std::vector<int> list = ResolveFieldList(keyFields, FieldDefs());
    if (list.empty() || list.size() != keyValues.size())
        throw Error("Lookup needs one value for each field of '" + keyFields + "'");
    const int result = FieldByName(resultField).Index();
    const int found = FindInView(list, keyValues, {});
    if (found < 0) return {};
    return m_impl->rows[m_impl->view[found]].values[result];
}

// ---- bookmarks ----

TBookmark TClientDataSet::GetBookmark() const {
    const DataSetRow* row =
        Active() && m_impl->pos >= 0 ? &m_impl->rows[m_impl->view[m_impl->pos]] : nullptr;
    return TBookmark{row ? row->id : 0};
}

bool TClientDataSet::BookmarkValid(const TBookmark& bookmark) const {
    return Active() && m_impl->ViewIndexOfId(bookmark.rowId) >= 0;
}

void TClientDataSet::GotoBookmark(const TBookmark& bookmark) {
    CheckActive();
    CheckBrowseMode();
    if (m_impl->ViewIndexOfId(bookmark.rowId) < 0) throw Error("Record not found");
    Fire(BeforeScroll);
    const int at = m_impl->ViewIndexOfId(bookmark.rowId);  // the handler may have reloaded
    if (at < 0) return;
    m_impl->pos = at;
    m_bof = m_eof = false;
    NotifyDataSetChanged();
    Fire(AfterScroll);
}

// ---- display record ----

TDisplayRecordScope::TDisplayRecordScope(TClientDataSet& dataSet, int displayIndex)
    : m_dataSet(dataSet), m_previous(dataSet.m_impl->displayOverride) {
    if (displayIndex < 0 || displayIndex >= dataSet.DisplayRecordCount())
        throw dataSet.Error("Display record " + std::to_string(displayIndex) + " out of range");
    dataSet.m_impl->displayOverride = displayIndex;
}

TDisplayRecordScope::~TDisplayRecordScope() {
    m_dataSet.m_impl->displayOverride = m_previous;
}
