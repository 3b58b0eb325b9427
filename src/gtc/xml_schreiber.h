// Writes texts of the model as GAEB DA XML 3.1 text markup: paragraphs as p,
// runs as span (bold, italic and underline in the style attribute as
// font-weight:bold; font-style:italic; text-decoration:underline;), line
// breaks as br, gaps as TextComplement. The output is one element without
// XML declaration or indentation; its root declares the GAEB namespace as
// default namespace, so the fragment belongs to a GAEB document's tree.
// Every element written fits the schema type of its name (tgDescription,
// tgAddText, tgFText, tgMLText, tgTextComplement): empty texts give empty but
// valid elements.
#pragma once

#include <string>
#include <string_view>

#include "gtc/modell.h"

namespace gtc {

inline constexpr std::string_view kGaebNamensraum = "http://www.gaeb.de/GAEB_DA_XML/200407";

// Description with CompleteText (DetailTxt from lang, OutlineText from kurz
// when kurz is not empty) when lang is given, else with OutlineText from kurz.
// At least one of the two must be given.
std::string SchreibeDescription(const Text* kurz, const Text* lang);

// AddText with OutlineAddText (when kurz is given and has content) and
// DetailAddText (lang, or empty when lang is null).
std::string SchreibeAddText(const Text* kurz, const Text* lang);

// The element name holding the text as paragraphs (tgFText and tgMLText);
// gaps are written as ordinary text.
std::string SchreibeElement(std::string_view name, const Text& text);

// A text that is exactly one gap as a TextComplement element; false when the
// text holds anything else.
bool SchreibeEinzelneLücke(const Text& text, std::string& xml);

// True when name is an element of GAEB DA XML 3.1 that holds formatted
// (tgFText) or multi-line (tgMLText) text: Descrip, COReas, DetailAddText,
// Text, LblTx, ArtOutline, BidComm, OutlineAddText, TextOutlTxt,
// ComplCaption, ComplBody, ComplTail. Only these take a text by tag.
bool IstTextelement(std::string_view name);
// True for those of them that hold a short text (LblTx, ArtOutline,
// OutlineAddText, TextOutlTxt).
bool IstKurztextelement(std::string_view name);

}  // namespace gtc
