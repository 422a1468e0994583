// NoticesWindow: the "Avisos" window of the host. Lists the operator's personal notices
// newest first (unread ones in bold), and marks the selected ones, or all, read. A failure
// of the server is shown in the window; the list then stays as it was.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class NoticeInbox;

class NoticesWindow : public QWidget {
    Q_OBJECT
  public:
    NoticesWindow(NoticeInbox& inbox, QWidget* parent = nullptr);

    // Reads the notices again from the server and shows them; false (and the message shown)
    // when they could not be read.
    bool refresh();
    // Shows what the inbox holds, without asking the server.
    void showNotices();
    // The message of the last failure ("" after a success).
    QString errorText() const;

    QTreeWidget* list() const { return m_list; }
    QPushButton* markReadButton() const { return m_markRead; }
    QPushButton* markAllButton() const { return m_markAll; }

  signals:
    // The number of unread notices may have changed; -1: they could not be read.
    void unreadChanged(int unread);

  private:
    void markSelected();
    void markAll();
    // Runs `action` against the server; a failure is shown with `what` before its message.
    bool attempt(const QString& what, const std::function<void()>& action);
    void updateButtons();

    NoticeInbox& m_inbox;
    QTreeWidget* m_list;
    QLabel* m_summary;
    QLabel* m_error;
    QPushButton* m_markRead;
    QPushButton* m_markAll;
};
