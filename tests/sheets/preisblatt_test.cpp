// Price sheets through the program, as a tradesman answers a tender: the demo bill exported as X83 and
// imported (a bill without prices), its sheet written, the price cells filled as a spreadsheet program
// fills them (cells of the XLSX sheet part rewritten, lines of the CSV edited, a sheet saved by openpyxl),
// read back, and the bid written as X84, D84 and P84. An independent reader (openpyxl under Debian's
// /usr/bin/python3) checks our XLSX; every refusal has a case and leaves the database as it was.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <zip.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "base/codepage.h"
#include "programm.h"

namespace {

namespace fs = std::filesystem;
using gaeb::test::LiesDatei;
using nlohmann::json;

// The sheet part of an XLSX (first sheet as we write it), read or replaced in the archive.
std::string LiesTeil(const fs::path& xlsx, const char* teil = "xl/worksheets/sheet1.xml") {
  zip_t* z = zip_open(xlsx.c_str(), ZIP_RDONLY, nullptr);
  if (z == nullptr) return "";
  zip_stat_t st;
  zip_stat(z, teil, 0, &st);
  std::string s(st.size, '\0');
  zip_file_t* f = zip_fopen(z, teil, 0);
  zip_fread(f, s.data(), st.size);
  zip_fclose(f);
  zip_discard(z);
  return s;
}
void ErsetzeTeil(const fs::path& xlsx, const std::string& inhalt, const char* teil = "xl/worksheets/sheet1.xml") {
  zip_t* z = zip_open(xlsx.c_str(), 0, nullptr);
  ASSERT_NE(z, nullptr);
  char* kopie = static_cast<char*>(malloc(inhalt.size()));
  memcpy(kopie, inhalt.data(), inhalt.size());
  zip_source_t* q = zip_source_buffer(z, kopie, inhalt.size(), 1);
  ASSERT_GE(zip_file_add(z, teil, q, ZIP_FL_OVERWRITE), 0);
  ASSERT_EQ(zip_close(z), 0);
}
// The cell `ref` of a sheet part given new content (<v>, <f>), its style kept, as a spreadsheet program
// stores what the user typed.
std::string SetzeZelle(std::string xml, const std::string& ref, const std::string& inhalt) {
  std::size_t a = xml.find("<c r=\"" + ref + "\"");
  if (a == std::string::npos) return xml;
  std::size_t gt = xml.find('>', a);
  const bool leer = xml[gt - 1] == '/';
  std::string kopf = xml.substr(a, (leer ? gt - 1 : gt) - a);
  if (std::size_t t = kopf.find(" t=\""); t != std::string::npos) kopf.erase(t, kopf.find('"', t + 4) + 1 - t);
  std::size_t e = leer ? gt + 1 : xml.find("</c>", a) + 4;
  return xml.replace(a, e - a, kopf + ">" + inhalt + "</c>");
}

// Rows of a CSV file split into fields (quotes kept) and joined again.
std::vector<std::vector<std::string>> CsvZeilen(const std::string& s) {
  std::vector<std::vector<std::string>> z(1, std::vector<std::string>(1));
  bool zitiert = false;
  for (std::size_t i = s.starts_with("\xEF\xBB\xBF") ? 3 : 0; i < s.size(); ++i) {
    if (s[i] == '"') zitiert = !zitiert;
    if (!zitiert && s[i] == ';') z.back().emplace_back();
    else if (!zitiert && s[i] == '\r') z.emplace_back(1), ++i;
    else z.back().back() += s[i];
  }
  z.pop_back();
  return z;
}
std::string CsvText(const std::vector<std::vector<std::string>>& z) {
  std::string s = "\xEF\xBB\xBF";
  for (const auto& zeile : z) {
    for (std::size_t i = 0; i < zeile.size(); ++i) s += (i ? ";" : "") + zeile[i];
    s += "\r\n";
  }
  return s;
}

std::string Deutsch(double w) {
  std::string s = std::to_string(std::lround(w * 100) / 100) + "," +
                  (std::lround(w * 100) % 100 < 10 ? "0" : "") + std::to_string(std::lround(w * 100) % 100);
  return s;
}

class Preisblatt : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    p_ = new gaeb::test::Programmordner("preise");
    const std::string ex = GAEB_EXAMPLES;
    for (const std::string& a : {std::string("init"), std::string("project add --number 1000"),
                                 std::string("project add --number 1001"),
                                 "import-rows " + ex + "/kita-rohbau.json --type 1",
                                 "export --type 1 --number 1 --format xml --dp 83 --out " + Pfad("tender.x83"),
                                 "import " + Pfad("tender.x83") + " --type 1 --project 1000",
                                 "import-rows " + ex + "/schulzentrum-lose.json --type 1"})
      ASSERT_EQ(Gaeb(a).status, 0) << a << Gaeb(a).err;
    // Document 3 keeps material and labour shares.
    ASSERT_EQ(std::system(("sqlite3 " + Pfad("t.db") + " 'UPDATE Belegkopfkolvar SET AnzahlEPAnteile = 2 "
                           "WHERE Belegnummer = 3'").c_str()), 0);
    // The tender (document 2) priced through its XLSX, every item but the first package part.
    ASSERT_EQ(Gaeb("prices export --type 1 --number 2 --out " + Pfad("tender.xlsx")).status, 0);
    std::string xml = LiesTeil(p_->ordner / "tender.xlsx");
    for (const auto& [k, preis] : Preise())
      xml = SetzeZelle(xml, "H" + std::to_string(k + 8), "<v>" + std::to_string(preis) + "</v>");
    ErsetzeTeil(p_->ordner / "tender.xlsx", xml);
    einlesen_ = new gaeb::test::Lauf(Gaeb("prices import " + Pfad("tender.xlsx") + " --type 1 --number 2"));
    for (const char* dp : {"xml --dp 84 --out bid.x84", "90 --dp 84 --out bid.d84", "2000 --dp 84 --out bid.p84"})
      ASSERT_EQ(Gaeb(std::string("export --type 1 --number 2 --format ") + dp).status, 0);
  }
  static void TearDownTestSuite() {
    delete einlesen_;
    delete p_;
  }
  static gaeb::test::Lauf Gaeb(const std::string& args) {
    std::string a = args;
    for (const char* f : {"bid.x84", "bid.d84", "bid.p84"})
      if (std::size_t i = a.find(f); i != std::string::npos) a.replace(i, strlen(f), Pfad(f));
    return p_->Gaeb(a);
  }
  static std::string Pfad(const std::string& name) { return "'" + (p_->ordner / name).string() + "'"; }
  static json Zeige(int nummer) { return json::parse(Gaeb("show --type 1 --number " + std::to_string(nummer)).aus); }
  // Key and price typed for each item of the tender: all but the first package part.
  static std::vector<std::pair<int, double>> Preise() {
    std::vector<std::pair<int, double>> preise;
    bool erstesTeil = true;
    json positionen = Zeige(2)["Positionen"];
    for (int k = 0; k < static_cast<int>(positionen.size()); ++k) {
      int typ = positionen[k]["Positionstyp"];
      if (typ == 47 && erstesTeil) erstesTeil = false;
      else if (typ == 40 || typ == 47) preise.emplace_back(k, 3.25 + k * 1.5);
    }
    return preise;
  }

  static gaeb::test::Programmordner* p_;
  static gaeb::test::Lauf* einlesen_;
};
gaeb::test::Programmordner* Preisblatt::p_;
gaeb::test::Lauf* Preisblatt::einlesen_;

