#include "host/module_loader.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

ModuleLoader::ModuleLoader(QStringList searchPath) : m_searchPath(std::move(searchPath)) {}

ModuleLoader::~ModuleLoader() {
    // Each module finalises its units now, while the application is alive (FinProc, when it
    // exports one). Modules are then left loaded: deleting a QLibrary without unload() keeps
    // its library in memory until the process ends.
    using FinFn = void (*)();
    for (QLibrary* lib : std::as_const(m_loaded))
        if (auto fin = reinterpret_cast<FinFn>(lib->resolve("FinProc"))) fin();
    qDeleteAll(m_loaded);
    m_loaded.clear();
}

QString ModuleLoader::open(const QString& moduleName) {
    const QString key = moduleName.toLower();
    QLibrary* lib = m_loaded.value(key, nullptr);
    if (!lib) {
        QString file;
        for (const QString& dir : m_searchPath) {
            const QString candidate = QDir(dir).filePath("lib" + key + ".so");
            if (QFileInfo::exists(candidate)) {
                file = candidate;
                break;
            }
        }
        if (file.isEmpty())
            return QStringLiteral("Módulo %1 não encontrado em: %2")
                .arg(moduleName.toUpper(), m_searchPath.join(", "));
        lib = new QLibrary(file);
        if (!lib->load()) {
            const QString error = lib->errorString();
            delete lib;
            return QStringLiteral("Não foi possível carregar o módulo %1: %2")
                .arg(moduleName.toUpper(), error);
        }
        m_loaded.insert(key, lib);
    }
    using EntryFn = void (*)();
    auto entry = reinterpret_cast<EntryFn>(lib->resolve("IniProc"));
    if (!entry) return QStringLiteral("O módulo %1 não exporta IniProc.").arg(moduleName.toUpper());
    entry();
    return {};
}
