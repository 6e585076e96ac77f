// The archive's file list as a printed page or a text file shows it: a heading with the
// totals, a ruled table of five columns (name, date, packed size, size, folder) and the
// archive comment, if any, at the end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qel {

// Digits grouped by three with ",", whatever the locale: "1,234,567", "0", "-1,024".
std::string GroupThousands(int64_t value);

struct TPrintRow {
  std::string Name;      // with the "+" of an enciphered entry
  std::string Modified;  // already formatted ("0" for no date)
  int64_t Packed = 0;
  int64_t Size = 0;
  std::string Folder;
};

struct TPrintHeading {
  std::string ArchiveName;  // the file name, without its folder
  int64_t Packed = 0;
  int64_t Unpacked = 0;
  int Files = 0;
  std::optional<std::string> Comment;  // a ZIP's comment, lines separated by "\n"
};

// The text, UTF-8, lines ending in "\n". Each column starts at a fixed place (0, 26, 51,
// 71, 91) unless the text before it is too long: a column that reaches within one
// character of the next one's place is followed directly by the next.
std::string PrintText(const TPrintHeading& heading, const std::vector<TPrintRow>& rows);

}  // namespace qel
