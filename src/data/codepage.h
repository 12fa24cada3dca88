// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace nudgewell {

// The record files hold 8-bit Windows-1252 text, one byte per character.
QString fromCp1252(const char* bytes, qsizetype length);
// Decodes into `out`, which has room for `length` characters; returns the end. A line built
// from several fields then needs no copy of each.
QChar* putCp1252(QChar* out, const char* bytes, qsizetype length);
// The same for display: each control byte (0x00..0x1F) becomes a space, so that a damaged
// record can neither break a line in two nor hide part of it. The stored bytes stay as they are.
QChar* putShownCp1252(QChar* out, const char* bytes, qsizetype length);
QString shownText(QString text);
inline QString fromCp1252(const QByteArray& bytes) {
    return fromCp1252(bytes.constData(), bytes.size());
}
// Characters the code page lacks become '?'; the text box never lets them in.
QByteArray toCp1252(const QString& text);
bool isCp1252(QChar c);

} // namespace nudgewell
