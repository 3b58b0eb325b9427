// The GAEB 90 bill of quantities (data types 81 to 86) byte by byte: the line
// format and the column table of every record this export writes. The record
// writers of gaeb90::Export build exactly these columns; docs/formats.md shows
// an annotated example.
//
// Line format (80 characters, then CR LF; code page 850):
//
//   1-2    record type "00".."99", "T0", "T1", "T9"
//   3-74   record data; unused columns are blanks
//   75-80  line number, zero-filled ("000000"), 1 for the first line of the
//          file; above 999999 it has seven digits and the line 81 characters
//
// Notation of the tables:
//   OZ9        Positionsnummer without separators (Format_PosNr), cut or
//              filled to 9 characters (Feld_String)
//   Fn         text cut or filled with blanks on the right to n characters
//   Sign       "-" for a value below 0, else a blank
//   Nn(mask)   value formatted with the mask, then "-" and the decimal comma
//              removed (Feld_Num): n digits with implied decimals
//   Factor7    percentage p <> 0: 1 + p/100 rounded to 0.01, as N7("0.000000");
//              p = 0: seven blanks
//   _n         n blanks
//
// Texts are split into lines before they go into records: "''" becomes "'",
// CR LF is appended, the text is cut at every line break (CR LF; a lone CR or
// LF counts as one too), an empty line gives one record with a blank text and
// a line longer than the field gives one record per full field width.
//
// Header records, written before the first position that is not a text:
//
//   00  1-2 "00" | 3-10 _8 | 11-12 data type (81..86) | 13 "K" for 84, else "L"
//       | 14-28 F15 VergabenummerAG | 29-36 F8 DVNrAG | 37-39 F3 BieterNrAG
//       | 40-54 F15 VergabenummerAN | 55-62 F8 DVNrAN | 63-71 F9 OZ mask
//       | 72-73 "90" | 74 "X" with lots (MitLos), else blank
//   01  1-2 "01" | 3-42 F40 BezeichnungLV (empty: the document's subject text)
//       | 43-50 F8 DatumLV as dd.mm.yy (blank: the document date)
//       | 51-58 F8 DatumAngebotsabgabe as dd.mm.yy | 59-63 F5 its time part
//       (characters 9.. of the stored value) | 64-71 F8 DatumZuschlagsfrist
//       as dd.mm.yy | 72 "X" with prices (always for 84) or LVmitPreisen
//       | 73 "X" with LVmitLohn | 74 _1
//   02  "02" | F60 one line of InformationProjekt CR LF subject text | _12
//   03  "03" | F60 KopfInformationAG (empty: InformationAG) | _12
//   04  "04" | F60 Name1 "," Straße "," PlzOrt of the own company | _12
//   06  "06" and the stored ZA06 text filled to 80 characters; a stored text
//       of 80 characters or more is written as it is (it is a whole line)
//   07  as 06 with ZA07
//   08  "08" | F6 currency | F50 currency | _16
//
// Section records:
//
//   10  lot: "10" | F2 Positionsnummer | F40 Kurztext1 | _30
//   11  section: "11" | OZ9 | "A" alternative, else "N" | _62   (not in 84)
//   12  section title, one per line: "12" | F40 line | _32, then one more
//       for Kurztext3 (not in 84)
//
// Position records:
//
//   21  quantity and flags
//       1-2 "21" | 3-11 OZ9
//       | 12 "A" alternative (not contingency), else "N"
//       | 13 "N" no contingency; "E" contingency and alternative; "M" contingency
//       | 14 "L" package head (unless packages are written as positions), else "N"
//       | 15-18 _4 | 19 "X" KnzGaeb 10 or 11 | 20 "Z" surcharge row, "E" counted
//       in the sums (FürSummenspeicher1), else blank | 21 _1
//       | 22 "X" KnzFreieMenge | 23 Sign Menge | 24-34 N11(00000000.000) Menge
//       | 35-38 F4 Mengeneinheit, "Psch" for a lump sum
//       | 39-41 Nachtrag "000" when 1..999 | 42 _1 | 43 "X" KnzGaeb 1 or 11
//       | 44-74 _31
//   22  prices, data type 82 only (same layout as 23)
//   23  prices
//       1-2 "22"/"23" | 3-11 OZ9 | 12 Sign Einzelpreis
//       | 13-22 N10(00000000.00) Einzelpreis | 23 _1 | 24 Sign total
//       | 25-36 N12(0000000000.00) total (22: Gesamtpreis less the discount
//       amount; 23: Gesamtpreis) | 37 Sign Menge and 38-48 N11 Menge with
//       KnzFreieMenge, else _12 | 49-55 22: _7; 23: Factor7 of the negated
//       discount percentage | 56-74 _19
//       22 without prices: "22" | OZ9 | _63
//   23  surcharge row written as a position
//       1-2 "23" | 3-11 OZ9 | 12-55 _44 | 56 Sign percentage
//       | 57-61 N5(000.00) percentage (negated for a discount, type 80)
//       | 62 Sign Einzelpreis | 63-74 N12(0000000000.00) Einzelpreis
//   24  sub-description (package part)
//       1-2 "24" | 3-4 N2(00) running number in the position | 5 Sign Menge
//       | 6-16 N11(00000000.000) MengePaketteil | 17-20 F4 Mengeneinheit
//       | 21 _1 | 22 "X" KnzGaeb -1 | 23-40 _18 | 41 "X" KnzFreieMenge reads
//       as the number 1 | 42-74 _33
//   30  unit-price components (data types 84 and up, KnzGaeb 10 or 11, the
//       document has a component descriptor: slots of 14 characters at
//       columns 4 (time), 18, 32, 46 and 60 (components 1 to 4))
//       1-2 "30" | 3-12 N10(000000.0000) Zeit/60 when the time slot is named
//       and times are written, else _10 | 13-22, 23-32, 33-42, 43-52
//       N10(00000000.00) material share for a slot "MATERIAL", labour share
//       for "LOHN", else _10 | 53-74 _22
//
// Text records:
//
//   25  short text: "25" | F70 line | _2 (one blank record at least);
//       then "25" | F50 Kurztext3 | _22 when there is one   (not in 84)
//   26  long text: "26" | F3 line code (characters 4i+1..4i+3 of
//       KennNr_Langtext for record i) | F55 line | _14; in 84 only lines
//       whose code has "B" as third character; "26" _72 when none was written
//       (not in 84)
//   20  notice text head: "20" | _72, followed by the notice's lines as
//       "26" | _3 | F55 line | _14   (not in 82 and 84)
//   T0  "T0" | _72   preamble and closing text, then
//   T1  "T1" | F72 line, one per line, and
//   T9  "T9" | _72
//
// Sum records:
//
//   31  "31" | F9 section OZ | _63                                (not in 84)
//   32  "32" | F9 section OZ | 12 Sign amount | 13-24 N12(0000000000.00)
//       amount | 25-31 Factor7 of the surcharge (negated for a discount) | _43;
//       without prices "32" | F9 | _63                        (not in 81, 82)
//   33  "33" | F2 lot | 5-16 N12(0000000000.00) amount | 17-23 Factor7 | _51;
//       without prices "33" | F2 | _70                              (not in 82)
//
// End record (after the closing rows, and once more at the very end):
//
//   99  long variant (first record 99 with prices, data types 82 to 86):
//       1-2 "99" | 3-14 N12 bill total before a surcharge on the whole bill
//       | 15-21 Factor7 of that surcharge | 22-25 N4(00.00) VAT rate
//       | 26-37 N12 gross total | 38-69 _32 | 70-74 "00000" positions written
//       short variant: "99" | _12 | _7 | N4 VAT rate | _12 | _32 | "00000" count
#pragma once

