// Manual pages in roff, as both programs' build steps write them from their help texts.
#pragma once

#include <iosfwd>
#include <string>

namespace qel::text {

// Text made safe for roff: backslashes escaped, a line that would start a request guarded,
// and with `dashes` every "-" written as the minus a command line types.
std::string RoffText(const std::string& text, bool dashes = false);

// The page's title line and its NAME section.
void WriteManHeading(std::ostream& out, const std::string& program, const std::string& summary);

// Lines of text as roff, a blank line starting a new paragraph.
void WriteRoffParagraphs(std::ostream& out, const std::string& text);

}  // namespace qel::text
