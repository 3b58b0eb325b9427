// Line rules of GAEB 2000 that the reader and the validator share.
#pragma once

#include <string>
#include <string_view>

namespace gaeb::readers {

// The text in lower case (ASCII letters only: keys and block names are ASCII).
inline std::string Klein(std::string_view s) {
  std::string k(s);
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return k;
}

// The line without the blanks and tabs around it (and its CR).
inline std::string_view OhneRand(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A line (without its margins) that ends with "[end]", in any letter case.
inline bool EndetMitEnd(std::string_view z) { return z.size() >= 5 && Klein(z.substr(z.size() - 5)) == "[end]"; }

}  // namespace gaeb::readers
