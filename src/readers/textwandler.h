// The way back for texts of GAEB DA XML: a text element in its XML markup
// (Description, AddText, LblTx, Descrip ...) turned into the plain lines and
// the RTF form that the host stores. The readers see only this interface; the
// program uses the converter library through clsGaebTextkonverter, the fuzz
// targets link the library's code directly.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace gaeb::readers {

class Textwandler {
 public:
  virtual ~Textwandler() = default;
  // xml: one text element, without namespace. modus: "K" (short text), "L"
  // (long text), for RTF also "ML" (a label element). Empty when the element
  // holds no such text.
  virtual std::string NachRtf(const std::string& xml, const char* modus) = 0;
  // Plain text, lines separated by CR LF (no CR LF at the end).
  virtual std::string NachText(const std::string& xml, const char* modus) = 0;
  // Short ("K") and long ("L") plain text of one text element, as NachText
  // gives them; one conversion where the converter allows it.
  virtual void NachTextKL(const std::string& xml, std::string& kurz, std::string& lang) {
    kurz = NachText(xml, "K");
    lang = NachText(xml, "L");
  }

  // The markup of a text element handed over as the reader's parse events
  // while it reads them, so it is not parsed again: Anfang for each element
  // start (the text element first; name without namespace prefix, attribute:
  // name and value pairs ended by a null name), Zeichen, Ende for each
  // element end; EreignisseNachTextKL then gives what NachTextKL gives for the
  // same markup and ends the text. False from NimmtEreignisse: the markup is
  // taken only as a string.
  virtual bool NimmtEreignisse() { return false; }
  virtual void Anfang(const char* /*name*/, const char* const* /*attribute*/) {}
  virtual void Zeichen(std::string_view /*zeichen*/) {}
  virtual void Ende() {}
  virtual void EreignisseNachTextKL(std::string& kurz, std::string& lang) {
    kurz.clear();
    lang.clear();
  }
};

// Through clsGaebTextkonverter with the library of programmverzeichnis. The
// object's conversions are one run (clsGaebTextkonverter::Serie): the library
// is looked for and loaded once. A conversion throws gaeb::Fehler when the
// library cannot be loaded.
std::unique_ptr<Textwandler> NeuerTextwandler(const std::string& programmverzeichnis);

}  // namespace gaeb::readers
