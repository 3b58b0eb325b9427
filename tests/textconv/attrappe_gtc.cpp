// A stand-in for the converter library, for testing clsGaebTextkonverter
// alone: it records every call it receives on an instance and returns that
// record as its result, so a test sees the exact call order, texts, tags,
// codes and flags the class used. A text or XML starting with "!" is returned
// as the error text (without the "!").
//
// Built three times: complete; with ATTRAPPE_OHNE_INSTANZ (gtcConvCreate
// always fails); with ATTRAPPE_OHNE_ASCII (gtcGxml2Ascii is missing).
#include <map>
#include <string>

#include "gtc/gtc.h"

namespace {

struct Instanz {
  std::string protokoll;  // code page 1252, like the library's text results
  std::string fehlertext;
  std::u16string xml, fehler;
  std::string rtf, zeile;
  int zeilen = 0;
};

std::map<int32_t, Instanz>& Instanzen() {
  static std::map<int32_t, Instanz> m;
  return m;
}

// UTF-16 to single bytes (characters beyond 0xFF as '?') and back.
std::string Bytes(const gtcWChar* p) {
  std::string s;
  for (; p != nullptr && *p != 0; ++p) s.push_back(*p < 0x100 ? static_cast<char>(*p) : '?');
  return s;
}
std::u16string Breit(const std::string& s) {
  std::u16string u;
  for (char c : s) u.push_back(static_cast<unsigned char>(c));
  return u;
}

std::string Zahl(long n) {
  std::string s;
  bool negativ = n < 0;
  unsigned long u = negativ ? -static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
  do {
    s.insert(s.begin(), static_cast<char>('0' + u % 10));
    u /= 10;
  } while (u != 0);
  return negativ ? "-" + s : s;
}

void Merke(int32_t h, const std::string& aufruf, const char* text = nullptr) {
  Instanz& i = Instanzen()[h];
  i.protokoll += aufruf + ";";
  if (text != nullptr && text[0] == '!') i.fehlertext = text + 1;
}

void Ergebnis(Instanz& i, const gtcWChar** xml, const gtcWChar** fehler) {
  i.xml = Breit(i.protokoll);
  *xml = i.xml.c_str();
  *fehler = nullptr;
  if (!i.fehlertext.empty()) {
    i.fehler = Breit(i.fehlertext);
    *fehler = i.fehler.c_str();
  }
}

int32_t Zeile(int32_t h, const char** zeile, const char* teil) {
  Instanz& i = Instanzen()[h];
  if (i.zeilen >= 2) {
    *zeile = nullptr;
    return -1;
  }
  i.zeile = i.zeilen == 0 ? i.protokoll : std::string(teil) + "-Ende";
  *zeile = i.zeile.c_str();
  return i.zeilen++;
}

}  // namespace

