// The conversion behind the command `gaeb text`: one text in, one text out,
// through clsGaebTextkonverter, with the options of the command line.
//
//   gaeb text --from rtf|ascii|xml --to xml|rtf|ascii --kind K|L|KL|A|KA|AK|F|ML|MA|LB
//             [--short FILE] [--label N] [FILE|-]
//
// rtf -> xml and ascii -> xml take every kind the class knows ("LB" only from
// ascii); xml -> rtf takes K, L, ML, MA; xml -> ascii takes K and L.
// rtf -> ascii and ascii -> rtf go through the XML markup with the same kind
// and take the kinds both steps know.
#pragma once

#include <string>

#include "textconv/meldungsfenster.h"

namespace gaeb {

struct Textauftrag {
  std::string von;        // "rtf", "ascii" or "xml"
  std::string nach;       // "xml", "rtf" or "ascii"
  std::string textmodus;  // K, L, KL, A, KA, AK, F, ML, MA, LB
  std::string kurztext;   // the short text of "KL" (the content of --short FILE)
  bool mitKurztext = false;  // --short was given
  std::string marke;      // the label number of "LB" (--label N)
  bool mitMarke = false;  // --label was given
};

// Empty when the request is complete and consistent, else the German text
// of the usage error (one line, without the program name).
std::string Prüfe_Textauftrag(const Textauftrag& auftrag);

// Converts eingabe (UTF-8) as requested and returns the result (UTF-8; XML
// markup, an RTF document, or lines ending with CR LF). The library is loaded
// from programmverzeichnis; messages go to fenster (may be null).
// Throws std::invalid_argument with the text of Prüfe_Textauftrag for an
// invalid request, and gaeb::Fehler when the conversion fails with a run-time
// error (for example the library is missing: its load message has then been
// shown through fenster).
std::string Konvertiere_Text(const Textauftrag& auftrag, const std::string& eingabe,
                             const std::string& programmverzeichnis, Meldungsfenster* fenster);

}  // namespace gaeb
