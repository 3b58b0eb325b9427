#include "view/ansicht.h"

#include "base/text.h"
#include "base/zahlformat.h"
#include "host/berechnung.h"
#include "view/langtext.h"

namespace gaeb::view {

namespace {

using host::Satz;

constexpr const char* kStil = R"css(
:root { --rand: #c8ccd2; --grau: #5b6470; }
body { font: 14px/1.4 "DejaVu Sans", Arial, sans-serif; margin: 1.5em auto; max-width: 64em; padding: 0 1em; color: #111; }
h1 { font-size: 1.4em; margin: 0 0 .3em; }
table.kopf { border-collapse: collapse; margin-bottom: 1.2em; }
table.kopf th { text-align: left; font-weight: normal; color: var(--grau); padding: 0 1.5em .1em 0; }
details { margin: .2em 0 .2em .8em; }
details > summary { cursor: pointer; font-weight: bold; padding: .25em 0; border-bottom: 1px solid var(--rand); display: flex; gap: .8em; }
summary .bez { flex: 1; }
table.posten { width: 100%; border-collapse: collapse; table-layout: fixed; margin: .3em 0 .6em; }
table.posten col.oz { width: 7.5em; } table.posten col.menge { width: 7em; } table.posten col.einheit { width: 3.5em; }
table.posten col.ep { width: 6.5em; } table.posten col.gp { width: 7.5em; }
td { vertical-align: top; padding: .15em .3em; }
td.oz, .oz { font-family: "DejaVu Sans Mono", monospace; white-space: nowrap; }
td.zahl, .betrag { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
tr.posten td { border-top: 1px solid #e4e6ea; }
tr.lang td { color: #333; font-size: .93em; }
tr.teil td { font-size: .93em; color: #333; }
tr.summe td, tr.zuschlag td { font-style: italic; }
.kurz { font-weight: 600; }
.marke { display: inline-block; font-size: .75em; font-weight: normal; border: 1px solid var(--grau); border-radius: 3px; padding: 0 .3em; margin-left: .4em; color: var(--grau); }
.luecke { border-bottom: 1px dashed #b35c00; background: #fff4e5; }
.luecke.ag { border-bottom-color: var(--grau); background: #f2f3f5; }
.hinweis { color: #333; font-size: .93em; margin: .3em 0 .3em 7.8em; }
table.texttabelle { border-collapse: collapse; } table.texttabelle td { border: 1px solid var(--rand); }
p { margin: 0 0 .3em; }
table.summen { margin: 1.2em 0 0 auto; border-collapse: collapse; }
table.summen th { text-align: left; padding-right: 2em; }
table.summen tr.gesamt td, table.summen tr.gesamt th { border-top: 2px solid #111; font-weight: bold; }
@media print {
  @page { size: A4; margin: 15mm 12mm 15mm 18mm; }
  body { font-size: 9.5pt; margin: 0; max-width: none; padding: 0; }
  details::details-content { content-visibility: visible; display: block; }
  details > summary { list-style: none; cursor: auto; }
  details > summary::-webkit-details-marker { display: none; }
  tr.posten, tr.lang, summary { break-inside: avoid; }
  summary { break-after: avoid; }
  .luecke { background: none; }
}
)css";

std::int32_t Typ(const Satz& s) { return s.Feld("Positionstyp").ToInt32(); }
std::string Feld(const Satz& s, const char* f) { return s.Feld(f).ToString(); }
double Zahl(const Satz& s, const char* f) { return s.Feld(f).ToDouble(); }

std::string Betrag(double w) { return FormatZahl(w, "#,##0.00"); }
std::string Menge(double w) { return FormatZahl(w, "#,##0.000"); }

// "20261201" (a time may follow) as "01.12.2026"; another text as it is.
std::string Datum(const std::string& s) {
  if (s.size() >= 8 && s.find_first_not_of("0123456789") >= 8)
    return s.substr(6, 2) + "." + s.substr(4, 2) + "." + s.substr(0, 4) + (s.size() > 8 ? " " + s.substr(8) : "");
  return s;
}

std::string Marke(const char* text) { return std::string("<span class=\"marke\">") + text + "</span>"; }

class Seite {
 public:
  Seite(const host::Dokument& d, const Ansichtoptionen& o) : d_(d), o_(o) {}

  std::string Baue() {
    const std::string lv = !Feld(d_.kopf, "BezeichnungLV").empty() ? Feld(d_.kopf, "BezeichnungLV") : Feld(d_.kopf, "LVName");
    out_ += "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
            Html(lv.empty() ? "Leistungsverzeichnis" : lv) + "</title>\n<style>" + kStil + "</style>\n</head>\n<body>\n";
    Kopf(lv);
    out_ += "<main>\n";
    for (const Satz& s : d_.positionen) Zeile(s);
    Schließe(0);
    out_ += "</main>\n";
    Summen();
    out_ += "</body>\n</html>\n";
    return std::move(out_);
  }

 private:
  void Kopf(const std::string& lv) {
    out_ += "<header>\n<h1>" + Html(lv.empty() ? "Leistungsverzeichnis" : lv) + "</h1>\n<table class=\"kopf\">\n";
    const std::string ag = !Feld(d_.kopf, "InformationAG").empty() ? Feld(d_.kopf, "InformationAG") : Feld(d_.kopf, "KopfInformationAG");
    const std::pair<const char*, std::string> felder[] = {
        {"Projekt", Feld(d_.kopf, "InformationProjekt")},
        {"Auftraggeber", ag},
        {"LV", lv},
        {"Datenart", d_.kopf.Feld("Datenphase").ToInt32() ? std::to_string(d_.kopf.Feld("Datenphase").ToInt32()) : ""},
        {"Währung", Feld(d_.kopf, "Währung")},
        {"LV-Datum", Datum(Feld(d_.kopf, "DatumLV"))},
        {"Angebotsabgabe", Datum(Feld(d_.kopf, "DatumAngebotsabgabe"))},
        {"Zuschlagsfrist", Datum(Feld(d_.kopf, "DatumZuschlagsfrist"))},
    };
    for (const auto& [name, wert] : felder)
      if (!wert.empty()) out_ += std::string("<tr><th>") + name + "</th><td>" + Html(wert) + "</td></tr>\n";
    out_ += "</table>\n</header>\n";
  }

  // Closes the item table and every category of level ebene or deeper.
  void Schließe(int ebene) {
    Tabelle(false);
    while (!offen_.empty() && offen_.back() >= ebene) {
      out_ += "</details>\n";
      offen_.pop_back();
    }
  }
  void Tabelle(bool auf) {
    if (auf == tabelle_) return;
    out_ += auf ? "<table class=\"posten\"><colgroup><col class=\"oz\"><col><col class=\"menge\"><col class=\"einheit\">"
                  "<col class=\"ep\"><col class=\"gp\"></colgroup>\n"
                : "</table>\n";
    tabelle_ = auf;
  }

  std::string Lang(const Satz& s, bool& lücke) {
    return LangtextHtml({Feld(s, "Langtext"), Feld(s, "LangtextRTF")}, o_.programmverzeichnis, lücke);
  }

  void Zeile(const Satz& s) {
    const std::int32_t typ = Typ(s);
    const std::string oz = Html(text::Trim(Feld(s, "Positionsnummer")));
    if (typ == 20 || typ == 21 || typ == 22) {
      const int ebene = std::max(1, s.Feld("HierarchieEbene").ToInt32());
      Schließe(ebene);
      out_ += std::string("<details class=\"bereich\"") + (o_.gefaltet ? "" : " open") + " data-oz=\"" + oz +
              "\">\n<summary><span class=\"oz\">" + oz + "</span><span class=\"bez\">" +
              Html(text::EineZeile(Feld(s, "Kurztext1"))) + "</span><span class=\"betrag\">" +
              Betrag(Zahl(s, "Gesamtpreis")) + "</span></summary>\n";
      offen_.push_back(ebene);
      return;
    }
    if (typ == 50) {
      bool lücke = false;
      Tabelle(false);
      std::string t = Lang(s, lücke);
      if (!t.empty()) out_ += "<div class=\"hinweis\">" + t + "</div>\n";
      return;
    }
    Tabelle(true);
    if (typ == 40 || typ == 45) {
      bool lücke = false;
      std::string lang = Lang(s, lücke);
      std::string marken;
      if (typ == 45) marken += Marke("Paket");
      // A contingency item without total amount is marked as both; it is no alternative.
      const bool bedarf = s.Feld("Bedarfsposition").ToBool(), alternativ = s.Feld("Alternativposition").ToBool();
      if (bedarf) marken += Marke(alternativ ? "Bedarfsposition ohne GB" : "Bedarfsposition");
      if (alternativ && !bedarf) marken += Marke("Wahlposition");
      if (s.Feld("Pauschalpreis").ToBool()) marken += Marke("Pauschal");
      if (lücke) marken += Marke("Bieterlücke");
      const bool ohneSumme = !host::ZähltInSummen(s);
      out_ += "<tr class=\"posten\" data-oz=\"" + oz + "\"><td class=\"oz\">" + oz + "</td><td><span class=\"kurz\">" +
              Html(Feld(s, "Kurztext1")) + "</span>" + marken + "</td><td class=\"zahl\">" + Menge(Zahl(s, "Menge")) +
              "</td><td>" + Html(Feld(s, "Mengeneinheit")) + "</td><td class=\"zahl\">" + Betrag(Zahl(s, "Einzelpreis")) +
              "</td><td class=\"zahl\">" + (ohneSumme ? "(" + Betrag(Zahl(s, "Gesamtpreis")) + ")" : Betrag(Zahl(s, "Gesamtpreis"))) +
              "</td></tr>\n";
      if (!lang.empty()) out_ += "<tr class=\"lang\"><td></td><td colspan=\"5\">" + lang + "</td></tr>\n";
    } else if (typ == 47) {
      out_ += "<tr class=\"teil\"><td></td><td>" + Html(Feld(s, "Kurztext1")) + "</td><td class=\"zahl\">" +
              Menge(Zahl(s, "MengePaketteil")) + "</td><td>" + Html(Feld(s, "Mengeneinheit")) + "</td><td class=\"zahl\">" +
              Betrag(Zahl(s, "Einzelpreis")) + "</td><td class=\"zahl\">" + Betrag(Zahl(s, "Gesamtpreis")) + "</td></tr>\n";
    } else if (typ == 60) {
      out_ += "<tr class=\"summe\"><td></td><td colspan=\"4\">" + Html(Feld(s, "Kurztext1")) +
              "</td><td class=\"zahl\">" + Betrag(Zahl(s, "Einzelpreis")) + "</td></tr>\n";
    } else if (typ == 70 || typ == 80) {
      const double p = Zahl(s, "AufAbschlagProzent");
      out_ += "<tr class=\"zuschlag\"><td></td><td colspan=\"3\">" + Html(Feld(s, "Kurztext1")) + "</td><td class=\"zahl\">" +
              (p != 0 ? FormatZahl(p, "0.00") + " %" : "") + "</td><td class=\"zahl\">" + Betrag(Zahl(s, "Gesamtpreis")) +
              "</td></tr>\n";
    }
  }

  void Summen() {
    const std::string w = Html(Feld(d_.kopf, "Währung"));
    for (const Satz& s : d_.schlusszeilen) {
      if (Typ(s) == 90) {
        out_ += "<table class=\"summen\">\n<tr><th>Gesamtbetrag netto</th><td class=\"betrag\" id=\"gesamtbetrag\">" +
                Betrag(Zahl(s, "Summe")) + " " + w + "</td></tr>\n<tr><th>Umsatzsteuer " + FormatZahl(Zahl(s, "UST"), "0.00") +
                " %</th><td class=\"betrag\">" + Betrag(Zahl(s, "USTBetrag")) + " " + w +
                "</td></tr>\n<tr class=\"gesamt\"><th>Gesamtbetrag brutto</th><td class=\"betrag\">" +
                Betrag(Zahl(s, "SummeBrutto")) + " " + w + "</td></tr>\n</table>\n";
      } else {
        bool lücke = false;
        std::string t = Lang(s, lücke);
        if (!t.empty()) out_ += "<div class=\"schlusstext\">" + t + "</div>\n";
      }
    }
  }

  const host::Dokument& d_;
  const Ansichtoptionen& o_;
  std::string out_;
  std::vector<int> offen_;  // levels of the open categories
  bool tabelle_ = false;
};

}  // namespace

std::string Html(std::string_view text) {
  std::string r;
  r.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '"': r += "&quot;"; break;
      case '\'': r += "&#39;"; break;
      case '\r': break;
      default: r += c;
    }
  }
  return r;
}

std::string BelegHtml(const host::Dokument& d, const Ansichtoptionen& o) { return Seite(d, o).Baue(); }

}  // namespace gaeb::view
