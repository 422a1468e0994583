#include "base/suite_icons.h"

#include <QHash>
#include <QString>

namespace {

const char* FileName(SuiteIcon which) {
    switch (which) {
        case SuiteIcon::Confirm:
            return "emblem-default";
        case SuiteIcon::Cancel:
            return "edit-delete";
        case SuiteIcon::Insert:
            return "list-add";
        case SuiteIcon::Edit:
            return "accessories-text-editor";
        case SuiteIcon::Delete:
            return "list-remove";
        case SuiteIcon::Find:
        case SuiteIcon::Lookup:
            return "edit-find";
        case SuiteIcon::Refresh:
            return "view-refresh";
        case SuiteIcon::Print:
            return "document-print";
        case SuiteIcon::Help:
            return "help-browser";
        case SuiteIcon::Close:
            return "application-exit";
        case SuiteIcon::First:
            return "go-first";
        case SuiteIcon::Prior:
            return "go-previous";
        case SuiteIcon::Next:
            return "go-next";
        case SuiteIcon::Last:
            return "go-last";
        case SuiteIcon::Calendar:
            return "x-office-calendar";
        case SuiteIcon::Undo:
            return "edit-undo";
        case SuiteIcon::Cut:
            return "edit-cut";
        case SuiteIcon::Copy:
            return "edit-copy";
        case SuiteIcon::Paste:
            return "edit-paste";
        case SuiteIcon::AlignLeft:
            return "format-justify-left";
        case SuiteIcon::AlignCenter:
            return "format-justify-center";
        case SuiteIcon::AlignRight:
            return "format-justify-right";
    }
    return "";
}

}  // namespace

QIcon Icon(SuiteIcon which) {
    // GUI thread only, as every widget that shows one.
    static QHash<int, QIcon> loaded;
    const int key = static_cast<int>(which);
    auto it = loaded.find(key);
    if (it == loaded.end())
        it = loaded.insert(
            key, QIcon(QStringLiteral(":/zel/icons/%1.png").arg(QLatin1String(FileName(which)))));
    return *it;
}