TEST_F(Preisblatt, OpenpyxlLiestWerteFormelnUndSchutz) {
  // Document 1 as the program imported it; document 3 with shares (material, labour) and lots.
  for (const auto& [nummer, erwartet] : {std::pair{1, "kita-rohbau.txt"}, {3, "schulzentrum-anteile.txt"}}) {
    const std::string ziel = "blatt" + std::to_string(nummer) + ".xlsx";
    ASSERT_EQ(Gaeb("prices export --type 1 --number " + std::to_string(nummer) + " --out " + Pfad(ziel)).status, 0);
    const std::string aus = (p_->ordner / "openpyxl.txt").string();
    ASSERT_EQ(std::system(("/usr/bin/python3 " GAEB_SHEETS_DIR "/blatt.py " + Pfad(ziel) + " >'" + aus + "'").c_str()), 0);
    EXPECT_EQ(LiesDatei(aus), LiesDatei(fs::path(GAEB_SHEETS_DIR) / erwartet)) << erwartet;
  }
}

TEST_F(Preisblatt, XlsxGefülltGibtPreiseUndSummenDesHosts) {
  ASSERT_EQ(einlesen_->status, 0) << einlesen_->err;
  const json d = Zeige(2);
  std::size_t mitPreis = 0;
  for (const auto& [k, preis] : Preise()) {
    const json& p = d["Positionen"][k];
    EXPECT_DOUBLE_EQ(p["Einzelpreis"].get<double>(), preis) << k;
    EXPECT_NEAR(p["Gesamtpreis"].get<double>(), std::round(p["Menge"].get<double>() * preis * 100) / 100, 1e-9) << k;
    ++mitPreis;
  }
  // The part left empty is listed, by OZ and short text.
  EXPECT_EQ(einlesen_->aus, std::to_string(mitPreis) + " Positionen mit Preis, 1 ohne Preis\n"
                            "  ohne Preis: 02.01.0020  Beton C25/30 XC2\n");
}

