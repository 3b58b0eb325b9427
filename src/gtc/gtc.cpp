// The C entry points of the converter library (see gtc.h): the table of live
// instances, the texts each instance holds, and the conversions between the
// readers and writers of the model. No exception leaves an entry point.
#include "gtc/gtc.h"

#include <libxml/parser.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gtc/modell.h"
#include "gtc/rtf_leser.h"
#include "gtc/rtf_schreiber.h"
#include "gtc/xml_ereignisse.h"
#include "gtc/xml_leser.h"
#include "gtc/xml_schreiber.h"
#include "gtc/zeichen.h"
#include "gtc/zeilen.h"

namespace gtc {

namespace {

// Length of the outline that flag -1 derives from an additional text.
constexpr std::size_t kUmrisslänge = 100;

struct RtfText {
  Text text;
  Meldungen meldungen;  // of reading the RTF
};

struct Instanz {
  // Texts stored by the gtcRtfAdd* calls; they outlive a conversion.
  std::optional<RtfText> rtfK, rtfL, rtfA, rtfAK, rtfF, rtfML;
  std::string tagF, tagML;
  // The line buffer of the gtcAsciiAddLine* calls.
  std::vector<Eingabezeile> zeilenK, zeilenL, zeilenA, zeilenAK, zeilenF, zeilenML;
  std::string zeilenTagF, zeilenTagML;
  // Lines of the last gtcGxml2Ascii, fetched one by one.
  std::vector<Ausgabezeile> ausK, ausL;
  std::size_t nächsteK = 0, nächsteL = 0;
  // The text whose markup comes as events (gtcGxmlAnfang ...), while it comes.
  std::unique_ptr<XmlEreignisse> ereignisse;
  // Results owned by the instance (see gtc.h for their lifetime).
  std::u16string xml, fehler;
  std::string xml8, rtf, zeile;
};

// Set when the table of instances is gone (at exit): an instance the caller
// frees later, from an object of its own destroyed after the table, is no
// longer alive and is not freed twice.
bool tabelleWeg = false;

struct Tabelle {
  std::mutex mutex;
  std::map<std::int32_t, std::unique_ptr<Instanz>> instanzen;
  std::int32_t nächsterHandle = 1;
  ~Tabelle() { tabelleWeg = true; }
};

Tabelle& Instanzen() {
  static Tabelle t;
  return t;
}

Instanz* Finde(std::int32_t h) {
  if (tabelleWeg) return nullptr;
  Tabelle& t = Instanzen();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.instanzen.find(h);
  return it == t.instanzen.end() ? nullptr : it->second.get();
}

// Runs f for the instance h, translating failures into status values.
template <typename F>
std::int32_t MitInstanz(std::int32_t h, F&& f) {
  Instanz* i = Finde(h);
  if (i == nullptr) return GTC_UNBEKANNT;
  try {
    return f(*i);
  } catch (...) {
    // Only allocations throw in the converter.
    return GTC_SPEICHER;
  }
}

const gtcWChar* Ergebnis(std::u16string& puffer, const std::string& utf8) {
  if (utf8.empty()) return nullptr;
  puffer = Utf8NachUtf16(utf8);
  return puffer.c_str();
}

const char* Ergebnis8(std::string& puffer, std::string utf8) {
  puffer = std::move(utf8);
  return puffer.empty() ? nullptr : puffer.c_str();
}

RtfText LiesRtfText(const char* rtf) {
  RtfText r;
  if (rtf != nullptr) r.text = LiesRtf(rtf, r.meldungen);
  return r;
}

// The texts one conversion turns into one XML element.
struct Quellen {
  const Text* k = nullptr;
  const Text* l = nullptr;
  const Text* a = nullptr;
  const Text* ak = nullptr;
  const Text* f = nullptr;
  const Text* ml = nullptr;
  std::string tagF, tagML;
};

std::string BaueGxml(const Quellen& q, bool umrissAbleiten, bool lückeAlsWurzel, Meldungen& m) {
  int gruppen = static_cast<int>(q.k != nullptr || q.l != nullptr) +
                static_cast<int>(q.a != nullptr || q.ak != nullptr) +
                static_cast<int>(q.f != nullptr) + static_cast<int>(q.ml != nullptr);
  if (gruppen == 0) return {};
  if (gruppen > 1) {
    m.Fehler("Texte verschiedener Arten (Kurz- und Langtext, Zusatztext, Textelement) "
             "können nicht in ein Element umgesetzt werden.");
    return {};
  }
  if (q.k != nullptr || q.l != nullptr) {
    std::string xml;
    if (lückeAlsWurzel && q.k == nullptr && SchreibeEinzelneLücke(*q.l, xml)) return xml;
    return SchreibeDescription(q.k, q.l);
  }
  if (q.a != nullptr || q.ak != nullptr) {
    Text abgeleitet;
    const Text* kurz = q.ak;
    if ((kurz == nullptr || kurz->Leer()) && umrissAbleiten && q.a != nullptr) {
      abgeleitet = q.a->ErsteZeile(kUmrisslänge);
      kurz = &abgeleitet;
    }
    return SchreibeAddText(kurz, q.a);
  }
  const Text& text = q.f != nullptr ? *q.f : *q.ml;
  const std::string& tag = q.f != nullptr ? q.tagF : q.tagML;
  if (!IstTextelement(tag)) {
    m.Fehler("Das Element \"" + tag + "\" kann keinen GAEB-Text aufnehmen.");
    return {};
  }
  return SchreibeElement(tag, text);
}

const Text* Von(const std::optional<RtfText>& r) { return r ? &r->text : nullptr; }

std::int32_t RtfSpeichern(std::int32_t h, const char* rtf, std::optional<RtfText> Instanz::*feld) {
  return MitInstanz(h, [&](Instanz& i) {
    i.*feld = LiesRtfText(rtf);
    return GTC_OK;
  });
}

std::int32_t RtfSpeichernMitTag(std::int32_t h, const char* rtf, const gtcWChar* tag,
                                std::optional<RtfText> Instanz::*feld, std::string Instanz::*tagFeld) {
  return MitInstanz(h, [&](Instanz& i) {
    i.*feld = LiesRtfText(rtf);
    i.*tagFeld = Utf16NachUtf8(tag);
    return GTC_OK;
  });
}

std::int32_t ZeileAnfügen(std::int32_t h, const char* text, std::uint8_t code, std::int32_t nummer,
                          std::vector<Eingabezeile> Instanz::*feld) {
  return MitInstanz(h, [&](Instanz& i) {
    (i.*feld).push_back({text != nullptr ? text : "", code, nummer});
    return GTC_OK;
  });
}

std::int32_t ZeileMitTagAnfügen(std::int32_t h, const char* text, const gtcWChar* tag,
                                std::vector<Eingabezeile> Instanz::*feld,
                                std::string Instanz::*tagFeld) {
  return MitInstanz(h, [&](Instanz& i) {
    (i.*feld).push_back({text != nullptr ? text : "", kZeileText, 0});
    i.*tagFeld = Utf16NachUtf8(tag);
    return GTC_OK;
  });
}

std::int32_t NachRtf(std::int32_t h, const gtcWChar* xml, const char** rtf, const gtcWChar** fehler,
                     char teil, bool mitLücken) {
  return MitInstanz(h, [&](Instanz& i) {
    if (rtf == nullptr || fehler == nullptr) return GTC_ARGUMENT;
    *rtf = nullptr;
    *fehler = nullptr;
    Meldungen m;
    GaebText gelesen;
    const Text* text = nullptr;
    if (LiesGaebXml(xml, gelesen, m)) {
      if (teil == 'K') text = gelesen.kurz ? &*gelesen.kurz : nullptr;
      if (teil == 'L') text = gelesen.lang ? &*gelesen.lang : nullptr;
      if (teil == 'M') text = gelesen.kurz ? &*gelesen.kurz : gelesen.lang ? &*gelesen.lang : nullptr;
    }
    if (text != nullptr) {
      i.rtf = SchreibeRtf(*text, mitLücken);
      *rtf = i.rtf.c_str();
    }
    *fehler = Ergebnis(i.fehler, m.AlsXml());
    return GTC_OK;
  });
}

std::int32_t HoleZeile(std::int32_t h, const char** zeile, std::int32_t* code, std::int32_t* nummer,
                       std::vector<Ausgabezeile> Instanz::*feld, std::size_t Instanz::*nächste) {
  return MitInstanz(h, [&](Instanz& i) -> std::int32_t {
    if (zeile == nullptr) return GTC_ARGUMENT;
    *zeile = nullptr;
    std::vector<Ausgabezeile>& zeilen = i.*feld;
    std::size_t& n = i.*nächste;
    if (n >= zeilen.size()) return -1;
    i.zeile = zeilen[n].text;
    *zeile = i.zeile.c_str();
    if (code != nullptr) *code = zeilen[n].code;
    if (nummer != nullptr) *nummer = zeilen[n].nummer;
    return static_cast<std::int32_t>(n++);
  });
}


// The stored RTF texts as GAEB XML (UTF-8); the messages go to *fehler.
std::string RtfAlsGxml(Instanz& i, std::int32_t flag, const gtcWChar** fehler) {
  Meldungen m;
  for (const auto* r : {&i.rtfK, &i.rtfL, &i.rtfA, &i.rtfAK, &i.rtfF, &i.rtfML}) {
    if (*r) m.Übernimm((*r)->meldungen);
  }
  Quellen q{Von(i.rtfK), Von(i.rtfL), Von(i.rtfA), Von(i.rtfAK), Von(i.rtfF), Von(i.rtfML),
            i.tagF, i.tagML};
  std::string xml = BaueGxml(q, flag != 0, false, m);
  *fehler = Ergebnis(i.fehler, m.AlsXml());
  return xml;
}

// The line buffer as GAEB XML (UTF-8); the messages go to *fehler.
std::string ZeilenAlsGxml(Instanz& i, const gtcWChar** fehler) {
  Meldungen m;
  std::optional<Text> texte[6];
  const std::vector<Eingabezeile>* quellen[6] = {&i.zeilenK, &i.zeilenL, &i.zeilenA,
                                                 &i.zeilenAK, &i.zeilenF, &i.zeilenML};
  for (int n = 0; n < 6; ++n) {
    if (!quellen[n]->empty()) texte[n] = ZeilenAlsText(*quellen[n], m);
  }
  auto von = [&](int n) { return texte[n] ? &*texte[n] : nullptr; };
  Quellen q{von(0), von(1), von(2), von(3), von(4), von(5), i.zeilenTagF, i.zeilenTagML};
  std::string xml = BaueGxml(q, false, true, m);
  *fehler = Ergebnis(i.fehler, m.AlsXml());
  return xml;
}

// The lines of a text read for gtcGxml2Ascii and gtcGxmlEreignisse2Ascii.
void AlsZeilen(Instanz& i, bool gelesen, const GaebText& text, const Meldungen& m, const gtcWChar** fehler,
               std::int32_t breite) {
  i.ausK.clear();
  i.ausL.clear();
  i.nächsteK = i.nächsteL = 0;
  if (gelesen && text.kurz) i.ausK = TextAlsZeilen(*text.kurz, breite, kNummerKurztext);
  if (gelesen && text.lang) i.ausL = TextAlsZeilen(*text.lang, breite, kNummerLangtext);
  *fehler = Ergebnis(i.fehler, m.AlsXml());
}

// Runs f on the events of the text being handed over (a new one after the last conversion).
template <typename F>
std::int32_t MitEreignissen(std::int32_t h, F&& f) {
  return MitInstanz(h, [&](Instanz& i) {
    if (!i.ereignisse) i.ereignisse = std::make_unique<XmlEreignisse>();
    f(*i.ereignisse);
    return GTC_OK;
  });
}

}  // namespace

}  // namespace gtc

