// The export state the three exports share: the option members of one call,
// the open structure areas of levels 1 to 3 and the memory of the bill's
// totals. Each export object derives from it, so a fresh export starts from
// the defaults below.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/ausgabeoptionen.h"

namespace gaeb {

// The bill's totals as the walk finds them. A discount or surcharge on the
// whole bill sets Summe to its negated amount and keeps its percentage,
// amount and kinds; the closing totals rows (kind 90) then fill in the net,
// gross and VAT values.
struct LVSummenspeicher {
  double Summe = 0;
  double Nachlassbetrag = 0;  // the total before the discount, once one was applied
  double SummeBrutto = 0;
  double UST = 0;             // percent
  double NachlassProz = 0;    // percent
  double NachlassAbs = 0;
  std::int16_t NachlassUnterart = 0;      // sub-kind of the discount row
  std::int16_t NachlassPositionsart = 0;  // kind of the discount row
};

class Belegdaten;

// The bill's totals of the document open for output: the last surcharge or
// discount on the whole bill, then the closing totals rows, as the exports
// write them in the bill's information block before its items. Moves the
// current position and closing row.
LVSummenspeicher LVSummen(Belegdaten& b);

struct Exportzustand {
  Exportzustand() = default;
  explicit Exportzustand(const Ausgabeoptionen& o)
      : m_MitPreise(o.chkMitPreise),
        m_PaketAlsLeistung(o.chkPaketalsLeistung),
        m_AusgabeLandeswährung(o.AusgabeLandeswährung),
        m_MitZeiten(o.chkMitZeiten),
        m_MitRTF(o.chkMitRTFAusgabe),
        m_MitArtikelnummer(o.chkMitArtikelnummerAusgabe) {}

  // Options of the call.
  bool m_MitPreise = false;
  bool m_PaketAlsLeistung = false;
  bool m_AusgabeLandeswährung = false;
  bool m_MitZeiten = false;
  bool m_MitRTF = false;
  bool m_MitArtikelnummer = false;

  // True while the file header is still due.
  bool m_VorlaufOffen = false;
  // Open areas of levels 1 to 3 (index 0 unused): ordinal-number key (empty:
  // none open) and the area's host total.
  std::array<std::string, 4> m_BereichOZ{};
  std::array<double, 4> m_BereichSumme{};
  std::int32_t m_UnterbeschreibungNr = 0;
  std::string m_LetzteOZ;
  LVSummenspeicher m_LVSummenspeicher;
};

}  // namespace gaeb
