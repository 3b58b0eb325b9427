// The GAEB XML text markup writer (see xml_schreiber.h).
#include "gtc/xml_schreiber.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace gtc {

namespace {

// The style attribute of a run, appended to out (nothing for plain text).
void StilAttribut(std::string& out, const Stil& s) {
  if (!s.fett && !s.kursiv && !s.unterstrichen) return;
  out += " style=\"";
  if (s.fett) out += "font-weight:bold;";
  if (s.kursiv) out += "font-style:italic;";
  if (s.unterstrichen) out += "text-decoration:underline;";
  out += '"';
}

// Appends <name attribute>inhalt</name>, or <name attribute/> when inhalt
// appends nothing. Everything goes into one string as it is written: no
// element's content is built on its own and copied.
template <class Inhalt>
void Element(std::string& out, std::string_view name, Inhalt&& inhalt, std::string_view attribute = {}) {
  out += '<';
  out += name;
  out += attribute;
  out += '>';
  const std::size_t anfang = out.size();
  inhalt();
  if (out.size() == anfang) {
    out.back() = '/';
    out += '>';
    return;
  }
  out += "</";
  out += name;
  out += '>';
}

void Leer() {}

std::string Namensraum() { return " xmlns=\"" + std::string(kGaebNamensraum) + "\""; }

void Absätze(std::string& out, const std::vector<Absatz>& absätze) {
  for (const Absatz& a : absätze) {
    Element(out, "p", [&] {
      for (const Stück& s : a) {
        if (s.art == Stück::Art::Lauf) {
          out += "<span";
          StilAttribut(out, s.stil);
          out += '>';
          out += XmlMaskiert(s.text);
          out += "</span>";
        } else if (s.art == Stück::Art::Zeilenumbruch) {
          out += "<br/>";
        }
      }
    });
  }
}

void Ergänzung(std::string& out, const Abschnitt& a, const std::string& namensraum = {}) {
  std::string attribute = namensraum + " Kind=\"" + (a.lücke == Lückenart::Bieter ? "Bidder" : "Owner") +
                          "\" MarkLbl=\"" + std::to_string(a.marke) + "\"";
  Element(
      out, "TextComplement",
      [&] {
        out += "<ComplCaption></ComplCaption>";
        Element(out, "ComplBody", [&] { Absätze(out, a.absätze); });
        out += "<ComplTail></ComplTail>";
      },
      attribute);
}

// The content of DetailTxt (textElement "Text") or OutlTxt ("TextOutlTxt"):
// stretches of text and gaps; at least one element.
void Abschnitte(std::string& out, const Text& text, std::string_view textElement) {
  const std::size_t anfang = out.size();
  for (const Abschnitt& a : text.Abschnitte()) {
    if (a.istLücke) {
      Ergänzung(out, a);
    } else {
      Element(out, textElement, [&] { Absätze(out, a.absätze); });
    }
  }
  if (out.size() == anfang) Element(out, textElement, Leer);
}

void OutlineText(std::string& out, const Text& kurz) {
  Element(out, "OutlineText", [&] { Element(out, "OutlTxt", [&] { Abschnitte(out, kurz, "TextOutlTxt"); }); });
}

}  // namespace

std::string SchreibeDescription(const Text* kurz, const Text* lang) {
  std::string out;
  Element(
      out, "Description",
      [&] {
        if (lang == nullptr) return OutlineText(out, *kurz);
        Element(out, "CompleteText", [&] {
          Element(out, "DetailTxt", [&] { Abschnitte(out, *lang, "Text"); });
          if (kurz != nullptr && !kurz->Leer()) OutlineText(out, *kurz);
        });
      },
      Namensraum());
  return out;
}

std::string SchreibeAddText(const Text* kurz, const Text* lang) {
  std::string out;
  Element(
      out, "AddText",
      [&] {
        if (kurz != nullptr && !kurz->OhneInhalt())
          Element(out, "OutlineAddText", [&] { Absätze(out, kurz->Absätze()); });
        Element(out, "DetailAddText", [&] {
          if (lang != nullptr) Absätze(out, lang->Absätze());
        });
      },
      Namensraum());
  return out;
}

std::string SchreibeElement(std::string_view name, const Text& text) {
  std::string out;
  Element(out, name, [&] { Absätze(out, text.Absätze()); }, Namensraum());
  return out;
}

bool SchreibeEinzelneLücke(const Text& text, std::string& xml) {
  std::vector<Abschnitt> abschnitte = text.Abschnitte();
  if (abschnitte.size() != 1 || !abschnitte.front().istLücke) return false;
  xml.clear();
  Ergänzung(xml, abschnitte.front(), Namensraum());
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
