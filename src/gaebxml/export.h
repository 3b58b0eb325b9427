// The GAEB DA XML export: one document of the host written as a GAEB DA XML
// 3.1 file. The file is built as a libxml2 tree, element by element, and
// written while it grows (strom.h): after every row what is final is written
// as UTF-8 with the XML declaration and indentation and freed.
//
// An Export object is made for one call of Ausgabe_BelegdatenDAXML and holds
// everything of that call: options, open flags, the element counter, the open
// categories, the bill's totals and the tree's open part. Its writers are member
// functions under the names the component documents; they live in four files:
//   export.cpp      driver and header (GAEBInfo, PrjInfo, Award, AwardInfo, OWN, CTR)
//   strom.cpp       the file written while the tree grows
//   lv.cpp          BoQ, BoQInfo, BoQBkdn, BoQBody, BoQCtgy, Itemlist, totals
//   positionen.cpp  Item, MarkupItem, SubDescr, Product, Article
//   texte.cpp       converted texts, bidder texts, AddText, Remark
// Every element lies in the GAEB namespace (the root's default namespace).
// A writer that fails reports under its own name and returns what it has
// created so far; the export goes on, and the call answers False at the end.
#pragma once

#include <libxml/tree.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ausgabeoptionen.h"
#include "core/kontext.h"
#include "export/exportzustand.h"

namespace gaeb::gaebxml {

// Namespace of GAEB DA XML 3.1 (the schema's target namespace).
inline constexpr const char* kGaebNamensraum = "http://www.gaeb.de/GAEB_DA_XML/200407";

// value with mask, every "," replaced by ".": GAEB XML takes a decimal point
// whatever the regional settings say.
std::string ZahlXML(double wert, std::string_view maske);

// The masks of the file.
inline constexpr std::string_view kMaskeBetrag = "##########0.00;-##########0.00;0.00";
inline constexpr std::string_view kMaskeProzent = "##0.00;-##0.00;0.00";
inline constexpr std::string_view kMaskeMenge = "#######0.000;-#######0.000;0.000";
inline constexpr std::string_view kMaskeEinheitspreis = "########0.00;-########0.00;0.00";

// The text of one converted bidder gap reduced to its TextComplement element,
// without ComplCaption and ComplTail (empty or not, short or long form).
// Empty in, empty out.
std::string BieterTextMod(const std::string& s);

class Export : public Exportzustand {
 public:
  // k must outlive the object; the options are copied.
  Export(Kontext& k, const Ausgabeoptionen& optionen);
  ~Export();
  Export(const Export&) = delete;
  Export& operator=(const Export&) = delete;

  // Writes document (belegart, belegnummer) as GAEB DA XML into tmpPfadDatei.
  // True when the file was written completely; False when the data phase is
  // refused (11, 12), the document cannot be locked or is not kept in a
  // currency the output can use (nothing written then), the user cancelled
  // (the partial file is saved at the target) or a writer failed (reported,
  // the rest of the file is still written). Never throws.
  bool Ausgabe_BelegdatenDAXML(std::int16_t belegart, std::int32_t belegnummer, const std::string& tmpPfadDatei,
                               std::int16_t tmpDatenphase) noexcept;

  // --- Header (export.cpp); each returns the element it created, or null ---
  xmlNodePtr Ausgabe_VorlaufDAXML(xmlDocPtr doc, xmlNodePtr root);
  xmlNodePtr Ausgabe_GAEBINFOXML(xmlDocPtr doc, xmlNodePtr root);
  xmlNodePtr Ausgabe_PRJINFOXML(xmlDocPtr doc, xmlNodePtr root);
  xmlNodePtr Ausgabe_AWARDXML(xmlDocPtr doc, xmlNodePtr root);
  xmlNodePtr Ausgabe_AWARDINFOXML(xmlDocPtr doc, xmlNodePtr award);
  xmlNodePtr Ausgabe_OWNXML(xmlDocPtr doc, xmlNodePtr award);
  xmlNodePtr Ausgabe_ADDRESSAGXML(xmlDocPtr doc, xmlNodePtr own);
  xmlNodePtr Ausgabe_CTRXML(xmlDocPtr doc, xmlNodePtr award);
  xmlNodePtr Ausgabe_ADDRESSANXML(xmlDocPtr doc, xmlNodePtr ctr);

  // --- Bill structure (lv.cpp) ---
  xmlNodePtr Ausgabe_BOQXML(xmlDocPtr doc, xmlNodePtr award);
  xmlNodePtr Ausgabe_BOQINFOXML(xmlDocPtr doc, xmlNodePtr boq);
  xmlNodePtr Ausgabe_BOQBKDNXML(xmlDocPtr doc, xmlNodePtr boqInfo);
  xmlNodePtr Ausgabe_TOTALSXML(xmlDocPtr doc, xmlNodePtr boqInfo);
  xmlNodePtr Ausgabe_BOQBODYXML(xmlDocPtr doc, xmlNodePtr parent);
  // art 20, 21, 22; ebene 1, 2, 3.
  xmlNodePtr Ausgabe_BOQCTGYXMLXML(xmlDocPtr doc, xmlNodePtr body, std::int16_t art, std::int16_t ebene);
  xmlNodePtr Ausgabe_ITEMLISTXML(xmlDocPtr doc, xmlNodePtr body);
  // Totals of a category from the host's own total; empties oz.
  xmlNodePtr Ausgabe_BOQCTGYTOTALSLVXML(xmlDocPtr doc, xmlNodePtr ctgy, std::string& oz, double summe);
  xmlNodePtr Ausgabe_BOQTOTALSUPDXML(xmlDocPtr doc, xmlNodePtr totals);
  // The last part of an ordinal number; "1" for an empty one.
  std::string RNoPartV(const std::string& oz);

