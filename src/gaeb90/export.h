// The GAEB 90 export of a bill of quantities (data types 81 to 86): one
// object per export call. The driver locks the document, walks its positions
// in order, lets the record writers turn each into fixed-column records, writes
// the sums and end records, closes the file and unlocks the document. The
// record layout is documented in gaeb90/satzaufbau.h.
//
// State of the call (line buffer, counters, open sections, the bill's totals)
// lives in this object and starts fresh with it; what outlives the call (the
// position record, the separator, the company address) is in the Kontext.
// Every procedure reports its own failures through Fehlermeldung and returns;
// no exception leaves a public member.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"
#include "base/zeilendatei.h"
#include "base/zieldatei.h"
#include "core/ausgabeoptionen.h"
#include "core/kontext.h"
#include "export/exportzustand.h"

namespace gaeb::gaeb90 {

// The text of a text record split into the pieces its records carry: "''"
// made "'" (when bereinigen), CR LF appended, cut at every line break, each
// line longer than breite cut into pieces of breite characters. An empty text
// gives one empty piece.
class Textzeilen {
 public:
  Textzeilen(std::string text, std::size_t breite, bool bereinigen);

  std::size_t Anzahl() const { return stücke_.size(); }
  std::string_view Stück(std::size_t i) const {
    return std::string_view(text_).substr(stücke_[i].anfang, stücke_[i].bytes);
  }
  // Characters of piece i (at most breite).
  std::size_t Zeichen(std::size_t i) const { return stücke_[i].zeichen; }

 private:
  struct Bereich {
    std::size_t anfang, bytes, zeichen;
  };
  std::string text_;
  std::vector<Bereich> stücke_;
};

class Export : public Exportzustand {
 public:
  // ziel: where the lines go instead of the file named by the call (borrowed;
  // tests and benchmarks write into memory). Null: the call's file.
  explicit Export(Kontext& k, Ausgabe* ziel = nullptr);

  // Writes document (belegart, belegnummer) as data type tmpDatenphase into
  // tmpPfadDatei. True when the file was written to the end; False when the
  // document could not be locked, is not kept in a currency that can be
  // written, the data type is refused or the host cancelled.
  bool Ausgabe_BelegdatenDA90(std::int16_t belegart, std::int32_t belegnummer, const std::string& tmpPfadDatei,
                              std::int16_t tmpDatenphase, const Ausgabeoptionen& optionen);

  // The line writer: the first 74 characters of the line buffer in code page
  // 850 and the next line number, then CR LF; empties the buffer. False when
  // the line could not be written (reported as "Ausgabe_Zeile").
  bool Ausgabe_Zeile();
  std::string& Zeilenpuffer() { return m_Zeilenpuffer; }

  // Header records, written once while the header is still open.
  bool Ausgabe_ZA00_ZA08();
  bool Ausgabe_ZA00();
  bool Ausgabe_ZA01();
  bool Ausgabe_ZA02();
  bool Ausgabe_ZA03();
  bool Ausgabe_ZA04();
  bool Ausgabe_ZA06();
  bool Ausgabe_ZA07();
  bool Ausgabe_ZA08();

  // Section records of the current position; the level code is its kind
  // (20 level 1 or lot, 21 level 2, 22 level 3).
  bool Ausgabe_ZA10(std::int16_t ebenencode);
  bool Ausgabe_ZA11(std::int16_t ebenencode);
  bool Ausgabe_ZA12();

  // Position and text records of the current position.
  bool Ausgabe_ZA21();
  bool Ausgabe_ZA22();
  bool Ausgabe_ZA23();
  bool Ausgabe_ZA23Z();
  bool Ausgabe_ZA24();
  bool Ausgabe_ZA30();
  bool Ausgabe_ZA25();
  bool Ausgabe_ZA26L();
  bool Ausgabe_ZA26H();
  // Preamble or closing text as T0, T1 ..., T9.
  bool Ausgabe_ZAT1(std::string& text);

