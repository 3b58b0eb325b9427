// The quantity calculations of a document after REB 23.003 (data type 11,
// 80-column lines counted by sheet and line letter, written in code page
// 1252) and REB 23.004 (data type 12, long lines in code page 850). The host
// hands the calculation as an array object: row 0 carries the header values
// (columns 1 to 19), every row after it one calculation or comment row:
//
//   column 0  row kind: 0 calculation, 1 comment, anything else writes nothing
//   column 3  sheet number, column 4 line letter (as the host numbered them)
//   column 5  ordinal number of the position the row belongs to
//   column 6  short designation (calculation) or comment text
//   column 7  quantity as text, "-" in front when negative
//   column 8  formula text
//   column 9  result of the row (data type 12 only)
//
// One object per export call; the line buffer and counters start fresh with
// it. Every writer reports its own failure through Fehlermeldung under its
// name and the export goes on; no exception leaves a public member.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/zeilendatei.h"
#include "base/zieldatei.h"
#include "core/kontext.h"
#include "core/mengen.h"

namespace gaeb::gaeb90 {

class Mengenberechnung {
 public:
  // ziel: where the lines go instead of the file named by the call (borrowed;
  // tests write into memory). Null: the call's file.
  explicit Mengenberechnung(Kontext& k, Ausgabe* ziel = nullptr);
  ~Mengenberechnung();

  // Writes the quantity calculation of document (pBelegart, pBelegnummer) in
  // AnzArrayERG as a DA11 or DA12 file at tmpPfadDatei. A document that is
  // not the current one of the document data object is opened and locked
  // first. True when the file was written to the end; False when the
  // document could not be locked, the host cancelled or an error stopped it.
  bool Ausgabe_BelegdatenDA90REB11(std::int16_t pBelegart, std::int32_t pBelegnummer, const std::string& tmpPfadDatei,
                                   XArrayDB& AnzArrayERG);
  bool Ausgabe_BelegdatenDA90REB12(std::int16_t pBelegart, std::int32_t pBelegnummer, const std::string& tmpPfadDatei,
                                   XArrayDB& AnzArrayERG);

  // Line writers. DA11: a line beginning with "00" goes out as its first 80
  // characters; every other line is counted (22 lines a sheet) and gets the
  // sheet number in columns 70-73, the line letter in 74, its own column 75
  // ("0" for a blank) and four blanks. DA12: the line as built, in code page
  // 850. Both add CR LF, empty the buffer and answer False when the line could
  // not be written.
  bool Ausgabe_ZeileDA90_REB11();
  bool Ausgabe_ZeileDA90_REB12();
  std::string& Zeilenpuffer() { return m_Zeilenpuffer; }
  // The document is current and locked already (the GAEB 90 driver did it);
  // the export then only unlocks it at its end.
  void BelegIstGesperrt() { m_BelegGesperrt = true; }

  // DA11 writers: header line, information block, subject block, the lines of
  // one array row.
  bool AusgabeDA90_REB11DA00();
  bool AusgabeDA90_REB11Vorlauf(XArrayDB& a);
  bool AusgabeDA90_REB11Betreff();
  bool AusgabeDA90_REB11(XArrayDB& a, std::int32_t r);

  // DA12 writers: header, project line, information block, the lines of one
  // array row, end line.
  bool AusgabeDA90_REB12DA00();
  bool AusgabeDA90_REB12ZA01();
  bool AusgabeDA90_REB12ZA02(XArrayDB& a);
  bool AusgabeDA90_REB12ZA20(XArrayDB& a, std::int32_t r);
  bool AusgabeDA90_REB12DA99();

  // The line letters of a DA11 sheet: index 0 empty, 1 to 22 "A" to "Z"
  // without I, J, O and S.
  static const std::array<std::string_view, 23> m_REBZeilenbuchstaben;

 private:
  // The frame both exports share: file, document, take-off, header lines,
  // rows with progress and cancel, end lines, unlock.
  bool Ausgabe_Rahmen(std::string_view prozedur, std::int16_t belegart, std::int32_t belegnummer,
                      const std::string& tmpPfadDatei, XArrayDB& a, const std::function<void()>& kopf,
                      const std::function<void(std::int32_t)>& zeile, const std::function<void()>& ende);
  // Makes the document current and locked unless it is the current one
  // already; false (with the message shown) when it cannot be locked.
  bool Öffne_Beleg(std::int16_t belegart, std::int32_t belegnummer);
  // Writes the line buffer through the line writer of the running export.
  bool Schreibe();

  std::string F(const std::string& text, std::size_t breite) const;
  // The document's project information as "Betreff   : " lines; the new text
  // is stored back into the document.
  std::vector<std::string> Betreffzeilen();
  // Column 19 of row 0 with CR LF appended (stored back), cut into its lines.
  std::vector<std::string> Textzeilen19(XArrayDB& a);
  std::string Kopfwert(std::string_view feld) const;

  Kontext& k_;
  Ausgabe* m_Datei;
  std::unique_ptr<Zieldatei> datei_;
  int m_Datenart = 11;
  std::string m_Zeilenpuffer;
  std::string m_Bytes;
  bool m_VorlaufOffen = false;
  bool m_BelegGesperrt = false;
  std::int16_t m_REBZeilenzähler = 0;
  std::int32_t m_AnzahlLeistungen = 0;
};

// Cuts formel into pieces of at most breite characters for the calculation
// lines: for kind 11 and 12 "^" is written "**" and blanks are dropped; "="
// is appended; a cut goes after the last " ", "+", "-", "*" or "/" within the
// width, or at the width when there is none. An empty formula gives no piece.
// Reports nothing; always True.
bool Zerlege_Formel(const std::string& formel, std::vector<std::string>& stücke, std::size_t breite, int art);

// Fresh exports for one call each.
bool Ausgabe_BelegdatenDA90REB11(Kontext& k, std::int16_t pBelegart, std::int32_t pBelegnummer,
                                 const std::string& tmpPfadDatei, XArrayDB& AnzArrayERG);
bool Ausgabe_BelegdatenDA90REB12(Kontext& k, std::int16_t pBelegart, std::int32_t pBelegnummer,
                                 const std::string& tmpPfadDatei, XArrayDB& AnzArrayERG);

}  // namespace gaeb::gaeb90
