#include "formats/uue/UuHeader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace qel::uu {
namespace {

bool StartsNoCase(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), line.begin(), [](char a, char b) {
           return std::tolower(uint8_t(a)) == std::tolower(uint8_t(b));
         });
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(uint8_t(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(uint8_t(s.back()))) s.remove_suffix(1);
  return s;
}

// The value of a MIME parameter ("filename", "name") in a header line, quoted or not.
std::string Parameter(std::string_view header, std::string_view key) {
  for (size_t at = 0; at < header.size(); ++at) {
    if (!StartsNoCase(header.substr(at), key)) continue;
    if (at > 0 && header[at - 1] != ';' && !std::isspace(uint8_t(header[at - 1]))) continue;
    std::string_view rest = Trim(header.substr(at + key.size()));
    if (rest.empty() || rest.front() != '=') continue;
    rest = Trim(rest.substr(1));
    if (!rest.empty() && rest.front() == '"') {
      std::string value;  // a quoted string, with its backslash escapes
      for (size_t i = 1; i < rest.size() && rest[i] != '"'; ++i)
        value += rest[i] == '\\' && i + 1 < rest.size() ? rest[++i] : rest[i];
      return value;
    }
    return std::string(Trim(rest.substr(0, rest.find(';'))));
  }
  return {};
}

// A begin line: the kind it names, the mode and, unless a MIME header named the file,
// the name.
bool TakeBeginLine(std::string_view line, TUuStart& start) {
  const std::optional<TBeginLine> begin = ReadBeginLine(line);
  if (!begin) return false;
  if (begin->Base64) {
    start.Kind = TUuKind::Base64;
    start.KindKnown = true;
  }
  start.Mode = begin->Mode;
  if (start.Name.empty()) start.Name = begin->Name;
  return true;
}

}  // namespace

std::optional<TUuStart> FindUuStart(TTextLines& lines, int64_t limit) {
  TUuStart start;
  std::string line, table;
  bool base64Header = false;  // inside a MIME header block that announced base64
  bool tableLines = false;
  std::string headingName;  // uuenview's heading names the file
  while (lines.Position() < limit) {
    const int64_t lineStart = lines.Position();
    if (!lines.Next(line)) break;
    const std::string_view l = line;
    if (TakeBeginLine(l, start)) {
      start.DataStart = lines.Position();
      return start;
    }
    if (l.starts_with("_=_ Part ")) {
      if (const size_t of = l.find(" of file "); of != std::string_view::npos)
        headingName = Trim(l.substr(of + 9));
      continue;
    }
    // After uuenview's heading, Base64 lines may follow with no begin line at all.
    if (!headingName.empty() && !l.starts_with("_=_") && !Trim(l).empty()) {
      uint8_t out[TTextLines::kMaxLine];
      bool ended = false;
      if (Trim(l).size() >= 4 && DecodeBase64Line(Trim(l), out, ended) > 0) {
        start.Kind = TUuKind::Base64;
        start.KindKnown = true;
        if (start.Name.empty()) start.Name = headingName;
        start.DataStart = lineStart;
        return start;
      }
    }
    if (tableLines) {
      // A space may be one of the characters: the lines are taken as they stand.
      table += l.substr(0, 32);
      if (table.size() >= 64) {
        tableLines = false;
        if (TAlphabet a(table.substr(0, 64)); a.Valid()) start.Table = a;
      }
      continue;
    }
    if (l.starts_with("part ")) start.Part = std::atoi(line.c_str() + 5);
    if (StartsNoCase(l, "XXEncode ")) {
      start.Kind = TUuKind::Xx;
      start.KindKnown = true;
    } else if (Trim(l) == "table") {
      tableLines = true;
      table.clear();
    } else if (StartsNoCase(l, "charmap ")) {
      if (TAlphabet a(Trim(l.substr(8)).substr(0, 64)); a.Valid()) start.Table = a;
    } else if (StartsNoCase(l, "Content-Transfer-Encoding:")) {
      base64Header = StartsNoCase(Trim(l.substr(26)), "base64");
    } else if (StartsNoCase(l, "Content-Disposition:")) {
      if (std::string name = Parameter(l, "filename"); !name.empty()) start.Name = name;
    } else if (StartsNoCase(l, "Content-Type:")) {
      if (std::string name = Parameter(l, "name"); !name.empty() && start.Name.empty())
        start.Name = name;
    } else if (Trim(l).empty() && base64Header) {
      // The header block is over: the data follows, perhaps after a begin-base64 line.
      start.Kind = TUuKind::Base64;
      start.KindKnown = true;
      start.DataStart = lines.Position();
      return start;
    } else if (Trim(l).empty()) {
      start.Name.clear();  // a header block that was no base64 part named nothing
    }
  }
  return std::nullopt;
}

std::optional<uint32_t> ModeBits(int mode) {
  if (mode < 0) return std::nullopt;  // no begin line
  uint32_t bits = 0;
  for (const char c : std::to_string(mode)) {
    if (c > '7') return std::nullopt;
    bits = bits * 8 + uint32_t(c - '0');
  }
  return bits & 0777;
}

TUuKind ChooseLengthKind(std::string_view firstLine) {
  uint8_t bytes[kMaxLineBytes];
  const bool uu = DecodeLengthLine(AlphabetOf(TUuKind::Uu), firstLine, bytes, true) >= 0;
  const bool xx = DecodeLengthLine(AlphabetOf(TUuKind::Xx), firstLine, bytes, true) >= 0;
  return xx && !uu ? TUuKind::Xx : TUuKind::Uu;
}

bool IsEndLine(std::string_view line) {
  line = Trim(line);
  return line == "end" || line == "====";
}

}  // namespace qel::uu