using namespace gtc;

extern "C" {

int32_t gtcConvCreate(int32_t kennung) {
  if (kennung != GTC_KENNUNG || tabelleWeg) return 0;
  try {
    static std::once_flag libxml;
    std::call_once(libxml, [] { xmlInitParser(); });
    Tabelle& t = Instanzen();
    auto instanz = std::make_unique<Instanz>();
    std::lock_guard<std::mutex> lock(t.mutex);
    // Handles count up from 1, wrap to 1 after the largest value and skip
    // handles still alive.
    auto weiter = [](std::int32_t h) { return h >= INT32_MAX || h < 1 ? 1 : h + 1; };
    while (t.instanzen.count(t.nächsterHandle) != 0) t.nächsterHandle = weiter(t.nächsterHandle);
    std::int32_t h = t.nächsterHandle;
    t.nächsterHandle = weiter(h);
    t.instanzen.emplace(h, std::move(instanz));
    return h;
  } catch (...) {
    return 0;
  }
}

int32_t gtcConvFree(int32_t h) {
  if (tabelleWeg) return GTC_UNBEKANNT;
  Tabelle& t = Instanzen();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.instanzen.erase(h) != 0 ? GTC_OK : GTC_UNBEKANNT;
}

int32_t gtcRtfAddK(int32_t h, const char* rtf) { return RtfSpeichern(h, rtf, &Instanz::rtfK); }
int32_t gtcRtfAddL(int32_t h, const char* rtf) { return RtfSpeichern(h, rtf, &Instanz::rtfL); }
int32_t gtcRtfAddA(int32_t h, const char* rtf) { return RtfSpeichern(h, rtf, &Instanz::rtfA); }
int32_t gtcRtfAddAK(int32_t h, const char* rtf) { return RtfSpeichern(h, rtf, &Instanz::rtfAK); }

int32_t gtcRtfAddF(int32_t h, const char* rtf, const gtcWChar* tag) {
  return RtfSpeichernMitTag(h, rtf, tag, &Instanz::rtfF, &Instanz::tagF);
}

int32_t gtcRtfAddML(int32_t h, const char* rtf, const gtcWChar* tag) {
  return RtfSpeichernMitTag(h, rtf, tag, &Instanz::rtfML, &Instanz::tagML);
}

int32_t gtcRtf2gxml(int32_t h, const gtcWChar** xml, const gtcWChar** fehler, int32_t flag) {
  return MitInstanz(h, [&](Instanz& i) {
    if (xml == nullptr || fehler == nullptr) return GTC_ARGUMENT;
    *xml = nullptr;
    *fehler = nullptr;
    *xml = Ergebnis(i.xml, RtfAlsGxml(i, flag, fehler));
    return GTC_OK;
  });
}

int32_t gtcRtf2gxml8(int32_t h, const char** xml, const gtcWChar** fehler, int32_t flag) {
  return MitInstanz(h, [&](Instanz& i) {
    if (xml == nullptr || fehler == nullptr) return GTC_ARGUMENT;
    *xml = nullptr;
    *fehler = nullptr;
    *xml = Ergebnis8(i.xml8, RtfAlsGxml(i, flag, fehler));
    return GTC_OK;
  });
}

int32_t gtcConvClear(int32_t h) {
  return MitInstanz(h, [](Instanz& i) {
    i = Instanz();
    return GTC_OK;
  });
}

int32_t gtcAsciiClear(int32_t h) {
  return MitInstanz(h, [](Instanz& i) {
    for (auto* z : {&i.zeilenK, &i.zeilenL, &i.zeilenA, &i.zeilenAK, &i.zeilenF, &i.zeilenML}) {
      z->clear();
    }
    i.zeilenTagF.clear();
    i.zeilenTagML.clear();
    return GTC_OK;
  });
}

int32_t gtcAsciiAddLineK(int32_t h, const char* text, uint8_t code, int32_t nummer) {
  return ZeileAnfügen(h, text, code, nummer, &Instanz::zeilenK);
}

int32_t gtcAsciiAddLineL(int32_t h, const char* text, uint8_t code, int32_t nummer) {
  return ZeileAnfügen(h, text, code, nummer, &Instanz::zeilenL);
}

int32_t gtcAsciiAddLineAL(int32_t h, const char* text) {
  return ZeileAnfügen(h, text, kZeileText, 0, &Instanz::zeilenA);
}

int32_t gtcAsciiAddLineAK(int32_t h, const char* text) {
  return ZeileAnfügen(h, text, kZeileText, 0, &Instanz::zeilenAK);
}

int32_t gtcAsciiAddLineF(int32_t h, const char* text, const gtcWChar* tag) {
  return ZeileMitTagAnfügen(h, text, tag, &Instanz::zeilenF, &Instanz::zeilenTagF);
}

int32_t gtcAsciiAddLineML(int32_t h, const char* text, const gtcWChar* tag) {
  return ZeileMitTagAnfügen(h, text, tag, &Instanz::zeilenML, &Instanz::zeilenTagML);
}

int32_t gtcAscii2gxml(int32_t h, const gtcWChar** xml, const gtcWChar** fehler) {
  return MitInstanz(h, [&](Instanz& i) {
    if (xml == nullptr || fehler == nullptr) return GTC_ARGUMENT;
    *xml = nullptr;
    *fehler = nullptr;
    *xml = Ergebnis(i.xml, ZeilenAlsGxml(i, fehler));
    return GTC_OK;
  });
}

int32_t gtcAscii2gxml8(int32_t h, const char** xml, const gtcWChar** fehler) {
  return MitInstanz(h, [&](Instanz& i) {
    if (xml == nullptr || fehler == nullptr) return GTC_ARGUMENT;
    *xml = nullptr;
    *fehler = nullptr;
    *xml = Ergebnis8(i.xml8, ZeilenAlsGxml(i, fehler));
    return GTC_OK;
  });
}

int32_t gtcGxml2RtfK(int32_t h, const gtcWChar* xml, const char** rtf, const gtcWChar** fehler) {
  return NachRtf(h, xml, rtf, fehler, 'K', true);
}

int32_t gtcGxml2RtfL(int32_t h, const gtcWChar* xml, const char** rtf, int32_t flag,
                     const gtcWChar** fehler) {
  return NachRtf(h, xml, rtf, fehler, 'L', flag != 0);
}

int32_t gtcGxml2RtfML(int32_t h, const gtcWChar* xml, const char** rtf, const gtcWChar** fehler) {
  return NachRtf(h, xml, rtf, fehler, 'M', true);
}

int32_t gtcGxml2Ascii(int32_t h, const gtcWChar* xml, const gtcWChar** fehler, int32_t breite) {
  return MitInstanz(h, [&](Instanz& i) {
    if (fehler == nullptr) return GTC_ARGUMENT;
    *fehler = nullptr;
    Meldungen m;
    GaebText gelesen;
    const bool ok = LiesGaebXml(xml, gelesen, m);
    AlsZeilen(i, ok, gelesen, m, fehler, breite);
    return GTC_OK;
  });
}

int32_t gtcGxmlAnfang(int32_t h, const char* name, const char* const* attribute) {
  return MitEreignissen(h, [&](XmlEreignisse& e) {
    Attribut liste[8];
    std::vector<Attribut> viele;
    std::size_t n = 0;
    for (const char* const* a = attribute; a != nullptr && a[0] != nullptr; a += 2) {
      Attribut at{a[0], a[1] != nullptr ? a[1] : ""};
      if (n < std::size(liste)) {
        liste[n++] = at;
        continue;
      }
      if (viele.empty()) viele.assign(liste, liste + n);
      viele.push_back(at);
    }
    e.Anfang(name != nullptr ? name : "", true,
             viele.empty() ? std::span<const Attribut>(liste, n) : std::span<const Attribut>(viele));
  });
}

int32_t gtcGxmlZeichen(int32_t h, const char* text, int32_t laenge) {
  return MitEreignissen(h, [&](XmlEreignisse& e) {
    if (text != nullptr && laenge > 0) e.Zeichen(std::string_view(text, static_cast<std::size_t>(laenge)));
  });
}

int32_t gtcGxmlEnde(int32_t h) {
  return MitEreignissen(h, [](XmlEreignisse& e) { e.Ende(); });
}

int32_t gtcGxmlEreignisse2Ascii(int32_t h, const gtcWChar** fehler, int32_t breite) {
  return MitInstanz(h, [&](Instanz& i) {
    if (fehler == nullptr) return GTC_ARGUMENT;
    *fehler = nullptr;
    std::unique_ptr<XmlEreignisse> ereignisse = std::move(i.ereignisse);
    if (!ereignisse) ereignisse = std::make_unique<XmlEreignisse>();
    Meldungen m;
    GaebText gelesen;
    const bool ok = ereignisse->Fertig(gelesen, m);
    AlsZeilen(i, ok, gelesen, m, fehler, breite);
    return GTC_OK;
  });
}

int32_t gtcAsciiGetLineK(int32_t h, const char** zeile, int32_t* code, int32_t* nummer) {
  return HoleZeile(h, zeile, code, nummer, &Instanz::ausK, &Instanz::nächsteK);
}

int32_t gtcAsciiGetLineL(int32_t h, const char** zeile, int32_t* code, int32_t* nummer) {
  return HoleZeile(h, zeile, code, nummer, &Instanz::ausL, &Instanz::nächsteL);
}

}  // extern "C"
