/* The C interface of the text converter library gtcConverterV31.so. It turns
 * GAEB texts between RTF, plain lines and the text markup of GAEB DA XML 3.1,
 * and is loaded at run time by clsGaebTextkonverter (src/textconv).
 *
 * Conventions shared by every call:
 * - A converter instance is a 32-bit handle made by gtcConvCreate; 0 is never
 *   a valid handle. Every other call takes the handle first and returns
 *   GTC_UNBEKANNT for a handle that is not (or no longer) alive.
 * - "text" arguments (RTF and plain lines) are zero-terminated strings in
 *   code page 1252, the ANSI code page of the host's systems (raw 8-bit bytes
 *   of RTF: the code page of their font, like \'hh). A null text counts as
 *   an empty one.
 * - "tag" and "xml" arguments are zero-terminated UTF-16 strings.
 * - Out pointers are written by the library. They point to zero-terminated
 *   strings that the library owns: XML and error results are UTF-16, RTF and
 *   line results are code page 1252. A result stays valid until the next call
 *   on the same instance or until the instance is freed; the caller copies it
 *   at once and never frees it. A null result means "nothing": an empty
 *   result, or no error.
 * - Error results are XML:
 *     <gtcerrors><errors><error>...</error></errors>
 *                <remarks><remark>...</remark></remarks></gtcerrors>
 *   with only the lists that have entries. Errors mean that (part of) the
 *   input could not be converted; remarks mean that something was left out
 *   (a picture, a truncated group). A partial result is still delivered.
 * - Calls on one instance must not overlap; different instances may be used
 *   from different threads.
 */
#ifndef GTC_GTC_H
#define GTC_GTC_H

#include <stdint.h>

