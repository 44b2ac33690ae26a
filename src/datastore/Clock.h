#pragma once
// "Today" and "now" for the core. Tests and `ogorix-cli --today` fix the date.

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace ogx {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QTime now() const = 0;
};

// The system clock, optionally with a fixed date (the time keeps running).
class SystemClock final : public Clock {
public:
    explicit SystemClock(QDate fixedToday = {}) : m_fixed(fixedToday) {}
    QDate today() const override { return m_fixed.isValid() ? m_fixed : QDate::currentDate(); }
    QTime now() const override { return QTime::currentTime(); }

private:
    QDate m_fixed;
};

} // namespace ogx
