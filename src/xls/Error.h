#pragma once

#include <stdexcept>
#include <string>

namespace xls {

// Every failure of the engine (unreadable or contradictory file, refused operation, I/O
// error) is reported by throwing xls::Error. what() is a complete English sentence that
// names the file when one is involved, e.g. "report.xls: not a compound file".
class Error : public std::runtime_error {
public:
    explicit Error(const std::string &message) : std::runtime_error(message) {}
};

} // namespace xls