// A GAEB DA XML file with XPath in the GAEB namespace (prefix g).
class Xml {
 public:
  explicit Xml(const fs::path& p) : doc(xmlReadFile(p.c_str(), nullptr, XML_PARSE_NONET)), ctx(xmlXPathNewContext(doc)) {
    xmlXPathRegisterNs(ctx, BAD_CAST "g", BAD_CAST "http://www.gaeb.de/GAEB_DA_XML/200407");
  }
  ~Xml() {
    xmlXPathFreeContext(ctx);
    xmlFreeDoc(doc);
  }
  std::vector<xmlNodePtr> Knoten(const char* ausdruck, xmlNodePtr bei = nullptr) {
    ctx->node = bei;
    xmlXPathObjectPtr r = xmlXPathEvalExpression(BAD_CAST ausdruck, ctx);
    std::vector<xmlNodePtr> v;
    for (int i = 0; r && r->nodesetval && i < r->nodesetval->nodeNr; ++i) v.push_back(r->nodesetval->nodeTab[i]);
    xmlXPathFreeObject(r);
    return v;
  }
  double Zahl(const char* ausdruck, xmlNodePtr bei) {
    ctx->node = bei;
    xmlXPathObjectPtr r = xmlXPathEvalExpression(BAD_CAST ausdruck, ctx);
    double w = xmlXPathCastToNumber(r);
    xmlXPathFreeObject(r);
    return w;
  }
  xmlDocPtr doc;
  xmlXPathContextPtr ctx;
};

// Each category of the bid totals quantity x unit price of its items; the items the tender marks as
// alternative or contingency without total amount (a bid carries no marks) do not count.
TEST_F(Preisblatt, X84IstGültigUndSummiertJeBereich) {
  Xml tender(p_->ordner / "tender.x83"), bid(p_->ordner / "bid.x84");
  ASSERT_TRUE(tender.doc && bid.doc);
  std::vector<bool> zählt;
  for (xmlNodePtr it : tender.Knoten("//g:Item")) zählt.push_back(tender.Knoten("g:Provis[.='WithoutTotal']|g:ALNGroupNo|g:ALNSerNo", it).empty());
  const auto bereiche = bid.Knoten("//g:BoQCtgy");
  ASSERT_EQ(bereiche.size(), 5u);
  for (xmlNodePtr b : bereiche) {
    double summe = 0;
    for (xmlNodePtr it : bid.Knoten(".//g:Item", b))
      if (zählt.at(static_cast<std::size_t>(bid.Zahl("count(preceding::g:Item)", it))))
        summe += std::round(bid.Zahl("g:Qty", it) * bid.Zahl("g:UP", it) * 100) / 100;
    EXPECT_NEAR(bid.Zahl("g:Totals/g:Total", b), summe, 0.005) << xmlGetProp(b, BAD_CAST "RNoPart");
    EXPECT_GT(summe, 0);
  }
  const fs::path xsd = fs::path(GAEB_XSD_DIR) / "GAEB_DA_XML_84_3.1_2009-12.xsd";
  if (!fs::exists(xsd)) GTEST_SKIP() << "no schema in " GAEB_XSD_DIR " (the totals were checked)";
  xmlSchemaParserCtxtPtr pc = xmlSchemaNewParserCtxt(xsd.c_str());
  xmlSchemaPtr schema = xmlSchemaParse(pc);
  xmlSchemaValidCtxtPtr vc = xmlSchemaNewValidCtxt(schema);
  EXPECT_EQ(xmlSchemaValidateDoc(vc, bid.doc), 0);
  xmlSchemaFreeValidCtxt(vc);
  xmlSchemaFree(schema);
  xmlSchemaFreeParserCtxt(pc);
}