  // Sum records. label: the section's OZ field (the lot number for 33);
  // nothing is written for an empty label. The surcharge values are 0 when a
  // section simply ends.
  bool Ausgabe_ZA31(const std::string& label);
  bool Ausgabe_ZA32(const std::string& label, double& betrag, double prozent, double wert, std::int16_t ebenencode,
                    std::int16_t positionsart);
  bool Ausgabe_ZA33(const std::string& label, double& betrag, double prozent, double wert, std::int16_t ebenencode,
                    std::int16_t positionsart);
  // End record of the current closing row; the first call also closes the
  // open sections and carries the bill's totals. Its last field is the number
  // of positions written so far (AnzahlLeistungen), at most 99,999: a larger
  // one is refused with the overflow message and the record is not written.
  bool Ausgabe_ZA99();
  std::int32_t& AnzahlLeistungen() { return m_AnzahlLeistungen; }

 private:
  // Walk and closing of the driver.
  void Ausgabe_Position();
  void Ausgabe_Zuschlag(std::int16_t art);
  void Ausgabe_Schluss();
  // Closing of the open section of level 1, 2 or 3: its sum records, then the
  // label is emptied.
  void Schließe_Bereich(int ebene);

  // Runs a record writer: a failure is reported under its name, the record
  // being built is dropped and the export goes on.
  template <typename Rumpf>
  bool Satz(std::string_view prozedur, Rumpf&& body);

  // Fields of the current position, the header and the current closing row.
  Variant Pos(std::string_view feld) const;
  Variant Kopf(std::string_view feld) const;
  bool MitLos() const;

  // Field formatting (see satzaufbau.h). F puts its text on one line first:
  // a line break becomes one blank.
  std::string F(const std::string& text, std::size_t breite) const;
  std::string N(double wert, std::string_view maske) const;
  static std::string Vorzeichen(double wert) { return wert < 0 ? "-" : " "; }
  std::string Faktor7(double prozent) const;
  // The price columns shared by records 22 and 23: signed unit price, a
  // blank, signed total, then the signed quantity when the bidder fills it
  // in (free quantity), else 12 blanks.
  std::string Preisspalten(double einzelpreis, double gesamt) const;
  std::string OZ9() const;

  // Writes one record per piece of a split text: kopf, the piece filled with
  // blanks to breite, then blanks to the end of the record.
  void Schreibe_Textzeilen(const Textzeilen& zeilen, std::string_view kopf, std::size_t breite);
  // Appends piece i, filled with blanks to the field width it was cut for.
  static void Hänge_Stück_An(std::string& z, const Textzeilen& zeilen, std::size_t i, std::size_t breite);

  Kontext& k_;
  Ausgabe* m_Datei;

  // Line state.
  std::string m_Zeilenpuffer;
  std::string m_Bytes;  // the line in code page 850, reused

  // Positions written (kinds 40 and 45); counted in 32 bits so that large
  // bills count right, and mirrored into the 16-bit AnzahlLeistungen.
  std::int32_t m_AnzahlLeistungen = 0;
};

template <typename Rumpf>
bool Export::Satz(std::string_view prozedur, Rumpf&& body) {
  bool ok = false;
  Geschützt(k_, prozedur, [&] {
    body();
    ok = true;
  });
  if (!ok) m_Zeilenpuffer.clear();
  return ok;
}

// Export of a GAEB 90 bill (data types 81 to 86) through a fresh Export.
// Data types 11 and 12 write the quantity calculation of gaeb90/reb.h from
// the results in AnzArrayERGString (one row per piece before the last "|").
bool Ausgabe_BelegdatenDA90(Kontext& k, std::int16_t belegart, std::int32_t belegnummer,
                            const std::string& tmpPfadDatei, std::int16_t tmpDatenphase,
                            const Ausgabeoptionen& optionen);

// A text cut at every line break (CR LF, or a lone CR or LF) into all its
// lines, the last one included: "a" gives {"a"}, "a\r\n" gives {"a", ""}.
std::vector<std::string> Zeilen(const std::string& text);

}  // namespace gaeb::gaeb90
