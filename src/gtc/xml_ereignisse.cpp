// The GAEB XML text markup as parser events, read into the converter's model
// (see xml_ereignisse.h).
#include "gtc/xml_ereignisse.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "gtc/xml_schreiber.h"

namespace gtc {

namespace {

// Content nested deeper than this is left out with an error (libxml2 itself
// stops at 2048 levels for long texts).
constexpr int kMaxXmlTiefe = 512;

// Bold, italic and underline from a style attribute value (CSS declarations).
Stil StilAus(const std::string& css, Stil stil) {
  std::string s;
  for (char c : css) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
      s.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
  }
  std::size_t anfang = 0;
  while (anfang < s.size()) {
    std::size_t ende = s.find(';', anfang);
    if (ende == std::string::npos) ende = s.size();
    std::string decl = s.substr(anfang, ende - anfang);
    anfang = ende + 1;
    std::size_t doppelpunkt = decl.find(':');
    if (doppelpunkt == std::string::npos) continue;
    std::string name = decl.substr(0, doppelpunkt);
    std::string wert = decl.substr(doppelpunkt + 1);
    if (name == "font-weight") {
      stil.fett = wert == "bold" || wert == "bolder" || wert == "600" || wert == "700" ||
                  wert == "800" || wert == "900";
    } else if (name == "font-style") {
      stil.kursiv = wert == "italic" || wert == "oblique";
    } else if (name == "text-decoration") {
      stil.unterstrichen = wert.find("underline") != std::string::npos;
    }
  }
  return stil;
}

// Characters of a text node or of all text below an element, changed in
// place: line breaks become blanks, other control characters (which XML may
// carry but a run may not) are dropped. The input is valid UTF-8 from the
// parser, whose bytes of characters beyond ASCII are all 0x80 or more.
void Säubere(std::string& s) {
  std::size_t aus = 0;
  for (char c : s) {
    if (c == '\r' || c == '\n') c = ' ';
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') continue;
    s[aus++] = c;
  }
  s.resize(aus);
}

bool NurLeerraum(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

// Keeps track of the paragraphs of one stretch of text: the first paragraph
// continues the line the text is at, every further one begins a new line.
struct Absatzfolge {
  Text* text = nullptr;
  bool erster = true;
  bool offen = false;  // loose runs are being collected into a paragraph

  void Neu() {
    if (!erster) text->Absatzende();
    erster = false;
    offen = false;
  }
  void Lose() {
    if (!offen) Neu();
    offen = true;
  }
};

// Appends the pieces of quelle to ziel as if they had been written there.
void HängeAn(Text& ziel, const Text& quelle) {
  for (const Stück& s : quelle.Stücke()) {
    switch (s.art) {
      case Stück::Art::Lauf: ziel.Lauf(s.text, s.stil); break;
      case Stück::Art::Zeilenumbruch: ziel.Zeilenumbruch(); break;
      case Stück::Art::Absatzende: ziel.Absatzende(); break;
      case Stück::Art::LückeAnfang: ziel.LückeAnfang(s.lücke, s.marke); break;
      case Stück::Art::LückeEnde: ziel.LückeEnde(); break;
    }
  }
}

// The reader works on the parser's events, so memory stays bounded by the
// text it builds, not by a tree of the document. Each open element has a
// frame that says what its content means.
enum class Rolle {
  Ignorieren,     // element and everything in it are left out
  Description,    // CompleteText, OutlineText
  CompleteText,   // DetailTxt, OutlineText
  OutlineText,    // its first OutlTxt is the short text
  Abschnitte,     // DetailTxt / OutlTxt: text elements and gaps
  Ergänzung,      // TextComplement: caption, body, tail
  AddText,        // OutlineAddText, DetailAddText
  Inhalt,         // blocks: paragraphs, lists, tables, loose runs
  Zeile,          // inline content of a paragraph
  Tabelle,
  Tabellenzeile,
  Lauf,           // span: all characters below it
};

struct Rahmen {
  Rolle rolle = Rolle::Ignorieren;
  Text* text = nullptr;                       // where the content goes
  Text eigen;                                 // a text this frame builds itself
  std::optional<Text>* ablage = nullptr;      // where eigen goes at the end
  Absatzfolge eigeneFolge;
  Absatzfolge* folge = nullptr;
  Stil stil;
  int tiefe = 1;
  int nummer = 0;          // Inhalt: items of a list so far
  bool ol = false;         // Inhalt: the element is an ordered list
  bool gesehen = false;    // OutlineText: its OutlTxt was read; Tabellenzeile: a cell was
  bool lückeAmEnde = false;  // Inhalt of a ComplBody: closes the gap
  std::string_view textElement;  // Abschnitte: "Text" or "TextOutlTxt"
  Lückenart art = Lückenart::Bieter;  // Ergänzung
  std::int64_t marke = 0;
  Text teile[3];           // Ergänzung: caption, body, tail
};

struct Attribute {
  std::span<const Attribut> liste;
  // The value of the attribute name, empty when missing.
  std::string Wert(std::string_view name) const {
    for (const Attribut& a : liste)
      if (a.name == name) return std::string(a.wert);
    return {};
  }
};

// Attribute values come as the parser has them: entity and character
// references of attributes are already replaced.
class Leser {
 public:
  Leser(Meldungen& meldungen, GaebText& out) : meldungen_(meldungen), out_(out) {}

  void Anfang(std::string_view name, bool gaeb, const Attribute& attr) {
    Zeichenende();
    if (!wurzelGesehen_) {
      wurzelGesehen_ = true;
      Wurzel(name, gaeb, attr);
      return;
    }
    if (rahmen_.empty()) return;
    Rahmen& r = rahmen_.back();
    if (r.rolle == Rolle::Lauf || r.rolle == Rolle::Ignorieren) {
      ++r.nummer;  // nested elements of a span or of a left-out element
      return;
    }
    if (!gaeb) {
      Neu(Rolle::Ignorieren);
      return;
    }
    switch (r.rolle) {
      case Rolle::Description:
      case Rolle::CompleteText:
        if (name == "CompleteText" && r.rolle == Rolle::Description) {
          Neu(Rolle::CompleteText);
        } else if (name == "DetailTxt" && r.rolle == Rolle::CompleteText) {
          NeuAbschnitte("Text", &out_.lang);
        } else if (name == "OutlineText") {
          NeuUmriss();
        } else {
          Neu(Rolle::Ignorieren);
        }
        break;
      case Rolle::OutlineText:
        if (name == "OutlTxt" && !r.gesehen) {
          r.gesehen = true;
          Text* ziel = &r.eigen;
          Rahmen& a = Neu(Rolle::Abschnitte);
          a.text = ziel;
          a.textElement = "TextOutlTxt";
        } else {
          Neu(Rolle::Ignorieren);
        }
        break;
      case Rolle::Abschnitte:
        if (name == r.textElement) {
          NeuInhalt(r.text, Stil{}, 1);
        } else if (name == "TextComplement") {
          NeuErgänzung(r.text, attr);
        } else {
          if (name == "attachment") meldungen_.Hinweis("Ein Anhang wurde nicht übernommen.");
          Neu(Rolle::Ignorieren);
        }
        break;
      case Rolle::Ergänzung: {
        int teil = name == "ComplCaption" ? 0 : name == "ComplBody" ? 1 : name == "ComplTail" ? 2 : -1;
        if (teil < 0) {
          Neu(Rolle::Ignorieren);
          break;
        }
        Text* ziel = &r.teile[teil];
        if (teil == 1) ziel->LückeAnfang(r.art, r.marke);
        NeuInhalt(ziel, Stil{}, 1).lückeAmEnde = teil == 1;
        break;
      }
      case Rolle::AddText:
        if (name == "OutlineAddText" || name == "DetailAddText") {
          NeuFlach(name == "OutlineAddText" ? &out_.kurz : &out_.lang);
        } else {
          Neu(Rolle::Ignorieren);
        }
        break;
      case Rolle::Inhalt:
        ImInhalt(name, attr);
        break;
      case Rolle::Zeile:
        InDerZeile(name, attr);
        break;
      case Rolle::Tabelle:
        if (name == "tr") {
          r.folge->Neu();
          Rahmen& z = Neu(Rolle::Tabellenzeile);
          Erbe(z, r);
        } else {
          Neu(Rolle::Ignorieren);
        }
        break;
      case Rolle::Tabellenzeile:
        if (name == "td" || name == "th") {
          if (r.gesehen) r.text->Lauf(std::string_view("\t"), r.stil);
          r.gesehen = true;
          NeuInhalt(r.text, r.stil, r.tiefe + 1);
        } else {
          Neu(Rolle::Ignorieren);
        }
        break;
      case Rolle::Lauf:
      case Rolle::Ignorieren:
        break;
    }
  }

  void Ende() {
    if (rahmen_.empty()) return;
    Rahmen& r = rahmen_.back();
    if ((r.rolle == Rolle::Lauf || r.rolle == Rolle::Ignorieren) && r.nummer > 0) {
      --r.nummer;
      return;
    }
    Zeichenende();
    if (r.rolle == Rolle::Lauf) {
      Säubere(lauf_);
      r.text->Lauf(std::move(lauf_), r.stil);
      lauf_ = std::string();
    } else if (r.rolle == Rolle::Ergänzung) {
      for (const Text& teil : r.teile) HängeAn(*r.text, teil);
    } else if (r.lückeAmEnde) {
      r.text->LückeEnde();
    }
    if (r.ablage != nullptr) *r.ablage = std::move(r.eigen);
    rahmen_.pop_back();
  }

  void Zeichen(const char* z, std::size_t n) {
    if (rahmen_.empty()) return;
    Rolle rolle = rahmen_.back().rolle;
    if (rolle == Rolle::Lauf) {
      lauf_.append(z, n);
    } else if (rolle == Rolle::Inhalt || rolle == Rolle::Zeile) {
      zeichen_.append(z, n);
    }
  }

  bool Fehlerhaft() const { return fehlerhaft_; }
  bool WurzelGesehen() const { return wurzelGesehen_; }

 private:
  void Wurzel(std::string_view name, bool gaeb, const Attribute& attr) {
    if (!gaeb) {
      Fehlerwurzel("Das Element " + std::string(name) + " gehört nicht zum Namensraum von GAEB DA XML.");
    } else if (name == "Description") {
      Neu(Rolle::Description);
    } else if (name == "CompleteText") {
      Neu(Rolle::CompleteText);
    } else if (name == "OutlineText") {
      NeuUmriss();
    } else if (name == "DetailTxt") {
      NeuAbschnitte("Text", &out_.lang);
    } else if (name == "OutlTxt") {
      NeuAbschnitte("TextOutlTxt", &out_.kurz);
    } else if (name == "AddText") {
      Neu(Rolle::AddText);
    } else if (name == "TextComplement") {
      // The holder of the text the gap goes into stays open to the end.
      Rahmen& halter = Neu(Rolle::Abschnitte);
      halter.ablage = &out_.lang;
      halter.text = &halter.eigen;
      NeuErgänzung(halter.text, attr);
    } else if (IstKurztextelement(name)) {
      NeuFlach(&out_.kurz);
    } else if (IstTextelement(name)) {
      NeuFlach(&out_.lang);
    } else {
      Fehlerwurzel("Das Element " + std::string(name) + " ist kein Textelement von GAEB DA XML.");
    }
  }

  void Fehlerwurzel(const std::string& text) {
    fehlerhaft_ = true;
    wurzelFehler_ = text;
    Neu(Rolle::Ignorieren);
  }

 public:
  // The root was no text element: the message (after a well-formed parse).
  const std::string& Wurzelfehler() const { return wurzelFehler_; }
  // A TextComplement root has its holder frame still open at the end.
  void Abschließen() {
    while (!rahmen_.empty()) Ende();
  }

 private:
  Rahmen& Neu(Rolle rolle) {
    rahmen_.emplace_back();
    rahmen_.back().rolle = rolle;
    return rahmen_.back();
  }

  static void Erbe(Rahmen& kind, const Rahmen& eltern) {
    kind.text = eltern.text;
    kind.folge = eltern.folge;
    kind.stil = eltern.stil;
    kind.tiefe = eltern.tiefe;
  }

  void NeuUmriss() {
    Rahmen& r = Neu(Rolle::OutlineText);
    r.ablage = &out_.kurz;
  }

  void NeuAbschnitte(std::string_view textElement, std::optional<Text>* ablage) {
    Rahmen& r = Neu(Rolle::Abschnitte);
    r.text = &r.eigen;
    r.ablage = ablage;
    r.textElement = textElement;
  }

  void NeuFlach(std::optional<Text>* ablage) {
    Rahmen& r = NeuInhalt(nullptr, Stil{}, 1);
    r.text = &r.eigen;
    r.eigeneFolge.text = &r.eigen;
    r.ablage = ablage;
  }

  Rahmen& NeuInhalt(Text* ziel, Stil stil, int tiefe) {
    Rahmen& r = Neu(Erlaubt(tiefe, Rolle::Inhalt));
    r.text = ziel;
    r.eigeneFolge.text = ziel;
    r.folge = &r.eigeneFolge;
    r.stil = stil;
    r.tiefe = tiefe;
    return r;
  }

  void NeuErgänzung(Text* ziel, const Attribute& attr) {
    Rahmen& r = Neu(Rolle::Ergänzung);
    r.text = ziel;
    r.art = attr.Wert("Kind") == "Owner" ? Lückenart::Auftraggeber : Lückenart::Bieter;
    std::string marke = attr.Wert("MarkLbl");
    try {
      r.marke = marke.empty() ? 0 : std::stoll(marke);
    } catch (const std::exception&) {
      meldungen_.Hinweis("Die Marke \"" + marke + "\" einer Textergänzung ist keine Zahl.");
    }
  }

  void NeuZeile(const Rahmen& eltern, Stil stil) {
    Text* ziel = eltern.text;
    int tiefe = eltern.tiefe + 1;
    Rahmen& z = Neu(Erlaubt(tiefe, Rolle::Zeile));
    z.text = ziel;
    z.stil = stil;
    z.tiefe = tiefe;
  }

  // The role of a block at nesting depth tiefe: beyond the limit its content
  // is left out, and that is an error of the text (reported once).
  Rolle Erlaubt(int tiefe, Rolle rolle) {
    if (tiefe <= kMaxXmlTiefe) return rolle;
    if (!zuTief_) {
      zuTief_ = true;
      meldungen_.Fehler("Der GAEB-XML-Text ist tiefer als " + std::to_string(kMaxXmlTiefe) +
                        " Ebenen verschachtelt; der tiefere Inhalt fehlt.");
    }
    return Rolle::Ignorieren;
  }

  void NeuLauf(Text* ziel, Stil stil) {
    Rahmen& l = Neu(Rolle::Lauf);
    l.text = ziel;
    l.stil = stil;
  }

  // A child element of a block.
  void ImInhalt(std::string_view name, const Attribute& attr) {
    Rahmen& r = rahmen_.back();
    if (name == "p" || name == "div") {
      r.folge->Neu();
      NeuZeile(r, StilAus(attr.Wert("style"), r.stil));
    } else if (name == "span") {
      r.folge->Lose();
      NeuLauf(r.text, StilAus(attr.Wert("style"), r.stil));
    } else if (name == "br") {
      r.folge->Lose();
      r.text->Zeilenumbruch();
      Neu(Rolle::Ignorieren);
    } else if (name == "page") {
      r.folge->Neu();
      Neu(Rolle::Ignorieren);
    } else if (name == "ul" || name == "ol") {
      Text* ziel = r.text;
      Absatzfolge* folge = r.folge;
      Stil stil = r.stil;
      int tiefe = r.tiefe + 1;
      Rahmen& liste = NeuInhalt(ziel, stil, tiefe);
      liste.folge = folge;
      liste.ol = name == "ol";
    } else if (name == "li") {
      r.folge->Neu();
      ++r.nummer;
      r.text->Lauf(r.ol ? std::to_string(r.nummer) + ". " : "- ", r.stil);
      NeuInhalt(r.text, r.stil, r.tiefe + 1);
    } else if (name == "table") {
      Rahmen& t = Neu(Rolle::Tabelle);
      Erbe(t, rahmen_[rahmen_.size() - 2]);
    } else if (name == "image" || name == "Image") {
      meldungen_.Hinweis("Ein Bild wurde nicht übernommen.");
      Neu(Rolle::Ignorieren);
    } else {
      r.folge->Lose();
      NeuZeile(r, r.stil);
    }
  }

  // A child element of a paragraph.
  void InDerZeile(std::string_view name, const Attribute& attr) {
    Rahmen& r = rahmen_.back();
    if (name == "span") {
      NeuLauf(r.text, StilAus(attr.Wert("style"), r.stil));
    } else if (name == "br") {
      r.text->Zeilenumbruch();
      Neu(Rolle::Ignorieren);
    } else if (name == "image" || name == "Image") {
      meldungen_.Hinweis("Ein Bild wurde nicht übernommen.");
      Neu(Rolle::Ignorieren);
    } else {
      NeuZeile(r, StilAus(attr.Wert("style"), r.stil));
    }
  }

  // The characters collected since the last tag form one text node.
  void Zeichenende() {
    if (zeichen_.empty() || rahmen_.empty()) return;
    Rahmen& r = rahmen_.back();
    std::string s = std::move(zeichen_);
    zeichen_ = std::string();
    Säubere(s);
    if (NurLeerraum(s)) return;
    if (r.rolle == Rolle::Inhalt) r.folge->Lose();
    r.text->Lauf(std::move(s), r.stil);
  }

  Meldungen& meldungen_;
  GaebText& out_;
  std::deque<Rahmen> rahmen_;
  std::string zeichen_;  // characters of the current text node
  std::string lauf_;     // characters of the current span
  bool wurzelGesehen_ = false;
  bool zuTief_ = false;  // content beyond kMaxXmlTiefe was left out
  bool fehlerhaft_ = false;
  std::string wurzelFehler_;
};

}  // namespace

struct XmlEreignisse::Kern {
  GaebText text;
  Meldungen meldungen;
  Leser leser{meldungen, text};
};

XmlEreignisse::XmlEreignisse() : kern_(std::make_unique<Kern>()) {}
XmlEreignisse::~XmlEreignisse() = default;

void XmlEreignisse::Anfang(std::string_view name, bool gaeb, std::span<const Attribut> attribute) {
  kern_->leser.Anfang(name, gaeb, Attribute{attribute});
}

void XmlEreignisse::Zeichen(std::string_view zeichen) { kern_->leser.Zeichen(zeichen.data(), zeichen.size()); }

void XmlEreignisse::Ende() { kern_->leser.Ende(); }

bool XmlEreignisse::Fertig(GaebText& text, Meldungen& meldungen) {
  Leser& leser = kern_->leser;
  if (!leser.WurzelGesehen()) {
    meldungen.Fehler("Der GAEB-XML-Text ist nicht wohlgeformt: kein Element");
    return false;
  }
  if (leser.Fehlerhaft()) {
    meldungen.Fehler(leser.Wurzelfehler());
    return false;
  }
  leser.Abschließen();
  meldungen.Übernimm(kern_->meldungen);
  text = std::move(kern_->text);
  return true;
}

}  // namespace gtc
