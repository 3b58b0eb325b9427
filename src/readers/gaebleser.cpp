#include "readers/gaebleser.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace gaeb::readers {

Gaebformat ErkenneFormat(std::string_view a) {
  if (a.substr(0, 3) == "\xEF\xBB\xBF") a.remove_prefix(3);
  std::size_t i = 0;
  while (i < a.size() && (a[i] == ' ' || a[i] == '\t' || a[i] == '\r' || a[i] == '\n')) ++i;
  if (i < a.size() && a[i] == '<') return Gaebformat::Xml;
  // GAEB 2000: a "#begin[" line, keywords in any letter case, comments "##".
  for (std::size_t p = a.find('#'); p != std::string_view::npos; p = a.find('#', p + 1)) {
    std::string_view w = a.substr(p + 1, 6);
    if (w.size() == 6) {
      std::string k;
      for (char c : w) k.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
      if (k == "begin[") return Gaebformat::Gaeb2000;
    }
  }
  // GAEB 90: the first record is "00" (or "T0" of a preliminary text) with
  // its line number in columns 75-80.
  std::size_t ende = a.find_first_of("\r\n");
  std::string_view erste = a.substr(0, ende);
  if (erste.size() >= 80 && (erste.substr(0, 2) == "00" || erste.substr(0, 2) == "T0") &&
      erste.substr(74, 6).find_first_not_of("0123456789") == std::string_view::npos)
    return Gaebformat::Gaeb90;
  return Gaebformat::Unbekannt;
}

const char* Formatname(Gaebformat f) {
  switch (f) {
    case Gaebformat::Xml: return "GAEB DA XML";
    case Gaebformat::Gaeb2000: return "GAEB 2000";
    case Gaebformat::Gaeb90: return "GAEB 90";
    case Gaebformat::Unbekannt: break;
  }
  return "unbekannt";
}

std::vector<Importzeile> LeseGaebDatei(const std::string& pfad, Textwandler& texte, std::vector<std::string>* warnungen) {
  if (std::filesystem::is_directory(pfad)) throw Lesefehler(pfad, "", "Das ist ein Ordner, keine Datei.");
  errno = 0;
  std::ifstream ein(pfad, std::ios::binary);
  if (!ein) {
    const int fehler = errno;
    throw Lesefehler(pfad, "", std::string("Die Datei kann nicht gelesen werden") +
                                   (fehler != 0 ? std::string(": ") + std::strerror(fehler) : std::string(".")));
  }
  std::string anfang(4096, '\0');
  ein.read(anfang.data(), static_cast<std::streamsize>(anfang.size()));
  anfang.resize(static_cast<std::size_t>(ein.gcount()));
  if (anfang.empty()) throw Lesefehler(pfad, "", "Die Datei ist leer.");
  std::string name = std::filesystem::path(pfad).filename().string();
  switch (ErkenneFormat(anfang)) {
    case Gaebformat::Xml:
      ein.close();
      return LeseXmlDatei(pfad, name, texte);
    case Gaebformat::Gaeb2000:
      ein.clear();
      ein.seekg(0);
      return LeseGaeb2000(ein, name, warnungen);
    case Gaebformat::Gaeb90:
      ein.clear();
      ein.seekg(0);
      return LeseGaeb90(ein, name);
    case Gaebformat::Unbekannt: break;
  }
  throw Lesefehler(pfad, "", "Das ist keine GAEB-Datei (weder GAEB DA XML noch GAEB 2000 noch GAEB 90).");
}

}  // namespace gaeb::readers
