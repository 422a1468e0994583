// Small questions the meeting window's handlers ask of its datasets.
#pragma once

#include <string>

#include "platform/client_data_set.h"

// The dataset's current record is being inserted or edited.
inline bool Editing(const TClientDataSet& cds) {
    return cds.State() == dsEdit || cds.State() == dsInsert;
}

// The current row's text of `field`; "" when the dataset has no row.
inline std::string RowText(const TClientDataSet& cds, const char* field) {
    if (!cds.Active() || cds.IsEmpty()) return {};
    return cds.FieldByName(field).AsString();
}
