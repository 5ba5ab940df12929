#include "download/http_date.h"

#include <array>
#include <vector>

#include "app/number_text.h"

namespace {

constexpr std::array<std::wstring_view, 12> kMonths = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                                       L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

std::optional<int> Month(std::wstring_view token)
{
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (token == kMonths[i])
            return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

// 1 to `maxDigits` decimal digits and nothing else.
std::optional<int> Number(std::wstring_view token, std::size_t maxDigits)
{
    if (token.size() > maxDigits)
        return std::nullopt;
    const auto value = DecimalValue(token, 9999);
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int year, int month, int day)
{
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

std::vector<std::wstring_view> Tokens(std::wstring_view text)
{
    // Commas and the dashes of the second form only separate, like blanks.
    std::vector<std::wstring_view> tokens;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool separator = i == text.size() || text[i] == L' ' || text[i] == L'\t' || text[i] == L',' ||
                               text[i] == L'-';
        if (!separator)
            continue;
        if (i > start)
            tokens.push_back(text.substr(start, i - start));
        start = i + 1;
    }
    return tokens;
}

}  // namespace

std::wstring_view TrimBlanks(std::wstring_view text)
{
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> ParseHttpDate(std::wstring_view text)
{
    const auto tokens = Tokens(text);
    if (tokens.size() < 5 || Month(tokens[0]))
        return std::nullopt;  // every form starts with the day of the week
    std::optional<int> day, month, year;
    std::wstring_view time;
    if (tokens.size() == 6 && tokens[5] == L"GMT") {
        day = Number(tokens[1], 2);
        month = Month(tokens[2]);
        year = Number(tokens[3], 4);
        // Two-digit years of the second form: the 20th century from 70 on.
        if (year && tokens[3].size() == 2)
            *year += *year < 70 ? 2000 : 1900;
        else if (tokens[3].size() != 4)
            year.reset();
        time = tokens[4];
    } else if (tokens.size() == 5) {
        month = Month(tokens[1]);
        day = Number(tokens[2], 2);
        time = tokens[3];
        year = tokens[4].size() == 4 ? Number(tokens[4], 4) : std::nullopt;
    }
    if (!day || !month || !year || time.size() != 8 || time[2] != L':' || time[5] != L':')
        return std::nullopt;
    const auto hour = Number(time.substr(0, 2), 2);
    const auto minute = Number(time.substr(3, 2), 2);
    const auto second = Number(time.substr(6, 2), 2);
    // 60 for a leap second.
    if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 60 || *day < 1 ||
        *day > DaysInMonth(*year, *month))
        return std::nullopt;
    return DaysFromCivil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
}