#include <cstddef>
#include <string_view>

namespace gaeb::gaeb90 {

// Characters of record text in a line; the line number follows.
inline constexpr std::size_t kSatzbreite = 74;
// The line number.
inline constexpr std::string_view kMaskeZeilennummer = "000000";

// Number masks of the records.
inline constexpr std::string_view kMaskeMenge = "00000000.000";       // N11
inline constexpr std::string_view kMaskeEinzelpreis = "00000000.00";  // N10
inline constexpr std::string_view kMaskeBetrag = "0000000000.00";     // N12
inline constexpr std::string_view kMaskeFaktor = "0.000000";          // N7
inline constexpr std::string_view kMaskeProzent = "000.00";           // N5
inline constexpr std::string_view kMaskeSteuersatz = "00.00";         // N4
inline constexpr std::string_view kMaskeZeit = "000000.0000";         // N10
inline constexpr std::string_view kMaskeNachtrag = "000";
inline constexpr std::string_view kMaskeUnterbeschreibung = "00";
inline constexpr std::string_view kMaskeAnzahl = "00000";

// Text field widths of the split texts.
inline constexpr std::size_t kBreiteKurztext = 70;      // record 25
inline constexpr std::size_t kBreiteKurztext3 = 50;     // record 25, second short text
inline constexpr std::size_t kBreiteLangtext = 55;      // records 26
inline constexpr std::size_t kBreiteVortext = 72;       // record T1
inline constexpr std::size_t kBreiteBereichstext = 40;  // record 12

// Slots of the component descriptor of record 30: 14 characters each, the
// time slot at column 4 and the four components after it.
inline constexpr std::size_t kKomponentenbreite = 14;
inline constexpr std::size_t kKomponenteZeit = 4;
inline constexpr std::size_t kKomponente1 = 18;

}  // namespace gaeb::gaeb90
