#include "host/main_window.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include "host/module_loader.h"

MainWindow::MainWindow(ModuleLoader& loader, const QString& sessionText, QWidget* parent)
    : QMainWindow(parent), m_loader(loader) {
    setWindowTitle(QStringLiteral("Sistema de Gestão"));
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    file->addAction(QStringLiteral("&Sair"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* modules = menuBar()->addMenu(QStringLiteral("&Módulos"));
    QAction* meetings = modules->addAction(QStringLiteral("Controle de &Reunião (ZEL00400)"));
    connect(meetings, &QAction::triggered, this,
            [this] { openModule(QStringLiteral("ZEL00400")); });

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->addAction(QStringLiteral("&Cascata"), m_mdi, &QMdiArea::cascadeSubWindows);
    windows->addAction(QStringLiteral("&Lado a lado"), m_mdi, &QMdiArea::tileSubWindows);
    windows->addAction(QStringLiteral("&Fechar todas"), m_mdi, &QMdiArea::closeAllSubWindows);

    statusBar()->addPermanentWidget(new QLabel(sessionText, this));
    resize(1024, 700);
}

bool MainWindow::openModule(const QString& code) {
    const QString error = m_loader.open(code);
    if (error.isEmpty()) return true;
    QMessageBox::critical(this, windowTitle(), error);
    return false;
}
