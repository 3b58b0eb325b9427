// clsGaebTextkonverter: the component's public text converter class. It wraps
// the converter library gtcConverterV31.so behind four string-to-string
// conversions (RTF or plain lines to GAEB XML text markup, and GAEB XML text
// markup back to RTF or plain lines) and turns XML strings into document
// fragments for the GAEB XML export.
//
// The library is loaded from m_AppExeDir at the first conversion and kept
// until the object goes (or m_AppExeDir names another directory); every
// conversion checks that the file is still there. All strings at this interface are UTF-8. Conversion errors the
// library reports are shown in the message box titled "Fehlercode" (for RTF
// input without the two harmless ones the library is known to give); the
// partial result is still returned.
//
// One object converts on one thread at a time; as the library is one per
// process, two objects must not convert at the same time either.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "base/variant.h"
#include "textconv/meldungsfenster.h"
#include "textconv/xml_fragment.h"

namespace gaeb {

// Run-time errors a conversion raises in its caller.
inline constexpr long kFehlerBibliothekLaden = 48;   // the library is not loaded
inline constexpr long kFehlerEinsprungpunkt = 453;   // a function is missing in it

// File name of the converter library inside m_AppExeDir.
inline constexpr const char* kKonverterDatei = "gtcConverterV31.so";

class clsGaebTextkonverter {
 public:
  // fenster: borrowed, may be null (then nothing is shown); it must outlive
  // the object or be replaced before it goes.
  explicit clsGaebTextkonverter(Meldungsfenster* fenster = nullptr);
  // Frees the library.
  ~clsGaebTextkonverter();
  clsGaebTextkonverter(const clsGaebTextkonverter&) = delete;
  clsGaebTextkonverter& operator=(const clsGaebTextkonverter&) = delete;

  // Property m_AppExeDir: the directory that holds the library, without a
  // trailing slash.
  const std::string& m_AppExeDir() const { return m_AppExeDir_; }
  void m_AppExeDir(const std::string& verzeichnis) {
    m_AppExeDir_ = verzeichnis;
    serieGeprüft_ = false;
  }

  // A run of conversions (one export): while a Serie is open, the library
  // file that a conversion of the run found and loaded is not looked for
  // again, so the run checks the file once instead of once per text. A file
  // that was missing is still looked for on every conversion.
  class Serie {
   public:
    explicit Serie(clsGaebTextkonverter& k) : k_(k), vorher_(k.inSerie_) { k.inSerie_ = true; }
    ~Serie() {
      k_.inSerie_ = vorher_;
      if (!vorher_) {
        k_.serieGeprüft_ = false;
        k_.Gib_Instanz_frei();
        k_.Gib_Ereignisinstanz_frei();
      }
    }
    Serie(const Serie&) = delete;
    Serie& operator=(const Serie&) = delete;

   private:
    clsGaebTextkonverter& k_;
    bool vorher_;
  };

  void Setze_Meldungsfenster(Meldungsfenster* fenster) { fenster_ = fenster; }

  // The four conversions. pTextKnz is the text kind (Textmodus): "K" short
  // text, "L" long text, "KL" both (pTextK is the short text), "A" and "KA"
  // additional text, "AK" additional short text, "F" free description
  // (Descrip), "ML" category label (LblTx), "MA" article outline
  // (ArtOutline), "LB" a bidder gap with label pMarkLbl (plain lines only).
  // A kind a conversion does not know gives the empty string.
  //
  // When the library cannot be loaded, the message "Laden der Datei <path>
  // fehlgeschlagen" is shown and gaeb::Fehler (kFehlerBibliothekLaden) is
  // thrown; a function missing in the library throws kFehlerEinsprungpunkt;
  // a pMarkLbl that is no number for "LB" throws kFehlerTypen.
  std::string RunGtcConverterTest_RTF_GXML(const std::string& pTextL, const std::string& pTextKnz,
                                           const Variant& pTextK = Variant());
  std::string RunGtcConverterTest_ASCII_GXML(const std::string& pTextL,
                                             const std::string& pTextKnz,
                                             const std::string& pMarkLbl,
                                             const Variant& pTextK = Variant());
  // "K", "L", "ML" and "MA" give RTF.
  std::string RunGtcConverterTest_GXML_RTF(const std::string& pValue, const std::string& pTextKnz);
  // "K" and "L" give the text's lines of at most 55 characters, each ending
  // with CR LF.
  std::string RunGtcConverterTest_GXML_ASCII(const std::string& pValue,
                                             const std::string& pTextKnz);

  // Short and long text of one text element in one conversion: kurz and
  // lang receive what RunGtcConverterTest_GXML_ASCII gives for "K" and "L".
  void GxmlNachAsciiKL(const std::string& pValue, std::string& kurz, std::string& lang);

