// Reading a GAEB file into import rows. The format is told by the content,
// not by the extension: an XML document (GAEB DA XML 3.0 to 3.3), tagged
// GAEB 2000 lines ("#begin[...]" in any letter case), or the fixed 80-column
// records of GAEB 90 (record "00" first).
//
// Every reader reads its input once from the front (the XML in pieces through
// a SAX parser), checks the whole file and only then returns its rows;
// a file that is not a complete, sound bill throws Lesefehler.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "readers/textwandler.h"
#include "readers/zeilen.h"

namespace gaeb::readers {

enum class Gaebformat { Unbekannt, Xml, Gaeb2000, Gaeb90 };

// The format of a file from its first bytes (a few hundred are enough).
Gaebformat ErkenneFormat(std::string_view anfang);
const char* Formatname(Gaebformat f);

// Reads the file at pfad in the format its content shows. The rows carry no
// Projektnummer: the caller names the project. Throws Lesefehler. What was
// read although the file is not quite sound goes to warnungen (when given),
// one message each: "FILE: Zeile N: text".
std::vector<Importzeile> LeseGaebDatei(const std::string& pfad, Textwandler& texte,
                                       std::vector<std::string>* warnungen = nullptr);

// The readers of the three formats. name is the file name the messages and
// the header row (Dateiname) carry. The XML reader takes the document in
// memory or, with LeseXmlDatei, streams it from the file.
std::vector<Importzeile> LeseXml(std::string_view daten, const std::string& name, Textwandler& texte);
std::vector<Importzeile> LeseXmlDatei(const std::string& pfad, const std::string& name, Textwandler& texte);
std::vector<Importzeile> LeseGaeb2000(std::istream& ein, const std::string& name,
                                      std::vector<std::string>* warnungen = nullptr);
std::vector<Importzeile> LeseGaeb90(std::istream& ein, const std::string& name);

}  // namespace gaeb::readers
