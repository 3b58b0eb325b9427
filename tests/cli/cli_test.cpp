// The gaeb program end to end (set-up commands, the row import with its checks, show/read/locks, texts, take-off, exit
// codes), and the row import in process: what Ctrl-C and a held number do to the data.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "cli/befehle.h"
#include "cli/zeilendatei_json.h"
#include "programm.h"
#include "testhost.h"

namespace gaeb::cli {
namespace {

namespace fs = std::filesystem;
using test::Lauf;

// One command of a script: its exit status, its standard output and its error
// output, each exact, "~x~y" for containing x and y, or "*" for not checked.
struct Schritt {
  std::string befehl;
  int status;
  std::string aus = "*", err = "*";
};

void Passt(const std::string& ist, const std::string& soll, const std::string& befehl) {
  if (soll == "*") return;
  if (!soll.starts_with("~")) {
    EXPECT_EQ(ist, soll) << befehl;
    return;
  }
  for (std::size_t a = 1, e; a <= soll.size(); a = e + 1) {
    e = std::min(soll.find('~', a), soll.size());
    EXPECT_NE(ist.find(soll.substr(a, e - a)), std::string::npos) << befehl << ": " << ist;
  }
}

class Kommandozeile : public ::testing::Test, protected test::Programmordner {
 protected:
  Kommandozeile()
      : Programmordner(std::string("cli_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  std::string Pfad(const std::string& name) { return "'" + (ordner / name).string() + "'"; }
  void Skript(std::initializer_list<Schritt> schritte) {
    for (const Schritt& s : schritte) {
      Lauf l = Gaeb(s.befehl);
      EXPECT_EQ(l.status, s.status) << s.befehl << ": " << l.err;
      Passt(l.aus, s.aus, s.befehl);
      Passt(l.err, s.err, s.befehl);
    }
  }
  const std::string kita = "import-rows '" GAEB_EXAMPLES "/kita-rohbau.json' --type 1";
};

TEST_F(Kommandozeile, SetUpCommandsAndExitCodes) {
  Skript({// Every command but init asks for gaeb init on a database without schema.
          {"read --type 1 --number 1", 1, "*", "~gaeb init"}, {"settings get A B", 1, "*", "~gaeb init"},
          {"locks list", 1, "*", "~gaeb init"}, {"show --type 1 --number 1", 1, "*", "~gaeb init"},
          {"project add --number 1", 1, "*", "~gaeb init"},
          {"init", 0}, {"init", 0},  // idempotent
          {"oz-levels 1233PPPPI", 0, "11241\n"}, {"project add --number 1000 --customer 4711 --name 'Neubau'", 0},
          {"project add --number 1000", 1, "*", "~1000"}, {"settings set Firmendaten Name1 'Bau & Söhne'", 0},
          {"settings get Firmendaten Name1", 0, "Bau & Söhne\n"}, {"settings get Firmendaten Name2", 1},
          {"export --type x --number 1 --format 2000 --out f", 2}, {"--help", 0}});
  Lauf l = Gaeb("--version");
  EXPECT_EQ(l.status, 0);
  EXPECT_EQ(l.aus.rfind("gaeb ", 0), 0u);
  // Usage errors: one line with the reason, exit 2.
  l = Gaeb("project add");
  EXPECT_EQ(l.status, 2);
  EXPECT_EQ(std::count(l.err.begin(), l.err.end(), '\n'), 1) << l.err;
}

TEST_F(Kommandozeile, ImportShowReadAndLocks) {
  Skript({{"init", 0}, {"project add --number 1000 --customer 20001", 0}, {kita, 0, "1\n", ""},
          {"show --type 1 --number 1", 0,
           "~\"Kurztext1\": \"Baugrube ausheben, Bodenklasse 3–5\"~\"KundenNummer\": \"20001\""},
          {"read --type 7 --number 1", 0, "~\"belegart\": 1~\"Datenphase\": 83"},
          {"read --type 1 --number 99", 1}, {"locks list", 0, ""}});
  // show writes, row by row, what one indented JSON value of the document
  // is, byte for byte; also with no positions.
  Skript({{"import-rows " + Datei("leer.json", R"([{"Positionstyp": 10, "Projektnummer": "1000"}, {"Positionstyp": 90}])") +
               " --type 1", 0, "2\n"}});
  for (const auto& [beleg, positionen] : {std::pair{"1", 1u}, std::pair{"2", 0u}}) {
    const std::string aus = Gaeb(std::string("show --type 1 --number ") + beleg).aus;
    const auto j = nlohmann::ordered_json::parse(aus);
    EXPECT_EQ(j.dump(2) + "\n", aus);
    EXPECT_EQ(j["Belegnummer"], std::stoi(beleg));
    EXPECT_EQ(j["Positionen"].size() > 0, positionen > 0);
  }
  // An import without its end row, or of no rows, saves nothing, prints no
  // number and keeps its lock: exit 1 with how to release it. The lock's
  // holder, the import process, has ended: the list marks it, after its age;
  // --stale releases it.
  int nummer = 3;
  for (const char* inhalt : {R"([{"Positionstyp": 10, "Projektnummer": "1000"}])", "[]"}) {
    const std::string n = std::to_string(nummer++), beleg = " --type 1 --number " + n;
    Skript({{"import-rows " + Datei("ohne_ende.json", inhalt) + " --type 1", 1, "",
             "~nicht gespeichert und bleibt gesperrt (gaeb locks release" + beleg + ")"},
            {"show" + beleg, 1}, {"locks list", 0, "~ s\t(Prozess beendet)\n"}});
    EXPECT_EQ(Gaeb("locks list").aus.rfind("1\t" + n + "\t", 0), 0u);
    Skript({{nummer == 3 ? "locks release" + beleg : "locks release --stale", 0,
             nummer == 3 ? "*" : "1 Sperre beendeter Prozesse aufgehoben.\n"},
            {"locks list", 0, ""}});
  }
  Skript({{"locks release --type 1 --number 2", 1}, {"locks release --stale --type 1", 2}});
}

TEST_F(Kommandozeile, BadRowFilesAndFailingRows) {
  Skript({{"init", 0}, {"project add --number 1000", 0}});
  // Refused before anything is stored: exit 2 with the reason.
  const std::pair<const char*, const char*> fälle[] = {
      {R"([{"Positionstyp": 10, "Projektnummer": "1000"}, {"Positionstyp": 40, "Mengee": 1}])",
       "row 2, key \"Mengee\""},
      {R"([{"Positionstyp": 10, "Projektnummer": 1000}])", "row 1, key \"Projektnummer\""},
      {R"([{"Positionstyp": 4.5}])", "row 1, key \"Positionstyp\""},
      {R"([{"Positionstyp": 70000}])", "out of range"},
      {R"([{"MitLos": "ja"}])", "key \"MitLos\""},
      {R"({"Positionstyp": 10})", "JSON array"},
      {R"([{"Positionstyp": 10)", "not valid JSON"},
      {R"([{"Menge": 1e400}])", "number overflow"},
      {R"([{"Positionstyp": 10}, {"Positionstyp": 50}, {"Positionstyp": 10}])", "row 3: a header row"},
      {R"([{"Positionstyp": 10}, {"Positionstyp": 90}, {"Positionstyp": 50}])", "row 3 follows the end row"},
      // What no format carries and the engines would store differently.
      {R"([{"Positionstyp": 10}, {"Menge": 123456789012.5}])", "row 2, key \"Menge\": 123456789012.5 is wider"},
      {R"([{"Menge": 99999999.9994}, {"MengePaketteil": 1e308}])", "row 2, key \"MengePaketteil\""},
      {R"([{"Einzelpreis": 9999999999.9996}])", "key \"Einzelpreis\""},
      {R"([{"AufAbschlagProzent": -1000}])", "key \"AufAbschlagProzent\""},
      {R"([{"Positionstyp": 47, "Menge": 99999999, "Einzelpreis": 9999, "Preiseinheit": 1}])", "the total"},
      {R"([{"Kurztext1": "a\u0000b"}])", "key \"Kurztext1\": the text holds a NUL"},
      // Which error wins: the syntax over all; then keys and types in row order (by name within a row, of a
      // key given twice the last value); then the order of the rows; then the value limits; then the refusals.
      {R"([{"Mengee": 1}, {"Positionstyp": 10)", "not valid JSON"},
      {R"({"Positionstyp": 10} x)", "not valid JSON: [json.exception.parse_error.101] parse error at line 1, column 22"},
      {R"([{"Positionstyp": 90}, {"Positionstyp": 10}, {"Mengee": 1}])", "row 3, key \"Mengee\": no such property"},
      {R"([{"Positionstyp": 10}, [{"Mengee": 1}], {"Mengee": 1}])", "row 2 is not a JSON object"},
      {R"([{"Positionstyp": "x", "Mengee": 1}])", "row 1, key \"Mengee\""},
      {R"([{"Positionstyp": 10, "Kurztext1": {"a": [1]}, "Zeit": 1}])", "key \"Kurztext1\": expected a string"},
      {R"([{"Menge": "x", "Menge": 1e12}])", "row 1, key \"Menge\": 1000000000000 is wider"},
      {R"([{"Menge": 1e12}, {"Positionstyp": 90}, {"Positionstyp": 10}])", "row 3 follows the end row (Positionstyp 90) of row 2"},
      {R"([{"Positionstyp": 10}, {"Positionstyp": 47}, {"Menge": 1e12, "Einzelpreis": 1e12}])", "row 3, key \"Einzelpreis\""},
  };
  for (const auto& [inhalt, meldung] : fälle)
    Skript({{"import-rows " + Datei("rows.json", inhalt) + " --type 1", 2, "", std::string("~") + meldung}});
  Skript({{"import-rows " + Datei("rows.json", "[{\"Langtext\": \"" + std::string((1 << 20) + 1, 'x') + "\"}]") +
               " --type 1",
           2, "", "~longer than 1 MB"}});
  const std::string zeilen =
      Datei("rows.json", R"([{"Positionstyp": 10, "Projektnummer": "gibt es nicht"}, {"Positionstyp": 90}])");
  Skript({{"locks list", 0, ""},  // nothing locked, nothing stored
          {"import-rows " + Pfad("fehlt.json") + " --type 1", 2},
          {"import-rows '" + ordner.string() + "' --type 1", 2, "*", "~" + ordner.string() + " is a folder"},
          // Failing rows: exit 1 with their messages; the document is not
          // saved and its number not kept locked.
          {"import-rows " + zeilen + " --type 1", 1, "*", "~Neuer Beleg:1~der Beleg 1/1 ist nicht gespeichert\n"},
          {"locks list", 0, ""},
          {"import-rows " + zeilen + " --type 0", 2},
          // A target the export cannot write is refused before anything is locked.
          {"export --type 1 --number 1 --format 2000 --out " + Pfad("fehlt/x.p83"), 2, "*", "~der Ordner fehlt"}});
}

TEST_F(Kommandozeile, ImportStoresABillWholeOrSaysWhyNot) {
  // A GAEB 90 bill that reads, but whose title 2.1.1 stands under lot 2 without its trade: refused row by row
  // with OZ and reason, by --rows too; nothing stored, no number locked, no project made for it.
  std::string d83;
  for (const std::string& satz : {"00        83" + std::string(50, ' ') + "123PP    90 ", std::string("111"),
                                  std::string("1111"), std::string("11111"), std::string("112"), std::string("11211"),
                                  std::string("99")}) {
    char nr[16];
    std::snprintf(nr, sizeof nr, "%06d", static_cast<int>(std::count(d83.begin(), d83.end(), '\n')) + 1);
    d83 += satz + std::string(74 - satz.size(), ' ') + nr + "\r\n";
  }
  const std::string lv = Datei("lose.d83", d83), grund = "lose.d83: Zeile 6, OZ 2.1.1: Titel ohne offenes Gewerk darüber\n";
  const std::string teil = Datei("teil.json", R"([{"Positionstyp": 10, "Projektnummer": "1"},
      {"Positionstyp": 47, "Positionsnummer": "0010"}, {"Positionstyp": 47, "Positionsnummer": "0020"}, {"Positionstyp": 90}])");
  Skript({{"init", 0},
          // what needs no file is refused before the file is read
          {"import " + Pfad("fehlt.x83") + " --project 4711", 1, "", "gaeb: Projekt 4711 gibt es nicht (gaeb project add)\n"},
          {"import " + Pfad("fehlt.x83"), 1, "", "~fehlt.x83: Die Datei kann nicht gelesen werden: No such file or directory\n"},
          {"import " + lv + " --rows", 1, "~\"Positionsnummer\": \"2.1.1\"", "~" + grund + "~1 Zeile wird abgelehnt; nichts gespeichert"},
          {"import " + lv, 1, "", "~" + grund},
          {"locks list", 0, ""}, {"show --type 1 --number 1", 1}, {"project add --number 1", 0},
          {"import-rows " + teil + " --type 1", 1, "", "gaeb: " + teil.substr(1, teil.size() - 2) + ": Zeile 2, OZ 0010: Paketteil ohne Paketkopf davor\ngaeb: " +
               teil.substr(1, teil.size() - 2) + ": Zeile 3, OZ 0020: Paketteil ohne Paketkopf davor\ngaeb: " +
               teil.substr(1, teil.size() - 2) + ": 2 Zeilen werden abgelehnt; nichts gespeichert\n"},
          {"locks list", 0, ""}});
}

TEST_F(Kommandozeile, TextConversionAndMissingConverterLibrary) {
  const std::string rtf = Datei("in.rtf", "{\\rtf1\\ansi Beton {\\b C25/30}\\par liefern}");
  Skript({{"text --from rtf --to xml --kind L " + rtf, 0,
           "<Description xmlns=\"http://www.gaeb.de/GAEB_DA_XML/200407\"><CompleteText><DetailTxt><Text>"
           "<p><span>Beton </span><span style=\"font-weight:bold;\">C25/30</span></p><p><span>liefern</span></p>"
           "</Text></DetailTxt></CompleteText></Description>\n"},
          {"text --from rtf --to xml --kind Q " + rtf, 2},
          // Input the converter refuses: its message, nothing written, exit 1.
          {"text --from xml --to rtf --kind L " + Datei("kaputt.xml", "<Description>"), 1, "",
           "~Fehlercode: <gtcerrors><errors>"}});
  // The program without its converter library beside it: the load message, no crash.
  const fs::path ohne = ordner / "ohne";
  fs::create_directories(ohne);
  fs::copy_file(fs::path(GAEB_BIN_DIR) / "gaeb", ohne / "gaeb");
  std::string cmd = (ohne / "gaeb").string() + " text --from rtf --to xml --kind L " + rtf + " >/dev/null 2>'" +
                    (ordner / "err.txt").string() + "'";
  EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 1);
  EXPECT_EQ(test::LiesDatei(ordner / "err.txt"),
            "Laden der Datei " + (ohne / "gtcConverterV31.so").string() + " fehlgeschlagen\n");
}

TEST_F(Kommandozeile, TakeoffImportAndQuantityCalculationFiles) {
  Skript({{"init", 0}, {"project add --number 1000", 0}, {kita, 0, "1\n"}});
  const std::string beleg = " --type 1 --number 1", ziel = "takeoff import " + Pfad("a.json") + beleg;
  // Refused files store nothing: a key of another kind (a usage error), a
  // formula that does not evaluate.
  const Schritt falsch[] = {{R"([{"kind":"comment","oz":"01.01.0010","text":"x","formula":"1"}])", 2, "*",
                             "~row 1, key \"formula\""},
                            {R"([{"kind":"calculation","oz":"01.01.0010","formula":"2"},)"
                             R"({"kind":"calculation","oz":"01.01.0010","formula":"2*(3"}])",
                             1, "*", "~Aufmaßzeile 2"}};
  for (const Schritt& f : falsch) {
    Datei("a.json", f.befehl);
    Skript({{ziel, f.status, f.aus, f.err}, {"takeoff show" + beleg, 0, "[]\n"}});
  }
  Datei("a.json", R"([{"kind":"comment","oz":"01.01.0010","text":"Baufeld"},
                      {"kind":"calculation","oz":"01.01.0010","designation":"A","formula":"12,5*2^2"}])");
  Skript({{ziel, 0}, {"takeoff show" + beleg, 0, "~\"quantity\": 50.0"}});
  for (const auto& [dp, zeile] :
       {std::pair{"11", "  50000" "91" "12,5*2**2="}, std::pair{"12", "      50,000" "091" "12,5*2**2="}}) {
    const fs::path datei = ordner / (std::string("m.d") + dp);
    Skript({{"export" + beleg + " --format 90 --dp " + dp + " --out '" + datei.string() + "'", 0}});
    const std::string inhalt = test::LiesDatei(datei);
    EXPECT_NE(inhalt.find("*Baufeld"), std::string::npos) << inhalt;
    EXPECT_NE(inhalt.find(zeile), std::string::npos) << inhalt;
  }
}

// A bill of n rows: header, positions, end row.
std::vector<Importzeile> Rechnung(int n) {
  nlohmann::json rows = nlohmann::json::array({{{"Positionstyp", 10}, {"Projektnummer", "1000"}}});
  for (int i = 1; i < n - 1; ++i)
    rows.push_back({{"Positionstyp", 40}, {"HierarchieEbene", 4}, {"Positionsnummer", std::to_string(i)}});
  rows.push_back({{"Positionstyp", 90}});
  return LeseImportzeilen(rows);
}

// A program on a database of its own in memory, with the schema and project 1000.
struct Datenbank {
  Datenbank() {
    host::ErstelleSchema(programm.Datenbank(false));
    programm.Datenbank().Ausführen("INSERT INTO ProjekteKolvar (Projektnummer) VALUES ('1000')");
  }
  std::vector<std::string> Meldungen() {
    std::vector<std::string> out;
    auto& d =
        dynamic_cast<host::MeldungsdienstHost&>(programm.Fabrik()->Dienst<Meldungsdienst>(klassen::Meldungsdienst));
    for (const auto& m : d.Meldungen()) out.push_back(m.text);
    return out;
  }
  Optionen optionen{test::TestHost::NeuerName(), "tester"};
  Programm programm{optionen};
};

// Ctrl-C pressed while a host step of the import runs: an import whose end
// row has run is complete and saved; one stopped before it is neither saved
// nor unlocked, and the result says so.
TEST(Zeilenimport, CtrlCResultTellsWhatHappenedToTheData) {
  // schritt: the host step during which Ctrl-C comes.
  struct Fall { const char* schritt; int zeilen; bool gespeichert; } fälle[] = {
      {"PrüfeUndKorrigiere", 100, true}, {"ErzeugeBeleg", 101, false}};
  for (const Fall& f : fälle) {
    Datenbank db;
    auto störung = std::make_shared<test::Störzähler>();
    störung->signal = f.schritt;
    db.programm.Fabrik()->Registriere(klassen::Belegdaten, [störung] {
      return std::make_unique<test::StörBelegdaten>(std::make_unique<host::BelegdatenHost>(), störung);
    });
    Importergebnis e = ImportiereZeilen(db.programm, Rechnung(f.zeilen), 1);
    ASSERT_EQ(e.belegnummer, 1) << f.schritt;
    EXPECT_EQ(std::tie(e.gespeichert, e.abgebrochen, e.gesperrt),
              std::make_tuple(f.gespeichert, !f.gespeichert, !f.gespeichert)) << f.schritt;
    EXPECT_EQ(e.Erfolg(), f.gespeichert) << f.schritt;
  }
}

// Rows that stop reading as they did when checked (the file changed after
// its check) store nothing and leave no lock, the reason in the result.
TEST(Zeilenimport, RowsThatNoLongerReadStoreNothing) {
  const std::string kopf = R"([{"Positionstyp": 10, "Projektnummer": "1000"}, )";
  const std::pair<std::string, std::string> fälle[] = {
      {kopf + R"({"Positionstyp": 50}, {"Positionstyp": 90, "Menge": "x"}])", "row 3, key \"Menge\": expected a number"},
      {kopf + R"({"Positionstyp": 50, "Menge": 1e12}, {"Positionstyp": 90}])", "row 2, key \"Menge\": 1000000000000 is"},
      {kopf + R"({"Positionstyp": 50}, {"Positionstyp": 90)", "[json.exception.parse_error.101] parse error at line 1"},
  };
  for (const auto& [inhalt, grund] : fälle) {
    Datenbank db;
    std::istringstream datei(inhalt);
    const Zeilenquelle quelle{3, [&datei](const auto& nimm) { return LeseZeilendatei(datei, nimm); }};
    Importergebnis e = ImportiereZeilen(db.programm, quelle, 1);
    EXPECT_EQ(e.lesefehler.substr(0, grund.size()), grund);
    EXPECT_EQ(std::tie(e.belegnummer, e.gespeichert, e.gesperrt), std::make_tuple(1, false, false)) << grund;
    EXPECT_FALSE(e.Erfolg());
  }
}

// A number that another workstation holds is drawn again; when no number is
// left the import ends at once, with one message and nothing locked.
TEST(Zeilenimport, OnlyAHeldNumberIsDrawnAgain) {
  Datenbank db;
  Verbindung& v = db.programm.Datenbank();
  v.Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 1, 'x@anderswo:1')");
  Importergebnis e = ImportiereZeilen(db.programm, Rechnung(2), 1);
  EXPECT_EQ(e.belegnummer, 2);
  EXPECT_TRUE(e.Erfolg());
  EXPECT_EQ(db.Meldungen(), std::vector<std::string>{"Beleg konnte nicht gesperrt werden"});
  v.Ausführen("UPDATE Nummernkreise SET NaechsteNummer = 2147483648");
  e = ImportiereZeilen(db.programm, Rechnung(2), 1);
  EXPECT_EQ(e.belegnummer, 0);
  EXPECT_EQ(db.Meldungen().size(), 2u);
  EXPECT_EQ(v.Ausführen("SELECT * FROM Belegsperren"), 1);
}

}  // namespace
}  // namespace gaeb::cli
