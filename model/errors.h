#pragma once
// Failures are exceptions carrying the text the general error box shows.
#include <QDate>
#include <QString>

#include <exception>
#include <functional>
#include <optional>

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

// The date of the calendar's years 1 to 9999; throws InvalidDateError for a
// day, month and year that form none.
QDate EncodeDate(int year, int month, int day);

// Runs `action` and gives the message of the failure that ended it, whatever
// was thrown; nothing when it ended normally.
std::optional<QString> FailureOf(const std::function<void()> &action);
