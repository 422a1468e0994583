// Loads the suite's modules (shared libraries such as libzel00400.so) and starts them through
// their exported entry `IniProc`. A module stays loaded for the life of the process, as the
// suite's packages do; a second open of the same module only calls its entry again. When the
// loader goes (the host quitting, its application still alive), each module's exported
// `FinProc`, if any, finalises the module's units.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QLibrary;

class ModuleLoader {
  public:
    // Folders searched for "lib<name>.so", in order.
    explicit ModuleLoader(QStringList searchPath);
    // Runs each loaded module's FinProc.
    ~ModuleLoader();

    // Loads the module (once) and calls its IniProc. Returns an empty string on success, else a
    // message for the operator naming the module and what went wrong.
    QString open(const QString& moduleName);

  private:
    QStringList m_searchPath;
    QHash<QString, QLibrary*> m_loaded;
};
