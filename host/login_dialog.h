// The suite's login: server address, operator, password and branch. Remembers the last server
// and operator in the host's settings. The dialog stays open until the login succeeds or the
// operator gives up, showing the server's refusal in place.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QLabel;

struct LoginRequest {
    QString server;  // "host:port" or "https://host:port"
    QString operatorCode;
    QString password;
    QString branch;
};

class LoginDialog : public QDialog {
    Q_OBJECT
  public:
    // `attempt` performs the login and returns an empty string on success, else the message
    // to show.
    using Attempt = std::function<QString(const LoginRequest&)>;

    LoginDialog(Attempt attempt, QWidget* parent = nullptr);

    LoginRequest request() const;
    void setRequest(const LoginRequest& r);
    // The refusal shown in the dialog ("" when none).
    QString errorText() const;

  private:
    void tryLogin();

    Attempt m_attempt;
    QLineEdit* m_server;
    QLineEdit* m_operator;
    QLineEdit* m_password;
    QLineEdit* m_branch;
    QLabel* m_error;
};
