// clsGaebTextkonverter (see textkonverter.h): run-time binding of the
// converter library with dlopen/dlsym, the call orders of the four
// conversions, and the character sets at the library's interface (code page
// 1252 for RTF and lines, UTF-16 for XML, tags and errors).
#include "textconv/textkonverter.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "base/codepage.h"
#include "base/fehler.h"
#include "base/text.h"
#include "gtc/gtc.h"

namespace gaeb {

namespace {

// Error texts of RTF input that are never shown: pictures in Windows
// metafile format, and this remark compared with blanks trimmed.
constexpr std::string_view kFilterMetafile = "wmetafile8";
constexpr std::string_view kFilterTabulatoren =
    "<gtcerrors><remarks><remark>Folge von TAB rechts + TAB links kann nicht aufgelöst "
    "werden</remark></remarks></gtcerrors";

constexpr std::string_view kTitelFehler = "Fehlercode";

// Numbers the line calls pass with ordinary text lines of a short and a long text.
constexpr std::int32_t kNummerKurztext = 60;
constexpr std::int32_t kNummerLangtext = 61;

constexpr std::int32_t kBreiteZeilen = 55;

bool IstRtf(std::string_view s) {
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  std::size_t i = s.find_first_not_of(" \t\r\n");
  return i != std::string_view::npos && s.substr(i, 5) == "{\\rtf";
}

// A UTF-8 byte order mark at the start is no character of the text.
std::string_view OhneBom(std::string_view s) {
  return s.substr(0, 3) == "\xEF\xBB\xBF" ? s.substr(3) : s;
}

// UTF-8 text to the library's code page 1252. In RTF, every character
// beyond ASCII becomes its Unicode control word with the code page 1252
// byte (or "?") as fallback, so it does not depend on the code page of the
// document or its fonts and nothing is lost; in plain text it becomes its
// code page 1252 byte, nearest equivalent or "?".
std::string NachAnsi(std::string_view eingabe) {
  const std::string utf8(OhneBom(eingabe));
  if (!IstRtf(utf8)) return NachCodepage(utf8, Codepage::Cp1252);
  std::string out;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    unsigned char b = static_cast<unsigned char>(utf8[pos]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++pos;
      continue;
    }
    std::size_t n = 0;
    char32_t c = text::Dekodiere(std::string_view(utf8).substr(pos), &n);
    std::string zeichen = utf8.substr(pos, n);
    pos += n;
    std::string ansi = NachCodepage(zeichen, Codepage::Cp1252);
    auto einheit = [&out](unsigned v) {
      out += "\\u" + std::to_string(v >= 0x8000 ? static_cast<int>(v) - 0x10000 : static_cast<int>(v));
    };
    if (c >= 0x10000) {
      out += "{\\uc1";
      einheit(0xD800 + ((c - 0x10000) >> 10));
      out += "?";
      einheit(0xDC00 + ((c - 0x10000) & 0x3FF));
      out += "?}";
      continue;
    }
    out += "{\\uc1";
    einheit(c);
    if (ansi.size() == 1 && static_cast<unsigned char>(ansi[0]) >= 0x80 &&
        AusCodepage(ansi, Codepage::Cp1252) == zeichen) {
      static const char hex[] = "0123456789abcdef";
      out += "\\'";
      out.push_back(hex[static_cast<unsigned char>(ansi[0]) >> 4]);
      out.push_back(hex[static_cast<unsigned char>(ansi[0]) & 15]);
    } else {
      out += "?";
    }
    out += "}";
  }
  return out;
}

}  // namespace

clsGaebTextkonverter::clsGaebTextkonverter(Meldungsfenster* fenster) : fenster_(fenster) {}

clsGaebTextkonverter::~clsGaebTextkonverter() { Entlade_Konverter(); }

