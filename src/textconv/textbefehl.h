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
#include <string_view>

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

// The text of an input file of the kind von ("rtf", "ascii", "xml") as UTF-8:
// a UTF-8 byte order mark is dropped; input that is valid UTF-8 is taken as
// it is; other input is in a Windows code page: RTF's raw 8-bit bytes are
// read in the code page of their font or document (as \'hh), plain lines
// and XML in code page 1252.
std::string Dekodiere_Eingabe(std::string_view bytes, const std::string& von);

// Converts eingabe and the short text (the bytes of the files, read with
// Dekodiere_Eingabe) as requested and returns the result (UTF-8; XML
// markup, an RTF document, or lines ending with CR LF). The library is loaded
// from programmverzeichnis; messages go to fenster (may be null).
// Throws std::invalid_argument with the text of Prüfe_Textauftrag for an
// invalid request, and gaeb::Fehler when the conversion fails with a run-time
// error (for example the library is missing: its load message has then been
// shown through fenster). *mitFehlern (when given) tells whether the
// converter reported an error, not only remarks: the input was refused or
// the result is incomplete.
std::string Konvertiere_Text(const Textauftrag& auftrag, const std::string& eingabe,
                             const std::string& programmverzeichnis, Meldungsfenster* fenster,
                             bool* mitFehlern = nullptr);

}  // namespace gaeb
