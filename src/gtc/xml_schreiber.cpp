// The GAEB XML text markup writer (see xml_schreiber.h).
#include "gtc/xml_schreiber.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace gtc {

namespace {

std::string StilAttribut(const Stil& s) {
  std::string v;
  if (s.fett) v += "font-weight:bold;";
  if (s.kursiv) v += "font-style:italic;";
  if (s.unterstrichen) v += "text-decoration:underline;";
  return v.empty() ? v : " style=\"" + v + "\"";
}

// <name attribute>inhalt</name>, or <name attribute/> when inhalt is empty.
std::string Element(std::string_view name, const std::string& inhalt,
                    const std::string& attribute = {}) {
  std::string out = "<" + std::string(name) + attribute;
  if (inhalt.empty()) return out + "/>";
  return out + ">" + inhalt + "</" + std::string(name) + ">";
}

std::string Wurzel(std::string_view name, const std::string& inhalt,
                   const std::string& attribute = {}) {
  return Element(name, inhalt, " xmlns=\"" + std::string(kGaebNamensraum) + "\"" + attribute);
}

std::string Absätze(const std::vector<Absatz>& absätze) {
  std::string out;
  for (const Absatz& a : absätze) {
    std::string inhalt;
    for (const Stück& s : a) {
      if (s.art == Stück::Art::Lauf) {
        inhalt += "<span" + StilAttribut(s.stil) + ">" + XmlMaskiert(s.text) + "</span>";
      } else if (s.art == Stück::Art::Zeilenumbruch) {
        inhalt += "<br/>";
      }
    }
    out += Element("p", inhalt);
  }
  return out;
}

std::string Ergänzung(const Abschnitt& a, const std::string& namensraum = {}) {
  std::string attribute = namensraum + " Kind=\"" +
                          (a.lücke == Lückenart::Bieter ? "Bidder" : "Owner") +
                          "\" MarkLbl=\"" + std::to_string(a.marke) + "\"";
  return Element("TextComplement",
                 "<ComplCaption></ComplCaption>" + Element("ComplBody", Absätze(a.absätze)) +
                     "<ComplTail></ComplTail>",
                 attribute);
}

// The content of DetailTxt (textElement "Text") or OutlTxt ("TextOutlTxt"):
// stretches of text and gaps; at least one element.
std::string Abschnitte(const Text& text, std::string_view textElement) {
  std::string out;
  for (const Abschnitt& a : text.Abschnitte()) {
    out += a.istLücke ? Ergänzung(a) : Element(textElement, Absätze(a.absätze));
  }
  return out.empty() ? Element(textElement, {}) : out;
}

std::string OutlineText(const Text& kurz) {
  return Element("OutlineText", Element("OutlTxt", Abschnitte(kurz, "TextOutlTxt")));
}

}  // namespace

std::string SchreibeDescription(const Text* kurz, const Text* lang) {
  if (lang == nullptr) return Wurzel("Description", OutlineText(*kurz));
  std::string inhalt = Element("DetailTxt", Abschnitte(*lang, "Text"));
  if (kurz != nullptr && !kurz->Leer()) inhalt += OutlineText(*kurz);
  return Wurzel("Description", Element("CompleteText", inhalt));
}

std::string SchreibeAddText(const Text* kurz, const Text* lang) {
  std::string inhalt;
  if (kurz != nullptr && !kurz->OhneInhalt()) {
    inhalt += Element("OutlineAddText", Absätze(kurz->Absätze()));
  }
  inhalt += Element("DetailAddText", lang != nullptr ? Absätze(lang->Absätze()) : std::string());
  return Wurzel("AddText", inhalt);
}

std::string SchreibeElement(std::string_view name, const Text& text) {
  return Wurzel(name, Absätze(text.Absätze()));
}

bool SchreibeEinzelneLücke(const Text& text, std::string& xml) {
  std::vector<Abschnitt> abschnitte = text.Abschnitte();
  if (abschnitte.size() != 1 || !abschnitte.front().istLücke) return false;
  std::string ns = " xmlns=\"" + std::string(kGaebNamensraum) + "\"";
  xml = Ergänzung(abschnitte.front(), ns);
  return true;
}

bool IstTextelement(std::string_view name) {
  static constexpr std::string_view kLang[] = {"Descrip", "COReas", "DetailAddText", "Text",
                                               "BidComm", "ComplCaption", "ComplBody", "ComplTail"};
  return IstKurztextelement(name) ||
         std::find(std::begin(kLang), std::end(kLang), name) != std::end(kLang);
}

bool IstKurztextelement(std::string_view name) {
  static constexpr std::string_view kKurz[] = {"LblTx", "ArtOutline", "OutlineAddText",
                                               "TextOutlTxt"};
  return std::find(std::begin(kKurz), std::end(kKurz), name) != std::end(kKurz);
}

}  // namespace gtc
