#include "readers/xml_textzeilen.h"

#include <algorithm>
#include <vector>

namespace gaeb::readers {

void Maskiere(std::string_view s, std::string& out, bool attribut) {
  std::size_t von = 0;  // start of the characters not appended yet
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::string_view ersatz;
    switch (s[i]) {
      case '<': ersatz = "&lt;"; break;
      case '>': ersatz = "&gt;"; break;
      case '&': ersatz = "&amp;"; break;
      case '"':
        if (!attribut) continue;
        ersatz = "&quot;";
        break;
      default: continue;
    }
    out.append(s.substr(von, i - von));
    out.append(ersatz);
    von = i + 1;
  }
  out.append(s.substr(von));
}

namespace {

// The characters of each paragraph of a text element's markup without white
// space (p, div, li, tr and br end a paragraph), and after each character the
// number of blanks that follow it in the text.
struct Absatz {
  std::string zeichen;
  std::vector<unsigned char> blanks;
  void Zeichen(char c) {
    zeichen += c;
    blanks.push_back(0);
  }
};

std::vector<Absatz> AbsatzZeichen(std::string_view xml) {
  std::vector<Absatz> absätze(1);
  bool imText = false;  // inside p/div/... of a text part, not directly in the structure elements
  bool nachZeichen = false;  // blanks now follow a character of the text
  for (std::size_t i = 0; i < xml.size();) {
    if (xml[i] == '<') {
      nachZeichen = false;
      std::size_t e = xml.find('>', i);
      if (e == std::string_view::npos) break;
      std::string_view tag = xml.substr(i + 1, e - i - 1);
      bool ende = !tag.empty() && tag[0] == '/';
      if (ende) tag.remove_prefix(1);
      std::string_view name = tag.substr(0, tag.find_first_of(" /"));
      if (name == "p" || name == "div" || name == "li" || name == "tr" || name == "br") {
        if (!absätze.back().zeichen.empty() || name == "br" || (!ende && imText)) absätze.emplace_back();
        imText = !ende || name == "br";
      }
      i = e + 1;
      continue;
    }
    char c = xml[i];
    if (c == '&') {
      std::size_t e = xml.find(';', i);
      std::string_view ent = xml.substr(i + 1, e == std::string_view::npos ? 0 : e - i - 1);
      absätze.back().Zeichen(ent == "lt" ? '<' : ent == "gt" ? '>' : ent == "amp" ? '&' : ent == "quot" ? '"' : '?');
      nachZeichen = true;
      i = e == std::string_view::npos ? xml.size() : e + 1;
      continue;
    }
    if (c == ' ' && nachZeichen) {
      unsigned char& n = absätze.back().blanks.back();
      if (n < 255) ++n;
    } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      absätze.back().Zeichen(c);
      nachZeichen = true;
    } else {
      nachZeichen = false;
    }
    ++i;
  }
  while (!absätze.empty() && absätze.back().zeichen.empty()) absätze.pop_back();
  return absätze;
}

std::string OhneLeer(std::string_view s) {
  std::string r;
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') r += c;
  return r;
}

}  // namespace

std::string ZeilenZuAbsätzen(const std::string& text, std::string_view xml) {
  if (text.size() < 50) return text;
  std::vector<Absatz> absätze = AbsatzZeichen(xml);
  std::vector<std::string> zeilen;
  for (std::size_t a = 0;;) {
    std::size_t e = text.find("\r\n", a);
    zeilen.push_back(text.substr(a, e == std::string::npos ? std::string::npos : e - a));
    if (e == std::string::npos) break;
    a = e + 2;
  }
  std::string out;
  std::size_t z = 0;
  for (std::size_t k = 0; k < absätze.size(); ++k) {
    const Absatz& absatz = absätze[k];
    std::string bisher, zeichen;
    do {
      if (z >= zeilen.size()) return text;
      if (!zeichen.empty()) bisher.append(std::max<std::size_t>(1, absatz.blanks[zeichen.size() - 1]), ' ');
      bisher += zeilen[z];
      zeichen += OhneLeer(zeilen[z]);
      ++z;
    } while (zeichen.size() < absatz.zeichen.size());
    if (zeichen != absatz.zeichen) return text;
    out += (k ? "\r\n" : "") + bisher;
  }
  return z == zeilen.size() ? out : text;
}

}  // namespace gaeb::readers
