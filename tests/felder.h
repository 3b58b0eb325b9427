// Compares fields of rows against a compact expectation: per row its fields
// as "name=text | name=text", each text as the field's value writes itself
// (numbers with a decimal comma, booleans as Wahr/Falsch).
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace gaeb::test {

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
