// The values the XML reader takes: those of the header by their parent
// element, and those of the item, markup item, sub-description or remark
// being read.
#include "readers/xml_leser.h"

namespace gaeb::readers {

namespace {

// "2026-12-01" (or with a time behind) as the host's "20261201".
std::string Datum(const std::string& s) {
  if (s.size() >= 10 && s[4] == '-' && s[7] == '-') return s.substr(0, 4) + s.substr(5, 2) + s.substr(8, 2);
  return s;
}

}  // namespace

void XmlLeser::Blatt(const std::string& n, const std::string& w) {
  std::string_view e = Eltern();
  if (art_ != Art::Sonst) {
    PostenWert(n, w);
    return;
  }
  Importzeile& k = lv_.kopf;
  if (e == "GAEBInfo") {
    if (n == "Version") version_ = w;
  } else if (e == "PrjInfo") {
    if (n == "NamePrj") namePrj_ = w;
    else if (n == "LblPrj") lblPrj_ = w;
    else if (n == "Cur" && Wert(k, "Währung").ToString().empty()) Setze(k, "Währung", Variant(w));
    else if (n == "CurLbl") {
      Setze(k, "BezWährung", Variant(w));  // the currency's name; AwardInfo repeats the code there
      curLblPrj_ = true;
    }
  } else if (e == "Award" && n == "DP") {
    double dp = 0;
    if (!LeseZahl(w, dp) || dp < 81 || dp > 86 || dp != static_cast<int>(dp))
      Fehler("Datenart \"" + w.substr(0, 20) + "\" wird nicht gelesen (gelesen werden 81 bis 86).");
    Setze(k, "Datenphase", Variant(static_cast<std::int16_t>(dp)));
    dpGesehen_ = true;
  } else if (e == "AwardInfo") {
    if (n == "Cur") Setze(k, "Währung", Variant(w));
    else if (n == "CurLbl" && !curLblPrj_) Setze(k, "BezWährung", Variant(w));
    else if (n == "BidDate") Setze(k, "DatumAngebotsabgabe", Variant(Datum(w)));
    else if (n == "EvalEnd") Setze(k, "DatumZuschlagsfrist", Variant(Datum(w)));
  } else if (e == "OWN") {
    if (n == "DPNo") Setze(k, "DVNrAG", Variant(w));
    else if (n == "AwardNo") Setze(k, "VergabenummerAG", Variant(w));
  } else if (e == "CTR") {
    if (n == "DPNo") Setze(k, "DVNrAN", Variant(w));
    else if (n == "AwardNo") Setze(k, "VergabenummerAN", Variant(w));
    else if (n == "BidderNo") Setze(k, "BieterNrAG", Variant(w));
  } else if (e == "Address" && pfad_.size() >= 3 && pfad_[pfad_.size() - 3] == "OWN") {
    if (n == "Name1" && Wert(k, "InformationAG").ToString().empty()) Setze(k, "InformationAG", Variant(w));
    static constexpr std::pair<std::string_view, const char*> kFelder[] = {
        {"Name1", "Name1"}, {"Name2", "Name2"}, {"Name3", "Name3"},     {"Name4", "Name4"},   {"Street", "Strasse"},
        {"PCode", "Plz"},   {"City", "Ort"},    {"Country", "Land"},   {"Phone", "Telefon"}, {"Fax", "Fax"},
        {"Email", "Email"}};
    for (const auto& [xml, feld] : kFelder)
      if (n == xml && !w.empty()) Setze(k, std::string("Auftraggeber.") + feld, Variant(w));
  } else if (e == "BoQInfo") {
    if (n == "LblBoQ") Setze(k, "BezeichnungLV", Variant(w));
    else if (n == "Name" && Wert(k, "BezeichnungLV").ToString().empty()) namePrj_ = namePrj_.empty() ? w : namePrj_;
    else if (n == "Date") Setze(k, "DatumLV", Variant(Datum(w)));
    else if (n == "OutlCompl") mitLangtext_ = mitLangtext_ || w == "AllTxt";
  } else if (e == "Totals" && pfad_.size() >= 3 && pfad_[pfad_.size() - 3] == "BoQInfo" && n == "DiscountPcnt") {
    nachlass_ = Zahl(w);
  } else if (e == "Totals" && pfad_.size() >= 3 && pfad_[pfad_.size() - 3] == "BoQInfo" && n == "Total") {
    summe_ = Zahl(w);
    summeGelesen_ = true;
  } else if (e == "BoQBkdn") {
    if (n == "Type") bkdnTyp_ = w;
    else if (n == "Length") {
      double l = 0;
      if (!LeseZahl(w, l) || l < 0 || l > 9) Fehler("Length muss eine Zahl von 0 bis 9 sein, nicht \"" + w.substr(0, 20) + "\".");
      bkdnLänge_ = static_cast<int>(l);
    }
  } else if (e == "Totals" && n == "Total" && pfad_.size() >= 3 && pfad_[pfad_.size() - 3] == "BoQCtgy" &&
             !bereichPosten_.empty()) {
    bereichPosten_.back().summe = Zahl(w);
    bereichPosten_.back().summeGelesen = true;
  } else if (e == "BoQCtgy" && !bereichZeile_.empty()) {
    if (n == "ALNBGroupNo" || n == "ALNBSerNo") Setze(Zeilen(bereichZeile_.back()), "Alternativposition", Variant(true));
  }
}

void XmlLeser::PostenWert(const std::string& n, const std::string& w) {
  // A value of the object's own element; of the article only its number.
  const std::size_t tiefe = pfad_.size() - static_cast<std::size_t>(artTiefe_);
  if (tiefe != 1 && !(tiefe == 3 && n == "ArtNo" && Eltern() == "Article")) return;
  Importzeile& z = Aktuell();
  auto ja = [&] { return w == "Yes" || w == "yes" || w == "true" || w == "1"; };
  if (n == "Qty") {
    Setze(z, art_ == Art::Teil ? "MengePaketteil" : "Menge", Variant(Zahl(w)));
  } else if (n == "QU") {
    Setze(z, "Mengeneinheit", Variant(w));
  } else if (n == "UP") {
    Setze(z, "Einzelpreis", Variant(Zahl(w)));
    mitPreisen_ = true;
  } else if (n == "IT") {
    Setze(z, "Gesamtpreis", Variant(Zahl(w)));
  } else if (n == "UPComp1" && art_ == Art::Posten) {
    Setze(z, "MaterialEPVK", Variant(Zahl(w)));
  } else if (n == "UPComp2" && art_ == Art::Posten) {
    Setze(z, "LohnEPVK", Variant(Zahl(w)));
  } else if (n == "LumpSumItem") {
    if (ja()) Setze(z, "Pauschalpreis", Variant(true));
  } else if (n == "QtyTBD") {
    if (ja()) Setze(z, "KnzFreieMenge", Variant(true));
  } else if (n == "Provis") {
    Setze(z, "Bedarfsposition", Variant(true));
    if (w == "WithoutTotal") Setze(z, "Alternativposition", Variant(true));
  } else if (n == "ALNGroupNo" || n == "ALNSerNo") {
    Setze(z, "Alternativposition", Variant(true));
  } else if (n == "CONo") {
    double d = Zahl(w);
    if (d < 0 || d > 32767 || d != static_cast<int>(d)) Fehler("CONo muss eine ganze Zahl bis 32767 sein.");
    Setze(z, "Nachtrag", Variant(static_cast<std::int16_t>(d)));
  } else if (n == "TimeQu") {
    Setze(z, "Zeit", Variant(Zahl(w)));
  } else if (n == "SumDescr") {
    if (ja()) summenBeschreibung_ = true;
  } else if (n == "ArtNo") {
    Setze(z, "Artikelnummer", Variant(w));
  } else if (art_ == Art::Markup) {
    if (n == "ITMarkup") {
      Setze(z, "Einzelpreis", Variant(Zahl(w)));
    } else if (n == "Markup") {
      double p = Zahl(w);
      if (p < 0) Setze(z, "Positionstyp", Variant(static_cast<std::int16_t>(80)));
      Setze(z, "AufAbschlagProzent", Variant(p < 0 ? -p : p));
    } else if (n == "MarkupType") {
      Setze(z, "WelcherBetragZuAbschlag", Variant(static_cast<std::int16_t>(w == "IdentAsMark" ? 4 : 3)));
    }
  }
}

}  // namespace gaeb::readers