  // --- Items (positionen.cpp) ---
  xmlNodePtr Ausgabe_ITEMTXML(xmlDocPtr doc, xmlNodePtr itemlist);
  xmlNodePtr Ausgabe_MARKUPITEMXML(xmlDocPtr doc, xmlNodePtr itemlist);
  xmlNodePtr Ausgabe_SUBDESCRXML(xmlDocPtr doc, xmlNodePtr item, std::int32_t nummer);
  xmlNodePtr Ausgabe_PRODUCTXML(xmlDocPtr doc, xmlNodePtr item);
  xmlNodePtr Ausgabe_ARTICLEXML(xmlDocPtr doc, xmlNodePtr product);
  // Part teil (4 item, 5 index) of ordinal number oz by OZStufen.
  std::string Zerlege_RNoPart(const std::string& oz, int teil);

  // --- Texts (texte.cpp) ---
  void Ausgabe_TEXTRTFXML(xmlDocPtr doc, xmlNodePtr parent, const std::string& text, const std::string& rtf,
                          const std::string& modus, const std::string& text2 = {}, const std::string& rtf2 = {});
  bool Prüfen_TEXTRTFXMLTB(const std::string& text, const std::string& rtf, const std::string& modus,
                           const std::string& marke);
  void Ausgabe_TEXTRTFXMLTB(xmlDocPtr doc, xmlNodePtr parent, const std::string& text, const std::string& rtf,
                            const std::string& modus, const std::string& marke, const std::string& kennNr);
  xmlNodePtr Ausgabe_ADDTEXTXML(xmlDocPtr doc, xmlNodePtr parent);
  xmlNodePtr Ausgabe_REMARKXML(xmlDocPtr doc, xmlNodePtr parent);

  // --- State of the call ---
  bool m_BoQOffen = true;
  bool m_BoQBodyOffen = true;
  bool m_BoQCtgyOffen = true;
  bool m_ItemlistOffen = true;
  std::int32_t m_Elementzähler = 0;
  bool m_MitPreisanteilen = false;
  std::string AusgabeZeichensatz = "ANSI";
  std::vector<std::string> m_OZTeile;  // the document's OZ format string split at the separator

 private:
  // Text preparation and description of items, markup items and
  // sub-descriptions (mitZusatz: the extra text under the print rule).
  void Beschreibung(xmlDocPtr doc, xmlNodePtr parent, bool mitZusatz);
  // The bid form of a description: marked texts only.
  void Bieterbeschreibung(xmlDocPtr doc, xmlNodePtr parent);
  // A child element in the GAEB namespace, with text when not null.
  xmlNodePtr Kind(xmlNodePtr parent, const char* name, const std::string* text = nullptr);
  xmlNodePtr Kind(xmlNodePtr parent, const char* name, const std::string& text) { return Kind(parent, name, &text); }
  // Sets attribute ID to the next element number.
  void NeueID(xmlNodePtr element);
  // Appends the fragment of xml to parent in the GAEB namespace; false when
  // xml does not parse.
  bool HängeAn(xmlNodePtr parent, const std::string& xml);
  // Reports a writer's error and marks the file incomplete.
  void Fehler(std::string_view prozedur);
  template <typename F>
  xmlNodePtr Schreiber(std::string_view prozedur, F&& body);

  Belegposition& Position();
  std::string PS(std::string_view feld);
  double PD(std::string_view feld);
  std::int16_t PI(std::string_view feld);
  bool PB(std::string_view feld);
  Datensatz& Kopf();
  std::string KS(std::string_view feld);
  bool DP84() const;

  Kontext& k_;
  bool fehler_ = false;  // a writer failed: the file is not complete
  xmlDocPtr doc_ = nullptr;
  xmlNsPtr ns_ = nullptr;
  xmlNodePtr root_ = nullptr, award_ = nullptr, boq_ = nullptr, totals_ = nullptr, body_ = nullptr;
  std::array<xmlNodePtr, 4> eltern_{};  // remembered parent bodies of levels 1 to 3
  xmlNodePtr itemlist_ = nullptr, letztesItem_ = nullptr;
};

template <typename F>
xmlNodePtr Export::Schreiber(std::string_view prozedur, F&& body) {
  xmlNodePtr ergebnis = nullptr;
  try {
    body(ergebnis);
  } catch (...) {
    Fehler(prozedur);
  }
  return ergebnis;
}

// Split as the host's runtime does it: an empty text gives no part, an empty
// separator the whole text as one part.
std::vector<std::string> Teile(const std::string& s, const std::string& trenner);

// Runs one export with a fresh Export object.
bool Ausgabe_BelegdatenDAXML(Kontext& k, std::int16_t belegart, std::int32_t belegnummer,
                             const std::string& tmpPfadDatei, std::int16_t tmpDatenphase,
                             const Ausgabeoptionen& optionen) noexcept;

}  // namespace gaeb::gaebxml
