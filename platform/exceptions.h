// The platform's exception family. Every error a window raises derives from Exception;
// EAbort is the silent abort that the GUI guard swallows without a message.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    const std::string Message() const { return what(); }
};

// Ends an operation without showing anything (a refused edit, a cancelled dialog).
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// A text that is not a valid number, date or time.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A dataset misuse: assignment outside edit/insert, unknown field, malformed packet.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A failed application-server call. `Code` is the server's error code ("transport" when the
// server could not be reached); the message is the text meant for the operator.
class EServerError : public Exception {
public:
    EServerError(std::string code, const std::string& message)
        : Exception(message), m_code(std::move(code)) {}
    const std::string& Code() const { return m_code; }

private:
    std::string m_code;
};
