// TField: one typed column of a TClientDataSet, seen through the dataset's current record.
//
// A field belongs to exactly one dataset, which creates it (AddField, or from a data packet's
// descriptors) and destroys it. Reading a value reads the current record (or the record a
// TDisplayRecordScope selected for drawing); an inactive or empty dataset reads as null.
// Writing is allowed only while the dataset is in edit or insert state; it stores the value
// converted to the field's type, then fires OnChange, then notifies the data sources.
//
// Not thread-safe; used from the GUI thread only, like the dataset.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/packet.h"
#include "platform/variant.h"

class TClientDataSet;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TField {
  public:
    // Text of the field for a control or a grid. `displayText` is true when the text is for
    // showing (grid cell, read-only label) and false when it is for editing.
    using TFieldGetTextEvent =
        std::function<void(TField& sender, std::string& text, bool displayText)>;
    // Called instead of the default conversion when a control writes its text into the field.
    using TFieldSetTextEvent = std::function<void(TField& sender, const std::string& text)>;
    using TFieldNotifyEvent = std::function<void(TField& sender)>;

    TField(TClientDataSet& dataSet, FieldDef def, int index);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    // --- description ---
    const std::string& FieldName() const { return m_def.name; }
    // Component name as the windows know it: the dataset's name followed by the field name
    // ("cdsControleNRTAREFA"); the field name alone when the dataset has no name.
    std::string Name() const;
    TFieldType DataType() const { return m_def.type; }
    // Characters for string kinds (values are cut to it); 0 for the others.
    int Size() const { return m_def.size; }
    int Index() const { return m_index; }  // position in the dataset's field list
    TClientDataSet& DataSet() const { return m_dataSet; }
    // The descriptor that travels in Data and Delta packets (provider flags included).
    const FieldDef& Def() const { return m_def; }

    // Caption for grids and labels; the field name until one is set.
    const std::string& DisplayLabel() const;
    void SetDisplayLabel(std::string label) { m_displayLabel = std::move(label); }
    // Platform edit mask ("9999999999;0; "): data-aware edits use it for input; DisplayText of a
    // string field formats the stored value through it.
    const std::string& EditMask() const { return m_editMask; }
    void SetEditMask(std::string mask) { m_editMask = std::move(mask); }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    // A read-only field refuses every assignment (EDatabaseError); controls show it read-only.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // TProviderFlag bits: how the resolver uses the field (pfInWhere alone: locate only).
    unsigned ProviderFlags() const { return m_def.flags; }
    void SetProviderFlags(unsigned flags) { m_def.flags = flags; }
    // Width in characters for grid columns: the size for strings, else a type default.
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { m_displayWidth = width; }
    // Numbers are right-aligned, everything else left, unless set.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment) { m_alignment = alignment; }

    // --- events ---
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;
    TFieldNotifyEvent OnValidate;  // before a new value is stored; raising refuses it
    TFieldNotifyEvent OnChange;    // after a new value is stored

    // --- value of the current record ---
    Variant Value() const;
    // Converts to the field's type (EConvertError when the text is not a number or date),
    // cuts strings to Size, stores, fires OnChange. Throws EDatabaseError outside edit/insert
    // state or on a read-only field.
    void SetValue(const Variant& value);
    // The value the row had when it was loaded or last merged (null for an inserted row).
    Variant OldValue() const;
    bool IsNull() const { return Value().IsNull(); }
    void Clear() { SetValue(Variant()); }

    // pt-BR conversions: numbers with a decimal comma, dates dd/mm/yyyy hh:nn:ss; null reads
    // as "", 0, false. Assigning "" to a non-string field stores null.
    std::string AsString() const;
    void SetAsString(const std::string& value);
    double AsFloat() const;
    void SetAsFloat(double value) { SetValue(Variant(value)); }
    int64_t AsInteger() const;
    void SetAsInteger(int64_t value) { SetValue(Variant(static_cast<long long>(value))); }
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value) { SetValue(Variant::FromDateTime(value)); }
    bool AsBoolean() const;
    void SetAsBoolean(bool value) { SetValue(Variant(value)); }

    // Edit text: OnGetText(displayText = false) when set, else AsString.
    std::string Text() const;
    // From a control: OnSetText when set, else SetAsString.
    void SetText(const std::string& text);
    // Display text: OnGetText(displayText = true) when set; else a string field with an
    // EditMask is formatted through the mask, other kinds use the pt-BR conversions.
    std::string DisplayText() const;

    // Moves the focus to the control that edits this field (used by validations before they
    // raise). The Qt layer sets OnFocusControl; without it the data sources' listeners are
    // asked in turn. Does nothing when nobody edits the field.
    std::function<void()> OnFocusControl;
    void FocusControl();

  private:
    friend class TClientDataSet;
    Variant ConvertForStore(const Variant& value) const;

    TClientDataSet& m_dataSet;
    FieldDef m_def;
    int m_index;
    std::string m_displayLabel;
    std::string m_editMask;
    bool m_visible = true;
    bool m_readOnly = false;
    int m_displayWidth = -1;
    int m_alignment = -1;
};

// FormatMaskText as the platform defines it: places `value` into the positions of `mask`
// ("!90/90/00;1;_" style: the mask, whether literals are kept in the value, the blank
// character). With literals not kept, the value holds only the characters typed.
std::string FormatMaskText(const std::string& mask, const std::string& value);

// UTF-8 text cut to at most `chars` characters (code points), never inside a character.
std::string CutToChars(const std::string& text, int chars);
