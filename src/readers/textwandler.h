// The way back for texts of GAEB DA XML: a text element in its XML markup
// (Description, AddText, LblTx, Descrip ...) turned into the plain lines and
// the RTF form that the host stores. The readers see only this interface; the
// program uses the converter library through clsGaebTextkonverter, the fuzz
// targets link the library's code directly.
#pragma once

#include <memory>
#include <string>

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
};

// Through clsGaebTextkonverter with the library of programmverzeichnis. The
// library stays loaded while the object lives, so the load and unload of
// each conversion cost no more than a reference count. A conversion throws
// gaeb::Fehler when the library cannot be loaded.
std::unique_ptr<Textwandler> NeuerTextwandler(const std::string& programmverzeichnis);

}  // namespace gaeb::readers
