// CalendarsWindow: the "Calendários" window of the host. Lists the operator's calendar feeds,
// each with its address, a button that copies the address and one that revokes the feed, and
// makes new ones: his own meetings, a room of the current branch, or a series. A failure of the
// server is shown in the window; the list then stays as it was.
#pragma once

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class CalendarFeeds;

class CalendarsWindow : public QWidget {
    Q_OBJECT
  public:
    CalendarsWindow(CalendarFeeds& feeds, QWidget* parent = nullptr);

    // Reads the feeds (and the branch's rooms) again; false, with the message shown, when
    // they could not be read.
    bool refresh();
    QString errorText() const;

    QTableWidget* table() const { return m_table; }
    QComboBox* kindBox() const { return m_kind; }
    QComboBox* roomBox() const { return m_room; }
    QLineEdit* seriesEdit() const { return m_series; }
    QPushButton* createButton() const { return m_create; }
    // The copy and revoke buttons of row `row` of the table.
    QPushButton* copyButton(int row) const;
    QPushButton* revokeButton(int row) const;

  private:
    void showFeeds();
    void createFeed();
    void copyAddress(int row);
    void revokeFeed(int row);
    void updateChoice();
    bool attempt(const QString& what, const std::function<void()>& action);

    CalendarFeeds& m_feeds;
    QTableWidget* m_table;
    QComboBox* m_kind;
    QComboBox* m_room;
    QLineEdit* m_series;
    QPushButton* m_create;
    QLabel* m_status;
    QLabel* m_error;
};
