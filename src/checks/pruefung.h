// gaeb validate: the rules a GAEB file can be checked against without another
// program. Each format has its own pass over the raw file (pruefung_xml.cpp,
// pruefung_g90.cpp, pruefung_g2000.cpp) that reports what breaks the format's
// own rules and builds the bill's totals tree; the rules every format shares
// (totals, OZ breakdown, widths) run on that tree here. The file is also read
// by the host's reader: a file the reader refuses is unreadable, whatever the
// passes found.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "readers/gaebleser.h"

namespace gaeb::checks {

// A finding. rule: the stable name of the rule it breaks (docs/cli.md lists
// them); line: 1-based line of the file, 0 when it concerns the whole file;
// path: for GAEB DA XML the element ("/GAEB/Award/BoQ/BoQBody/BoQCtgy[2]"),
// else empty. A note (hinweis) is reported but is no fault of the file.
struct Befund {
  std::string regel;
  std::size_t zeile = 0;
  std::string pfad;
  std::string text;
  bool hinweis = false;
};

// What validate found. schema: "checked" (the file was checked against
// schemadatei), "not found" (no schema for its version and data type),
// "unusable" (the schema file could not be loaded), "not applicable" (no XML).
struct Prüfbericht {
  std::string datei;
  readers::Gaebformat format = readers::Gaebformat::Unbekannt;
  std::string version;
  int datenart = 0;
  std::string schema = "not applicable";
  std::string schemadatei;
  std::vector<Befund> befunde;
  bool lesbar = true;       // false: missing, no GAEB file, or refused by the reader
  std::string lesefehler;   // then the reason, as the reader gives it
  std::size_t Fehler() const;  // findings that are not notes
};

// Checks the file. schemaordner: where the GAEB DA XML schemas are looked for
// (empty: none). programmverzeichnis: where the converter library lies (the
// reader converts the texts). Never throws for anything in the file.
Prüfbericht PrüfeDatei(const std::string& pfad, const std::string& schemaordner,
                       const std::string& programmverzeichnis);

// "FILE:LINE: rule: message" per finding ("FILE: rule: ..." without a line).
std::string AlsText(const Prüfbericht& b, const Befund& x);
// {file, format, version, dataType, schema, readable, findings: [{rule, severity, line, path, message}]}.
nlohmann::ordered_json AlsJson(const Prüfbericht& b);

// ---- for the passes of the formats ----

// Collects findings; after kHöchstensJeRegel findings of one rule the rest is
// only counted and reported in one last finding of that rule.
class Befundliste {
 public:
  static constexpr std::size_t kHöchstensJeRegel = 50;
  void Neu(std::string_view regel, std::size_t zeile, std::string pfad, std::string text, bool hinweis = false);
  // Whether the next finding of the rule is still kept (else its details need not be worked out).
  bool Nimmt(std::string_view regel) const;
  // Moves the findings out, with one line per rule that was cut short.
  std::vector<Befund> Ende();

 private:
  std::vector<Befund> befunde_;
  std::map<std::string, std::size_t, std::less<>> anzahl_;
};

// One node of a bill's totals: the bill, a category, an item, or an item
// surcharge (a surcharge or discount row inside a category). Amounts as the
// file states them; what the file leaves out stays empty.
struct Summenknoten {
  enum class Art { Lv, Bereich, Posten, Zuschlag };
  Art art = Art::Posten;
  std::string oz;
  std::size_t zeile = 0;
  std::string pfad;
  std::optional<double> summe;  // category or bill: stated total (before its discount); item: its total
  std::optional<double> menge, preis;
  double preiseinheit = 1;
  bool alternativ = false;       // an alternative item
  bool bedarfOhneSumme = false;  // a contingency item without total amount
  bool ohnePrüfung = false;      // the item's total is not quantity x price (a discount of its own)
  // A category or the bill after its own surcharge or discount, and the bill's
  // VAT and gross total.
  std::optional<double> nachlassProzent, nachlassBetrag, summeNachNachlass, mwst, brutto;
  std::vector<Summenknoten> kinder;
};

// The breakdown of the OZ: lengths of the category levels (outermost first),
// of the item number and of the index; empty or 0 where the file gives none.
struct Ozgliederung {
  std::vector<int> stufen;
  int position = 0;
  int index = 0;
  bool bekannt = false;
};

// The rules on totals: total-item (quantity x unit price / price unit, within
// 0.01), total-category (the counted children, within 0.01 per item) and
// total-bill (the same for the bill; its total after discount and gross total).
// datenart 84: a bid carries no marks of alternative and contingency items, so
// a category total below the sum of its items is no finding.
void PrüfeSummen(const Summenknoten& lv, int datenart, Befundliste& befunde);

// Whether an item or item surcharge counts in the totals of its category and
// of the bill, by the rule the host computes its totals with.
bool ZähltInSumme(const Summenknoten& k);

// Integer digits of a number as written ("-1234.50" -> 4); 0 for no digits.
int Vorkommastellen(std::string_view zahl);

// The passes of the formats: findings into bericht.befunde (through liste),
// the totals tree into lv.
void PrüfeXml(const std::string& pfad, const std::string& schemaordner, Prüfbericht& bericht, Befundliste& liste);
void PrüfeGaeb90(std::string_view daten, Prüfbericht& bericht, Befundliste& liste);
void PrüfeGaeb2000(std::string_view daten, Prüfbericht& bericht, Befundliste& liste);

}  // namespace gaeb::checks
