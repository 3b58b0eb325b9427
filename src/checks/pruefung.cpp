// gaeb validate: the file read by the host's reader (is it readable at all?),
// the pass of its format, and the report as lines or JSON.
#include "checks/pruefung.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/fehler.h"
#include "readers/textwandler.h"

namespace gaeb::checks {

std::size_t Prüfbericht::Fehler() const {
  std::size_t n = 0;
  for (const Befund& b : befunde) n += b.hinweis ? 0 : 1;
  return n;
}

namespace {

std::string LiesAnfang(const std::string& pfad) {
  std::ifstream ein(pfad, std::ios::binary);
  std::string anfang(4096, '\0');
  ein.read(anfang.data(), static_cast<std::streamsize>(anfang.size()));
  anfang.resize(static_cast<std::size_t>(ein.gcount()));
  return anfang;
}

}  // namespace

Prüfbericht PrüfeDatei(const std::string& pfad, const std::string& schemaordner, const std::string& programmverzeichnis) {
  Prüfbericht b;
  b.datei = pfad;
  // The reader first: a file it refuses is unreadable (missing, no GAEB
  // file, not well-formed, a document type declaration ...).
  try {
    auto texte = readers::NeuerTextwandler(programmverzeichnis);
    std::vector<std::string> warnungen;
    auto zeilen = readers::LeseGaebDatei(pfad, *texte, &warnungen);
    b.version = readers::Wert(zeilen.front(), "Ausgabejahr").ToString();
    b.datenart = readers::Wert(zeilen.front(), "Datenphase").ToInt32();
  } catch (const std::exception& e) {
    b.lesbar = false;
    b.lesefehler = e.what();
  }
  const std::string anfang = std::filesystem::is_regular_file(pfad) ? LiesAnfang(pfad) : std::string();
  b.format = readers::ErkenneFormat(anfang);
  Befundliste liste;
  try {
    if (b.format == readers::Gaebformat::Xml && b.lesbar) {
      PrüfeXml(pfad, schemaordner, b, liste);
    } else if (b.format == readers::Gaebformat::Gaeb90 || b.format == readers::Gaebformat::Gaeb2000) {
      std::ifstream ein(pfad, std::ios::binary);
      const std::string daten{std::istreambuf_iterator<char>(ein), std::istreambuf_iterator<char>()};
      if (b.format == readers::Gaebformat::Gaeb90) PrüfeGaeb90(daten, b, liste);
      else PrüfeGaeb2000(daten, b, liste);
    }
  } catch (const std::exception& e) {
    b.lesbar = false;
    if (b.lesefehler.empty()) b.lesefehler = pfad + ": " + e.what();
  }
  b.befunde = liste.Ende();
  return b;
}

std::string AlsText(const Prüfbericht& b, const Befund& x) {
  std::string s = b.datei + ":";
  if (x.zeile > 0) s += std::to_string(x.zeile) + ":";
  s += " " + x.regel + (x.hinweis ? " (Hinweis): " : ": ") + x.text;
  if (!x.pfad.empty()) s += " [" + x.pfad + "]";
  return s;
}

nlohmann::ordered_json AlsJson(const Prüfbericht& b) {
  nlohmann::ordered_json j;
  j["file"] = b.datei;
  j["format"] = b.format == readers::Gaebformat::Unbekannt ? nullptr : nlohmann::ordered_json(readers::Formatname(b.format));
  j["version"] = b.version;
  j["dataType"] = b.datenart;
  j["schema"] = b.schema;
  if (!b.schemadatei.empty()) j["schemaFile"] = b.schemadatei;
  j["readable"] = b.lesbar;
  if (!b.lesbar) j["error"] = b.lesefehler;
  j["findings"] = nlohmann::ordered_json::array();
  for (const Befund& x : b.befunde) {
    nlohmann::ordered_json f;
    f["rule"] = x.regel;
    f["severity"] = x.hinweis ? "note" : "error";
    f["line"] = x.zeile;
    f["path"] = x.pfad;
    f["message"] = x.text;
    j["findings"].push_back(std::move(f));
  }
  return j;
}

}  // namespace gaeb::checks
