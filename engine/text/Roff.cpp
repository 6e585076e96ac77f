#include "engine/text/Roff.h"

#include <ostream>
#include <sstream>

#include "engine/base/Version.h"

namespace qel::text {

std::string RoffText(const std::string& text, bool dashes) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\e";
    else if (c == '-' && dashes)
      out += "\\-";
    else
      out += c;
  }
  // A line starting with "." or "'" would be read as a request.
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

void WriteManHeading(std::ostream& out, const std::string& program, const std::string& summary) {
  std::string upper = program;
  for (char& c : upper) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  out << ".TH " << upper << " 1 \"\" \"" << program << " " << ProgramVersion()
      << "\" \"User Commands\"\n.SH NAME\n"
      << RoffText(program, true) << " \\- " << RoffText(summary) << "\n";
}

void WriteRoffParagraphs(std::ostream& out, const std::string& text) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    out << (line.empty() ? ".PP" : RoffText(line)) << "\n";
}

}  // namespace qel::text
