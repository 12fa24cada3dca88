// SPDX-License-Identifier: GPL-3.0-or-later
// The upcoming lines of a reminder file for today and the next 6 days, in plain C++ with no
// library but the standard one: the yardstick for the agenda's speed. Month-first dates and
// English weekday names, as the agenda prints them in the C locale with the default settings.
//
// usage: plain_agenda FILE [YYYY-MM-DD]
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int kRecord = 70;
constexpr int kDays = 7;

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool isValid(int y, int m, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return y > 0 && m >= 1 && m <= 12 && d >= 1 && d <= (m == 2 && isLeap(y) ? 29 : days[m - 1]);
}

long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

Date civilFromDays(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(yoe + era * 400 + (m <= 2)), m, d};
}

// "mm/dd/yyyy" (or "/", "-", "." between one- or two-digit fields and a year of up to four
// digits), read month first; when that is no date, day first.
bool parseStored(const char* text, Date* out) {
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int field = 0;
    int begin = 0;
    int end = 10;
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    for (int i = begin; i < end; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (digits[field] == 4)
                return false;
            numbers[field] = numbers[field] * 10 + (c - '0');
            ++digits[field];
        } else if ((c == '/' || c == '-' || c == '.') && field < 2 && digits[field] > 0) {
            ++field;
        } else {
            return false;
        }
    }
    if (field != 2 || digits[0] > 2 || digits[1] > 2 || digits[2] == 0)
        return false;
    int year = numbers[2];
    if (digits[2] <= 2)
        year += year < 30 ? 2000 : 1900;
    else if (year < 100)
        return false;
    if (isValid(year, numbers[0], numbers[1]))
        *out = {year, numbers[0], numbers[1]};
    else if (isValid(year, numbers[1], numbers[0]))
        *out = {year, numbers[1], numbers[0]};
    else
        return false;
    return true;
}

void appendTwoDigits(std::string& out, int n) {
    out += char('0' + (n / 10) % 10);
    out += char('0' + n % 10);
}

void appendCp1252AsUtf8(std::string& out, const char* text, int length) {
    // 0x80..0x9F of Windows-1252; the five undefined bytes keep their C1 code points.
    static const unsigned short high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    for (int i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        const unsigned u = (b >= 0x80 && b < 0xA0) ? high[b - 0x80] : b;
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
}

const char* frequencyWord(char code) {
    switch (code) {
    case 'O':
        return "Once   ";
    case 'W':
        return "Weekly ";
    case 'M':
        return "Monthly";
    default:
        return "Yearly ";
    }
}

bool occursOn(char code, const Date& stored, long storedDays, const Date& day, long dayDays) {
    switch (code) {
    case 'W':
        return (storedDays - dayDays) % 7 == 0;
    case 'Y':
        return stored.month == day.month && stored.day == day.day;
    case 'O':
        return stored.month == day.month && stored.day == day.day &&
               stored.year % 100 == day.year % 100;
    case 'M':
        return stored.day == day.day;
    default:
        return false;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FILE [YYYY-MM-DD]\n", argv[0]);
        return 2;
    }
    Date today;
    if (argc == 3) {
        if (std::sscanf(argv[2], "%d-%d-%d", &today.year, &today.month, &today.day) != 3 ||
            !isValid(today.year, today.month, today.day)) {
            std::fprintf(stderr, "%s: bad date %s\n", argv[0], argv[2]);
            return 2;
        }
    } else {
        const std::time_t now = std::time(nullptr);
        const std::tm* local = std::localtime(&now);
        today = {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
    }

    std::FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::perror(argv[1]);
        return 2;
    }
    std::string data;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        std::rewind(file);
        data.resize(size > 0 ? std::size_t(size) : 0);
        data.resize(std::fread(data.data(), 1, data.size(), file));
    }
    std::fclose(file);

    // Records by the length to the nearest whole number, halves to even; a short last
    // record is filled with blanks.
    const long whole = long(data.size()) / kRecord;
    const long rest = 2 * (long(data.size()) % kRecord);
    const long count = whole + ((rest > kRecord || (rest == kRecord && whole % 2 == 1)) ? 1 : 0);
    data.resize(std::size_t(count) * kRecord, ' ');

    const long first = daysFromCivil(today.year, today.month, today.day);
    Date window[kDays];
    for (int d = 0; d < kDays; ++d)
        window[d] = civilFromDays(first + d);

    struct Hit {
        long record;
        int storedYear;
    };
    std::vector<Hit> byDay[kDays];
    for (long i = 0; i < count; ++i) {
        const char* record = data.data() + i * kRecord;
        const char code = record[59];
        if (code != 'O' && code != 'W' && code != 'M' && code != 'Y')
            continue;
        Date stored;
        if (!parseStored(record + 60, &stored))
            continue;
        const long storedDays = daysFromCivil(stored.year, stored.month, stored.day);
        for (int d = 0; d < kDays; ++d) {
            if (occursOn(code, stored, storedDays, window[d], first + d))
                byDay[d].push_back({i, stored.year});
        }
    }

    static const char* const weekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    std::string out;
    out.reserve(std::size_t(count) * 40 + 1024);
    for (int d = 0; d < kDays; ++d) {
        std::string prefix;
        appendTwoDigits(prefix, window[d].month);
        prefix += '/';
        appendTwoDigits(prefix, window[d].day);
        prefix += '/';
        appendTwoDigits(prefix, window[d].year % 100);
        prefix += "   ";
        prefix += weekdays[((first + d + 3) % 7 + 7) % 7];
        prefix += '\t';
        for (const Hit& hit : byDay[d]) {
            const char* record = data.data() + hit.record * kRecord;
            out += prefix;
            out += frequencyWord(record[59]);
            out += '\t';
            appendCp1252AsUtf8(out, record, 55);
            if (record[58] == 'A') {
                out += " ... ";
                out += std::to_string(today.year - hit.storedYear);
                out += " years";
            }
            out += '\n';
        }
    }
    return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}