  // The markup of GxmlNachAsciiKL handed over as the events of the caller's
  // parser instead of a string (no markup is built and parsed again):
  // GxmlAnfang for each element start, the text element first (name without
  // namespace prefix; attribute: name and value pairs ended by a null name),
  // GxmlZeichen for the characters, GxmlEnde for each element end; then
  // GxmlEreignisseNachAsciiKL gives kurz and lang as GxmlNachAsciiKL gives
  // them for the same markup, and the next GxmlAnfang begins the next text.
  // The instance that collects the events serves every text of an open Serie
  // and is freed when the Serie ends (without one: after each text).
  // KannGxmlEreignisse is false when the library has no such calls (an older
  // file, or none loaded); the caller then converts the markup as a string.
  bool KannGxmlEreignisse();
  void GxmlAnfang(const char* name, const char* const* attribute);
  void GxmlZeichen(std::string_view zeichen);
  void GxmlEnde();
  void GxmlEreignisseNachAsciiKL(std::string& kurz, std::string& lang);

  // True once a conversion has loaded the library, until the object goes or
  // a conversion finds the file gone.
  bool MwmIsDllLoaded() const { return m_hKonverter != nullptr; }

  // A document fragment holding a deep copy of the root element of
  // pstrXMLString, or null ("nothing") for an empty or ill-formed string or
  // one with a document type declaration. Shows no message.
  std::unique_ptr<DokumentFragment> CreateDocFragmentFromXMLString(
      const std::string& pstrXMLString) const;

 private:
  bool Lade_Konverter();
  void Entlade_Konverter();
  static std::string ZeigerNachStringW(const char16_t* p);
  static std::string ZeigerNachStringA(const char* p);

  std::string Konvertiere_RtfNachGxml(const std::string& pTextL, const std::string& pTextKnz,
                                      const std::string& pTextK);
  std::string Konvertiere_AsciiNachGxml(const std::string& pTextL, const std::string& pTextKnz,
                                        const std::string& pMarkLbl, const std::string& pTextK);
  std::string Konvertiere_GxmlNachRtf(const std::string& pValue, const std::string& pTextKnz);
  std::string Konvertiere_GxmlNachAscii(const std::string& pValue, const std::string& pTextKnz);
  // The lines of the short text into kurz, of the long text into lang (each when not null).
  void Konvertiere_GxmlNachAscii(const std::string& pValue, std::string* kurz, std::string* lang);

  // Runs one conversion after making sure the library is loaded.
  template <typename Konvertierung>
  std::string Durchlauf(Konvertierung&& konvertierung);
  // The library function name; throws gaeb::Fehler when it is not there.
  template <typename Funktion>
  Funktion Einsprung(const char* name);
  // A library function that may be missing (null then, also without library).
  void* Wahlweise(const char* name);
  // Makes the converter instance (in a run: empties the one kept); false
  // when the library refuses.
  bool Erzeuge_Instanz();
  // After a conversion: frees the instance unless a run keeps it.
  void Ende_Instanz();
  void Gib_Instanz_frei();
  void Gib_Ereignisinstanz_frei();
  // Frees a library instance (when there is one and the library is loaded)
  // and sets it to 0.
  void GibFrei(std::int32_t& instanz);
  // The lines of the last gtcGxml2Ascii or gtcGxmlEreignisse2Ascii of
  // instanz (holeName: gtcAsciiGetLineK or gtcAsciiGetLineL) into ergebnis.
  void HoleZeilen(std::int32_t instanz, const char* holeName, std::string& ergebnis);
  // Shows a library error text under "Fehlercode"; mitFiltern drops the two
  // known harmless texts of RTF input.
  void Zeige_Fehlertext(const std::string& text, bool mitFiltern);

  std::string m_AppExeDir_;
  void* m_hKonverter = nullptr;  // the loaded library; null when not loaded
  std::string geladenerPfad_;    // the file m_hKonverter was loaded from
  std::map<std::string, void*, std::less<>> einsprünge_;  // functions looked up so far
  std::int32_t m_Konverter = 0;  // converter instance of the running conversion
  bool inSerie_ = false;         // a Serie is open
  bool serieGeprüft_ = false;    // the open Serie found and loaded the library
  Meldungsfenster* fenster_;
  // The calls of the event hand-over, looked up with the instance they feed.
  struct Ereignisaufrufe {
    std::int32_t (*anfang)(std::int32_t, const char*, const char* const*) = nullptr;
    std::int32_t (*zeichen)(std::int32_t, const char*, std::int32_t) = nullptr;
    std::int32_t (*ende)(std::int32_t) = nullptr;
  };
  Ereignisaufrufe ereignisaufrufe_;
  std::int32_t ereignisinstanz_ = 0;  // the instance the events go to
  bool ereignisText_ = false;         // a text's events have begun
};

}  // namespace gaeb
