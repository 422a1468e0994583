// The pictures of the suite's buttons. They are freely licensed theme icons carried as
// resources of basecomp (base/icons/, licence in base/icons/COPYING), so a button looks the
// same on every machine, whatever desktop theme it has or lacks.
#pragma once

#include <QIcon>

enum class SuiteIcon {
    Confirm,
    Cancel,
    Insert,
    Edit,
    Delete,
    Find,
    Refresh,
    Print,
    Help,
    Close,
    First,
    Prior,
    Next,
    Last,
    Lookup,
    Calendar,
    Undo,
    Cut,
    Copy,
    Paste,
    AlignLeft,
    AlignCenter,
    AlignRight,
};

// The picture of `which`; loaded once, then shared.
QIcon Icon(SuiteIcon which);
