// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a vCard file.
#include "fuzz_import.h"
#include "import/vcard.h"

#include <cstdint>

using namespace nudgewell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<ImportEntry> entries;
    if (!readVCards(QByteArrayView(data, qsizetype(size)), &entries) && !entries.empty())
        std::abort(); // a file that is not read adds nothing
    checkEntries(entries);
    return 0;
}
