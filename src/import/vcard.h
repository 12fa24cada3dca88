// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "import/entry.h"

#include <QByteArrayView>

#include <vector>

namespace nudgewell {

// The birthdays (BDAY) and anniversaries (ANNIVERSARY, X-ANNIVERSARY,
// X-EVOLUTION-ANNIVERSARY) of every card in a vCard file, versions 2.1, 3.0 and 4.0: folded
// lines, quoted-printable, CHARSET=, a byte order mark, any line ending. A date that names no
// day of a month gives an entry with its problem; a card that does not end gives one such entry
// and nothing else. False, with nothing added, when the text holds no card at all.
bool readVCards(QByteArrayView data, std::vector<ImportEntry>* entries);

} // namespace nudgewell
