// The price sheet as CSV the way German spreadsheet programs write it: fields
// split by ";", a decimal comma, texts in double quotes (a quote inside
// doubled), lines ended by CR LF, UTF-8 with a byte-order mark. Read back are
// also files in code page 1252 without byte-order mark, the other form those
// programs save, and LF or CR line ends.
#include <fstream>
#include <sstream>

#include "base/codepage.h"
#include "base/fehler.h"
#include "base/text.h"
#include "base/zahlformat.h"
#include "base/zieldatei.h"
#include "sheets/blatt.h"

namespace gaeb::sheets {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string Feld(const Zelle& z) {
  switch (z.art) {
    case Zelle::Art::Leer: return "";
    case Zelle::Art::Text: return "\"" + text::Ersetze(z.text, "\"", "\"\"") + "\"";
    case Zelle::Art::Zahl:
    case Zelle::Art::Formel:
      if (z.format == Zelle::Format::Menge) return FormatZahl(z.zahl, "0.000", {",", ""});
      if (z.format == Zelle::Format::Betrag) return FormatZahl(z.zahl, "0.00", {",", ""});
      return ZahlText(z.zahl, {",", ""});
  }
  return "";
}

}  // namespace

void SchreibeCsv(const Blattinhalt& b, const std::string& datei, const std::function<void(std::size_t)>& je) {
  // A sheet stopped on the way (cancelled) or not written whole leaves the target as it was.
  Zieldatei aus(datei);
  aus.Schreibe(kBom);
  Blattzeile zellen;
  std::string zeile;
  for (std::size_t z = 0; z < b.Zeilenzahl(); ++z) {
    b.Zeile(z, zellen);
    zeile.clear();
    for (std::size_t c = 0; c < zellen.size(); ++c) {
      if (c > 0) zeile += ';';
      zeile += Feld(zellen[c]);
    }
    zeile += "\r\n";
    aus.Schreibe(zeile);
    if (je) je(z);
  }
  aus.Übernimm();
}

Tabelle LeseCsv(const std::string& datei) {
  std::ifstream ein(datei, std::ios::binary);
  if (!ein) throw Fehler(kFehlerDatei, datei + " kann nicht gelesen werden");
  std::stringstream puffer;
  puffer << ein.rdbuf();
  std::string inhalt = puffer.str();
  if (inhalt.starts_with(kBom)) {
    inhalt.erase(0, kBom.size());
  } else if (!text::IstUtf8(inhalt)) {
    inhalt = AusCodepage(inhalt, Codepage::Cp1252);
  }

  Tabellensammler t;
  std::size_t nummer = 1;
  int spalte = 0;
  std::string feld;
  bool zitiert = false;
  std::size_t zitatbeginn = 0;
  t.Zeile(nummer);
  auto feldEnde = [&] {
    if (!feld.empty()) {
      Lesezelle z;
      z.art = Lesezelle::Art::Text;
      z.text = std::move(feld);
      t.Zelle(spalte, std::move(z));
    }
    ++spalte;
    feld.clear();
  };
  auto zeilenEnde = [&] {
    feldEnde();
    t.Zeile(++nummer);
    spalte = 0;
  };
  for (std::size_t i = 0; i < inhalt.size(); ++i) {
    const char c = inhalt[i];
    if (zitiert) {
      if (c != '"') {
        feld += c;
      } else if (i + 1 < inhalt.size() && inhalt[i + 1] == '"') {
        feld += '"';
        ++i;
      } else {
        zitiert = false;
      }
    } else if (c == '"') {
      zitiert = true;
      zitatbeginn = nummer;
    } else if (c == ';') {
      feldEnde();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < inhalt.size() && inhalt[i + 1] == '\n') ++i;
      zeilenEnde();
    } else {
      feld += c;
    }
  }
  if (zitiert)
    throw Fehler(kFehlerTypen, "Zeile " + std::to_string(zitatbeginn) + ": ein Anführungszeichen wird nicht geschlossen");
  feldEnde();
  return t.Ergebnis();
}

}  // namespace gaeb::sheets
