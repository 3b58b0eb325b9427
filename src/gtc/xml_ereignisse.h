// GAEB DA XML text markup read from a parser's events into the converter's
// model: the element starts, characters and element ends of one text element,
// in document order, whoever parsed the markup (the converter's own parser,
// or a caller that has parsed it already and hands the events over).
//
// The text element comes first; what it may be and what its content means is
// described in xml_leser.h. Characters come as a parser reports them: line
// ends normalised to LF, entity and character references replaced.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "gtc/modell.h"
#include "gtc/xml_leser.h"

namespace gtc {

// An attribute of an element start: its name without namespace prefix
// (attributes with a prefix are not passed) and its value.
struct Attribut {
  std::string_view name, wert;
};

class XmlEreignisse {
 public:
  XmlEreignisse();
  ~XmlEreignisse();
  XmlEreignisse(const XmlEreignisse&) = delete;
  XmlEreignisse& operator=(const XmlEreignisse&) = delete;

  // gaeb: the element is in the GAEB namespace or in none.
  void Anfang(std::string_view name, bool gaeb, std::span<const Attribut> attribute);
  void Zeichen(std::string_view zeichen);
  void Ende();

  // After the last event (once): the text read into text, or false with the
  // error in meldungen when there was no element or the first one is no text
  // element. The remarks of the reading go into meldungen as well.
  bool Fertig(GaebText& text, Meldungen& meldungen);

 private:
  struct Kern;
  std::unique_ptr<Kern> kern_;
};

}  // namespace gtc
