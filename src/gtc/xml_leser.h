// Reads GAEB DA XML text markup into the converter's model.
//
// The root element names the text: Description, CompleteText, OutlineText,
// DetailTxt, OutlTxt (short and long text with their gaps), AddText
// (OutlineAddText, DetailAddText), TextComplement (one gap), or an element of
// formatted or multi-line text (IstTextelement of xml_schreiber.h; those of
// IstKurztextelement give the short text). Elements may be in the GAEB
// namespace or in none;
// elements of other namespaces are skipped.
//
// Inside a text: p and div are paragraphs, span a run (its style and that of
// its paragraph give bold, italic and underline), br a line break, li of ul
// and ol a paragraph with "- " or its number, tr of a table a paragraph with
// its cells separated by tabs, page a paragraph end. Pictures are left out
// with a remark.
//
// The input is parsed as a stream of events in pieces, so memory follows the
// text being built, not the document; text nodes of any length are read.
// It is parsed without network access, without loading a DTD and
// without expanding entities; a document type declaration is refused, so an
// entity bomb never unfolds.
#pragma once

#include <optional>
#include <string_view>

#include "gtc/modell.h"

namespace gtc {

struct GaebText {
  std::optional<Text> kurz;  // OutlineText, OutlineAddText, LblTx, ArtOutline ...
  std::optional<Text> lang;  // DetailTxt, DetailAddText, Descrip, TextComplement ...
};

// False (with an error in meldungen) when utf16 (zero-terminated, null:
// empty; converted piece by piece while it is read) is not a well-formed
// GAEB XML text; text then stays empty.
bool LiesGaebXml(const char16_t* utf16, GaebText& text, Meldungen& meldungen);

}  // namespace gtc
