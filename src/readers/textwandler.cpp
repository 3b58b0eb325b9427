#include "readers/textwandler.h"

#include <dlfcn.h>

#include "base/fehler.h"
#include "textconv/textkonverter.h"

namespace gaeb::readers {

namespace {

std::string OhneLetztenUmbruch(std::string s) {
  while (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0) s.resize(s.size() - 2);
  return s;
}

class KonverterWandler : public Textwandler {
 public:
  explicit KonverterWandler(const std::string& verzeichnis) { konverter_.m_AppExeDir(verzeichnis); }
  ~KonverterWandler() override {
    if (halter_ != nullptr) dlclose(halter_);
  }
  std::string NachRtf(const std::string& xml, const char* modus) override {
    Halten();
    return konverter_.RunGtcConverterTest_GXML_RTF(xml, modus);
  }
  std::string NachText(const std::string& xml, const char* modus) override {
    Halten();
    return OhneLetztenUmbruch(konverter_.RunGtcConverterTest_GXML_ASCII(xml, modus));
  }
  void NachTextKL(const std::string& xml, std::string& kurz, std::string& lang) override {
    Halten();
    konverter_.GxmlNachAsciiKL(xml, kurz, lang);
    kurz = OhneLetztenUmbruch(std::move(kurz));
    lang = OhneLetztenUmbruch(std::move(lang));
  }
  // Asked once: a library that cannot be loaded takes no events, and the
  // conversion of the markup string then reports it.
  bool NimmtEreignisse() override {
    if (!ereignisseGeprüft_) {
      ereignisseGeprüft_ = true;
      try {
        Halten();
        nimmtEreignisse_ = konverter_.KannGxmlEreignisse();
      } catch (const Fehler&) {
        nimmtEreignisse_ = false;
      }
    }
    return nimmtEreignisse_;
  }
  void Anfang(const char* name, const char* const* attribute) override { konverter_.GxmlAnfang(name, attribute); }
  void Zeichen(std::string_view zeichen) override { konverter_.GxmlZeichen(zeichen); }
  void Ende() override { konverter_.GxmlEnde(); }
  void EreignisseNachTextKL(std::string& kurz, std::string& lang) override {
    konverter_.GxmlEreignisseNachAsciiKL(kurz, lang);
    kurz = OhneLetztenUmbruch(std::move(kurz));
    lang = OhneLetztenUmbruch(std::move(lang));
  }

 private:
  // Loaded on the first conversion (files without XML texts never need it).
  void Halten() {
    if (halter_ != nullptr) return;
    std::string pfad = konverter_.m_AppExeDir() + "/" + kKonverterDatei;
    halter_ = dlopen(pfad.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (halter_ == nullptr) throw Fehler(kFehlerBibliothekLaden, "Laden der Datei " + pfad + " fehlgeschlagen");
  }
  void* halter_ = nullptr;
  bool ereignisseGeprüft_ = false, nimmtEreignisse_ = false;
  clsGaebTextkonverter konverter_;
  clsGaebTextkonverter::Serie serie_{konverter_};
};

}  // namespace

std::unique_ptr<Textwandler> NeuerTextwandler(const std::string& programmverzeichnis) {
  return std::make_unique<KonverterWandler>(programmverzeichnis);
}

}  // namespace gaeb::readers