bool clsGaebTextkonverter::Lade_Konverter() {
  if (serieGeprüft_ && m_hKonverter != nullptr) return true;
  const std::string pfad = m_AppExeDir_ + "/" + kKonverterDatei;
  // The file is looked for on every conversion, so a library removed or
  // replaced while the program runs is noticed; loading it is done once.
  struct stat info {};
  const bool vorhanden = ::stat(pfad.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  if (m_hKonverter != nullptr && (!vorhanden || pfad != geladenerPfad_)) Entlade_Konverter();
  if (vorhanden && m_hKonverter == nullptr) {
    m_hKonverter = dlopen(pfad.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_hKonverter != nullptr) geladenerPfad_ = pfad;
  }
  if (m_hKonverter == nullptr) {
    if (fenster_ != nullptr) fenster_->Zeige("Laden der Datei " + pfad + " fehlgeschlagen", "");
    return false;
  }
  serieGeprüft_ = inSerie_;
  return true;
}

void clsGaebTextkonverter::Entlade_Konverter() {
  if (MwmIsDllLoaded()) {
    dlclose(m_hKonverter);
    m_hKonverter = nullptr;
    geladenerPfad_.clear();
    einsprünge_.clear();
    m_Konverter = 0;  // the instances went with the library
    ereignisinstanz_ = 0;
    ereignisaufrufe_ = {};
    ereignisText_ = false;
    serieGeprüft_ = false;
  }
}

std::string clsGaebTextkonverter::ZeigerNachStringW(const char16_t* p) {
  std::string out;
  if (p == nullptr) return out;
  for (; *p != 0; ++p) {
    char32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    text::Kodiere(c, out);
  }
  return out;
}

std::string clsGaebTextkonverter::ZeigerNachStringA(const char* p) {
  if (p == nullptr) return {};
  return AusCodepage(p, Codepage::Cp1252);
}

template <typename Funktion>
Funktion clsGaebTextkonverter::Einsprung(const char* name) {
  if (m_hKonverter == nullptr) {
    throw Fehler(kFehlerBibliothekLaden,
                 "Fehler beim Laden der Bibliothek " + m_AppExeDir_ + "/" + kKonverterDatei);
  }
  auto eintrag = einsprünge_.find(std::string_view(name));
  if (eintrag == einsprünge_.end()) eintrag = einsprünge_.emplace(name, dlsym(m_hKonverter, name)).first;
  if (eintrag->second == nullptr) {
    throw Fehler(kFehlerEinsprungpunkt,
                 "Der Einsprungpunkt " + std::string(name) + " fehlt in " + geladenerPfad_);
  }
  return reinterpret_cast<Funktion>(eintrag->second);
}

template <typename Konvertierung>
std::string clsGaebTextkonverter::Durchlauf(Konvertierung&& konvertierung) {
  Lade_Konverter();
  return konvertierung();
}

void* clsGaebTextkonverter::Wahlweise(const char* name) {
  if (m_hKonverter == nullptr) return nullptr;
  auto eintrag = einsprünge_.find(std::string_view(name));
  if (eintrag == einsprünge_.end()) eintrag = einsprünge_.emplace(name, dlsym(m_hKonverter, name)).first;
  return eintrag->second;
}

bool clsGaebTextkonverter::Erzeuge_Instanz() {
  // In a run, the instance of the last conversion is emptied and used again.
  if (m_Konverter != 0) {
    auto leeren = reinterpret_cast<decltype(&gtcConvClear)>(Wahlweise("gtcConvClear"));
    if (inSerie_ && leeren != nullptr && leeren(m_Konverter) == GTC_OK) return true;
    Gib_Instanz_frei();
  }
  m_Konverter = Einsprung<decltype(&gtcConvCreate)>("gtcConvCreate")(GTC_KENNUNG);
  return m_Konverter != 0;
}

void clsGaebTextkonverter::Ende_Instanz() {
  // A kept instance would outlive a run whose converter object is never
  // destroyed (the library's table is freed at exit then); freed after
  // every text until runs end reliably.
  Gib_Instanz_frei();
}

void clsGaebTextkonverter::GibFrei(std::int32_t& instanz) {
  if (instanz != 0 && m_hKonverter != nullptr) {
    try {
      Einsprung<decltype(&gtcConvFree)>("gtcConvFree")(instanz);
    } catch (const Fehler&) {
      // A library without gtcConvFree keeps its instance; nothing else to do.
    }
  }
  instanz = 0;
}

void clsGaebTextkonverter::Gib_Instanz_frei() { GibFrei(m_Konverter); }

namespace {

// Frees the converter instance when a conversion leaves, also by an error.
template <typename Freigabe>
struct AmEnde {
  Freigabe freigabe;
  ~AmEnde() { freigabe(); }
};
template <typename Freigabe>
AmEnde(Freigabe) -> AmEnde<Freigabe>;

}  // namespace

void clsGaebTextkonverter::Zeige_Fehlertext(const std::string& text, bool mitFiltern) {
  if (mitFiltern) {
    if (text.find(kFilterMetafile) != std::string::npos) return;
    if (text::Trim(text) == kFilterTabulatoren) return;
  }
  if (fenster_ != nullptr) fenster_->Zeige(text, std::string(kTitelFehler));
}

std::string clsGaebTextkonverter::Konvertiere_RtfNachGxml(const std::string& pTextL,
                                                          const std::string& pTextKnz,
                                                          const std::string& pTextK) {
  if (!Erzeuge_Instanz()) return {};
  AmEnde frei{[this] { Ende_Instanz(); }};
  const std::string lang = NachAnsi(pTextL);
  // The markup in UTF-8 straight from the library where it can give it,
  // else by way of UTF-16.
  auto AlsGxml = [this](std::int32_t f, const char16_t** fehler = nullptr) {
    const char16_t* verworfen = nullptr;
    if (fehler == nullptr) fehler = &verworfen;
    if (auto acht = reinterpret_cast<decltype(&gtcRtf2gxml8)>(Wahlweise("gtcRtf2gxml8"))) {
      const char* xml = nullptr;
      acht(m_Konverter, &xml, fehler, f);
      return std::string(xml != nullptr ? xml : "");
    }
    const char16_t* xml = nullptr;
    Einsprung<decltype(&gtcRtf2gxml)>("gtcRtf2gxml")(m_Konverter, &xml, fehler, f);
    return ZeigerNachStringW(xml);
  };
  std::int32_t flag = 0;
  if (pTextKnz == "K") {
    Einsprung<decltype(&gtcRtfAddK)>("gtcRtfAddK")(m_Konverter, lang.c_str());
  } else if (pTextKnz == "L") {
    Einsprung<decltype(&gtcRtfAddL)>("gtcRtfAddL")(m_Konverter, lang.c_str());
  } else if (pTextKnz == "KL") {
    const std::string kurz = NachAnsi(pTextK);
    Einsprung<decltype(&gtcRtfAddK)>("gtcRtfAddK")(m_Konverter, kurz.c_str());
    AlsGxml(0);
    Einsprung<decltype(&gtcRtfAddL)>("gtcRtfAddL")(m_Konverter, lang.c_str());
  } else if (pTextKnz == "A" || pTextKnz == "KA") {
    Einsprung<decltype(&gtcRtfAddA)>("gtcRtfAddA")(m_Konverter, lang.c_str());
    flag = -1;
  } else if (pTextKnz == "AK") {
    Einsprung<decltype(&gtcRtfAddAK)>("gtcRtfAddAK")(m_Konverter, lang.c_str());
    flag = -1;
  } else if (pTextKnz == "F") {
    Einsprung<decltype(&gtcRtfAddF)>("gtcRtfAddF")(m_Konverter, lang.c_str(), u"Descrip");
  } else if (pTextKnz == "ML") {
    Einsprung<decltype(&gtcRtfAddML)>("gtcRtfAddML")(m_Konverter, lang.c_str(), u"LblTx");
  } else if (pTextKnz == "MA") {
    Einsprung<decltype(&gtcRtfAddML)>("gtcRtfAddML")(m_Konverter, lang.c_str(), u"ArtOutline");
  } else {
    return {};
  }
  const char16_t* fehler = nullptr;
  std::string ergebnis = AlsGxml(flag, &fehler);
  if (fehler != nullptr) Zeige_Fehlertext(ZeigerNachStringW(fehler), true);
  return ergebnis;
}

std::string clsGaebTextkonverter::Konvertiere_AsciiNachGxml(const std::string& pTextL,
                                                            const std::string& pTextKnz,
                                                            const std::string& pMarkLbl,
                                                            const std::string& pTextK) {
  if (!Erzeuge_Instanz()) return {};
  AmEnde frei{[this] { Ende_Instanz(); }};
  const std::string lang = NachAnsi(pTextL);
  Einsprung<decltype(&gtcAsciiClear)>("gtcAsciiClear")(m_Konverter);
  auto zeileK = [this](const std::string& t, std::uint8_t code, std::int32_t nummer) {
    Einsprung<decltype(&gtcAsciiAddLineK)>("gtcAsciiAddLineK")(m_Konverter, t.c_str(), code, nummer);
  };
  auto zeileL = [this](const std::string& t, std::uint8_t code, std::int32_t nummer) {
    Einsprung<decltype(&gtcAsciiAddLineL)>("gtcAsciiAddLineL")(m_Konverter, t.c_str(), code, nummer);
  };
  if (pTextKnz == "K") {
    zeileK(lang, GTC_ZEILE_TEXT, kNummerKurztext);
  } else if (pTextKnz == "L") {
    zeileL(lang, GTC_ZEILE_TEXT, kNummerLangtext);
  } else if (pTextKnz == "KL") {
    zeileK(NachAnsi(pTextK), GTC_ZEILE_TEXT, kNummerKurztext);
    zeileL(lang, GTC_ZEILE_TEXT, kNummerLangtext);
  } else if (pTextKnz == "LB") {
    auto marke = static_cast<std::int32_t>(RundeGanzzahl(TextZuZahl(pMarkLbl), INT32_MIN, INT32_MAX));
    zeileL(lang, GTC_ZEILE_BIETER, marke);
  } else if (pTextKnz == "A") {
    Einsprung<decltype(&gtcAsciiAddLineAL)>("gtcAsciiAddLineAL")(m_Konverter, lang.c_str());
  } else if (pTextKnz == "AK") {
    Einsprung<decltype(&gtcAsciiAddLineAK)>("gtcAsciiAddLineAK")(m_Konverter, lang.c_str());
  } else if (pTextKnz == "F") {
    Einsprung<decltype(&gtcAsciiAddLineF)>("gtcAsciiAddLineF")(m_Konverter, lang.c_str(), u"Descrip");
  } else if (pTextKnz == "ML") {
    Einsprung<decltype(&gtcAsciiAddLineML)>("gtcAsciiAddLineML")(m_Konverter, lang.c_str(), u"LblTx");
  } else if (pTextKnz == "MA") {
    Einsprung<decltype(&gtcAsciiAddLineML)>("gtcAsciiAddLineML")(m_Konverter, lang.c_str(),
                                                                 u"ArtOutline");
  }
  const char16_t* fehler = nullptr;
  std::string ergebnis;
  if (auto acht = reinterpret_cast<decltype(&gtcAscii2gxml8)>(Wahlweise("gtcAscii2gxml8"))) {
    const char* xml = nullptr;
    acht(m_Konverter, &xml, &fehler);
    if (xml != nullptr) ergebnis = xml;
  } else {
    const char16_t* xml = nullptr;
    Einsprung<decltype(&gtcAscii2gxml)>("gtcAscii2gxml")(m_Konverter, &xml, &fehler);
    ergebnis = ZeigerNachStringW(xml);
  }
  if (fehler != nullptr) Zeige_Fehlertext(ZeigerNachStringW(fehler), false);
  return ergebnis;
}

std::string clsGaebTextkonverter::Konvertiere_GxmlNachRtf(const std::string& pValue,
                                                          const std::string& pTextKnz) {
  if (!Erzeuge_Instanz()) return {};
  AmEnde frei{[this] { Ende_Instanz(); }};
  const std::u16string xml = text::NachUtf16(pValue);
  const char* rtf = nullptr;
  const char16_t* fehler = nullptr;
  if (pTextKnz == "K") {
    Einsprung<decltype(&gtcGxml2RtfK)>("gtcGxml2RtfK")(m_Konverter, xml.c_str(), &rtf, &fehler);
  } else if (pTextKnz == "L") {
    Einsprung<decltype(&gtcGxml2RtfL)>("gtcGxml2RtfL")(m_Konverter, xml.c_str(), &rtf, -1, &fehler);
  } else if (pTextKnz == "ML" || pTextKnz == "MA") {
    Einsprung<decltype(&gtcGxml2RtfML)>("gtcGxml2RtfML")(m_Konverter, xml.c_str(), &rtf, &fehler);
  }
  std::string ergebnis = ZeigerNachStringA(rtf);
  if (fehler != nullptr) Zeige_Fehlertext(ZeigerNachStringW(fehler), false);
  return ergebnis;
}

std::string clsGaebTextkonverter::Konvertiere_GxmlNachAscii(const std::string& pValue,
                                                            const std::string& pTextKnz) {
  std::string ergebnis;
  Konvertiere_GxmlNachAscii(pValue, pTextKnz == "K" ? &ergebnis : nullptr, pTextKnz == "L" ? &ergebnis : nullptr);
  return ergebnis;
}

void clsGaebTextkonverter::Konvertiere_GxmlNachAscii(const std::string& pValue, std::string* kurz,
                                                     std::string* lang) {
  if (!Erzeuge_Instanz()) return;
  AmEnde frei{[this] { Ende_Instanz(); }};
  const std::u16string xml = text::NachUtf16(pValue);
  const char16_t* fehlerZeiger = nullptr;
  Einsprung<decltype(&gtcGxml2Ascii)>("gtcGxml2Ascii")(m_Konverter, xml.c_str(), &fehlerZeiger,
                                                       kBreiteZeilen);
  // The error text is copied before the next call may replace it.
  const bool hatFehler = fehlerZeiger != nullptr;
  const std::string fehler = ZeigerNachStringW(fehlerZeiger);
  if (kurz != nullptr) HoleZeilen(m_Konverter, "gtcAsciiGetLineK", *kurz);
  if (lang != nullptr) HoleZeilen(m_Konverter, "gtcAsciiGetLineL", *lang);
  if (hatFehler) Zeige_Fehlertext(fehler, false);
}

void clsGaebTextkonverter::HoleZeilen(std::int32_t instanz, const char* holeName, std::string& ergebnis) {
  auto holeZeile = Einsprung<decltype(&gtcAsciiGetLineK)>(holeName);
  const char* zeile = nullptr;
  std::int32_t code = 0;
  std::int32_t nummer = 0;
  while (holeZeile(instanz, &zeile, &code, &nummer) > -1) ergebnis += ZeigerNachStringA(zeile);
}

bool clsGaebTextkonverter::KannGxmlEreignisse() {
  if (!Lade_Konverter()) return false;
  for (const char* name : {"gtcGxmlAnfang", "gtcGxmlZeichen", "gtcGxmlEnde", "gtcGxmlEreignisse2Ascii"})
    if (Wahlweise(name) == nullptr) return false;
  return true;
}

void clsGaebTextkonverter::GxmlAnfang(const char* name, const char* const* attribute) {
  if (!ereignisText_) {
    // A new text: the library file is checked as for every conversion (the
    // calls below throw when it cannot be loaded).
    Lade_Konverter();
    if (ereignisinstanz_ == 0) {
      ereignisaufrufe_.anfang = Einsprung<decltype(&gtcGxmlAnfang)>("gtcGxmlAnfang");
      ereignisaufrufe_.zeichen = Einsprung<decltype(&gtcGxmlZeichen)>("gtcGxmlZeichen");
      ereignisaufrufe_.ende = Einsprung<decltype(&gtcGxmlEnde)>("gtcGxmlEnde");
      ereignisinstanz_ = Einsprung<decltype(&gtcConvCreate)>("gtcConvCreate")(GTC_KENNUNG);
    }
    ereignisText_ = true;
  }
  if (ereignisinstanz_ != 0) ereignisaufrufe_.anfang(ereignisinstanz_, name, attribute);
}

void clsGaebTextkonverter::GxmlZeichen(std::string_view zeichen) {
  if (ereignisinstanz_ != 0 && ereignisText_)
    ereignisaufrufe_.zeichen(ereignisinstanz_, zeichen.data(), static_cast<std::int32_t>(zeichen.size()));
}

void clsGaebTextkonverter::GxmlEnde() {
  if (ereignisinstanz_ != 0 && ereignisText_) ereignisaufrufe_.ende(ereignisinstanz_);
}

void clsGaebTextkonverter::GxmlEreignisseNachAsciiKL(std::string& kurz, std::string& lang) {
  kurz.clear();
  lang.clear();
  const bool begonnen = ereignisText_;
  ereignisText_ = false;
  if (ereignisinstanz_ == 0 || !begonnen) return;
  AmEnde frei{[this] {
    if (!inSerie_) Gib_Ereignisinstanz_frei();
  }};
  const char16_t* fehlerZeiger = nullptr;
  Einsprung<decltype(&gtcGxmlEreignisse2Ascii)>("gtcGxmlEreignisse2Ascii")(ereignisinstanz_, &fehlerZeiger,
                                                                           kBreiteZeilen);
  const bool hatFehler = fehlerZeiger != nullptr;
  const std::string fehler = ZeigerNachStringW(fehlerZeiger);
  HoleZeilen(ereignisinstanz_, "gtcAsciiGetLineK", kurz);
  HoleZeilen(ereignisinstanz_, "gtcAsciiGetLineL", lang);
  if (hatFehler) Zeige_Fehlertext(fehler, false);
}

void clsGaebTextkonverter::Gib_Ereignisinstanz_frei() {
  ereignisText_ = false;
  GibFrei(ereignisinstanz_);
}

std::string clsGaebTextkonverter::RunGtcConverterTest_RTF_GXML(const std::string& pTextL,
                                                               const std::string& pTextKnz,
                                                               const Variant& pTextK) {
  return Durchlauf([&] { return Konvertiere_RtfNachGxml(pTextL, pTextKnz, pTextK.ToString()); });
}

std::string clsGaebTextkonverter::RunGtcConverterTest_ASCII_GXML(const std::string& pTextL,
                                                                 const std::string& pTextKnz,
                                                                 const std::string& pMarkLbl,
                                                                 const Variant& pTextK) {
  return Durchlauf(
      [&] { return Konvertiere_AsciiNachGxml(pTextL, pTextKnz, pMarkLbl, pTextK.ToString()); });
}

std::string clsGaebTextkonverter::RunGtcConverterTest_GXML_RTF(const std::string& pValue,
                                                               const std::string& pTextKnz) {
  return Durchlauf([&] { return Konvertiere_GxmlNachRtf(pValue, pTextKnz); });
}

std::string clsGaebTextkonverter::RunGtcConverterTest_GXML_ASCII(const std::string& pValue,
                                                                 const std::string& pTextKnz) {
  return Durchlauf([&] { return Konvertiere_GxmlNachAscii(pValue, pTextKnz); });
}

void clsGaebTextkonverter::GxmlNachAsciiKL(const std::string& pValue, std::string& kurz, std::string& lang) {
  kurz.clear();
  lang.clear();
  Lade_Konverter();
  Konvertiere_GxmlNachAscii(pValue, &kurz, &lang);
}

std::unique_ptr<DokumentFragment> clsGaebTextkonverter::CreateDocFragmentFromXMLString(
    const std::string& pstrXMLString) const {
  return ErzeugeDokumentFragment(pstrXMLString);
}

}  // namespace gaeb
