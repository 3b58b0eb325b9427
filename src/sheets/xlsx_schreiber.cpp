// The price sheet as XLSX through libxlsxwriter, written row by row in its
// constant-memory mode (texts go inline into the sheet, not into a shared
// table), so that a bill of 100,000 rows needs little memory.
#include <xlsxwriter.h>

#include <cstdio>

#include "base/fehler.h"
#include "base/zieldatei.h"
#include "sheets/blatt.h"

namespace gaeb::sheets {

namespace {

void Prüfe(lxw_error e, const std::string& datei) {
  if (e != LXW_NO_ERROR)
    throw Fehler(kFehlerDatei, datei + " kann nicht geschrieben werden: " + lxw_strerror(e));
}

// The cell formats: by number format, bold and input (unlocked, tinted).
class Formate {
 public:
  explicit Formate(lxw_workbook* wb) {
    static const char* kZahlformat[] = {nullptr, "#,##0.000", "#,##0.00"};
    for (int f = 0; f < 3; ++f)
      for (int fett = 0; fett < 2; ++fett)
        for (int eingabe = 0; eingabe < 2; ++eingabe) {
          lxw_format* x = workbook_add_format(wb);
          if (kZahlformat[f] != nullptr) format_set_num_format(x, kZahlformat[f]);
          if (fett) format_set_bold(x);
          if (eingabe) {
            format_set_unlocked(x);
            format_set_bg_color(x, 0xFFF2CC);
            format_set_border(x, LXW_BORDER_HAIR);
          }
          formate_[f][fett][eingabe] = x;
        }
    kopf_ = workbook_add_format(wb);
    format_set_bold(kopf_);
    format_set_bottom(kopf_, LXW_BORDER_THIN);
    format_set_bg_color(kopf_, 0xD9D9D9);
    format_set_text_wrap(kopf_);
  }
  lxw_format* Von(const Zelle& z) const {
    return formate_[static_cast<int>(z.format)][z.fett ? 1 : 0][z.eingabe ? 1 : 0];
  }
  lxw_format* kopf() const { return kopf_; }

 private:
  lxw_format* formate_[3][2][2] = {};
  lxw_format* kopf_ = nullptr;
};

}  // namespace

void SchreibeXlsx(const Blattinhalt& b, const std::string& datei, const std::function<void(std::size_t)>& je) {
  // The library writes the workbook by name into a temporary file of ours; it
  // reaches the target through a Zieldatei only when it is whole, so a sheet
  // stopped on the way leaves the target as it was.
  Zieldatei ziel(datei);
  Zwischendatei zwischen(datei);
  lxw_workbook_options optionen = {};
  optionen.constant_memory = LXW_TRUE;
  lxw_workbook* wb = workbook_new_opt(zwischen.Pfad().c_str(), &optionen);
  if (wb == nullptr) throw Fehler(kFehlerDatei, datei + " kann nicht angelegt werden");
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Preisblatt");
  Formate formate(wb);
  const Spalten& s = b.spalten();

  // Widths: key and count flag hidden; texts wide, amounts for millions.
  lxw_row_col_options versteckt = {};
  versteckt.hidden = LXW_TRUE;
  worksheet_set_column_opt(ws, Spalten::kSchlüssel, Spalten::kSchlüssel, 8, nullptr, &versteckt);
  worksheet_set_column(ws, Spalten::kOZ, Spalten::kOZ, 14, nullptr);
  worksheet_set_column(ws, Spalten::kKurztext, Spalten::kKurztext, 55, nullptr);
  worksheet_set_column(ws, Spalten::kArt, Spalten::kArt, 16, nullptr);
  worksheet_set_column(ws, Spalten::kMenge, Spalten::kMenge, 13, nullptr);
  worksheet_set_column(ws, Spalten::kEinheit, Spalten::kEinheit, 8, nullptr);
  worksheet_set_column(ws, Spalten::kPE, Spalten::kPE, 5, nullptr);
  worksheet_set_column(ws, s.Anteil(0), s.ep, 14, nullptr);
  worksheet_set_column(ws, s.gp, s.gp, 16, nullptr);
  worksheet_set_column_opt(ws, s.zählt, s.zählt, 4, nullptr, &versteckt);

  const auto kopfzeile = static_cast<lxw_row_t>(b.Kopfzeile());
  worksheet_freeze_panes(ws, kopfzeile + 1, 0);
  if (b.Positionen() > 0)
    worksheet_autofilter(ws, kopfzeile, 0, static_cast<lxw_row_t>(kopfzeile + b.Positionen()),
                         static_cast<lxw_col_t>(s.Anzahl() - 1));
  // Protection without password: only the price cells take input; sorting and
  // filtering stay allowed.
  lxw_protection schutz = {};
  schutz.sort = 1;
  schutz.autofilter = 1;
  schutz.format_columns = 1;
  worksheet_protect(ws, nullptr, &schutz);

  Blattzeile zellen;
  lxw_error fehler = LXW_NO_ERROR;
  try {
    for (std::size_t z = 0; z < b.Zeilenzahl() && fehler == LXW_NO_ERROR; ++z) {
      b.Zeile(z, zellen);
      const auto r = static_cast<lxw_row_t>(z);
      for (std::size_t c = 0; c < zellen.size() && fehler == LXW_NO_ERROR; ++c) {
        const Zelle& x = zellen[c];
        const auto col = static_cast<lxw_col_t>(c);
        lxw_format* f = z == b.Kopfzeile() ? formate.kopf() : formate.Von(x);
        switch (x.art) {
          case Zelle::Art::Leer:
            if (x.eingabe) fehler = worksheet_write_blank(ws, r, col, f);
            break;
          case Zelle::Art::Text: fehler = worksheet_write_string(ws, r, col, x.text.c_str(), f); break;
          case Zelle::Art::Zahl: fehler = worksheet_write_number(ws, r, col, x.zahl, f); break;
          case Zelle::Art::Formel:
            fehler = worksheet_write_formula_num(ws, r, col, x.text.c_str(), f, x.zahl);
            break;
        }
      }
      if (je) je(z);
    }
  } catch (...) {
    workbook_close(wb);  // stopped on the way (cancelled)
    throw;
  }
  lxw_error schluss = workbook_close(wb);
  Prüfe(fehler != LXW_NO_ERROR ? fehler : schluss, datei);
  std::FILE* ein = zwischen.Lesen();
  char puffer[1 << 16];
  for (std::size_t n; (n = std::fread(puffer, 1, sizeof puffer, ein)) > 0;) ziel.Schreibe(std::string_view(puffer, n));
  if (std::ferror(ein) != 0) throw Fehler(kFehlerDatei, datei + " kann nicht geschrieben werden");
  ziel.Übernimm();
}

}  // namespace gaeb::sheets
