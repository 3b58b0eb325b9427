// The converter's model of one text, shared by all readers and writers: a
// flat sequence of pieces (runs of styled characters, line breaks, paragraph
// ends and the two ends of a gap), plus the messages a conversion collects.
//
// A text with n paragraph ends has n + 1 paragraphs; an empty text has none.
// A gap (a text complement the bidder or the owner fills in) lies inline in
// the flow of its paragraph: the text before it, the gap and the text after
// it read as one line. Gaps do not nest.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gtc {

struct Stil {
  bool fett = false;
  bool kursiv = false;
  bool unterstrichen = false;
  bool operator==(const Stil&) const = default;
};

enum class Lückenart { Bieter, Auftraggeber };

struct Stück {
  enum class Art { Lauf, Zeilenumbruch, Absatzende, LückeAnfang, LückeEnde };
  Art art = Art::Lauf;
  std::string text;  // Lauf: UTF-8 characters XML can carry, '\t' for a tab
  Stil stil;         // Lauf
  Lückenart lücke = Lückenart::Bieter;  // LückeAnfang
  std::int64_t marke = 0;               // LückeAnfang: the gap's label number
};

// One paragraph: runs and line breaks only.
using Absatz = std::vector<Stück>;

// A stretch of a text that is either ordinary text or one gap, as GAEB's long
// and short texts hold them (Text / TextComplement). The last paragraph of a
// stretch and the first of the next one form one line.
struct Abschnitt {
  bool istLücke = false;
  Lückenart lücke = Lückenart::Bieter;
  std::int64_t marke = 0;
  std::vector<Absatz> absätze;
};

class Text {
 public:
  // Appends characters in a style; merges with a preceding run of the same
  // style. Empty text adds nothing.
  void Lauf(std::string_view utf8, Stil stil);
  void Lauf(std::string&& utf8, Stil stil);
  void Zeilenumbruch();
  void Absatzende();
  // Opens a gap; ignored while one is open.
  void LückeAnfang(Lückenart art, std::int64_t marke);
  // Closes the open gap; ignored when none is open.
  void LückeEnde();
  bool LückeOffen() const { return lückeOffen_; }
  // Closes an open gap and removes one trailing paragraph end (the terminator
  // of the last paragraph in RTF and in line input).
  void Abschließen();

  const std::vector<Stück>& Stücke() const { return stücke_; }
  bool Leer() const { return stücke_.empty(); }
  // True when the text holds no characters, line breaks or paragraph ends
  // (at most the two ends of empty gaps): as paragraphs it is nothing.
  bool OhneInhalt() const;

  // The paragraphs, with gap content inline (gap ends dropped); none when
  // the text is OhneInhalt.
  std::vector<Absatz> Absätze() const;
  // The stretches of ordinary text and gaps. Stretches that hold nothing but
  // one empty paragraph are left out unless they are gaps.
  std::vector<Abschnitt> Abschnitte() const;
  // The runs of the first line (up to the first paragraph end or line break),
  // at most maxZeichen characters, without gaps.
  Text ErsteZeile(std::size_t maxZeichen) const;

 private:
  // Appends to the last piece when it is a run of the same style.
  bool Verlängere(std::string_view utf8, Stil stil);
  std::vector<Stück> stücke_;
  bool lückeOffen_ = false;
};

// Errors and remarks of one conversion, each text once, in order of arrival.
class Meldungen {
 public:
  void Fehler(const std::string& text);
  void Hinweis(const std::string& text);
  void Übernimm(const Meldungen& andere);
  bool Leer() const { return fehler_.empty() && hinweise_.empty(); }
  bool HatFehler() const { return !fehler_.empty(); }
  // The error text of the interface: <gtcerrors> with <errors> and <remarks>;
  // empty when there is nothing to report.
  std::string AlsXml() const;

 private:
  std::vector<std::string> fehler_;
  std::vector<std::string> hinweise_;
};

// The text escaped for XML character data and attribute values (&, <, >, ").
std::string XmlMaskiert(std::string_view utf8);

}  // namespace gtc
