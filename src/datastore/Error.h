#pragma once
// The one exception type of the Ogorix core. Its message is written for the user: it
// names the file or table and what went wrong, in Romanian where the system has its own
// text, else in plain words.

#include <QString>
#include <stdexcept>

namespace ogx {

class Error : public std::runtime_error {
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace ogx
