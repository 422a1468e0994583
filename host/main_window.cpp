#include "host/main_window.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolButton>

#include "base/application_window.h"
#include "host/calendar_feeds.h"
#include "host/calendars_window.h"
#include "host/module_loader.h"
#include "host/notices_window.h"

MainWindow::MainWindow(ModuleLoader& loader, const QString& sessionText,
                       NoticeInbox::ConnectionSetup noticeSetup, QWidget* parent)
    : QMainWindow(parent),
      m_loader(loader),
      m_inbox(noticeSetup),
      m_feeds(std::make_unique<CalendarFeeds>(noticeSetup)) {
    setWindowTitle(QStringLiteral("Sistema de Gestão"));
    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    file->addAction(QStringLiteral("A&visos"), QKeySequence(QStringLiteral("Ctrl+Shift+A")), this,
                    &MainWindow::openNotices);
    file->addAction(QStringLiteral("&Calendários"), this, &MainWindow::openCalendars);
    file->addSeparator();
    file->addAction(QStringLiteral("&Sair"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* modules = menuBar()->addMenu(QStringLiteral("&Módulos"));
    QAction* meetings = modules->addAction(QStringLiteral("Controle de &Reunião (ZEL00400)"));
    connect(meetings, &QAction::triggered, this,
            [this] { openModule(QStringLiteral("ZEL00400")); });

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->addAction(QStringLiteral("&Cascata"), m_mdi, &QMdiArea::cascadeSubWindows);
    windows->addAction(QStringLiteral("&Lado a lado"), m_mdi, &QMdiArea::tileSubWindows);
    windows->addAction(QStringLiteral("&Fechar todas"), m_mdi, &QMdiArea::closeAllSubWindows);

    // The notices window lives as long as the main window; closing its frame only hides it.
    m_notices = new NoticesWindow(m_inbox);
    m_noticesSize = m_notices->size();
    m_noticesFrame = m_mdi->addSubWindow(m_notices);
    m_noticesFrame->setAttribute(Qt::WA_DeleteOnClose, false);
    m_noticesFrame->hide();
    connect(m_notices, &NoticesWindow::unreadChanged, this, &MainWindow::showUnread);

    m_noticesStatus = new QToolButton(this);
    m_noticesStatus->setAutoRaise(true);
    m_noticesStatus->setToolTip(QStringLiteral("Abre os avisos"));
    connect(m_noticesStatus, &QToolButton::clicked, this, &MainWindow::openNotices);
    statusBar()->addPermanentWidget(m_noticesStatus);
    statusBar()->addPermanentWidget(new QLabel(sessionText, this));
    resize(1024, 700);
}

MainWindow::~MainWindow() = default;

void MainWindow::showUnread(int unread) {
    QString text;
    if (unread < 0)
        text = QStringLiteral("Avisos indisponíveis");
    else if (unread == 0)
        text = QStringLiteral("Nenhum aviso não lido");
    else
        text = unread == 1 ? QStringLiteral("1 aviso não lido")
                           : QStringLiteral("%1 avisos não lidos").arg(unread);
    m_noticesStatus->setText(text);
    QFont font = m_noticesStatus->font();
    font.setBold(unread > 0);
    m_noticesStatus->setFont(font);
}

QString MainWindow::noticesStatusText() const {
    return m_noticesStatus->text();
}

int MainWindow::refreshNotices() {
    return m_notices->refresh() ? m_inbox.unreadCount() : -1;
}

void MainWindow::openNotices() {
    m_notices->refresh();
    showNoticesFrame();
    m_noticesFrame->raise();
}

int MainWindow::openNoticesIfUnread() {
    const int unread = refreshNotices();
    if (unread > 0) showNoticesFrame();
    return unread;
}

void MainWindow::showNoticesFrame() {
    // The first time at the window's own size; afterwards as the operator left it.
    ShowSubWindowAt(m_noticesFrame, m_noticesSize);
    m_noticesSize = QSize();
    m_mdi->setActiveSubWindow(m_noticesFrame);
}

bool MainWindow::openModule(const QString& code) {
    const QString error = m_loader.open(code);
    if (error.isEmpty()) return true;
    QMessageBox::critical(this, windowTitle(), error);
    return false;
}

void MainWindow::openCalendars() {
    if (!m_calendars) {
        // Like the notices, the window lives as long as the main window.
        m_calendars = new CalendarsWindow(*m_feeds);
        const QSize size = m_calendars->size();
        m_calendarsFrame = m_mdi->addSubWindow(m_calendars);
        m_calendarsFrame->setAttribute(Qt::WA_DeleteOnClose, false);
        ShowSubWindowAt(m_calendarsFrame, size);
    } else {
        m_calendarsFrame->show();
    }
    m_calendars->refresh();
    m_mdi->setActiveSubWindow(m_calendarsFrame);
    m_calendarsFrame->raise();
}
