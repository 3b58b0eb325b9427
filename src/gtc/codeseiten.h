// The character sets of RTF fonts: the Windows code page a font's \fcharset
// (or \cpg) stands for, and the decoding of \'hh bytes and raw 8-bit bytes in
// that page, including the double-byte pages of East Asian fonts and the
// symbol fonts, whose glyphs are no characters of any code page.
#pragma once

#include <string_view>

namespace gtc {

// Pseudo code pages of the symbol fonts.
inline constexpr int kCodeseiteSymbol = -1;     // the Symbol font
inline constexpr int kCodeseiteWingdings = -2;  // Wingdings and the other dingbat fonts

// The code page of a font: from \cpg when given (> 0), else from its
// \fcharset; charset 1 (default) and a font without charset take the
// document's \ansicpg. Charset 2 (symbol) gives kCodeseiteSymbol, or
// kCodeseiteWingdings when the font name is not "Symbol".
int CodeseiteDerSchrift(int zeichensatz, int cpg, std::string_view name, int ansicpg);

// Decodes bytes of one code page one at a time; a lead byte of a double-byte
// page waits for its second byte. Unknown code pages read as code page 1252.
class Bytedekodierer {
 public:
  // The character of byte b in code page seite, or 0 when b is the lead
  // byte of a double-byte character (then the next call completes it).
  // A byte the page leaves undefined gives U+FFFD.
  char32_t Zeichen(int seite, unsigned char b);
  // Drops a pending lead byte (at a change of font or a non-byte token).
  void Zurücksetzen() { leitbyte_ = 0; }
  bool WartetAufZweitesByte() const { return leitbyte_ != 0; }

 private:
  unsigned char leitbyte_ = 0;
  int leitseite_ = 0;
};

}  // namespace gtc
