// The conversion of `gaeb text` (see textbefehl.h).
#include "textconv/textbefehl.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "base/variant.h"
#include "textconv/textkonverter.h"

namespace gaeb {

namespace {

bool Einer(const std::string& wert, std::initializer_list<const char*> liste) {
  return std::any_of(liste.begin(), liste.end(), [&](const char* w) { return wert == w; });
}

// The kinds a direction takes.
bool KindErlaubt(const std::string& von, const std::string& nach, const std::string& art) {
  auto nachXml = [&](const std::string& quelle) {
    if (quelle == "rtf") return Einer(art, {"K", "L", "KL", "A", "KA", "AK", "F", "ML", "MA"});
    return Einer(art, {"K", "L", "KL", "A", "KA", "AK", "F", "ML", "MA", "LB"});
  };
  if (nach == "xml") return nachXml(von);
  bool zurück = nach == "rtf" ? Einer(art, {"K", "L", "ML", "MA"}) : Einer(art, {"K", "L"});
  return zurück && (von == "xml" || nachXml(von));
}

}  // namespace

std::string Prüfe_Textauftrag(const Textauftrag& a) {
  if (!Einer(a.von, {"rtf", "ascii", "xml"})) return "--from erwartet rtf, ascii oder xml";
  if (!Einer(a.nach, {"xml", "rtf", "ascii"})) return "--to erwartet xml, rtf oder ascii";
  if (a.von == a.nach) return "--from und --to dürfen nicht gleich sein";
  if (!Einer(a.textmodus, {"K", "L", "KL", "A", "KA", "AK", "F", "ML", "MA", "LB"})) {
    return "--kind erwartet K, L, KL, A, KA, AK, F, ML, MA oder LB";
  }
  if (!KindErlaubt(a.von, a.nach, a.textmodus)) {
    return "--kind " + a.textmodus + " gilt nicht für --from " + a.von + " --to " + a.nach;
  }
  if (a.mitKurztext && a.textmodus != "KL") return "--short gilt nur für --kind KL";
  if (a.mitMarke && a.textmodus != "LB") return "--label gilt nur für --kind LB";
  if (a.textmodus == "LB") {
    if (!a.mitMarke) return "--kind LB braucht --label N";
    try {
      TextZuZahl(a.marke);
    } catch (const std::exception&) {
      return "--label erwartet eine Zahl";
    }
  }
  return {};
}

std::string Konvertiere_Text(const Textauftrag& a, const std::string& eingabe,
                             const std::string& programmverzeichnis, Meldungsfenster* fenster) {
  if (std::string fehler = Prüfe_Textauftrag(a); !fehler.empty()) throw std::invalid_argument(fehler);
  clsGaebTextkonverter konverter(fenster);
  konverter.m_AppExeDir(programmverzeichnis);
  std::string xml = eingabe;
  if (a.von == "rtf") {
    xml = konverter.RunGtcConverterTest_RTF_GXML(eingabe, a.textmodus, Variant(a.kurztext));
  } else if (a.von == "ascii") {
    xml = konverter.RunGtcConverterTest_ASCII_GXML(eingabe, a.textmodus, a.marke,
                                                   Variant(a.kurztext));
  }
  if (a.nach == "rtf") return konverter.RunGtcConverterTest_GXML_RTF(xml, a.textmodus);
  if (a.nach == "ascii") return konverter.RunGtcConverterTest_GXML_ASCII(xml, a.textmodus);
  return xml;
}

}  // namespace gaeb
