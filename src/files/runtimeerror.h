#pragma once

#include <QString>

#include <exception>

// Errors raised where they happen and recorded by the application-wide
// handler. Each carries the runtime's French message.
class RuntimeError : public std::exception
{
public:
    explicit RuntimeError(QString message);
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};

// Input/output error of a text file, with the runtime's error code.
class EInOutError : public RuntimeError
{
public:
    explicit EInOutError(int code);
    int code() const { return m_code; }

    // The runtime's text for an input/output error code.
    static QString textFor(int code);
    // Raises the error for the last failed file call of this thread.
    [[noreturn]] static void raiseLast();

private:
    int m_code;
};

// A text that does not convert to the expected value.
class EConvertError : public RuntimeError
{
public:
    using RuntimeError::RuntimeError;
};
