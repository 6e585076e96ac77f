#include "formats/uue/UuHeader.h"

#include <algorithm>
#include <cctype>

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
      rest.remove_prefix(1);
      return std::string(rest.substr(0, rest.find('"')));
    }
    return std::string(Trim(rest.substr(0, rest.find(';'))));
  }
  return {};
}

// "begin MODE NAME" or "begin-base64 MODE NAME": the mode and the name.
bool ReadBeginLine(std::string_view line, TUuStart& start) {
  std::string_view rest;
  if (StartsNoCase(line, "begin-base64 ")) {
    start.Kind = TUuKind::Base64;
    start.KindKnown = true;
    rest = line.substr(13);
  } else if (StartsNoCase(line, "begin ")) {
    rest = line.substr(6);
  } else {
    return false;
  }
  rest = Trim(rest);
  size_t digits = 0;
  while (digits < rest.size() && digits < 4 && std::isdigit(uint8_t(rest[digits]))) ++digits;
  if (digits == 0 || digits == rest.size() || rest[digits] != ' ') return false;
  start.Mode = std::stoi(std::string(rest.substr(0, digits)));
  std::string_view name = Trim(rest.substr(digits));
  // A name without an extension ends at its first space: what follows is no part of it.
  if (name.find('.') == std::string_view::npos) name = name.substr(0, name.find(' '));
  if (name.empty()) return false;
  // The MIME header's name stands when the begin line repeats it.
  if (start.Name.empty()) start.Name = std::string(name);
  return true;
}

}  // namespace

std::optional<TUuStart> FindUuStart(TTextLines& lines, int64_t limit) {
  TUuStart start;
  std::string line, table;
  bool base64Header = false;  // inside a MIME header block that announced base64
  bool tableLines = false;
  while (lines.Position() < limit && lines.Next(line)) {
    const std::string_view l = line;
    if (tableLines) {
      table += Trim(l);
      if (table.size() >= 64) {
        tableLines = false;
        if (TAlphabet a(table.substr(0, 64)); a.Valid()) start.Table = a;
      }
      continue;
    }
    if (ReadBeginLine(l, start)) {
      start.DataStart = lines.Position();
      return start;
    }
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
