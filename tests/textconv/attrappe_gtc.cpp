// A stand-in for the converter library, for testing clsGaebTextkonverter
// alone: it records every call it receives on an instance and returns that
// record as its result, so a test sees the exact call order, texts, tags,
// codes and flags the class used. A text or XML starting with "!" is returned
// as the error text (without the "!"). Lines: the record, then "<part>-Ende",
// then -1.
//
// Built three times: complete; with ATTRAPPE_OHNE_INSTANZ (gtcConvCreate
// always fails); with ATTRAPPE_OHNE_ASCII (gtcGxml2Ascii is missing).
#include <map>
#include <string>

#include "gtc/gtc.h"

namespace {

struct Instanz {
  std::string protokoll, fehlertext, rtf, zeile;  // code page 1252, like the library's text results
  std::u16string xml, fehler;
  int zeilen = 0;
};

std::map<int32_t, Instanz> instanzen;

// UTF-16 to single bytes (characters beyond 0xFF as '?') and back.
std::string Bytes(const gtcWChar* p) {
  std::string s;
  for (; p != nullptr && *p != 0; ++p) s.push_back(*p < 0x100 ? static_cast<char>(*p) : '?');
  return s;
}
std::u16string Breit(const std::string& s) {
  std::u16string u;
  for (unsigned char c : s) u.push_back(c);
  return u;
}

// Records a call; returns the instance's error text as the library would.
const gtcWChar* Merke(int32_t h, const std::string& aufruf, const std::string& text = {}) {
  Instanz& i = instanzen[h];
  i.protokoll += aufruf + ";";
  if (text.starts_with("!")) i.fehlertext = text.substr(1);
  i.fehler = Breit(i.fehlertext);
  return i.fehlertext.empty() ? nullptr : i.fehler.c_str();
}

int32_t NachXml(int32_t h, const std::string& aufruf, const gtcWChar** xml, const gtcWChar** fehler) {
  *fehler = Merke(h, aufruf);
  *xml = (instanzen[h].xml = Breit(instanzen[h].protokoll)).c_str();
  return 0;
}

int32_t NachRtf(int32_t h, const std::string& aufruf, const gtcWChar* xml, const char** rtf, const gtcWChar** fehler) {
  *fehler = Merke(h, aufruf, Bytes(xml));
  *rtf = (instanzen[h].rtf = instanzen[h].protokoll).c_str();
  return 0;
}

int32_t Zeile(int32_t h, const char** zeile, const char* teil) {
  Instanz& i = instanzen[h];
  *zeile = i.zeilen >= 2 ? nullptr : (i.zeile = i.zeilen == 0 ? i.protokoll : std::string(teil) + "-Ende").c_str();
  return i.zeilen >= 2 ? -1 : i.zeilen++;
}

std::string Z(long n) { return std::to_string(n); }

}  // namespace

#define AUFRUF(name, aufruf) return Merke(h, std::string(name "(") + t + aufruf + ")", t), 0

extern "C" {

int32_t gtcConvCreate(int32_t kennung) {
#ifdef ATTRAPPE_OHNE_INSTANZ
  (void)kennung;
  return 0;
#else
  if (kennung != GTC_KENNUNG) return 0;
  int32_t h = static_cast<int32_t>(instanzen.size()) + 1;
  instanzen[h] = Instanz{};
  return h;
#endif
}

int32_t gtcConvFree(int32_t h) { return instanzen.erase(h) != 0 ? GTC_OK : GTC_UNBEKANNT; }

int32_t gtcRtfAddK(int32_t h, const char* t) { AUFRUF("RtfAddK", ""); }
int32_t gtcRtfAddL(int32_t h, const char* t) { AUFRUF("RtfAddL", ""); }
int32_t gtcRtfAddA(int32_t h, const char* t) { AUFRUF("RtfAddA", ""); }
int32_t gtcRtfAddAK(int32_t h, const char* t) { AUFRUF("RtfAddAK", ""); }
int32_t gtcRtfAddF(int32_t h, const char* t, const gtcWChar* tag) { AUFRUF("RtfAddF", "," + Bytes(tag)); }
int32_t gtcRtfAddML(int32_t h, const char* t, const gtcWChar* tag) { AUFRUF("RtfAddML", "," + Bytes(tag)); }
int32_t gtcRtf2gxml(int32_t h, const gtcWChar** xml, const gtcWChar** fehler, int32_t flag) {
  return NachXml(h, "Rtf2gxml(" + Z(flag) + ")", xml, fehler);
}

int32_t gtcAsciiClear(int32_t h) { return Merke(h, "AsciiClear()"), 0; }
int32_t gtcAsciiAddLineK(int32_t h, const char* t, uint8_t c, int32_t n) { AUFRUF("AsciiAddLineK", "," + Z(c) + "," + Z(n)); }
int32_t gtcAsciiAddLineL(int32_t h, const char* t, uint8_t c, int32_t n) { AUFRUF("AsciiAddLineL", "," + Z(c) + "," + Z(n)); }
int32_t gtcAsciiAddLineAL(int32_t h, const char* t) { AUFRUF("AsciiAddLineAL", ""); }
int32_t gtcAsciiAddLineAK(int32_t h, const char* t) { AUFRUF("AsciiAddLineAK", ""); }
int32_t gtcAsciiAddLineF(int32_t h, const char* t, const gtcWChar* tag) { AUFRUF("AsciiAddLineF", "," + Bytes(tag)); }
int32_t gtcAsciiAddLineML(int32_t h, const char* t, const gtcWChar* tag) { AUFRUF("AsciiAddLineML", "," + Bytes(tag)); }
int32_t gtcAscii2gxml(int32_t h, const gtcWChar** xml, const gtcWChar** fehler) {
  return NachXml(h, "Ascii2gxml()", xml, fehler);
}

int32_t gtcGxml2RtfK(int32_t h, const gtcWChar* xml, const char** rtf, const gtcWChar** fehler) {
  return NachRtf(h, "Gxml2RtfK(" + Bytes(xml) + ")", xml, rtf, fehler);
}
int32_t gtcGxml2RtfL(int32_t h, const gtcWChar* xml, const char** rtf, int32_t flag, const gtcWChar** fehler) {
  return NachRtf(h, "Gxml2RtfL(" + Bytes(xml) + "," + Z(flag) + ")", xml, rtf, fehler);
}
int32_t gtcGxml2RtfML(int32_t h, const gtcWChar* xml, const char** rtf, const gtcWChar** fehler) {
  return NachRtf(h, "Gxml2RtfML(" + Bytes(xml) + ")", xml, rtf, fehler);
}
#ifndef ATTRAPPE_OHNE_ASCII
int32_t gtcGxml2Ascii(int32_t h, const gtcWChar* xml, const gtcWChar** fehler, int32_t breite) {
  return *fehler = Merke(h, "Gxml2Ascii(" + Bytes(xml) + "," + Z(breite) + ")", Bytes(xml)), 0;
}
#endif

int32_t gtcAsciiGetLineK(int32_t h, const char** zeile, int32_t*, int32_t*) { return Zeile(h, zeile, "K"); }
int32_t gtcAsciiGetLineL(int32_t h, const char** zeile, int32_t*, int32_t*) { return Zeile(h, zeile, "L"); }

}  // extern "C"
