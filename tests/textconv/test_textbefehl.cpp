// Tests of the conversion behind `gaeb text`: the example of the command's
// documentation, the directions and kinds it takes, and its usage errors.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>

#include "base/fehler.h"
#include "meldungen.h"
#include "textconv/textbefehl.h"

namespace textconv_test {
namespace {

using gaeb::Textauftrag;

Textauftrag Auftrag(const char* von, const char* nach, const char* art) {
  Textauftrag a;
  a.von = von;
  a.nach = nach;
  a.textmodus = art;
  return a;
}

// Each direction and kind; the input in UTF-8 (with or without byte order
// mark) or in the Windows code page. A row's result is exact or, with a
// "~" before it, contained in the output.
TEST(textconvTextbefehl, RichtungenArtenUndEingabe) {
  Textauftrag kl = Auftrag("ascii", "xml", "KL");
  kl.kurztext = "Kurz";
  kl.mitKurztext = true;
  Textauftrag lb = Auftrag("ascii", "xml", "LB");
  lb.marke = "3";
  lb.mitMarke = true;
  const auto text = [](const char* span) { return std::string("~<Text><p><span>") + span + "</span></p></Text>"; };
  const std::tuple<Textauftrag, std::string, std::string> fälle[] = {
      // The example of the command's documentation.
      {Auftrag("rtf", "xml", "L"), "{\\rtf1\\ansi Beton {\\b C25/30}\\par liefern}\n",
       "<Description xmlns=\"http://www.gaeb.de/GAEB_DA_XML/200407\"><CompleteText><DetailTxt>"
       "<Text><p><span>Beton </span><span style=\"font-weight:bold;\">C25/30</span></p>"
       "<p><span>liefern</span></p></Text></DetailTxt></CompleteText></Description>"},
      {Auftrag("rtf", "ascii", "L"), "{\\rtf1 Beton {\\b C25/30}\\par liefern}", "Beton C25/30\r\nliefern\r\n"},
      {Auftrag("ascii", "rtf", "ML"), "Rohbau\n", "~\\fs20 Rohbau\\par}"},
      {kl, "Lang", "~<TextOutlTxt><p><span>Kurz"},
      {lb, "'5 cm'", "~MarkLbl=\"3\""},
      {Auftrag("rtf", "xml", "L"), "{\\rtf1 W\xE4nde}", text("Wände")},
      {Auftrag("rtf", "xml", "L"), "{\\rtf1\\ansi\\ansicpg1250 \xE8\xF8}", text("čř")},
      {Auftrag("rtf", "xml", "L"), "{\\rtf1 W\xC3\xA4nde}", text("Wände")},
      {Auftrag("rtf", "xml", "L"), "\xEF\xBB\xBF{\\rtf1 x}", text("x")},
      {Auftrag("ascii", "xml", "L"), "Ma\xDF", text("Maß")},
      {Auftrag("ascii", "xml", "L"), "\xEF\xBB\xBFMa\xC3\x9F", text("Maß")},
  };
  Protokollfenster fenster;
  for (const auto& [auftrag, eingabe, erwartet] : fälle) {
    std::string aus = gaeb::Konvertiere_Text(auftrag, eingabe, GAEB_BIN_DIR, &fenster);
    if (erwartet.starts_with("~"))
      EXPECT_NE(aus.find(erwartet.substr(1)), std::string::npos) << aus;
    else
      EXPECT_EQ(aus, erwartet);
  }
  EXPECT_TRUE(fenster.meldungen.empty());
}

TEST(textconvTextbefehl, FehlerDesKonvertersMitKennung) {
  Protokollfenster fenster;
  bool mitFehlern = false;
  EXPECT_EQ(gaeb::Konvertiere_Text(Auftrag("xml", "rtf", "L"), "<kaputt", GAEB_BIN_DIR, &fenster, &mitFehlern), "");
  EXPECT_TRUE(mitFehlern);
  EXPECT_EQ(fenster.meldungen.size(), 1u);
  // Remarks alone leave the result complete.
  gaeb::Konvertiere_Text(Auftrag("rtf", "xml", "L"), "{\\rtf1 {x}", GAEB_BIN_DIR, &fenster, &mitFehlern);
  EXPECT_FALSE(mitFehlern);
  EXPECT_EQ(fenster.meldungen.size(), 2u);
}

TEST(textconvTextbefehl, OhneBibliothekLademeldung) {
  Protokollfenster fenster;
  EXPECT_THROW(gaeb::Konvertiere_Text(Auftrag("rtf", "xml", "L"), "{\\rtf1 x}", "/kein/verzeichnis",
                                      &fenster),
               gaeb::Fehler);
  EXPECT_EQ(fenster.meldungen,
            (std::vector<Meldung>{{"Laden der Datei /kein/verzeichnis/gtcConverterV31.so fehlgeschlagen", ""}}));
}

TEST(textconvTextbefehl, Bedienfehler) {
  struct Fall {
    Textauftrag auftrag;
    std::string fehler;
  };
  Textauftrag kurzBeiL = Auftrag("rtf", "xml", "L");
  kurzBeiL.mitKurztext = true;
  Textauftrag lbOhneMarke = Auftrag("ascii", "xml", "LB");
  Textauftrag lbMitText = lbOhneMarke;
  lbMitText.mitMarke = true;
  lbMitText.marke = "zwei";
  Textauftrag markeBeiK = Auftrag("ascii", "xml", "K");
  markeBeiK.mitMarke = true;
  const Fall fälle[] = {
      {Auftrag("doc", "xml", "L"), "--from erwartet rtf, ascii oder xml"},
      {Auftrag("rtf", "pdf", "L"), "--to erwartet xml, rtf oder ascii"},
      {Auftrag("xml", "xml", "L"), "--from und --to dürfen nicht gleich sein"},
      {Auftrag("rtf", "xml", "Q"), "--kind erwartet K, L, KL, A, KA, AK, F, ML, MA oder LB"},
      {Auftrag("rtf", "xml", "LB"), "--kind LB gilt nicht für --from rtf --to xml"},
      {Auftrag("xml", "ascii", "ML"), "--kind ML gilt nicht für --from xml --to ascii"},
      {Auftrag("rtf", "ascii", "KL"), "--kind KL gilt nicht für --from rtf --to ascii"},
      {kurzBeiL, "--short gilt nur für --kind KL"},
      {markeBeiK, "--label gilt nur für --kind LB"},
      {lbOhneMarke, "--kind LB braucht --label N"},
      {lbMitText, "--label erwartet eine Zahl"},
  };
  for (const Fall& f : fälle) {
    EXPECT_EQ(gaeb::Prüfe_Textauftrag(f.auftrag), f.fehler);
    try {
      gaeb::Konvertiere_Text(f.auftrag, "x", GAEB_BIN_DIR, nullptr);
      ADD_FAILURE() << f.fehler;
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(e.what(), f.fehler);
    }
  }
  EXPECT_EQ(gaeb::Prüfe_Textauftrag(Auftrag("xml", "rtf", "MA")), "");
}

}  // namespace
}  // namespace textconv_test
