#include "base/codepage.h"

#include <iconv.h>

#include <array>
#include <functional>
#include <cerrno>
#include <mutex>
#include <unordered_map>

#include "base/text.h"

namespace gaeb {

namespace {

// One table per code page, built once from iconv: byte -> code point, and
// code point -> byte for everything the page holds or maps to one byte.
struct Tabelle {
  std::array<char32_t, 256> nachUnicode{};
  std::unordered_map<char32_t, unsigned char> nachByte;
  mutable std::mutex mutex;                                   // guards ersatz
  mutable std::unordered_map<char32_t, unsigned char> ersatz;  // best-fit cache
  const char* name = "";
};

void Baue(Tabelle& t, const char* name) {
  t.name = name;
  iconv_t cd = iconv_open("UTF-32LE", name);
  for (int b = 0; b < 256; ++b) {
    t.nachUnicode[b] = b < 0x80 ? static_cast<char32_t>(b) : U'?';
    if (cd == reinterpret_cast<iconv_t>(-1)) continue;
    char in = static_cast<char>(b);
    unsigned char out[8] = {};
    char* ip = &in;
    char* op = reinterpret_cast<char*>(out);
    size_t il = 1, ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && ol == 4) {
      char32_t c = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
      t.nachUnicode[b] = c;
      t.nachByte.emplace(c, static_cast<unsigned char>(b));
    }
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
}

const Tabelle& TabelleFür(Codepage cp) {
  static const Tabelle& t1252 = [] {
    static Tabelle t;
    Baue(t, "CP1252");
    return std::ref(t);
  }();
  static const Tabelle& t850 = [] {
    static Tabelle t;
    Baue(t, "CP850");
    return std::ref(t);
  }();
  return cp == Codepage::Cp1252 ? t1252 : t850;
}

// Nearest one-byte equivalent of c, or '?'.
unsigned char Ersatz(const Tabelle& t, char32_t c) {
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.ersatz.find(c);
  if (it != t.ersatz.end()) return it->second;
  unsigned char result = '?';
  std::string ziel = std::string(t.name) + "//TRANSLIT";
  iconv_t cd = iconv_open(ziel.c_str(), "UTF-32LE");
  if (cd != reinterpret_cast<iconv_t>(-1)) {
    unsigned char in[4] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                           static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 24)};
    char out[16];
    char* ip = reinterpret_cast<char*>(in);
    char* op = out;
    size_t il = 4, ol = sizeof out;
    if (iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && sizeof out - ol == 1) {
      result = static_cast<unsigned char>(out[0]);
    }
    iconv_close(cd);
  }
  t.ersatz.emplace(c, result);
  return result;
}

}  // namespace

std::string NachCodepage(std::string_view utf8, Codepage cp) {
  std::string out;
  NachCodepage(utf8, cp, out);
  return out;
}

void NachCodepage(std::string_view utf8, Codepage cp, std::string& out) {
  if (cp == Codepage::Utf8) {
    out.append(utf8);
    return;
  }
  const Tabelle& t = TabelleFür(cp);
  out.reserve(out.size() + utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    // Runs of ASCII are the same in every code page here.
    std::size_t ascii = pos;
    while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) ++ascii;
    out.append(utf8.substr(pos, ascii - pos));
    pos = ascii;
    if (pos >= utf8.size()) break;
    std::size_t n = 0;
    char32_t c = text::Dekodiere(utf8.substr(pos), &n);
    pos += n;
    auto it = t.nachByte.find(c);
    out.push_back(static_cast<char>(it != t.nachByte.end() ? it->second : Ersatz(t, c)));
  }
}

std::string AusCodepage(std::string_view bytes, Codepage cp) {
  if (cp == Codepage::Utf8) return std::string(bytes);
  const Tabelle& t = TabelleFür(cp);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) text::Kodiere(t.nachUnicode[static_cast<unsigned char>(ch)], out);
  return out;
}

}  // namespace gaeb
