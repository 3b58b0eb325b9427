// The GAEB 2000 export: one document of the host written as a tagged-text
// file (blocks "#begin[Name]" ... "#end[Name]", attributes "[Key]value[end]",
// multi-line text attributes, "##" comments, and a closing line with the
// counts of begin and end lines).
//
// An Export object is made for one call of Ausgabe_BelegdatenDA2000 and holds
// everything of that call: options, the line buffer, counters, the open LV
// areas and the LV totals. Its writers are member functions under the names
// the component documents; they live in four files:
//   schreiber.cpp  line writer, multi-line texts, finishing pass
//   export.cpp     driver and file frame (GAEBInfo, PrjInfo, Vergabe, LVInfo)
//   texte.cpp      Beschreibung, Hinweis/AusfBeschr and ZusText blocks
//   lv.cpp         LV areas, positions, package parts, surcharge rows, sums
// Every line passes through AusgabeDA2000_Zeile, which converts it into the
// file's code page (1252 for the character set "ANSI", else 850) and ends it
// with CR LF. The bill's totals are known before the walk and written in
// their place; the lines go into a new file beside the target, which
// Aktualisiere_LVInfo puts at the target when it is complete.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/zeilendatei.h"
#include "base/zieldatei.h"
#include "core/ausgabeoptionen.h"
#include "core/kontext.h"
#include "export/exportzustand.h"

namespace gaeb::gaeb2000 {

// Integer digits a number of the file may have, as in the GAEB decimal types
// the data types share: amounts 13 digits with 2 decimals, quantities 11 with
// 3, percentages 5 with 2. A wider value is refused (FormatZahlFeld).
inline constexpr int kVorkommaGeld = 11, kVorkommaMenge = 8, kVorkommaProzent = 3;

// The upper-case tag or key of a line ("#BEGIN[LVINFO]", "[SUMME]"), or an
// empty string for a comment line ("##" anywhere) or a line without one. TABs
// are removed and blanks trimmed first. Only ASCII letters are upper-cased:
// the line is code-page bytes and the keys looked for are ASCII.
std::string Ermittle_Schlüssel(std::string_view zeile);

class Export : public Exportzustand {
 public:
  // k must outlive the object; the options are copied.
  Export(Kontext& k, const Ausgabeoptionen& optionen);
  ~Export();
  Export(const Export&) = delete;
  Export& operator=(const Export&) = delete;

  // Writes document (belegart, belegnummer) as GAEB 2000 into tmpPfadDatei.
  // True when the file was written; False when the data phase is refused
  // (11, 12), the document cannot be locked or is not kept in a currency the
  // output can use (nothing written then), or the user cancelled (a partial
  // file stands at the target). Reports every failure through the message
  // service; never throws.
  bool Ausgabe_BelegdatenDA2000(std::int16_t belegart, std::int32_t belegnummer, const std::string& tmpPfadDatei,
                                std::int16_t tmpDatenphase) noexcept;

  // --- Line writer (schreiber.cpp) ---

  // Writes Zeilenpuffer as one line (code page by AusgabeZeichensatz, CR LF),
  // counts it and empties the buffer. A failed write is reported and the
  // writer goes on; always True.
  bool AusgabeDA2000_Zeile();
  // Writes text as the multi-line attribute schlüssel ("[Langtext]"): the key
  // line, one line per CR LF-terminated piece of text + CR LF, and "[end]",
  // all indented by the current position's hierarchy level + 11.
  bool Ausgabe_TEXT(std::string text, const std::string& schlüssel);
  // Opens the output of pfad: the new file beside the target, or a
  // temporary file for a stream target or one that cannot be made now.
  void ÖffneZiel(const std::string& pfad);
  // The totals of the LV information block ("[Summe]" ... "[SummeBrutto]")
  // from m_LVSummenspeicher, after a comment line that counts as no line.
  void LVSummenZeilen();
  // Puts the finished file at pfad (from the temporary file, when there is
  // one). Reports nothing; when the file is not whole (a write failed, a
  // total did not fit) the target keeps what it held and the file is noted
  // as incomplete (Kontext::ausgabeUnvollständig).
  bool Aktualisiere_LVInfo(const std::string& pfad);
  std::unique_ptr<Zieldatei> ziel_;
  std::unique_ptr<Zwischendatei> zwischen_;
  bool m_LVSummenFehlerhaft = false;

