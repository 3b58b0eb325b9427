// The gaeb program end to end: set-up commands, the row import with its
// checks, show/read/locks and exit codes.
#include <gtest/gtest.h>

#include "programm.h"

namespace {

namespace fs = std::filesystem;
using gaeb::test::Lauf;

class Programm : public ::testing::Test, protected gaeb::test::Programmordner {
 protected:
  Programm() : Programmordner(std::string("cli_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  std::string Pfad(const std::string& name) { return "'" + (ordner / name).string() + "'"; }
};

TEST_F(Programm, SetUpCommandsAndExitCodes) {
  Lauf l = Gaeb("init");
  EXPECT_EQ(l.status, 0) << l.err;
  EXPECT_EQ(Gaeb("init").status, 0);  // idempotent
  l = Gaeb("oz-levels 1233PPPPI");
  EXPECT_EQ(l.aus, "11241\n");
  EXPECT_EQ(Gaeb("project add --number 1000 --customer 4711 --name 'Neubau'").status, 0);
  l = Gaeb("project add --number 1000");
  EXPECT_EQ(l.status, 1);
  EXPECT_NE(l.err.find("1000"), std::string::npos);
  EXPECT_EQ(Gaeb("settings set Firmendaten Name1 'Bau & Söhne'").status, 0);
  EXPECT_EQ(Gaeb("settings get Firmendaten Name1").aus, "Bau & Söhne\n");
  EXPECT_EQ(Gaeb("settings get Firmendaten Name2").status, 1);
  // Usage errors: one line with the reason, exit 2.
  l = Gaeb("project add");
  EXPECT_EQ(l.status, 2);
  EXPECT_EQ(std::count(l.err.begin(), l.err.end(), '\n'), 1) << l.err;
  EXPECT_EQ(Gaeb("export --type x --number 1 --format 2000 --out f").status, 2);
  l = Gaeb("--version");
  EXPECT_EQ(l.status, 0);
  EXPECT_EQ(l.aus.rfind("gaeb ", 0), 0u);
  EXPECT_EQ(Gaeb("--help").status, 0);
}

TEST_F(Programm, CommandsOnAMissingSchemaSayWhatToDo) {
  for (const char* befehl : {"read --type 1 --number 1", "settings get A B", "locks list",
                             "show --type 1 --number 1", "project add --number 1"}) {
    Lauf l = Gaeb(befehl);
    EXPECT_EQ(l.status, 1) << befehl;
    EXPECT_NE(l.err.find("gaeb init"), std::string::npos) << befehl << ": " << l.err;
  }
}

TEST_F(Programm, ImportShowReadAndLocks) {
  ASSERT_EQ(Gaeb("init").status, 0);
  ASSERT_EQ(Gaeb("project add --number 1000 --customer 20001").status, 0);
  Lauf l = Gaeb("import-rows '" GAEB_EXAMPLES "/kita-rohbau.json' --type 1");
  ASSERT_EQ(l.status, 0) << l.err;
  EXPECT_EQ(l.aus, "1\n");
  EXPECT_EQ(l.err, "");
  l = Gaeb("show --type 1 --number 1");
  ASSERT_EQ(l.status, 0);
  EXPECT_EQ(l.aus.rfind("{\n  \"Belegart\": 1,\n  \"Belegnummer\": 1,\n  \"Kopf\": {", 0), 0u) << l.aus.substr(0, 80);
  EXPECT_NE(l.aus.find("\"Kurztext1\": \"Baugrube ausheben, Bodenklasse 3–5\""), std::string::npos);
  EXPECT_NE(l.aus.find("\"KundenNummer\": \"20001\""), std::string::npos);
  l = Gaeb("read --type 7 --number 1");
  EXPECT_EQ(l.status, 0);
  EXPECT_NE(l.aus.find("\"belegart\": 1"), std::string::npos) << l.aus;
  EXPECT_NE(l.aus.find("\"Datenphase\": 83"), std::string::npos);
  EXPECT_EQ(Gaeb("read --type 1 --number 99").status, 1);
  EXPECT_EQ(Gaeb("locks list").aus, "");

  // An import without its end row, or of no rows, saves nothing and keeps its
  // lock: exit 1 with how to release it.
  int nummer = 2;
  for (const char* inhalt : {R"([{"Positionstyp": 10, "Projektnummer": "1000"}])", "[]"}) {
    std::string n = std::to_string(nummer++);
    l = Gaeb("import-rows " + Datei("ohne_ende.json", inhalt) + " --type 1");
    EXPECT_EQ(l.status, 1) << inhalt;
    EXPECT_EQ(l.aus, n + "\n");
    EXPECT_NE(l.err.find("nicht gespeichert und bleibt gesperrt (gaeb locks release --type 1 --number " + n + ")"),
              std::string::npos) << l.err;
    EXPECT_EQ(Gaeb("show --type 1 --number " + n).status, 1);
    // The lock's holder, the import process, has ended: the list marks it.
    l = Gaeb("locks list");
    EXPECT_EQ(l.aus.rfind("1\t" + n + "\t", 0), 0u) << l.aus;
    EXPECT_NE(l.aus.find("\t(Prozess beendet)\n"), std::string::npos) << l.aus;
    EXPECT_EQ(Gaeb("locks release --type 1 --number " + n).status, 0);
    EXPECT_EQ(Gaeb("locks list").aus, "");
  }
  EXPECT_EQ(Gaeb("locks release --type 1 --number 2").status, 1);
}

TEST_F(Programm, BadRowFilesAreRefusedBeforeAnythingIsStored) {
  ASSERT_EQ(Gaeb("init").status, 0);
  ASSERT_EQ(Gaeb("project add --number 1000").status, 0);
  struct Fall {
    const char* inhalt;
    const char* meldung;
  } fälle[] = {
      {R"([{"Positionstyp": 10, "Projektnummer": "1000"}, {"Positionstyp": 40, "Mengee": 1}])", "row 2, key \"Mengee\""},
      {R"([{"Positionstyp": 10, "Projektnummer": 1000}])", "row 1, key \"Projektnummer\""},
      {R"([{"Positionstyp": 4.5}])", "row 1, key \"Positionstyp\""},
      {R"([{"Positionstyp": 70000}])", "out of range"},
      {R"([{"MitLos": "ja"}])", "key \"MitLos\""},
      {R"({"Positionstyp": 10})", "JSON array"},
      {R"([{"Positionstyp": 10)", "not valid JSON"},
      {R"([{"Menge": 1e400}])", "number overflow"},
      {R"([{"Positionstyp": 10}, {"Positionstyp": 50}, {"Positionstyp": 10}])", "row 3: a header row"},
      {R"([{"Positionstyp": 10}, {"Positionstyp": 90}, {"Positionstyp": 50}])", "row 3 follows the end row"},
  };
  for (const Fall& f : fälle) {
    Lauf l = Gaeb("import-rows " + Datei("rows.json", f.inhalt) + " --type 1");
    EXPECT_EQ(l.status, 2) << f.inhalt;
    EXPECT_NE(l.err.find(f.meldung), std::string::npos) << l.err;
    EXPECT_EQ(l.aus, "");
  }
  EXPECT_EQ(Gaeb("locks list").aus, "");  // nothing locked, nothing stored
  EXPECT_EQ(Gaeb("import-rows " + Pfad("fehlt.json") + " --type 1").status, 2);
  Lauf l = Gaeb("import-rows '" + ordner.string() + "' --type 1");
  EXPECT_EQ(l.status, 2);
  EXPECT_NE(l.err.find(ordner.string() + " is a folder"), std::string::npos) << l.err;
}

TEST_F(Programm, FailingRowsGiveExitOneWithTheirMessages) {
  ASSERT_EQ(Gaeb("init").status, 0);
  std::string zeilen =
      Datei("rows.json", R"([{"Positionstyp": 10, "Projektnummer": "gibt es nicht"}, {"Positionstyp": 90}])");
  Lauf l = Gaeb("import-rows " + zeilen + " --type 1");
  EXPECT_EQ(l.status, 1);
  EXPECT_NE(l.err.find("Neuer Beleg:1"), std::string::npos) << l.err;
  // The document was not saved: the program says how to release its lock.
  EXPECT_NE(l.err.find("gaeb locks release --type 1 --number 1"), std::string::npos) << l.err;
  EXPECT_EQ(Gaeb("import-rows " + zeilen + " --type 0").status, 2);
  // A target the export cannot write is refused before anything is locked.
  l = Gaeb("export --type 1 --number 1 --format 2000 --out " + Pfad("fehlt/x.p83"));
  EXPECT_EQ(l.status, 2);
  EXPECT_NE(l.err.find("cannot write"), std::string::npos) << l.err;
}

TEST_F(Programm, TextConversionAndMissingConverterLibrary) {
  std::string rtf = Datei("in.rtf", "{\\rtf1\\ansi Beton {\\b C25/30}\\par liefern}");
  Lauf l = Gaeb("text --from rtf --to xml --kind L " + rtf);
  ASSERT_EQ(l.status, 0) << l.err;
  EXPECT_EQ(l.aus,
            "<Description xmlns=\"http://www.gaeb.de/GAEB_DA_XML/200407\"><CompleteText><DetailTxt><Text>"
            "<p><span>Beton </span><span style=\"font-weight:bold;\">C25/30</span></p><p><span>liefern</span></p>"
            "</Text></DetailTxt></CompleteText></Description>\n");
  EXPECT_EQ(Gaeb("text --from rtf --to xml --kind Q " + rtf).status, 2);
  // Input the converter refuses: its message, nothing written, exit 1.
  Lauf kaputt = Gaeb("text --from xml --to rtf --kind L " + Datei("kaputt.xml", "<Description>"));
  EXPECT_EQ(kaputt.status, 1);
  EXPECT_EQ(kaputt.aus, "");
  EXPECT_NE(kaputt.err.find("Fehlercode: <gtcerrors><errors>"), std::string::npos) << kaputt.err;

  // The program without its converter library beside it: the load message, no crash.
  fs::path ohne = ordner / "ohne";
  fs::create_directories(ohne);
  fs::copy_file(fs::path(GAEB_BIN_DIR) / "gaeb", ohne / "gaeb");
  std::string cmd = (ohne / "gaeb").string() + " text --from rtf --to xml --kind L " + rtf + " >/dev/null 2>'" +
                    (ordner / "err.txt").string() + "'";
  int rc = std::system(cmd.c_str());
  EXPECT_EQ(WEXITSTATUS(rc), 1);
  EXPECT_EQ(gaeb::test::LiesDatei(ordner / "err.txt"),
            "Laden der Datei " + (ohne / "gtcConverterV31.so").string() + " fehlgeschlagen\n");
}

}  // namespace

TEST_F(Programm, TakeoffImportAndQuantityCalculationFiles) {
  ASSERT_EQ(Gaeb("init").status, 0);
  ASSERT_EQ(Gaeb("project add --number 1000").status, 0);
  Lauf imp = Gaeb("import-rows '" GAEB_EXAMPLES "/kita-rohbau.json' --type 1");
  ASSERT_EQ(imp.status, 0) << imp.err;
  const std::string beleg = " --type 1 --number " + imp.aus.substr(0, imp.aus.find('\n'));
  const std::string ziel = "takeoff import '" + (ordner / "a.json").string() + "'" + beleg;
  // Refused files store nothing: a key of another kind, a formula that does not evaluate.
  const struct {
    std::string json, fehler;
  } falsch[] = {
      {R"([{"kind":"comment","oz":"01.01.0010","text":"x","formula":"1"}])", "row 1, key \"formula\""},
      {R"([{"kind":"calculation","oz":"01.01.0010","formula":"2"},{"kind":"calculation","oz":"01.01.0010","formula":"2*(3"}])",
       "Aufmaßzeile 2"},
  };
  for (const auto& f : falsch) {
    Datei("a.json", f.json);
    Lauf l = Gaeb(ziel);
    EXPECT_NE(l.status, 0) << f.json;
    EXPECT_NE(l.err.find(f.fehler), std::string::npos) << l.err;
    EXPECT_EQ(Gaeb("takeoff show" + beleg).aus, "[]\n");
  }
  Datei("a.json", R"([{"kind":"comment","oz":"01.01.0010","text":"Baufeld"},
                      {"kind":"calculation","oz":"01.01.0010","designation":"A","formula":"12,5*2^2"}])");
  ASSERT_EQ(Gaeb(ziel).status, 0);
  EXPECT_NE(Gaeb("takeoff show" + beleg).aus.find("\"quantity\": 50.0"), std::string::npos);
  for (const char* dp : {"11", "12"}) {
    const fs::path datei = ordner / (std::string("m.d") + dp);
    Lauf l = Gaeb("export" + beleg + " --format 90 --dp " + dp + " --out '" + datei.string() + "'");
    EXPECT_EQ(l.status, 0) << l.err;
    const std::string inhalt = gaeb::test::LiesDatei(datei);
    const std::string zeile = dp == std::string("11") ? "  50000" "91" "12,5*2**2=" : "      50,000" "091" "12,5*2**2=";
    EXPECT_NE(inhalt.find("*Baufeld"), std::string::npos) << inhalt;
    EXPECT_NE(inhalt.find(zeile), std::string::npos) << inhalt;
  }
}
