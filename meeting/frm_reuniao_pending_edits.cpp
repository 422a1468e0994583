// The window's one rule for what the operator is typing: before anything reloads, replaces or
// closes a dataset that holds a record being inserted or edited, that record is kept: the
// action is refused, the operator is asked, or the record is posted first. The reload paths
// (the list, the activities, the minutes, a move to another meeting, a tab picked) ask by
// default; actions that know better choose their rule before they reach them.
#include "meeting/dataset_rows.h"
#include "meeting/frm_reuniao.h"

std::vector<TClientDataSet*> TfrmReuniao::pendingIn(TReload what) {
    // Details before the meeting: cancelling a meeting reloads its details.
    std::vector<TClientDataSet*> sets;
    if (what != TReload::Activities) sets.push_back(&cdsDescItTare);
    if (what == TReload::Agenda || what == TReload::Details || what == TReload::Everything)
        sets.push_back(&cdsItemTarefa);
    if (what == TReload::Activities || what == TReload::Details || what == TReload::Everything)
        sets.push_back(&cdsAtividades);
    if (what == TReload::Everything) {
        // The meeting and its booking leave their edit together; the booking alone is
        // pending only when the meeting refused to follow it into edit.
        if (Editing(cdsControle))
            sets.push_back(&cdsControle);
        else if (Editing(cdsAgeAtiviSala))
            sets.push_back(&cdsAgeAtiviSala);
    }
    return sets;
}

bool TfrmReuniao::HasPendingWork(TReload what) {
    for (TClientDataSet* ds : pendingIn(what))
        if (Editing(*ds)) return true;
    return false;
}

void TfrmReuniao::KeepPendingWork(TReload what, TPendingEdit rule, const std::string& refusalKey) {
    KeepPendingEdits(pendingIn(what), rule, refusalKey);
}

void TfrmReuniao::pgcReuniaoChanging() {
    // A tab picked while a record is being typed: the new page reloads what it shows.
    KeepPendingWork(TReload::Everything);
}
