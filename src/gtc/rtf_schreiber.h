// Writes a text of the model as a complete RTF document in 7-bit characters:
// code page 1252 characters as \'hh, all others as \uN with one '?' for
// readers without Unicode, tabs as \tab, line breaks as \line, every
// paragraph closed by \par, bold, italic and underline as \b \i \ul.
#pragma once

#include <string>

#include "gtc/modell.h"

namespace gtc {

// mitLücken: gaps become bookmarks TB<label> (bidder) or TA<label> (owner)
// around their content; otherwise their content is plain text.
std::string SchreibeRtf(const Text& text, bool mitLücken);

}  // namespace gtc
