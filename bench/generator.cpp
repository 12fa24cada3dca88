// SPDX-License-Identifier: GPL-3.0-or-later
#include "generator.h"

#include <cstdio>
#include <random>

namespace nudgewell::bench {

namespace {

// Some words carry letters outside ASCII, as Western texts do; none needs Remind's escapes.
const char* const kWords[] = {
    "Call",  "Mum",      "Dad",         "dentist",   "pay",        "rent",
    "bins",  "out",      "water",       "plants",    "birthday",   "of",
    "Anna",  "Bob",      "Zo\u00eb",    "caf\u00e9", "team",       "meeting",
    "renew", "passport", "car",         "service",   "insurance",  "due",
    "gym",   "class",    "book",        "club",      "Jos\u00e9",  "M\u00fcller",
    "vet",   "cat",      "dog",         "walk",      "library",    "return",
    "tax",   "return",   "school",      "trip",      "cr\u00e8me", "br\u00fbl\u00e9e",
    "order", "flowers",  "anniversary", "lunch",     "with",       "Sam",
};

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 and back (H. Hinnant's civil calendar algorithms).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// 0 = Monday.
int weekdayIndex(int y, int m, int d) {
    const long days = daysFromCivil(y, m, d);
    return int(((days + 3) % 7 + 7) % 7);
}

const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kShortDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// UTF-8 to Windows-1252 for the letters the word list uses (all in Latin-1).
std::string toCp1252(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += char(c);
        } else {
            const auto next = static_cast<unsigned char>(utf8[++i]);
            out += char(((c & 0x1F) << 6) | (next & 0x3F));
        }
    }
    return out;
}

std::size_t utf8Length(const std::string& s) {
    std::size_t n = 0;
    for (char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

} // namespace

std::vector<Reminder> generateReminders(int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    // Raw draws only: the distributions of the standard library differ between libraries.
    auto below = [&random](int n) { return int(random() % std::uint32_t(n)); };
    auto between = [&below](int low, int high) { return low + below(high - low + 1); };
    const int wordCount = int(sizeof kWords / sizeof kWords[0]);

    std::vector<Reminder> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        Reminder r;
        const int kind = below(100);
        r.frequency = kind < 25 ? 'W' : kind < 60 ? 'M' : kind < 90 ? 'Y' : 'O';
        r.yearsFlag = below(100) < (r.frequency == 'Y' ? 40 : 10) ? 'A' : 'X';
        switch (r.frequency) {
        case 'Y': // birthdays and anniversaries
            r.year = between(1940, 2027);
            break;
        case 'O':
            r.year = between(2024, 2028);
            break;
        default:
            r.year = between(2000, 2027);
        }
        r.month = between(1, 12);
        r.day = between(1, daysInMonth(r.year, r.month));
        r.dayFirstText = r.day > 12 && below(100) < 10;

        const int words = between(2, 6);
        for (int w = 0; w < words; ++w) {
            std::string next = (w ? std::string(" ") : std::string()) + kWords[below(wordCount)];
            if (utf8Length(r.text) + utf8Length(next) > 55)
                break;
            r.text += next;
        }
        out.push_back(std::move(r));
    }
    return out;
}

std::string reminderFileBytes(const std::vector<Reminder>& reminders) {
    std::string out;
    out.reserve(reminders.size() * 70);
    for (const Reminder& r : reminders) {
        std::string text = toCp1252(r.text);
        text.resize(55, ' ');
        char date[11];
        std::snprintf(date, sizeof date, "%02d/%02d/%04d", r.dayFirstText ? r.day : r.month,
                      r.dayFirstText ? r.month : r.day, r.year);
        out += text;
        out.append(3, '\0');
        out += r.yearsFlag;
        out += r.frequency;
        out.append(date, 10);
    }
    return out;
}

std::string remindScript(const std::vector<Reminder>& reminders) {
    std::string out;
    out.reserve(reminders.size() * 40);
    char line[128];
    for (const Reminder& r : reminders) {
        switch (r.frequency) {
        case 'W':
            std::snprintf(line, sizeof line, "REM %s MSG ",
                          kShortDays[weekdayIndex(r.year, r.month, r.day)]);
            break;
        case 'M':
            // This Remind skips "REM 29" on 29 February of a leap year; name that day too.
            if (r.day == 29)
                out += "REM Feb 29 MSG " + r.text + '\n';
            std::snprintf(line, sizeof line, "REM %d MSG ", r.day);
            break;
        case 'Y':
            std::snprintf(line, sizeof line, "REM %s %d MSG ", kShortMonths[r.month - 1], r.day);
            break;
        default:
            std::snprintf(line, sizeof line, "REM %d %s %d MSG ", r.day, kShortMonths[r.month - 1],
                          r.year);
        }
        out += line + r.text + '\n';
    }
    return out;
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

} // namespace nudgewell::bench
