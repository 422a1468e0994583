// The suite's shell: an MDI main window whose menu opens the modules. Module windows become
// sub-windows of its MDI area.
#pragma once

#include <QMainWindow>

class QMdiArea;
class ModuleLoader;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(ModuleLoader& loader, const QString& sessionText, QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return m_mdi; }

    // Opens a module by its screen code ("ZEL00400"); a failure is shown to the operator and
    // returned as false.
    bool openModule(const QString& code);

  private:
    ModuleLoader& m_loader;
    QMdiArea* m_mdi;
};
