// The text element's markup as the XML reader keeps it for the converter, and
// the converter's lines joined back into the paragraphs of that markup.
#pragma once

#include <string>
#include <string_view>

namespace gaeb::readers {

// Appends s to out with the characters markup needs escaped (and quotes in
// an attribute value).
void Maskiere(std::string_view s, std::string& out, bool attribut);

// The converter gives lines of at most 55 characters, broken at blanks; the
// host keeps a paragraph on one line. The lines of one paragraph are joined
// again with the blanks the break took; when the lines do not add up to the
// paragraphs of the markup xml, the converter's lines stay as they are.
std::string ZeilenZuAbsätzen(const std::string& text, std::string_view xml);

}  // namespace gaeb::readers
