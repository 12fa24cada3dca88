// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/codepage.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace nudgewell {

namespace {

// 0x80..0x9F; the five bytes the code page leaves undefined map to the C1 controls of the
// same value so that they survive a read and a write unchanged.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int encode(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == u)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

// Every byte's character, for decoding without a branch per byte.
constexpr std::array<char16_t, 256> kDecode = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b);
    return table;
}();

QChar* putCp1252(QChar* out, const char* bytes, qsizetype length) {
    // Mostly ASCII: checked eight bytes at a time, then widened in a loop the compiler
    // vectorises.
    std::uint64_t high = 0;
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, bytes + i, 8);
        high |= eight;
    }
    for (; i < length; ++i)
        high |= static_cast<unsigned char>(bytes[i]);
    if ((high & 0x8080808080808080u) == 0) {
        char16_t* dst = reinterpret_cast<char16_t*>(out);
        for (i = 0; i < length; ++i)
            dst[i] = static_cast<unsigned char>(bytes[i]);
        return out + length;
    }
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(kDecode[static_cast<unsigned char>(bytes[i])]);
    return out + length;
}

QChar* putShownCp1252(QChar* out, const char* bytes, qsizetype length) {
    QChar* end = putCp1252(out, bytes, length);
    // A branch-free select the compiler vectorises, like the widening above.
    char16_t* text = reinterpret_cast<char16_t*>(out);
    for (qsizetype i = 0; i < length; ++i)
        text[i] = text[i] < 0x20 ? u' ' : text[i];
    return end;
}

QString shownText(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < 0x20)
            c = u' ';
    }
    return text;
}

QString fromCp1252(const char* bytes, qsizetype length) {
    QString out(length, Qt::Uninitialized);
    putCp1252(out.data(), bytes, length);
    return out;
}

QByteArray toCp1252(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = encode(text.at(i).unicode());
        out[i] = static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

bool isCp1252(QChar c) {
    return encode(c.unicode()) >= 0;
}

} // namespace nudgewell
