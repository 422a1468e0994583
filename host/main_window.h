// The suite's shell: an MDI main window whose menu opens the modules. Module windows become
// sub-windows of its MDI area. The operator's notices ("Avisos") open in a sub-window of their
// own; the status bar shows how many are unread.
#pragma once

#include <QMainWindow>
#include <memory>

#include "host/notice_inbox.h"

class QMdiArea;
class QMdiSubWindow;
class QToolButton;
class ModuleLoader;
class NoticesWindow;
class CalendarsWindow;
class CalendarFeeds;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `noticeSetup` routes the notices' connection (tests); by default it reaches the server
    // of the login context.
    MainWindow(ModuleLoader& loader, const QString& sessionText,
               NoticeInbox::ConnectionSetup noticeSetup = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return m_mdi; }

    // Opens a module by its screen code ("ZEL00400"); a failure is shown to the operator and
    // returned as false.
    bool openModule(const QString& code);

    // Shows the notices window (read again from the server) in front.
    void openNotices();
    // Reads the notices and opens their window when some are unread (after the login).
    // Returns the number of unread notices (-1 when they could not be read).
    int openNoticesIfUnread();
    // Reads the notices again and updates the status bar; -1 when they could not be read.
    int refreshNotices();

    NoticesWindow* noticesWindow() const { return m_notices; }

    // Shows the "Calendários" window (read again from the server) in front.
    void openCalendars();
    CalendarsWindow* calendarsWindow() const { return m_calendars; }
    // The status bar's text about the notices ("2 avisos não lidos").
    QString noticesStatusText() const;

  private:
    void showUnread(int unread);
    void showNoticesFrame();

    ModuleLoader& m_loader;
    QMdiArea* m_mdi;
    NoticeInbox m_inbox;
    NoticesWindow* m_notices;
    QMdiSubWindow* m_noticesFrame;
    QSize m_noticesSize;  // the notices window's own size, until it is first shown
    QToolButton* m_noticesStatus;
    std::unique_ptr<CalendarFeeds> m_feeds;
    CalendarsWindow* m_calendars = nullptr;
    QMdiSubWindow* m_calendarsFrame = nullptr;
};
