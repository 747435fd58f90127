#include "model/errors.h"

QDate EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        throw InvalidDateError();
    return QDate(year, month, day);
}

std::optional<QString> FailureOf(const std::function<void()> &action)
{
    try {
        action();
        return std::nullopt;
    } catch (const KelvoraError &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}
