// `gaeb export --format 90` end to end through the built program: a bill
// stored in a database file is written as a GAEB 90 file; a locked document
// and a document in a foreign currency are refused with their messages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "lv90.h"

namespace gaeb {
namespace {

using test::Datei90;
using test::LV90;
using test::Sp;

struct Lauf {
  int exitcode = -1;
  std::string fehlerausgabe;
};

class Programm90 : public ::testing::Test {
 protected:
  void SetUp() override {
    ordner_ = test::Testordner() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(ordner_);
    url_ = "sqlite:" + (ordner_ / "gaeb.db").string();
    auto db = host::ÖffneVerbindung(url_);
    host::ErstelleSchema(*db);
    LV90 lv(1, 5);
    lv.Position(22, {{"Positionsnummer", "01"}, {"Kurztext1", "Mauerwerk"}});
    lv.Position(40, {{"Positionsnummer", "01.0010"},
                     {"Kurztext1", "Wand aus Kalksandstein, 24 cm"},
                     {"Langtext", "Wand\r\nKalksandstein"},
                     {"Menge", 42.5},
                     {"Mengeneinheit", "m2"},
                     {"Einzelpreis", 61.8}});
    lv.Speichere(*db);
    LV90 gesperrt(1, 6);
    gesperrt.Position(40, {{"Positionsnummer", "01.0010"}}).Speichere(*db);
    const Variant fremd[] = {Variant("jemand@anderswo:1")};
    db->Ausführen("INSERT INTO Belegsperren (Belegart, Belegnummer, Inhaber) VALUES (1, 6, ?)", fremd);
    LV90 dollar(1, 7);
    dollar.Kopf({{"Währung", "USD"}, {"Währungskurs", 0.0}}).Position(40, {{"Positionsnummer", "01.0010"}});
    dollar.Speichere(*db);
  }

  Lauf Export(int nummer, const std::string& weitere = "") {
    const std::string fehler = (ordner_ / "stderr.txt").string();
    const std::string befehl = std::string(GAEB_BIN_DIR) + "/gaeb --db " + url_ +
                               " --user tester export --type 1 --number " + std::to_string(nummer) +
                               " --format 90 --out " + Ziel(nummer) + " " + weitere + " 2>" + fehler + " >/dev/null";
    int rc = std::system(befehl.c_str());
    Lauf l;
    l.exitcode = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    l.fehlerausgabe = test::LiesDatei(fehler);
    return l;
  }
  std::string Ziel(int nummer) const { return (ordner_ / ("lv" + std::to_string(nummer) + ".d8x")).string(); }

  std::filesystem::path ordner_;
  std::string url_;
};

TEST_F(Programm90, ExportWritesTheBill) {
  Lauf l = Export(5, "--dp 83 --prices");
  EXPECT_EQ(l.exitcode, 0) << l.fehlerausgabe;
  EXPECT_EQ(l.fehlerausgabe, "");
  Datei90 d = test::LiesDatei90(Ziel(5));
  test::PrüfeZeilenformat(d);
  EXPECT_EQ(Sp(d.zeilen.at(0), 1, 13), "00        83L");
  ASSERT_EQ(d.Sätze("23").size(), 1u);
  // 42.5 m2 at 61.80 = 2626.50.
  EXPECT_EQ(Sp(d.Sätze("23")[0], 12, 36), " 0000006180  000000262650");
  EXPECT_EQ(d.Arten().back(), "99");
}

TEST_F(Programm90, LockedDocumentAnswersItsMessage) {
  Lauf l = Export(6);
  EXPECT_EQ(l.exitcode, 1);
  EXPECT_EQ(l.fehlerausgabe, "Beleg konnte nicht gesperrt werden\n");
  EXPECT_FALSE(std::filesystem::exists(Ziel(6)));
}

TEST_F(Programm90, WrongCurrencyAnswersItsMessageEveryTime) {
  for (int versuch = 0; versuch < 2; ++versuch) {
    Lauf l = Export(7, "--dp 84");
    EXPECT_EQ(l.exitcode, 1);
    EXPECT_EQ(l.fehlerausgabe, "Der Beleg ist nicht in der entsprechenden Währung erfasst. \n");
    EXPECT_FALSE(std::filesystem::exists(Ziel(7)));
  }
}

TEST_F(Programm90, QuantityCalculationIsRefused) {
  Lauf l = Export(5, "--dp 11");
  EXPECT_EQ(l.exitcode, 1);
  EXPECT_NE(l.fehlerausgabe.find("DA11"), std::string::npos) << l.fehlerausgabe;
}

}  // namespace
}  // namespace gaeb
