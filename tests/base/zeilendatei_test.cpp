// Line files: code page bytes and CR LF, and a file that cannot be written.
#include "base/zeilendatei.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/fehler.h"

namespace gaeb {
namespace {

TEST(Zeilendatei, LinesEndWithCrLfInTheirCodePage) {
  SpeicherAusgabe mem;
  Zeilenschreiber z(mem, Codepage::Cp850);
  z.Zeile("Maß");
  z.SetzeCodepage(Codepage::Cp1252);
  z.Zeile("Maß");
  z.Zeile("");
  EXPECT_EQ(mem.Daten(), std::string("Ma\xE1\r\nMa\xDF\r\n\r\n"));
  EXPECT_EQ(z.Zeilen(), 3);
}

TEST(Zeilendatei, FileOutputAndErrors) {
  auto pfad = std::filesystem::temp_directory_path() / "gaeb_zeilendatei_test.txt";
  {
    DateiAusgabe datei(pfad.string());
    Zeilenschreiber z(datei, Codepage::Utf8);
    z.Zeile("ä");
    datei.Schließe();
    EXPECT_THROW(datei.Schreibe("x"), Fehler);
  }
  std::ifstream in(pfad, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), "ä\r\n");
  std::filesystem::remove(pfad);
  try {
    DateiAusgabe nicht("/nonexistent-dir/x.txt");
    FAIL() << "opened a file in a missing folder";
  } catch (const Fehler& f) {
    EXPECT_EQ(f.Nummer(), kFehlerDatei);
  }
}

}  // namespace
}  // namespace gaeb