#ifdef __cplusplus
typedef char16_t gtcWChar;
extern "C" {
#else
#include <uchar.h>
typedef char16_t gtcWChar;
#endif

#if defined(__GNUC__)
#define GTC_EXPORT __attribute__((visibility("default")))
#else
#define GTC_EXPORT
#endif

/* The creation value of this interface version; gtcConvCreate refuses others. */
#define GTC_KENNUNG 31

/* Return values of the calls that return a status. */
#define GTC_OK 0
#define GTC_UNBEKANNT (-1)    /* no live instance with this handle */
#define GTC_ARGUMENT (-2)     /* a required out pointer is null */
#define GTC_SPEICHER (-3)     /* out of memory; the instance is unchanged */

/* Line kinds of the plain-line calls (the 8-bit code). */
#define GTC_ZEILE_TEXT 84     /* 'T': an ordinary text line */
#define GTC_ZEILE_BIETER 66   /* 'B': a gap the bidder fills in; number = its label */
#define GTC_ZEILE_AUFTRAGGEBER 65 /* 'A': a gap the owner fills in; number = its label */

/* Creates an instance. kennung must be GTC_KENNUNG. Returns the handle, or 0
 * when kennung is another value or memory is short. */
GTC_EXPORT int32_t gtcConvCreate(int32_t kennung);
/* Frees the instance and every result it still owns. */
GTC_EXPORT int32_t gtcConvFree(int32_t h);
/* Returns the instance to the state gtcConvCreate gives it: no stored texts,
 * an empty line buffer, no results. One instance then serves a run of
 * conversions instead of one instance per text. */
GTC_EXPORT int32_t gtcConvClear(int32_t h);

/* Store an RTF text as short (K), long (L), additional (A) or additional short
 * (AK) text; a text of the same kind replaces the stored one. A text that
 * does not start with "{\rtf" is taken as plain text whose line breaks end
 * paragraphs. */
GTC_EXPORT int32_t gtcRtfAddK(int32_t h, const char* rtf);
GTC_EXPORT int32_t gtcRtfAddL(int32_t h, const char* rtf);
GTC_EXPORT int32_t gtcRtfAddA(int32_t h, const char* rtf);
GTC_EXPORT int32_t gtcRtfAddAK(int32_t h, const char* rtf);
/* Store an RTF text for the element tag: a formatted text (F, e.g. "Descrip")
 * or a multi-line label (ML, e.g. "LblTx", "ArtOutline"). */
GTC_EXPORT int32_t gtcRtfAddF(int32_t h, const char* rtf, const gtcWChar* tag);
GTC_EXPORT int32_t gtcRtfAddML(int32_t h, const char* rtf, const gtcWChar* tag);

/* Converts the stored RTF texts into one GAEB XML fragment. The stored texts
 * stay, so a later text can be added and the whole converted again.
 *   K, L        -> Description (OutlineText, or CompleteText with DetailTxt
 *                  and, when the short text is not empty, OutlineText)
 *   A, AK       -> AddText (OutlineAddText from AK, DetailAddText from A)
 *   F, ML       -> the element named by the tag
 * flag -1: an additional text without stored AK text takes its OutlineAddText
 * from the first line of A (at most 100 characters); flag 0: it has none.
 * Texts of more than one of these groups in one instance are an error. */
GTC_EXPORT int32_t gtcRtf2gxml(int32_t h, const gtcWChar** xml, const gtcWChar** fehler,
                               int32_t flag);

/* Empties the line buffer. */
GTC_EXPORT int32_t gtcAsciiClear(int32_t h);
/* Add one line of a short (K) or long (L) text. code is GTC_ZEILE_TEXT (the
 * number is not used), or GTC_ZEILE_BIETER / GTC_ZEILE_AUFTRAGGEBER for a
 * gap whose label is the number. Consecutive gap lines with the same code and
 * label form one gap; a gap continues the line before it. A line holding line
 * breaks (CR LF, LF or CR) counts as several lines. */
GTC_EXPORT int32_t gtcAsciiAddLineK(int32_t h, const char* text, uint8_t code, int32_t nummer);
GTC_EXPORT int32_t gtcAsciiAddLineL(int32_t h, const char* text, uint8_t code, int32_t nummer);
/* Add one line of an additional text (AL) or additional short text (AK). */
GTC_EXPORT int32_t gtcAsciiAddLineAL(int32_t h, const char* text);
GTC_EXPORT int32_t gtcAsciiAddLineAK(int32_t h, const char* text);
/* Add one line of the element tag (F formatted, ML multi-line label). */
GTC_EXPORT int32_t gtcAsciiAddLineF(int32_t h, const char* text, const gtcWChar* tag);
GTC_EXPORT int32_t gtcAsciiAddLineML(int32_t h, const char* text, const gtcWChar* tag);
/* Converts the line buffer as gtcRtf2gxml does (without deriving an outline).
 * A long text that consists of one gap only gives a TextComplement element.
 * An empty buffer gives a null xml and no error. */
GTC_EXPORT int32_t gtcAscii2gxml(int32_t h, const gtcWChar** xml, const gtcWChar** fehler);
/* gtcRtf2gxml and gtcAscii2gxml with the xml result in UTF-8, for a caller
 * that works in UTF-8 (the error result stays UTF-16). */
GTC_EXPORT int32_t gtcRtf2gxml8(int32_t h, const char** xml, const gtcWChar** fehler, int32_t flag);
GTC_EXPORT int32_t gtcAscii2gxml8(int32_t h, const char** xml, const gtcWChar** fehler);

/* Convert a GAEB XML text fragment back to RTF: the short text (K), the long
 * text (L) or the text of a label element such as LblTx or ArtOutline (ML:
 * the short text, or the long text when there is none). The result is a
 * complete RTF document in 7-bit characters. It is null when the fragment
 * holds no text of that part. The gaps of a text are written as bookmarks
 * "TB<label>" (bidder) and "TA<label>" (owner) around their content, as the
 * RTF reader reads them; gtcGxml2RtfL does so with flag -1 only and writes
 * their content as plain text with flag 0. */
GTC_EXPORT int32_t gtcGxml2RtfK(int32_t h, const gtcWChar* xml, const char** rtf,
                                const gtcWChar** fehler);
GTC_EXPORT int32_t gtcGxml2RtfL(int32_t h, const gtcWChar* xml, const char** rtf, int32_t flag,
                                const gtcWChar** fehler);
GTC_EXPORT int32_t gtcGxml2RtfML(int32_t h, const gtcWChar* xml, const char** rtf,
                                 const gtcWChar** fehler);

/* Converts a GAEB XML text fragment into plain lines of at most breite
 * characters (broken at blanks where possible; breite < 1 means unlimited),
 * ready to be fetched with gtcAsciiGetLineK (short-text parts: OutlineText,
 * OutlineAddText, LblTx, ArtOutline) and gtcAsciiGetLineL (everything else). */
GTC_EXPORT int32_t gtcGxml2Ascii(int32_t h, const gtcWChar* xml, const gtcWChar** fehler,
                                 int32_t breite);
/* The markup of gtcGxml2Ascii handed over as a parser's events by a caller
 * that has parsed it already, so that no string is built and parsed again:
 * gtcGxmlAnfang for each element start, the text element first, with its name
 * without namespace prefix and its attributes as name and value pairs ended by
 * a null name (names without prefix; attributes with a prefix left out);
 * gtcGxmlZeichen for characters (laenge bytes, line ends as LF, references
 * replaced); gtcGxmlEnde for each element end. Names, values and characters
 * are UTF-8; every element counts as one of GAEB DA XML.
 * gtcGxmlEreignisse2Ascii then converts the text these events gave as
 * gtcGxml2Ascii converts the same markup (lines fetched the same way), and the
 * next event begins a new text. */
GTC_EXPORT int32_t gtcGxmlAnfang(int32_t h, const char* name, const char* const* attribute);
GTC_EXPORT int32_t gtcGxmlZeichen(int32_t h, const char* text, int32_t laenge);
GTC_EXPORT int32_t gtcGxmlEnde(int32_t h);
GTC_EXPORT int32_t gtcGxmlEreignisse2Ascii(int32_t h, const gtcWChar** fehler, int32_t breite);

/* Deliver the next line, ending with CR LF, with its code (GTC_ZEILE_TEXT, or
 * the gap code when the line holds gap content) and number (the gap's label,
 * else 60 for a short and 61 for a long text line). Return the 0-based index
 * of the delivered line, or -1 when no line is left (line set to null). */
GTC_EXPORT int32_t gtcAsciiGetLineK(int32_t h, const char** zeile, int32_t* code,
                                    int32_t* nummer);
GTC_EXPORT int32_t gtcAsciiGetLineL(int32_t h, const char** zeile, int32_t* code,
                                    int32_t* nummer);

#ifdef __cplusplus
}
#endif

#endif /* GTC_GTC_H */
