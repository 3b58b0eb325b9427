// The GAEB DA XML reader's inner parts, for the readers only: the reader
// object that libxml2's SAX parser drives piece by piece. Its element
// handling lives in xml_leser.cpp, its values in xml_werte.cpp, its text
// handling (a Description, AddText, LblTx or Descrip kept as markup and as
// parse events for the text converter) in xml_lesertext.cpp.
#pragma once

#include <libxml/parser.h>

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readers/lvsammler.h"
#include "readers/textwandler.h"
#include "readers/zeilen.h"

namespace gaeb::readers {

class XmlLeser {
 public:
  // name: the file name the messages and the header row carry.
  XmlLeser(const std::string& name, Textwandler& texte);
  ~XmlLeser();
  XmlLeser(const XmlLeser&) = delete;
  XmlLeser& operator=(const XmlLeser&) = delete;

  // The next piece of the document. Throws Lesefehler at the first fault; the
  // reader then takes no more pieces.
  void Lies(const char* daten, std::size_t länge);
  // After the last piece: the rows of the bill. Throws Lesefehler when the
  // document is not well-formed XML or not a bill the reader takes.
  std::vector<Importzeile> Fertig();

 private:
  static constexpr std::size_t kGrößterText = 1 << 20;  // one text value or text element

  // What the element being read belongs to.
  enum class Art { Sonst, Posten, Markup, Teil, Bemerkung };

  // The items of an area and the area's total.
  struct Bereichsposten {
    std::vector<std::size_t> zeilen;
    double summe = 0;
    bool summeGelesen = false;
  };

  // The parser's calls (userData is the reader). Each runs the reader's
  // handling under Geschützt: an exception stops the parser and is thrown
  // again by Lies or Fertig, never through the parser's C frames.
  static void SaxAnfang(void* leser, const xmlChar* lokal, const xmlChar* präfix, const xmlChar* uri, int, const xmlChar**,
                        int anzahl, int, const xmlChar** attribute);
  static void SaxEnde(void* leser, const xmlChar*, const xmlChar*, const xmlChar*);
  static void SaxZeichen(void* leser, const xmlChar* zeichen, int länge);
  static void SaxCdata(void* leser, const xmlChar* zeichen, int länge);
  static void SaxTrenner(void* leser, const xmlChar*, const xmlChar*);  // a processing instruction
  static void SaxKommentar(void* leser, const xmlChar*);
  static void SaxDokumenttyp(void* leser, const xmlChar*, const xmlChar*, const xmlChar*);
  static void SaxEntität(void* leser, const xmlChar*);
  static void SaxFehler(void* leser, xmlError* fehler);
  template <class F>
  void Geschützt(F&& f);
  void WeiterFalls();  // rethrows the kept exception

  [[noreturn]] void Fehler(int zeile, const std::string& grund);
  [[noreturn]] void Fehler(const std::string& grund) { Fehler(Zeile(), grund); }
  int Zeile() const;

  // One start tag, its end, and a run of characters between two tags (a
  // text node: its pieces joined; a CDATA section comes as one of its own).
  void Start(const char* lokal, const char* ns, int anzahl, const xmlChar** attribute, bool leer);
  void Schluss(const char* lokal);
  void Text(std::string_view t, bool cdata);
  void Lauf();  // hands on the characters gathered so far

  std::string_view Eltern() const { return pfad_.size() >= 2 ? std::string_view(pfad_[pfad_.size() - 2]) : ""; }
  // The value of an attribute without namespace, empty when the start tag has none.
  std::string Attribut(std::string_view name) const;
  // An attribute's value as the parser hands it on (von to bis).
  static std::string AttributWert(const xmlChar* von, const xmlChar* bis);

  void Anfang(const std::string& name, const char* ns, int tiefe, bool leer);
  void ElementAnfang(const std::string& n);
  std::string OZ();
  void NeuesObjekt(Art art, std::int16_t typ);
  Importzeile& Zeilen(std::size_t i) { return lv_.ZeileAn(i); }
  Importzeile& Aktuell() { return Zeilen(art_ == Art::Teil ? teil_ : posten_); }
  double Zahl(const std::string& w);
  void Ende(int tiefe, std::string_view lokal);
  void ObjektFertig();
  void Blatt(const std::string& n, const std::string& w);
  void PostenWert(const std::string& n, const std::string& w);
  void UngezählteGebote(const Bereichsposten& b);

  // The text element (xml_lesertext.cpp).
  void TextBeginn(const std::string& name, bool leer);
  void TextAnfang(const std::string& name, bool leer);
  void TextEreignis(const std::string& name, bool leer);
  void TextZeichen(std::string_view t);
  void TextElementEnde(std::string_view n);
  void TextSchluss(const std::string& name);  // the end of the text element itself
  // What the markup of the text element holds, found in one pass.
  struct Textteile {
    bool formatiert = false;  // markup plain lines lose (bold, lists, tables, gaps): the RTF form is kept too
    bool kurz = false;        // a short text part (OutlTxt)
    bool lang = false;        // a long text part (DetailTxt, DetailAddText)
  };
  Textteile Teile() const;
  void TextFertig(const std::string& name);

  xmlParserCtxtPtr ctxt_ = nullptr;
  std::exception_ptr fehler_;
  std::string fehlertext_;  // the parser's first error
  int fehlerzeile_ = 0;
  std::string name_;
  Textwandler& texte_;
  // the start tag being handled: its attributes as the parser gives them
  int anzahlAttribute_ = 0;
  const xmlChar** attribute_ = nullptr;
  int tiefe_ = 0;             // elements open
  bool leerOffen_ = false;    // the last start tag was an empty element: its end call is not an end
  std::string lauf_;          // characters of the text node being read
  Lvsammler lv_;
  Gliederung gliederung_;
  std::vector<std::string> pfad_;
  std::string wert_;
  std::string namensraum_, version_, namePrj_, lblPrj_, descrip_;
  std::string bkdnTyp_;
  int bkdnLänge_ = 0;
  bool wurzelGesehen_ = false, boqGesehen_ = false, imBoQ_ = false, dpGesehen_ = false;
  bool curLblPrj_ = false;
  double nachlass_ = 0, summe_ = 0;
  bool summeGelesen_ = false;
  bool mitLangtext_ = false, mitPreisen_ = false, summenBeschreibung_ = false;
  int überspringen_ = -1;
  bool blatt_ = false;  // the element being read is a value, not one the reader goes into
  // the text element being kept
  int textTiefe_ = -1;
  std::string textName_, textXml_;
  std::size_t kurzAnfang_ = std::string::npos, langAnfang_ = std::string::npos;
  std::string kurzXml_, langXml_;  // OutlineText and DetailTxt of the text element
  std::vector<std::string> marken_;
  // the text element's events for the converter
  std::optional<bool> nimmtEreignisse_;  // the converter takes them (asked at the first text)
  bool ereignisText_ = false, ereignisseGültig_ = false;
  std::vector<std::string> textPfad_;     // elements open below the text element
  int umrisse_ = 0, details_ = 0;         // OutlineText and DetailTxt elements so far
  std::vector<std::string> textAttribute_;  // of the element start: names and values
  std::vector<const char*> zeiger_;
  // areas and the row being filled
  std::vector<std::string> bereichOZ_;
  std::vector<std::size_t> bereichZeile_;
  std::vector<Bereichsposten> bereichPosten_;
  Art art_ = Art::Sonst, postenArt_ = Art::Sonst;
  int artTiefe_ = -1;
  std::size_t posten_ = 0, teil_ = 0;
  int teile_ = 0;
};

}  // namespace gaeb::readers
