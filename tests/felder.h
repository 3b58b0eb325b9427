// Compares fields of rows against a compact expectation: per row its fields
// as "name=text | name=text", each text as the field's value writes itself
// (numbers with a decimal comma, booleans as Wahr/Falsch); and checks that a
// call fails with a given run-time error.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "base/fehler.h"

namespace gaeb::test {

// f must fail with the run-time error nummer, its text containing teil.
template <class F>
void Scheitert(F f, long nummer, const std::string& teil = "") {
  try {
    f();
    ADD_FAILURE() << "no error " << nummer;
  } catch (const Fehler& e) {
    EXPECT_EQ(e.Nummer(), nummer);
    EXPECT_NE(std::string(e.what()).find(teil), std::string::npos) << e.what();
  }
}

// text(row, name) gives the text of one field of one row.
template <class Text>
void PrüfeFelder(Text text, std::initializer_list<std::pair<std::size_t, std::string>> erwartet) {
  for (const auto& [zeile, felder] : erwartet) {
    for (std::size_t a = 0; a < felder.size();) {
      std::size_t e = std::min(felder.find(" | ", a), felder.size());
      std::string feld = felder.substr(a, e - a);
      std::size_t gleich = feld.find('=');
      EXPECT_EQ(text(zeile, feld.substr(0, gleich)), feld.substr(gleich + 1)) << "row " << zeile << ": " << feld;
      a = e + 3;
    }
  }
}

}  // namespace gaeb::test
