#include "Numbers.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace dbf {
namespace {

// Shortest round-trip fixed notation of |value|, split into integer and fraction digits.
void shortestDigits(double value, std::string &intPart, std::string &fracPart)
{
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const auto dot = text.find('.');
    intPart = std::string(text.substr(0, dot));
    fracPart = dot == std::string_view::npos ? std::string() : std::string(text.substr(dot + 1));
}

// Rounds the digit strings half away from zero to `decimals` fraction digits.
void roundDigits(std::string &intPart, std::string &fracPart, int decimals)
{
    if (static_cast<int>(fracPart.size()) <= decimals) {
        fracPart.append(static_cast<std::size_t>(decimals) - fracPart.size(), '0');
        return;
    }
    const bool up = fracPart[static_cast<std::size_t>(decimals)] >= '5';
    fracPart.resize(static_cast<std::size_t>(decimals));
    if (!up)
        return;
    std::string all = intPart + fracPart;
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[static_cast<std::size_t>(i)] == '9')
        all[static_cast<std::size_t>(i--)] = '0';
    if (i < 0)
        all.insert(all.begin(), '1');
    else
        ++all[static_cast<std::size_t>(i)];
    intPart = all.substr(0, all.size() - fracPart.size());
    fracPart = all.substr(all.size() - fracPart.size());
}

bool allZero(const std::string &a, const std::string &b)
{
    return a.find_first_not_of('0') == std::string::npos && b.find_first_not_of('0') == std::string::npos;
}

} // namespace

std::string formatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0;
    if (decimals < 0)
        decimals = 0;
    std::string intPart, fracPart;
    shortestDigits(value, intPart, fracPart);
    roundDigits(intPart, fracPart, decimals);
    std::string out;
    if (std::signbit(value) && !allZero(intPart, fracPart))
        out += '-';
    out += intPart;
    if (decimals > 0) {
        out += '.';
        out += fracPart;
    }
    return out;
}

std::string formatTrimmed(double value, int maxDecimals)
{
    std::string s = formatFixed(value, maxDecimals);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

double roundDecimal(double value, int decimals)
{
    const std::string s = formatFixed(value, decimals);
    double out = 0;
    std::from_chars(s.data(), s.data() + s.size(), out);
    return out;
}

std::optional<double> parseNumber(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    // from_chars takes "inf"/"nan" too; a stored number is never one of those.
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+'))
            return std::nullopt;
    double v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size())
        return std::nullopt;
    return v;
}

} // namespace dbf
