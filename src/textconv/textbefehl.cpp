// The conversion of `gaeb text` (see textbefehl.h).
#include "textconv/textbefehl.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "base/codepage.h"
#include "base/text.h"
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

std::string Konvertiere(const Textauftrag& a, const std::string& eingabe,
                        const std::string& programmverzeichnis, Meldungsfenster* fenster);

// Passes the converter's boxes on and notes whether one reported an error
// (not only remarks): then the result is missing or incomplete.
class Fehlerzähler : public Meldungsfenster {
 public:
  explicit Fehlerzähler(Meldungsfenster* weiter) : weiter_(weiter) {}
  void Zeige(const std::string& text, const std::string& titel) override {
    if (titel == "Fehlercode" && text.find("<errors>") != std::string::npos) fehler = true;
    if (weiter_ != nullptr) weiter_->Zeige(text, titel);
  }
  bool fehler = false;

 private:
  Meldungsfenster* weiter_;
};

}  // namespace

std::string Dekodiere_Eingabe(std::string_view bytes, const std::string& von) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (text::IstUtf8(bytes)) return std::string(bytes);
  if (von != "rtf") return AusCodepage(bytes, Codepage::Cp1252);
  // Raw bytes of an RTF document are characters of its code page, like
  // \'hh: written as \'hh, the converter reads them in the code page of
  // their font or of the document.
  static const char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out += "\\'";
      out.push_back(hex[b >> 4]);
      out.push_back(hex[b & 15]);
    }
  }
  return out;
}

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
                             const std::string& programmverzeichnis, Meldungsfenster* fenster,
                             bool* mitFehlern) {
  if (std::string fehler = Prüfe_Textauftrag(a); !fehler.empty()) throw std::invalid_argument(fehler);
  Fehlerzähler zähler(fenster);
  std::string ergebnis = Konvertiere(a, eingabe, programmverzeichnis, &zähler);
  if (mitFehlern != nullptr) *mitFehlern = zähler.fehler;
  return ergebnis;
}

namespace {

std::string Konvertiere(const Textauftrag& a, const std::string& eingabe,
                        const std::string& programmverzeichnis, Meldungsfenster* fenster) {
  clsGaebTextkonverter konverter(fenster);
  konverter.m_AppExeDir(programmverzeichnis);
  // A long input is copied only when it needs decoding.
  const bool umwandeln = eingabe.starts_with("\xEF\xBB\xBF") || !text::IstUtf8(eingabe);
  const std::string umgewandelt = umwandeln ? Dekodiere_Eingabe(eingabe, a.von) : std::string();
  const std::string& quelle = umwandeln ? umgewandelt : eingabe;
  const Variant kurz(Dekodiere_Eingabe(a.kurztext, a.von));
  std::string xml;
  if (a.von == "rtf") {
    xml = konverter.RunGtcConverterTest_RTF_GXML(quelle, a.textmodus, kurz);
  } else if (a.von == "ascii") {
    xml = konverter.RunGtcConverterTest_ASCII_GXML(quelle, a.textmodus, a.marke, kurz);
  }
  const std::string& markup = a.von == "xml" ? quelle : xml;
  if (a.nach == "rtf") return konverter.RunGtcConverterTest_GXML_RTF(markup, a.textmodus);
  if (a.nach == "ascii") return konverter.RunGtcConverterTest_GXML_ASCII(markup, a.textmodus);
  return xml;
}

}  // namespace

}  // namespace gaeb
