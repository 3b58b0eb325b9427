// The base functions: character-counted texts on umlauts and broken bytes, code pages 850 and 1252, the number masks of
// the exports, Variant conversions as the host's runtime does them, line files, and the
// target file that replaces nothing but a regular file and only when whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/codepage.h"
#include "base/fehler.h"
#include "base/text.h"
#include "base/variant.h"
#include "base/zahlformat.h"
#include "base/zeilendatei.h"
#include "base/zieldatei.h"
#include "../felder.h"
#include "../programm.h"

namespace gaeb {
namespace {

using namespace text;

// Each row: a result and the text it must be.
struct Ergebnis {
  std::string ist, soll;
};
void Prüfe(std::initializer_list<Ergebnis> fälle) {
  int i = 0;
  for (const Ergebnis& f : fälle) EXPECT_EQ(f.ist, f.soll) << "row " << i++;
}

TEST(Text, CharactersNotBytesAndBrokenUtf8) {
  const std::string s = "Bäckerstraße";  // 12 characters, 14 bytes
  const std::string kaputt = "a\xC3" "b\xFF";  // truncated sequence and an invalid byte
  EXPECT_EQ(Länge(s), 12u);
  EXPECT_EQ(Länge(kaputt), 4u);
  Prüfe({{Links(s, 2), "Bä"}, {Links(s, 50), s}, {Rechts(s, 3), "aße"}, {Mitte(s, 2, 3), "äck"}, {Mitte(s, 11), "ße"},
         {Mitte(s, 13), ""}, {Zeichen(s, 11), "ß"}, {Zeichen(s, 13), ""}, {Links("", 3), ""},
         {Links(kaputt, 2), "a\xC3"}, {Gross(kaputt), "A\xC3" "B\xFF"},
         {Ersetze("1.2.3", ".", ""), "123"}, {Ersetze("aaa", "a", "aa"), "aaaaaa"},  // no rescanning
         {Ersetze("abc", "", "x"), "abc"}, {Trim("  ä b  "), "ä b"}, {TrimLinks("  x "), "x "},
         {TrimRechts("  x "), "  x"}, {Trim("   "), ""}, {Gross("[Hinweis] äöü éß"), "[HINWEIS] ÄÖÜ Éß"},
         {Klein("ÄÖÜ ABC"), "äöü abc"}, {Gross("ÿ"), "Ÿ"}, {Gross("€"), "€"}});
  // Find is 1-based and counts characters.
  const std::size_t funde[][2] = {{Finde("Größe|x", "|"), 6}, {Finde("Größe|x|y", "|", 7), 8}, {Finde("abc", "z"), 0},
                                  {Finde("abc", "", 2), 2}, {Finde("abc", "a", 10), 0}};
  for (const auto& f : funde) EXPECT_EQ(f[0], f[1]);
  EXPECT_FALSE(IstUtf8(kaputt));
  EXPECT_TRUE(IstUtf8("Grüße"));
  EXPECT_FALSE(IstUtf8("\xC0\xAF"));  // overlong "/"
  // CR LF, a lone LF and a lone CR are one line break each.
  const struct { const char *ein, *crlf, *eineZeile; } umbrüche[] = {
      {"a\nb\r\nc\rd", "a\r\nb\r\nc\r\nd", "a b c d"}, {"\n\r", "\r\n\r\n", "  "}, {"\r\n\n", "\r\n\r\n", "  "},
      {"ohne", "ohne", "ohne"}};
  for (const auto& u : umbrüche) {
    EXPECT_EQ(MitCrLf(u.ein), u.crlf) << u.ein;
    EXPECT_EQ(EineZeile(u.ein), u.eineZeile) << u.ein;
  }
}

TEST(Text, Utf16AndCodePoints) {
  EXPECT_EQ(NachUtf16("aä€"), u"aä€");
  EXPECT_EQ(NachUtf16("\xF0\x9F\x98\x80"), std::u16string({char16_t(0xD83D), char16_t(0xDE00)}));
  EXPECT_EQ(NachUtf16("a\xFF" "b"), std::u16string({u'a', char16_t(0xFFFD), u'b'}));
  for (char32_t c : {U'A', U'ä', U'€', U'\U0001F600'}) {
    std::string s;
    Kodiere(c, s);
    std::size_t n = 0;
    EXPECT_EQ(Dekodiere(s, &n), c);
    EXPECT_EQ(n, s.size());
  }
}

TEST(Codepage, BytesOfBothPagesAndCloseCharacters) {
  // zurück: the bytes read back as the same text.
  struct Fall { Codepage cp; const char *utf8, *bytes; bool zurück = true; } fälle[] = {
      {Codepage::Cp850, "äöüßÄÖÜ", "\x84\x94\x81\xE1\x8E\x99\x9A"},
      {Codepage::Cp850, "§ é·", "\xF5 \x82\xFA"},
      {Codepage::Cp1252, "äöüßÄÖÜ€", "\xE4\xF6\xFC\xDF\xC4\xD6\xDC\x80"},
      {Codepage::Cp1252, "Šž„…", "\x8A\x9E\x84\x85"},  // 1252 has these itself
      {Codepage::Cp850, "Dvořák Łódź Gödöllő Škoda", "Dvor\xA0k L\xA2" "dz G\x94" "d\x94llo Skoda", false},
      {Codepage::Cp1252, "Dvořák Łódź Gödöllő Škoda", "Dvor\xE1k L\xF3" "dz G\xF6" "d\xF6llo \x8Akoda", false},
      {Codepage::Cp850, "„a“ ‚b‘ c–d—e … ≥ ≤ € •", "\"a\" 'b' c-d-e . > < E \xFA", false},
      {Codepage::Cp1252, "Ș ț ǎ ≠ ‰", "S t a = \x89", false},
      {Codepage::Cp850, "≈‰™†⁄ǍǏǐǑǒǓǜ", "~%T+/AIiOoUu", false},
      {Codepage::Cp1252, "Жx", "?x", false},      // no close character
      {Codepage::Cp1252, "a\xFFz", "a?z", false},  // broken UTF-8
  };
  for (const Fall& f : fälle) {
    EXPECT_EQ(NachCodepage(f.utf8, f.cp), f.bytes) << f.utf8;
    if (f.zurück) { EXPECT_EQ(AusCodepage(f.bytes, f.cp), f.utf8) << f.utf8; }
  }
  EXPECT_EQ(NachCodepage("x", Codepage::Utf8), "x");
}

// German comma; halves round away from zero after fifteen digits.
TEST(Zahlformat, MasksRoundingSectionsAndRegion) {
  const std::string preis = "#######0.000;-#######0.000;0.000";
  const Regionaleinstellungen en{".", ","};
  Prüfe({{FormatZahl(1234.5, preis), "1234,500"}, {FormatZahl(-1234.5, preis), "-1234,500"},
         {FormatZahl(0.0, preis), "0,000"}, {FormatZahl(12.3, "0000000000.00"), "0000000012,30"},
         {FormatZahl(12.3, "00000000.000"), "00000012,300"}, {FormatZahl(0.5, "0.00"), "0,50"},
         {FormatZahl(7, "000"), "007"}, {FormatZahl(123456, "00"), "123456"},  // more digits: all written
         {FormatZahl(19, "##0.00;-##0.00;0.00"), "19,00"}, {FormatZahl(0.25, "#.##"), ",25"},
         {FormatZahl(3.1, "0.##"), "3,1"}, {FormatZahl(3, "0.##"), "3,"},
         {FormatZahl(1.005, "0.00"), "1,01"},  // 1.00499999999999989... in binary
         {FormatZahl(2.5, "0"), "3"}, {FormatZahl(3.5, "0"), "4"}, {FormatZahl(-2.5, "0"), "-3"},
         {FormatZahl(0.125, "0.00"), "0,13"}, {FormatZahl(9.995, "0.00"), "10,00"},
         {FormatZahl(999.9996, "0.000"), "1000,000"},
         {FormatZahl(-5.5, "0.0"), "-5,5"},        // one section: the sign is added
         {FormatZahl(-5.5, "0.0;(0.0)"), "(5,5)"},  // the negative section carries the sign
         {FormatZahl(-5.5, "0.0;;null"), "-5,5"},   // an empty one falls back to the first
         {FormatZahl(0.0, "0.0;;null"), "null"}, {FormatZahl(-0.001, "0.00"), "-0,00"},  // keeps its sign
         {FormatZahl(1234.5, "0.00", en), "1234.50"}, {FormatZahl(1234567.891, "#,##0.00", en), "1,234,567.89"},
         {FormatZahl(1234567.891, "#,##0.00"), "1.234.567,89"}, {ZahlText(1.5), "1,5"}, {ZahlText(1.5, en), "1.5"},
         {ZahlText(0.1 + 0.2), "0,3"}, {ZahlText(-20), "-20"}});
  EXPECT_DOUBLE_EQ(Runde(1.005, 2), 1.01);
  EXPECT_DOUBLE_EQ(Runde(-0.5, 0), -1.0);
  EXPECT_DOUBLE_EQ(Runde(123.456, 1), 123.5);
}

// The masks of fixed digits go the quick way; a trailing ";" sends the same
// mask the general way, which must write the same text for every value.
TEST(Zahlformat, QuickMasksWriteWhatTheGeneralWayWrites) {
  const char* masken[] = {"##########0.00;-##########0.00;0.00", "##0.00;-##0.00;0.00", "#######0.000",
                          "0000000000.00", "00", "#0"};
  const double werte[] = {0.0, -0.0, 0.004, 0.005, -0.004, -0.005, 1.005, 9.995, 999.9995, -1234.5678,
                          12345678901.235, 1e-9, 2.5, -2.5, 0.125, 1e15, -1e15 / 3};
  for (const char* m : masken)
    for (double w : werte) EXPECT_EQ(FormatZahl(w, m), FormatZahl(w, std::string(m) + ";")) << m << " " << w;
  // Not a fixed-digit mask: the minus section differs or the zero section has other digits.
  EXPECT_EQ(FormatZahl(-1.5, "#0.00;(#0.00);0.00"), "(1,50)");
  EXPECT_EQ(FormatZahl(0.0, "#0.00;-#0.00;0.0"), "0,0");
  EXPECT_EQ(FormatZahl(0.0, "#0.00;-#0.00;00.00"), "00,00");
}

TEST(Variant, BooleansNumbersAndTexts) {
  EXPECT_EQ(Variant(true).ToString(), "Wahr");
  for (const char* wahr : {"Wahr", "true", "-1"}) EXPECT_TRUE(Variant(wahr).ToBool()) << wahr;
  for (const char* falsch : {"Falsch", "FALSCH", "0"}) EXPECT_FALSE(Variant(falsch).ToBool()) << falsch;
  EXPECT_FALSE(Variant(Variant(false).ToString()).ToBool());
  Prüfe({{Variant(std::int16_t{7}).ToString(), "7"}, {Variant(2.5).ToString(), "2,5"}, {Variant().ToString(), ""}});
  const double zahlen[][2] = {{Variant("2,5").ToDouble(), 2.5}, {Variant("1.234,5").ToDouble(), 1234.5},
                              {Variant(" 3.25 ").ToDouble(), 3.25}, {Variant(true).ToDouble(), -1.0},
                              {double(Variant(true).ToInt16()), -1}, {double(Variant(2.5).ToInt16()), 2},
                              {double(Variant(3.5).ToInt16()), 4},  // integers round half to even
                              {double(Variant(-2.5).ToInt32()), -2}, {double(Variant(32767.0).ToInt16()), 32767},
                              {double(Variant(40000.0).ToInt32()), 40000}};
  for (const auto& z : zahlen) EXPECT_DOUBLE_EQ(z[0], z[1]);
  EXPECT_TRUE(Variant().IstLeer());
  EXPECT_THROW(Variant("vielleicht").ToBool(), Fehler);
  EXPECT_THROW(Variant("12a").ToDouble(), Fehler);
  EXPECT_THROW(Variant("").ToInt32(), Fehler);
  test::Scheitert([] { Variant(40000.0).ToInt16(); }, kFehlerÜberlauf);
}

TEST(Zeilendatei, CodePagesCrLfAndFileErrors) {
  SpeicherAusgabe mem;
  Zeilenschreiber z(mem, Codepage::Cp850);
  z.Zeile("Maß");
  z.SetzeCodepage(Codepage::Cp1252);
  z.Zeile("Maß");
  z.Zeile("");
  EXPECT_EQ(mem.Daten(), std::string("Ma\xE1\r\nMa\xDF\r\n\r\n"));
  EXPECT_EQ(z.Zeilen(), 3);
}

// The names in a folder, so that a left-over new file shows.
std::vector<std::string> Namen(const std::filesystem::path& ordner) {
  std::vector<std::string> namen;
  for (const auto& e : std::filesystem::directory_iterator(ordner)) namen.push_back(e.path().filename().string());
  return namen;
}

TEST(Zieldatei, ReplacesOnlyARegularFileAndOnlyWhenWhole) {
  namespace fs = std::filesystem;
  test::Programmordner o("zieldatei");
  const fs::path ziel = o.ordner / "lv.d83", opfer = o.ordner / "opfer";
  const mode_t maske = ::umask(027);
  {
    Zieldatei neu(ziel.string());
    neu.Schreibe("NEU");
    EXPECT_FALSE(fs::exists(ziel));  // nothing at the target until the file is whole
    EXPECT_EQ(Namen(o.ordner).size(), 1u);
    neu.Übernimm();
    neu.Übernimm();  // a second call does nothing
    EXPECT_THROW(neu.Schreibe("x"), Fehler);
  }
  ::umask(maske);
  EXPECT_EQ(test::LiesDatei(ziel), "NEU");
  EXPECT_EQ(fs::status(ziel).permissions(), fs::perms(0640));  // the mode comes from the umask
  // Dropped or failed: the old target stays, no new file is left.
  for (bool übernimm : {false, true}) {
    Zieldatei neu(ziel.string());
    neu.Schreibe("HALB");
    if (!übernimm) continue;
    fs::remove(ziel);
    fs::create_directory(ziel);  // the target turned into a folder meanwhile
    EXPECT_THROW(neu.Übernimm(), Fehler);
    EXPECT_TRUE(fs::is_directory(ziel));
    fs::remove(ziel);
    o.Datei("lv.d83", "NEU");
  }
  EXPECT_EQ(test::LiesDatei(ziel), "NEU");
  EXPECT_EQ(Namen(o.ordner), std::vector<std::string>{"lv.d83"});

  // Refused before anything is written: a link (to a file or nowhere), a folder, a missing folder.
  std::ofstream(opfer) << "OPFER";
  fs::create_symlink(opfer, o.ordner / "link");
  fs::create_symlink(o.ordner / "nichts", o.ordner / "leer");
  const struct { std::string ziel, grund; } verweigert[] = {
      {"link", "symbolische Verknüpfung"}, {"leer", "symbolische Verknüpfung"}, {".", "ein Ordner"},
      {"fehlt/lv.d83", "der Ordner fehlt"}};
  for (const auto& v : verweigert) {
    const std::string pfad = (o.ordner / v.ziel).string();
    EXPECT_NE(Zieldatei::Hindernis(pfad).find(v.grund), std::string::npos) << v.ziel;
    test::Scheitert([&] { Zieldatei z(pfad); }, kFehlerDatei);
  }
  EXPECT_EQ(test::LiesDatei(opfer), "OPFER");
  EXPECT_TRUE(fs::is_symlink(o.ordner / "link"));

  // Devices are written through and keep their node.
  const auto [null, voll] = test::Geräte(o.ordner);
  {
    Zieldatei z(null);
    EXPECT_TRUE(z.Durchgereicht());
    z.Schreibe("x");
    z.Übernimm();
  }
  Zieldatei z(voll);
  z.Schreibe("x");
  test::Scheitert([&] { z.Übernimm(); }, kFehlerDatei);  // no space left on the device
  for (const std::string& d : {null, voll}) EXPECT_TRUE(fs::is_character_file(d)) << d;

  // The scratch file of a two-pass export: beside the target, read back, then gone.
  std::string zwischenPfad;
  {
    Zwischendatei zwischen(ziel.string());
    zwischenPfad = zwischen.Pfad();
    zwischen.Schreibe("ZWISCHEN");
    char puffer[16] = {};
    EXPECT_EQ(std::fread(puffer, 1, sizeof puffer, zwischen.Lesen()), 8u);
    EXPECT_EQ(fs::path(zwischenPfad).parent_path(), o.ordner);
  }
  EXPECT_FALSE(fs::exists(zwischenPfad));
}

}  // namespace
}  // namespace gaeb
