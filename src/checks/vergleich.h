// Bills compared item by item: the differences between two editions of a bill
// (gaeb diff) and the checks of a bid against its tender (gaeb check-bid).
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "checks/belegdatei.h"
#include "host/dokument.h"

namespace gaeb::checks {

// One difference. art, in a diff: "neu" (only in B), "entfernt" (only in A),
// "geändert" (a field of an item or category), "Summe" (the total of a
// category, or of the bill when oz is empty), "Kopf" (a header field); in a
// check of a bid: the name of the rule it breaks.
struct Unterschied {
  std::string art;
  std::string oz;     // the item or category; empty for the bill as a whole
  std::string feld;   // what differs ("Menge", "Einheit", "Einheitspreis", ...)
  std::string alt;    // the value in A (the tender)
  std::string neu;    // the value in B (the bid)
};

// The differences of b against a: items (positions and package heads) and
// package parts by OZ (added, removed, changed in kind, quantity, unit, unit
// price, price unit, short or long text, the marks of optional, alternative
// and lump-sum items), categories by OZ (label, total), the bill total and
// the header (LV name, project, client, currency). Texts are compared word by
// word: line breaks and runs of blanks do not count.
std::vector<Unterschied> VergleicheBelege(const host::Dokument& a, const host::Dokument& b);

// Whether a bid answers its tender: the bid has data type 84 ("datenart"),
// the same items by OZ ("fehlt", "zusätzlich"), the same quantities and
// units ("menge", "einheit"; a bid that states no units, as GAEB 90 bids
// do, is not checked for them), a unit price for every item ("preis-fehlt"),
// and each item total of the file is quantity x unit price / price unit
// rounded to cents ("gesamtpreis").
std::vector<Unterschied> PrüfeAngebot(const Belegdatei& angebot, const host::Dokument& lv);

// One line of text: art, OZ, field and the two values.
std::string AlsText(const Unterschied& u);
nlohmann::ordered_json AlsJson(const std::vector<Unterschied>& liste);

// The client of a bill: the client information, else the header's, else
// the name of the client's address.
std::string Auftraggeber(const host::Dokument& d);

// Amounts and quantities as the lists print them ("1.234,50", "12,000").
std::string Betrag(double wert);
std::string Mengentext(double wert);

}  // namespace gaeb::checks