TEST_F(Preisblatt, D84UndP84TragenDiePreise) {
  std::map<std::string, double> erwartet;
  const json d = Zeige(2);
  for (const json& p : d["Positionen"])
    if ((p["Positionstyp"] == 40 && p["HierarchieEbene"] == 4) || p["Positionstyp"] == 45)
      erwartet[p["Positionsnummer"]] = p["Einzelpreis"];
  for (const char* datei : {"bid.d84", "bid.p84"}) {
    std::map<std::string, double> gelesen;
    for (const json& z : json::parse(Gaeb(std::string("import bid.") + (datei + 4) + " --rows").aus))
      if (z.contains("Einzelpreis") && z.value("Positionstyp", 0) != 47) gelesen[z["Positionsnummer"]] = z["Einzelpreis"];
    EXPECT_EQ(gelesen, erwartet) << datei;
  }
}

// The tender's CSV: written, prices typed into the unit-price column (J), read back; then re-sorted (rows in
// reverse order), saved in code page 1252 without byte-order mark and read again with other prices.
TEST_F(Preisblatt, CsvGefülltUmsortiertUndInCp1252) {
  ASSERT_EQ(Gaeb("prices export --type 1 --number 2 --out " + Pfad("tender.csv")).status, 0);
  const std::string csv = LiesDatei(p_->ordner / "tender.csv");
  auto z = CsvZeilen(csv);
  ASSERT_GT(z.size(), 8u);
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(z[4], (std::vector<std::string>{"", "\"Beleg\"", "\"Belegart 1, Nummer 2\"", "", "", "", "", "", "", ""}));
  EXPECT_EQ(z[6][0] + ";" + z[6][7] + ";" + z[6][8], "\"Zeile\";\"Einheitspreis\";\"Gesamtpreis\"");
  for (int runde = 0; runde < 2; ++runde) {
    for (const auto& [k, preis] : Preise()) z[7 + k][7] = Deutsch(preis + runde);
    std::string text = CsvText(z);
    if (runde == 1) {
      std::reverse(z.begin() + 7, z.end());
      text = gaeb::NachCodepage(CsvText(z).substr(3), gaeb::Codepage::Cp1252);
      std::reverse(z.begin() + 7, z.end());
    }
    p_->Datei("gefüllt.csv", text);
    auto l = Gaeb("prices import " + Pfad("gefüllt.csv") + " --type 1 --number 2");
    ASSERT_EQ(l.status, 0) << runde << l.err;
    const json d = Zeige(2);
    for (const auto& [k, preis] : Preise()) EXPECT_DOUBLE_EQ(d["Positionen"][k]["Einzelpreis"].get<double>(), preis + runde);
  }
}

