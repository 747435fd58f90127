#pragma once
// Failures are exceptions carrying the text the general error box shows.
#include <QString>
#include <exception>

class KelvoraError : public std::exception {
public:
    explicit KelvoraError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A date that the calendar cannot hold (31 April, year 0, ...).
inline KelvoraError InvalidDateError() { return KelvoraError(QStringLiteral("Invalid argument to date encode")); }