  // Sends the lines into sink (borrowed; null: no output open). Used by the
  // driver for the temporary file, and by tests to write into memory.
  void SetzeAusgabe(Ausgabe* sink) { ausgabe_ = sink; }
  // Hands buffered bytes to the sink; reported as AusgabeDA2000_Zeile when it fails.
  void Leere();

  // --- File frame (export.cpp) ---
  void Ausgabe_VorlaufDA2000();
  bool Ausgabe_GAEBINFO();
  bool Ausgabe_PRJINFO();
  bool Ausgabe_Vergabe();

  // --- Text blocks (texte.cpp) ---
  bool Ausgabe_LANGTEXT();
  bool Ausgabe_KURZTEXT();
  bool Ausgabe_BESCHREIBUNG();
  bool Ausgabe_ZUSTEXT();

  // --- LV body (lv.cpp) ---
  bool Ausgabe_LVBEREICH(std::int16_t art);
  bool Ausgabe_LVBEREICHEnde(const std::string& oz, std::int16_t ebene);
  bool Ausgabe_LVSUMME(std::string& oz, double& summe, double wert1, double wert2, std::int16_t unterart,
                       std::int16_t art);
  bool Ausgabe_POSITION();
  bool Ausgabe_UNTERBESCHR();
  bool Ausgabe_ZUSCHLPOSITION();
  bool Ausgabe_ENDLV();

  // --- State of the call, public for the tests of the writers ---

  // The line being assembled (indentation included); also carries the
  // deferred "#end[Position]" of a package head.
  std::string Zeilenpuffer;
  // "ANSI" (code page 1252) or "OEM" (code page 850).
  std::string AusgabeZeichensatz = "ANSI";
  std::int32_t AnzahlBeginZeilen = 0;  // written lines containing "#begin"
  std::int32_t AnzahlEndZeilen = 0;    // written lines containing "[end]"

 private:
  // Sets the buffer to `blanks` blanks and text and writes it.
  void Zeile(std::size_t blanks, std::string_view text);
  // Writes the buffer when it holds something (a deferred "#end[Position]").
  void PufferSchreiben();
  // blanks, "[key]" (passed with brackets), value, "[end]".
  void Attribut(std::size_t blanks, std::string_view schlüssel, std::string_view wert);
  // The lines of text + CR LF at the indentation, then "[end]".
  void TextZeilen(const std::string& text, std::size_t blanks);
  // "#begin[Beschreibung]", the long and short text, "#end[Beschreibung]";
  // each step reported through the calling writer's weiter.
  void Beschreibungsblock(std::size_t blanks, WeiterBeiFehler& weiter);
  // The sums of a sum row of sub-kind 1 or 2.
  void Summenzeile(std::int16_t unterart);

  // The current position of the document and its fields.
  Belegposition& Position();
  std::string PS(std::string_view feld);
  double PD(std::string_view feld);
  std::int16_t PI(std::string_view feld);
  bool PB(std::string_view feld);
  // The current position's hierarchy level.
  std::int16_t Ebene();
  Datensatz& Kopf();

  // True when the LV has no structure levels and one "LVBereich" opened with
  // the LV holds all positions; the end of the LV closes it.
  bool m_NurPositionen = false;

  Kontext& k_;
  Ausgabe* ausgabe_ = nullptr;
  std::string bytes_;  // code-page bytes not yet handed to the sink
};

// Runs one export with a fresh Export object.
bool Ausgabe_BelegdatenDA2000(Kontext& k, std::int16_t belegart, std::int32_t belegnummer,
                              const std::string& tmpPfadDatei, std::int16_t tmpDatenphase,
                              const Ausgabeoptionen& optionen) noexcept;

}  // namespace gaeb::gaeb2000
