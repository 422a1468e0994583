#include "base/routines.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "base/dialogs.h"

namespace {

int& busyDepth() {
    static int depth = 0;
    return depth;
}

std::vector<std::string>& refreshed() {
    static std::vector<std::string> tables;
    return tables;
}

std::vector<QPointer<QWidget>>& packageForms() {
    static std::vector<QPointer<QWidget>> forms;
    return forms;
}

}  // namespace

void ShowErrorMessage(const std::string& text, bool raise) {
    CurrentDialogs().Error(text);
    if (raise) throw EErrorShown(text);
}

void SetChildrenEnabled(QWidget* control, bool enabled) {
    if (!control) return;
    for (QWidget* child : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setEnabled(enabled);
}

void ShowBusyAnimation(QWidget* form, int kind) {
    if (busyDepth()++ > 0) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CurrentDialogs().ShowBusy(form, kind);
}

void HideBusyAnimation() {
    if (busyDepth() == 0) return;
    if (--busyDepth() > 0) return;
    CurrentDialogs().HideBusy();
    QApplication::restoreOverrideCursor();
}

int BusyAnimationDepth() {
    return busyDepth();
}

void RefreshLocalCache(const std::vector<std::string>& tables) {
    refreshed().insert(refreshed().end(), tables.begin(), tables.end());
}

const std::vector<std::string>& RefreshedLocalCaches() {
    return refreshed();
}

void RegisterPackageForm(const std::string& formClass, QWidget* form) {
    if (!form) return;
    form->setProperty("zelPackageFormClass", QString::fromStdString(formClass));
    packageForms().emplace_back(form);
}

int PackageFormCount() {
    auto& forms = packageForms();
    std::erase_if(forms, [](const QPointer<QWidget>& f) { return f.isNull(); });
    return static_cast<int>(forms.size());
}

void TranslateForm(QWidget*) {}