extern "C" {

int32_t gtcConvCreate(int32_t kennung) {
#ifdef ATTRAPPE_OHNE_INSTANZ
  (void)kennung;
  return 0;
#else
  if (kennung != GTC_KENNUNG) return 0;
  int32_t h = static_cast<int32_t>(Instanzen().size()) + 1;
  Instanzen()[h] = Instanz{};
  return h;
#endif
}

int32_t gtcConvFree(int32_t h) { return Instanzen().erase(h) != 0 ? GTC_OK : GTC_UNBEKANNT; }

int32_t gtcRtfAddK(int32_t h, const char* t) { Merke(h, "RtfAddK(" + std::string(t) + ")", t); return 0; }
int32_t gtcRtfAddL(int32_t h, const char* t) { Merke(h, "RtfAddL(" + std::string(t) + ")", t); return 0; }
int32_t gtcRtfAddA(int32_t h, const char* t) { Merke(h, "RtfAddA(" + std::string(t) + ")", t); return 0; }
int32_t gtcRtfAddAK(int32_t h, const char* t) { Merke(h, "RtfAddAK(" + std::string(t) + ")", t); return 0; }
int32_t gtcRtfAddF(int32_t h, const char* t, const gtcWChar* tag) {
  Merke(h, "RtfAddF(" + std::string(t) + "," + Bytes(tag) + ")", t);
  return 0;
}
int32_t gtcRtfAddML(int32_t h, const char* t, const gtcWChar* tag) {
  Merke(h, "RtfAddML(" + std::string(t) + "," + Bytes(tag) + ")", t);
  return 0;
}
int32_t gtcRtf2gxml(int32_t h, const gtcWChar** xml, const gtcWChar** fehler, int32_t flag) {
  Merke(h, "Rtf2gxml(" + Zahl(flag) + ")");
  Ergebnis(Instanzen()[h], xml, fehler);
  return 0;
}

int32_t gtcAsciiClear(int32_t h) { Merke(h, "AsciiClear()"); return 0; }
int32_t gtcAsciiAddLineK(int32_t h, const char* t, uint8_t code, int32_t n) {
  Merke(h, "AsciiAddLineK(" + std::string(t) + "," + Zahl(code) + "," + Zahl(n) + ")", t);
  return 0;
}
int32_t gtcAsciiAddLineL(int32_t h, const char* t, uint8_t code, int32_t n) {
  Merke(h, "AsciiAddLineL(" + std::string(t) + "," + Zahl(code) + "," + Zahl(n) + ")", t);
  return 0;
}
int32_t gtcAsciiAddLineAL(int32_t h, const char* t) { Merke(h, "AsciiAddLineAL(" + std::string(t) + ")", t); return 0; }
int32_t gtcAsciiAddLineAK(int32_t h, const char* t) { Merke(h, "AsciiAddLineAK(" + std::string(t) + ")", t); return 0; }
int32_t gtcAsciiAddLineF(int32_t h, const char* t, const gtcWChar* tag) {
  Merke(h, "AsciiAddLineF(" + std::string(t) + "," + Bytes(tag) + ")", t);
  return 0;
}
int32_t gtcAsciiAddLineML(int32_t h, const char* t, const gtcWChar* tag) {
  Merke(h, "AsciiAddLineML(" + std::string(t) + "," + Bytes(tag) + ")", t);
  return 0;
}
int32_t gtcAscii2gxml(int32_t h, const gtcWChar** xml, const gtcWChar** fehler) {
  Merke(h, "Ascii2gxml()");
  Ergebnis(Instanzen()[h], xml, fehler);
  return 0;
}

static int32_t NachRtf(int32_t h, const std::string& aufruf, const gtcWChar* xml, const char** rtf,
                       const gtcWChar** fehler) {
  std::string x = Bytes(xml);
  Merke(h, aufruf, x.c_str());
  Instanz& i = Instanzen()[h];
  i.rtf = i.protokoll;
  *rtf = i.rtf.c_str();
  *fehler = nullptr;
  if (!i.fehlertext.empty()) {
    i.fehler = Breit(i.fehlertext);
    *fehler = i.fehler.c_str();
  }
  return 0;
}

int32_t gtcGxml2RtfK(int32_t h, const gtcWChar* xml, const char** rtf, const gtcWChar** fehler) {
  return NachRtf(h, "Gxml2RtfK(" + Bytes(xml) + ")", xml, rtf, fehler);
}
int32_t gtcGxml2RtfL(int32_t h, const gtcWChar* xml, const char** rtf, int32_t flag,
                     const gtcWChar** fehler) {
  return NachRtf(h, "Gxml2RtfL(" + Bytes(xml) + "," + Zahl(flag) + ")", xml, rtf, fehler);
}
int32_t gtcGxml2RtfML(int32_t h, const gtcWChar* xml, const char** rtf, const gtcWChar** fehler) {
  return NachRtf(h, "Gxml2RtfML(" + Bytes(xml) + ")", xml, rtf, fehler);
}

#ifndef ATTRAPPE_OHNE_ASCII
int32_t gtcGxml2Ascii(int32_t h, const gtcWChar* xml, const gtcWChar** fehler, int32_t breite) {
  std::string x = Bytes(xml);
  Merke(h, "Gxml2Ascii(" + x + "," + Zahl(breite) + ")", x.c_str());
  Instanz& i = Instanzen()[h];
  *fehler = nullptr;
  if (!i.fehlertext.empty()) {
    i.fehler = Breit(i.fehlertext);
    *fehler = i.fehler.c_str();
  }
  return 0;
}
#endif

int32_t gtcAsciiGetLineK(int32_t h, const char** zeile, int32_t*, int32_t*) { return Zeile(h, zeile, "K"); }
int32_t gtcAsciiGetLineL(int32_t h, const char** zeile, int32_t*, int32_t*) { return Zeile(h, zeile, "L"); }

}  // extern "C"
