// The positions of a document opened for an output, read from the database a
// page at a time.
//
// Opening walks the stored rows once in document order and computes the
// document on the way (Rechenlauf): what it computes for each row is kept,
// 24 bytes a row, and the rows themselves are dropped. The output then walks
// the positions again; each is read back with its page, gets its computed
// values and whatever the owner applies after loading (the output currency),
// and stays while its page is one of the two last used. So an output of a
// bill of any size holds two pages of rows, not the bill.
//
// A value set on a row lives as long as its page: a row read again after its
// page was dropped comes back as stored and computed. The outputs walk the
// positions forward and set only values of the row they write, which they do
// not read again once they have moved on.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "host/berechnung.h"
#include "host/dokument.h"

namespace gaeb::host {

class Positionsfenster {
 public:
  static constexpr std::int32_t kSeite = 1024;  // rows per page

  // Reads and computes the positions of the stored document d names, calls
  // jede for every row as it goes by (with the fields of Rechenlauf::kFelder
  // read, no others), and sets d's totals rows.
  Positionsfenster(Verbindung& v, Dokument& d, const std::function<void(const Satz&)>& jede);

  std::int32_t Anzahl() const { return static_cast<std::int32_t>(berechnet_.size()); }
  // The row at index (0 <= index < Anzahl()); valid until the next call.
  Satz& Zeile(std::int32_t index);
  // One field of the row at index. While the row's page is not in memory, a
  // field of kKurz comes from a page of those fields alone, which is read far
  // faster: a walk that looks only at kinds and amounts reads no texts. A
  // walk that read the whole rows of the page before gets whole rows.
  Variant Feld(std::int32_t index, std::string_view name);
  static constexpr std::string_view kKurz[] = {
      "Positionstyp", "Menge", "Einzelpreis", "Preiseinheit", "Gesamtpreis", "WelcherBetragZuAbschlag",
      "AufAbschlagProzent", "Alternativposition", "Bedarfsposition", "FürSummenspeicher1", "HierarchieEbene",
      "Materialpreis", "Lohnpreis", "Rabattbetrag", "KnzVbSb"};
  // Applied to every row read from now on, after its computed values, and at
  // once to the rows in memory.
  void NachLaden(std::function<void(Satz&)> f);
  // Every row, as the walk would read it; the rows in memory as they are now.
  std::vector<Satz> Alle();

 private:
  struct Berechnet {
    double gesamtpreis = 0.0, einzelpreis = 0.0;
    std::int16_t ebene = 0;
    std::uint8_t gesetzt = 0;  // bit per Rechenfeld
  };
  struct Seite {
    std::int32_t nummer = -1;
    std::vector<Satz> zeilen;
  };
  void Lade(Seite& seite, std::int32_t nummer, std::span<const std::string_view> nur = {});
  void Bereite(Satz& zeile, std::int32_t index) const;

  Verbindung& v_;
  std::int16_t belegart_;
  std::int32_t belegnummer_;
  std::vector<Berechnet> berechnet_;
  std::vector<std::int32_t> seitenanfang_;  // stored row number of each page's first row
  Seite seiten_[2];
  Seite kurz_;  // a page of the fields of kKurz
  int zuletzt_ = 0;  // the page used last
  std::function<void(Satz&)> nachLaden_;
};

}  // namespace gaeb::host
