// NoticesWindow: the "Avisos" window of the host. Its first page lists the operator's personal
// notices newest first (unread ones in bold), and marks the selected ones, or all, read; its
// second page, "Convites", lists the meetings he is invited to, soonest first (unanswered ones
// in bold), and answers the selected one: "Aceitar", "Talvez", "Recusar". A failure of the
// server is shown in the window; the lists then stay as they were.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QTabWidget;
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
    QTabWidget* pages() const { return m_pages; }
    QTreeWidget* invitationList() const { return m_invitationList; }
    QPushButton* acceptButton() const { return m_accept; }
    QPushButton* maybeButton() const { return m_maybe; }
    QPushButton* declineButton() const { return m_decline; }
    // Shows what the inbox holds of the invitations, without asking the server.
    void showInvitations();

  signals:
    // The number of unread notices may have changed; -1: they could not be read.
    void unreadChanged(int unread);

  private:
    void markSelected();
    void markAll();
    void answerSelected(const char* code);
    QWidget* noticesPage();
    QWidget* invitationsPage();
    // Runs `action` against the server; a failure is shown with `what` before its message.
    bool attempt(const QString& what, const std::function<void()>& action);
    void updateButtons();

    NoticeInbox& m_inbox;
    QTreeWidget* m_list;
    QLabel* m_summary;
    QLabel* m_error;
    QPushButton* m_markRead;
    QPushButton* m_markAll;
    QTabWidget* m_pages;
    QTreeWidget* m_invitationList;
    QPushButton* m_accept;
    QPushButton* m_maybe;
    QPushButton* m_decline;
};