// Every refusal: exit 1, the place and the reason on standard error, the document as it was.
TEST_F(Preisblatt, SchlechteEingabeÄndertNichts) {
  ASSERT_EQ(Gaeb("prices export --type 1 --number 2 --out " + Pfad("basis.csv")).status, 0);
  ASSERT_EQ(Gaeb("prices export --type 1 --number 2 --out " + Pfad("basis.xlsx")).status, 0);
  const auto basis = CsvZeilen(LiesDatei(p_->ordner / "basis.csv"));
  const std::string blatt = LiesTeil(p_->ordner / "basis.xlsx");
  const int k = Preise().front().first;  // the first item
  const std::string zeile = std::to_string(k + 8), ort = "Zeile " + zeile + ", OZ 01.01.0010: ";
  using Änderung = std::function<void(std::vector<std::vector<std::string>>&)>;
  struct Fall {
    const char* name;
    Änderung csv;         // an edit of the CSV, or
    std::string xlsxZelle;  // the new content of the item's price cell in the XLSX, or
    std::string datei;      // a file of its own (.xlsx)
    std::string meldung;
  } fälle[] = {
      {"unbekannt", [&](auto& z) { z[7 + k][0] = "999"; }, "", "", "Zeile " + zeile + ", OZ 01.01.0010: unbekannte Zeile (Schlüssel 999)"},
      {"geändert", [&](auto& z) { z[7 + k][1] = "\"01.01.0011\""; }, "", "", "Zeile " + zeile + ", OZ 01.01.0011: die Zeile ist geändert; im Beleg hat sie die OZ 01.01.0010"},
      {"ohne Schlüssel", [&](auto& z) { z[7 + k][0] = ""; z[7 + k][7] = "1,00"; }, "", "", ort + "unbekannte Zeile (ohne Schlüssel)"},
      {"doppelt", [&](auto& z) { z.push_back(z[7 + k]); }, "", "", "die Zeile steht doppelt im Blatt (auch Zeile " + zeile + ")"},
      {"keine Zahl", [&](auto& z) { z[7 + k][7] = "\"zwölf\""; }, "", "", ort + "der Preis 'zwölf' ist keine Zahl"},
      {"negativ", [&](auto& z) { z[7 + k][7] = "-5,00"; }, "", "", ort + "der Preis -5 ist negativ"},
      {"anderer Beleg", [&](auto& z) { z[4][2] = "\"Belegart 1, Nummer 1\""; }, "", "", "das Blatt gehört zu einem anderen Beleg (Belegart 1, Nummer 1), nicht zu Beleg 1/2"},
      {"kein Preisblatt", [&](auto& z) { z[6][0] = "\"Schlüssel\""; }, "", "", "kein Preisblatt: die Kopfzeile der Tabelle (Spalte Zeile) fehlt"},
      {"Formel ohne Wert", nullptr, "<f>2*3</f>", "", ort + "der Preis ist eine Formel ohne berechneten Wert"},
      {"Fehlerwert", nullptr, "<v>#VALUE!</v>", "", ort + "der Preis ist keine Zahl, sondern der Fehlerwert #VALUE!"},
      {"kein XLSX", nullptr, "", "Preise;1,00\r\n", "ist keine XLSX-Datei: kein ZIP-Archiv"},
  };
  const std::string vorher = Gaeb("show --type 1 --number 2").aus;
  for (const Fall& f : fälle) {
    std::string datei;
    if (f.csv) {
      auto z = basis;
      f.csv(z);
      datei = p_->Datei("fall.csv", CsvText(z));
    } else if (!f.xlsxZelle.empty()) {
      fs::copy_file(p_->ordner / "basis.xlsx", p_->ordner / "fall.xlsx", fs::copy_options::overwrite_existing);
      std::string xml = SetzeZelle(blatt, "H" + zeile, f.xlsxZelle);
      if (f.xlsxZelle.starts_with("<v>#")) xml.insert(xml.find("<c r=\"H" + zeile) + 3, "t=\"e\" ");
      ErsetzeTeil(p_->ordner / "fall.xlsx", xml);
      datei = Pfad("fall.xlsx");
    } else {
      datei = p_->Datei("fall.xlsx", f.datei);
    }
    auto l = Gaeb("prices import " + datei + " --type 1 --number 2");
    EXPECT_EQ(l.status, 1) << f.name;
    EXPECT_NE(l.err.find(f.meldung), std::string::npos) << f.name << ": " << l.err;
    EXPECT_EQ(Gaeb("show --type 1 --number 2").aus, vorher) << f.name;
  }
  // A formula with its computed value is taken, never evaluated: 6 stands, not 2*3.
  fs::copy_file(p_->ordner / "basis.xlsx", p_->ordner / "formel.xlsx", fs::copy_options::overwrite_existing);
  ErsetzeTeil(p_->ordner / "formel.xlsx", SetzeZelle(blatt, "H" + zeile, "<f>2*4</f><v>6</v>"));
  ASSERT_EQ(Gaeb("prices import " + Pfad("formel.xlsx") + " --type 1 --number 2").status, 0);
  EXPECT_EQ(Zeige(2)["Positionen"][k]["Einzelpreis"], 6.0);
}

// A sheet that cannot be written whole (a full device) is no success and replaces nothing; a link to a file is
// refused before any work.
TEST_F(Preisblatt, ZielWirdNurGanzErsetzt) {
  const auto [null, voll] = gaeb::test::Geräte(p_->ordner);
  p_->Datei("opfer", "OPFER");
  for (const std::string art : {".csv", ".xlsx"}) {
    fs::create_symlink(voll, p_->ordner / ("voll" + art));
    fs::create_symlink(null, p_->ordner / ("null" + art));
    fs::create_symlink(p_->ordner / "opfer", p_->ordner / ("link" + art));
    const struct { std::string ziel; int status; } fälle[] = {{"voll", 1}, {"null", 0}, {"link", 2}, {"fehlt/x", 2}};
    for (const auto& f : fälle)
      EXPECT_EQ(Gaeb("prices export --type 1 --number 2 --out " + Pfad(f.ziel + art)).status, f.status) << f.ziel << art;
  }
  EXPECT_TRUE(fs::is_character_file(voll) && fs::is_character_file(null));
  EXPECT_EQ(LiesDatei(p_->ordner / "opfer"), "OPFER");
}
}  // namespace
