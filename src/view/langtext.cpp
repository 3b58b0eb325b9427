#include "view/langtext.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/fehler.h"
#include "textconv/textkonverter.h"
#include "view/ansicht.h"

namespace gaeb::view {

namespace {

// A paragraph as HTML, and its plain characters (to tell lists and tables).
struct Absatz {
  std::string html;
  std::string klar;
};

bool Ist(xmlNodePtr n, const char* name) { return n->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0; }

std::string Attribut(xmlNodePtr n, const char* name) {
  xmlChar* w = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
  std::string s = w ? reinterpret_cast<const char*>(w) : "";
  xmlFree(w);
  return s;
}

// The runs below n, appended to the open paragraph; p ends it.
void Sammle(xmlNodePtr n, std::vector<Absatz>& absätze, bool& lücke) {
  for (xmlNodePtr k = n->children; k != nullptr; k = k->next) {
    if (k->type == XML_TEXT_NODE) {
      std::string t = reinterpret_cast<const char*>(k->content);
      absätze.back().html += Html(t);
      absätze.back().klar += t;
    } else if (Ist(k, "p")) {
      if (!absätze.back().klar.empty() || !absätze.back().html.empty()) absätze.emplace_back();
      Sammle(k, absätze, lücke);
      absätze.emplace_back();
    } else if (Ist(k, "br")) {
      absätze.back().html += "<br>";
      absätze.back().klar += ' ';
    } else if (Ist(k, "span")) {
      const std::string stil = Attribut(k, "style");
      std::string auf, zu;
      if (stil.find("bold") != std::string::npos) auf += "<b>", zu = "</b>" + zu;
      if (stil.find("italic") != std::string::npos) auf += "<i>", zu = "</i>" + zu;
      if (stil.find("underline") != std::string::npos) auf += "<u>", zu = "</u>" + zu;
      absätze.back().html += auf;
      Sammle(k, absätze, lücke);
      absätze.back().html += zu;
    } else if (Ist(k, "TextComplement")) {
      const bool bieter = Attribut(k, "Kind") != "Owner";
      lücke = lücke || bieter;
      absätze.back().html += bieter ? "<span class=\"luecke\" title=\"Bieterlücke\">" : "<span class=\"luecke ag\" title=\"Auftraggeberlücke\">";
      Sammle(k, absätze, lücke);
      absätze.back().html += "</span>";
    } else if (k->type == XML_ELEMENT_NODE) {
      Sammle(k, absätze, lücke);
    }
  }
}

// The paragraphs of the RTF form through the converter; false when it gives none.
bool AusRtf(const std::string& rtf, const std::string& verzeichnis, std::vector<Absatz>& absätze, bool& lücke) {
  std::string xml;
  try {
    clsGaebTextkonverter k;
    k.m_AppExeDir(verzeichnis);
    xml = k.RunGtcConverterTest_RTF_GXML(rtf, "L");
  } catch (const Fehler&) {
    return false;
  }
  if (xml.empty()) return false;
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
      xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, "UTF-8", XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
      &xmlFreeDoc);
  if (!doc || xmlDocGetRootElement(doc.get()) == nullptr) return false;
  absätze.assign(1, Absatz{});
  Sammle(xmlDocGetRootElement(doc.get()), absätze, lücke);
  while (!absätze.empty() && absätze.back().klar.empty() && absätze.back().html.empty()) absätze.pop_back();
  return !absätze.empty();
}

std::vector<Absatz> AusZeilen(const std::string& text) {
  std::vector<Absatz> absätze;
  std::size_t a = 0;
  while (a <= text.size()) {
    std::size_t e = text.find('\n', a);
    std::string zeile = text.substr(a, e == std::string::npos ? std::string::npos : e - a);
    if (!zeile.empty() && zeile.back() == '\r') zeile.pop_back();
    absätze.push_back({Html(zeile), zeile});
    if (e == std::string::npos) break;
    a = e + 1;
  }
  while (!absätze.empty() && absätze.back().klar.empty()) absätze.pop_back();
  return absätze;
}

// "- ", "• ", "* " start an item of a list; "1. " to "99. " one of a numbered list.
int Listenart(const std::string& s, std::size_t& länge) {
  if (s.starts_with("- ") || s.starts_with("* ")) return länge = 2, 1;
  if (s.starts_with("\xE2\x80\xA2 ")) return länge = 4, 1;
  std::size_t i = 0;
  while (i < s.size() && i < 2 && s[i] >= '0' && s[i] <= '9') ++i;
  if (i > 0 && s.size() > i + 1 && s[i] == '.' && s[i + 1] == ' ') return länge = i + 2, 2;
  return 0;
}

// The HTML of a paragraph without the first n characters of its plain text
// (the list mark), which stand at its very start.
std::string OhneMarke(const Absatz& a, std::size_t n) {
  std::string mark = Html(a.klar.substr(0, n));
  std::size_t p = a.html.find(mark);
  return p == std::string::npos ? a.html : a.html.substr(0, p) + a.html.substr(p + mark.size());
}

std::vector<std::string> Zellen(const std::string& html) {
  std::vector<std::string> z;
  std::size_t a = 0;
  for (std::size_t e; (e = html.find('\t', a)) != std::string::npos; a = e + 1) z.push_back(html.substr(a, e - a));
  z.push_back(html.substr(a));
  return z;
}

}  // namespace

std::string LangtextHtml(const Langtextquelle& q, const std::string& programmverzeichnis, bool& lücke) {
  std::vector<Absatz> absätze;
  if (q.rtf.empty() || programmverzeichnis.empty() || !AusRtf(q.rtf, programmverzeichnis, absätze, lücke))
    absätze = AusZeilen(q.text);
  std::string out;
  int liste = 0;       // open list: 1 <ul>, 2 <ol>
  bool tabelle = false;
  auto schließe = [&] {
    if (liste != 0) out += liste == 1 ? "</ul>" : "</ol>";
    if (tabelle) out += "</table>";
    liste = 0;
    tabelle = false;
  };
  for (const Absatz& a : absätze) {
    std::size_t länge = 0;
    const int art = Listenart(a.klar, länge);
    const bool zeile = art == 0 && a.klar.find('\t') != std::string::npos;
    if (art != liste || zeile != tabelle) schließe();
    if (art != 0) {
      if (liste == 0) out += art == 1 ? "<ul>" : "<ol>";
      liste = art;
      out += "<li>" + OhneMarke(a, länge) + "</li>";
    } else if (zeile) {
      if (!tabelle) out += "<table class=\"texttabelle\">";
      tabelle = true;
      out += "<tr>";
      for (const std::string& z : Zellen(a.html)) out += "<td>" + z + "</td>";
      out += "</tr>";
    } else {
      out += a.klar.empty() && a.html.empty() ? "<p>&nbsp;</p>" : "<p>" + a.html + "</p>";
    }
  }
  schließe();
  return out;
}

}  // namespace gaeb::view
