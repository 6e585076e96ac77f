#include "engine/list/PrintText.h"

#include <string_view>

namespace qel {
namespace {

constexpr size_t kRuleWidth = 116;
// Where columns two to five start.
constexpr size_t kColumnStops[] = {26, 51, 71, 91};

// Characters, not bytes: a name beyond ASCII takes as much room as any other.
size_t Width(std::string_view text) {
  size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

// Five texts in the columns. A line that has come within one character of the next stop
// is not padded: the next text follows at once.
std::string Columns(const std::string (&texts)[5]) {
  std::string line = texts[0];
  for (size_t i = 0; i < 4; ++i) {
    const size_t width = Width(line);
    if (width + 1 < kColumnStops[i]) line.append(kColumnStops[i] - width, ' ');
    line += texts[i + 1];
  }
  return line;
}

}  // namespace

std::string GroupThousands(int64_t value) {
  // The magnitude as unsigned, so the most negative value does not overflow.
  const uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
  const std::string digits = std::to_string(magnitude);
  std::string out = value < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string PrintText(const TPrintHeading& heading, const std::vector<TPrintRow>& rows) {
  const std::string rule(kRuleWidth, '=');
  std::string text = "Content of Archive: " + heading.ArchiveName +
                     ", Archive Size: " + GroupThousands(heading.Packed) +
                     " Decompressed Size: " + GroupThousands(heading.Unpacked) + " Total " +
                     std::to_string(heading.Files) + " Files.\n";
  text += "\n" + rule + "\n";
  text += Columns({"FILE NAME", "DATE", "PACKED SIZE", "SIZE", "PATH"}) + "\n";
  text += rule + "\n\n";
  for (const TPrintRow& row : rows)
    text += Columns({row.Name, row.Modified, GroupThousands(row.Packed), GroupThousands(row.Size),
                     row.Folder}) +
            "\n";
  text += "\n" + rule + "\n";
  if (heading.Comment) {
    text += "Archive Comments:\n";
    std::string_view comment = *heading.Comment;
    while (!comment.empty()) {
      const size_t end = comment.find('\n');
      std::string_view line = comment.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      text.append(line) += '\n';
      if (end == std::string_view::npos) break;
      comment.remove_prefix(end + 1);
    }
  }
  return text;
}

}  // namespace qel
