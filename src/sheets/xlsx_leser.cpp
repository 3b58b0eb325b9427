// Reads the first sheet of an XLSX file: the archive opened with libzip, the
// workbook, its relations, the shared strings and the sheet streamed through
// libxml2's reader straight out of the archive. Cells are numbers, shared or
// inline texts, formula results or error values; a formula is never
// evaluated, its last computed value is what the cell holds.
#include <libxml/xmlreader.h>
#include <zip.h>

#include <charconv>
#include <cstring>
#include <map>
#include <memory>

#include "base/fehler.h"
#include "sheets/blatt.h"

namespace gaeb::sheets {

namespace {

[[noreturn]] void KeinXlsx(const std::string& datei, const std::string& grund) {
  throw Fehler(kFehlerTypen, datei + " ist keine XLSX-Datei: " + grund);
}

struct Archiv {
  zip_t* zip = nullptr;
  ~Archiv() {
    if (zip != nullptr) zip_discard(zip);
  }
};

// libxml2's reader on one entry of the archive, read as it is parsed.
class Teilleser {
 public:
  Teilleser(zip_t* zip, const std::string& name, const std::string& datei) : name_(name), datei_(datei) {
    datei_im_zip_ = zip_fopen(zip, name.c_str(), 0);
    if (datei_im_zip_ == nullptr) return;
    leser_ = xmlReaderForIO(&Teilleser::Lies, nullptr, this, name.c_str(), nullptr,
                            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
  }
  ~Teilleser() {
    if (leser_ != nullptr) xmlFreeTextReader(leser_);
    if (datei_im_zip_ != nullptr) zip_fclose(datei_im_zip_);
  }
  bool Da() const { return leser_ != nullptr; }

  // Next node; false at the end. A broken part makes the file no XLSX.
  bool Weiter() {
    int r = xmlTextReaderRead(leser_);
    if (r < 0) KeinXlsx(datei_, name_ + " ist kein wohlgeformtes XML");
    return r == 1;
  }
  bool Start(const char* lokalname) const {
    return xmlTextReaderNodeType(leser_) == XML_READER_TYPE_ELEMENT && Name() == lokalname;
  }
  bool Ende(const char* lokalname) const {
    return xmlTextReaderNodeType(leser_) == XML_READER_TYPE_END_ELEMENT && Name() == lokalname;
  }
  bool Leer() const { return xmlTextReaderIsEmptyElement(leser_) == 1; }
  std::string Name() const { return Text(xmlTextReaderConstLocalName(leser_)); }
  std::string Attribut(const char* name) const {
    xmlChar* w = xmlTextReaderGetAttribute(leser_, reinterpret_cast<const xmlChar*>(name));
    std::string s = Text(w);
    xmlFree(w);
    return s;
  }
  // Attribute by local name in any namespace (r:id).
  std::string AttributLokal(const char* name) const {
    std::string s;
    while (xmlTextReaderMoveToNextAttribute(leser_) == 1)
      if (Text(xmlTextReaderConstLocalName(leser_)) == name) s = Text(xmlTextReaderConstValue(leser_));
    xmlTextReaderMoveToElement(leser_);
    return s;
  }
  // The text content up to the end of the current element (which it leaves the reader on).
  std::string Inhalt(const char* lokalname) {
    std::string s;
    if (Leer()) return s;
    while (Weiter() && !Ende(lokalname)) {
      int typ = xmlTextReaderNodeType(leser_);
      if (typ == XML_READER_TYPE_TEXT || typ == XML_READER_TYPE_SIGNIFICANT_WHITESPACE ||
          typ == XML_READER_TYPE_CDATA)
        s += Text(xmlTextReaderConstValue(leser_));
    }
    return s;
  }

 private:
  static std::string Text(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : ""; }
  static int Lies(void* selbst, char* puffer, int länge) {
    zip_int64_t n = zip_fread(static_cast<Teilleser*>(selbst)->datei_im_zip_, puffer, static_cast<zip_uint64_t>(länge));
    return n < 0 ? -1 : static_cast<int>(n);
  }

  std::string name_, datei_;
  zip_file_t* datei_im_zip_ = nullptr;
  xmlTextReaderPtr leser_ = nullptr;
};

// Text of a string item (<si> or <is>): its <t> elements, phonetic runs left out.
std::string Textelement(Teilleser& l, const char* hülle) {
  std::string s;
  if (l.Leer()) return s;
  int phonetisch = 0;
  while (l.Weiter() && !l.Ende(hülle)) {
    if (l.Start("rPh") && !l.Leer()) ++phonetisch;
    else if (l.Ende("rPh")) --phonetisch;
    else if (l.Start("t") && phonetisch == 0) s += l.Inhalt("t");
  }
  return s;
}

// "../x" and "/xl/x" against the folder "xl/".
std::string Ziel(const std::string& ziel) {
  if (ziel.starts_with("/")) return ziel.substr(1);
  return "xl/" + ziel;
}

// Column and row of a reference "AB12" (0-based column, 1-based row); false when it is none.
bool Bezug(const std::string& r, int& spalte, std::size_t& zeile) {
  std::size_t i = 0;
  int s = 0;
  while (i < r.size() && r[i] >= 'A' && r[i] <= 'Z' && i < 3) s = s * 26 + (r[i++] - 'A' + 1);
  if (i == 0) return false;
  auto [p, ec] = std::from_chars(r.data() + i, r.data() + r.size(), zeile);
  if (ec != std::errc() || p != r.data() + r.size() || zeile == 0) return false;
  spalte = s - 1;
  return true;
}

}  // namespace

Tabelle LeseXlsx(const std::string& datei) {
  Archiv a;
  int fehler = 0;
  a.zip = zip_open(datei.c_str(), ZIP_RDONLY, &fehler);
  if (a.zip == nullptr) {
    if (fehler == ZIP_ER_OPEN || fehler == ZIP_ER_READ || fehler == ZIP_ER_NOENT) throw Fehler(kFehlerDatei, datei + " kann nicht gelesen werden");
    KeinXlsx(datei, "kein ZIP-Archiv");
  }

  // The workbook names its first sheet by a relation id.
  std::string blattId;
  {
    Teilleser l(a.zip, "xl/workbook.xml", datei);
    if (!l.Da()) KeinXlsx(datei, "xl/workbook.xml fehlt");
    while (blattId.empty() && l.Weiter())
      if (l.Start("sheet")) blattId = l.AttributLokal("id");
  }
  if (blattId.empty()) KeinXlsx(datei, "die Arbeitsmappe hat kein Blatt");
  std::string blatt, texte;
  {
    Teilleser l(a.zip, "xl/_rels/workbook.xml.rels", datei);
    if (!l.Da()) KeinXlsx(datei, "xl/_rels/workbook.xml.rels fehlt");
    while (l.Weiter()) {
      if (!l.Start("Relationship")) continue;
      if (l.Attribut("Id") == blattId) blatt = Ziel(l.Attribut("Target"));
      if (l.Attribut("Type").ends_with("/sharedStrings")) texte = Ziel(l.Attribut("Target"));
    }
  }
  if (blatt.empty()) KeinXlsx(datei, "das erste Blatt ist nicht verzeichnet");

  std::vector<std::string> geteilt;
  if (!texte.empty()) {
    Teilleser l(a.zip, texte, datei);
    while (l.Da() && l.Weiter())
      if (l.Start("si")) geteilt.push_back(Textelement(l, "si"));
  }

  Tabellensammler t;
  Teilleser l(a.zip, blatt, datei);
  if (!l.Da()) KeinXlsx(datei, blatt + " fehlt");
  std::size_t zeilennummer = 0;
  int spalte = -1;
  while (l.Weiter()) {
    if (l.Start("row")) {
      std::string r = l.Attribut("r");
      std::size_t n = 0;
      if (r.empty() || std::from_chars(r.data(), r.data() + r.size(), n).ec != std::errc()) n = zeilennummer + 1;
      zeilennummer = n;
      spalte = -1;
      if (!l.Leer()) t.Zeile(n);
      continue;
    }
    if (!l.Start("c")) continue;
    std::size_t z = 0;
    int s = spalte + 1;
    if (std::string r = l.Attribut("r"); !r.empty() && !Bezug(r, s, z)) KeinXlsx(datei, "Zellbezug '" + r + "'");
    spalte = s;
    const std::string typ = l.Attribut("t");
    Lesezelle zelle;
    std::string wert;
    bool hatWert = false;
    if (!l.Leer()) {
      while (l.Weiter() && !l.Ende("c")) {
        if (l.Start("v")) {
          wert = l.Inhalt("v");
          hatWert = true;
        } else if (l.Start("f")) {
          zelle.formel = true;
          l.Inhalt("f");
        } else if (l.Start("is")) {
          wert = Textelement(l, "is");
          hatWert = true;
        }
      }
    }
    if (hatWert) {
      if (typ == "s") {
        std::size_t i = 0;
        auto [p, ec] = std::from_chars(wert.data(), wert.data() + wert.size(), i);
        if (ec != std::errc() || i >= geteilt.size()) KeinXlsx(datei, "Text Nr. " + wert + " fehlt");
        zelle.art = Lesezelle::Art::Text;
        zelle.text = geteilt[i];
      } else if (typ == "inlineStr" || typ == "str") {
        zelle.art = Lesezelle::Art::Text;
        zelle.text = wert;
      } else if (typ == "e") {
        zelle.art = Lesezelle::Art::Fehlerwert;
        zelle.text = wert;
      } else {
        // Numbers (and booleans as 0/1) in the file's own notation.
        const char* ende = wert.data() + wert.size();
        auto [p, ec] = std::from_chars(wert.data(), ende, zelle.zahl);
        if (ec != std::errc() || p != ende) KeinXlsx(datei, "der Wert '" + wert + "' ist keine Zahl");
        zelle.art = Lesezelle::Art::Zahl;
      }
      if (zelle.art == Lesezelle::Art::Text && zelle.text.empty()) zelle.art = Lesezelle::Art::Leer;
    }
    if (zelle.art == Lesezelle::Art::Leer && !zelle.formel) continue;
    t.Zelle(s, std::move(zelle));
  }
  return t.Ergebnis();
}

}  // namespace gaeb::sheets
