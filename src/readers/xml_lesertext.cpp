// The XML reader's text elements (Description, AddText, LblTx, Descrip): kept
// as markup without namespace (Maskiere) and, where the converter takes them,
// handed to it as parse events while they are read; at the element's end the
// plain and RTF texts go into the row the element belongs to.
#include <cstring>
#include <optional>
#include <utility>

#include "readers/xml_leser.h"
#include "readers/xml_textzeilen.h"

namespace gaeb::readers {

void XmlLeser::TextBeginn(const std::string& name, bool /*leer*/) {
  textName_ = name;
  textXml_ = "<" + name + ">";
  if (!nimmtEreignisse_) nimmtEreignisse_ = texte_.NimmtEreignisse();
  ereignisText_ = *nimmtEreignisse_;
  ereignisseGültig_ = true;
  textPfad_.clear();
  umrisse_ = details_ = 0;
  if (ereignisText_) {
    const char* keine[] = {nullptr};
    texte_.Anfang(name.c_str(), keine);
  }
  marken_.clear();
  kurzAnfang_ = langAnfang_ = std::string::npos;
  kurzXml_.clear();
  langXml_.clear();
}

void XmlLeser::TextAnfang(const std::string& name, bool leer) {
  // The short and the long part are kept on their own too: their RTF forms
  // are converted apart, and the joining of lines follows each part's
  // paragraphs.
  if (!leer && name == "OutlineText") kurzAnfang_ = textXml_.size();
  if (!leer && name == "DetailTxt") langAnfang_ = textXml_.size();
  textXml_ += "<" + name;
  std::string art, marke;
  textAttribute_.clear();
  for (int i = 0; i < anzahlAttribute_; ++i) {
    const xmlChar* const* at = attribute_ + 5 * i;  // local name, prefix, URI, value, end of value
    const char* lokal = reinterpret_cast<const char*>(at[0]);
    const char* präfix = reinterpret_cast<const char*>(at[1]);
    // Names written "xmlns..." are taken for namespace declarations.
    if (std::strncmp(präfix != nullptr ? präfix : lokal, "xmlns", 5) == 0) continue;
    // A prefix goes, but for the xml: attributes.
    const bool xml = präfix != nullptr && std::strcmp(präfix, "xml") == 0;
    const std::string a = xml ? "xml:" + std::string(lokal) : std::string(lokal);
    const std::string av = AttributWert(at[3], at[4]);
    textXml_ += " ";
    textXml_ += a;
    textXml_ += "=\"";
    Maskiere(av, textXml_, true);
    textXml_ += "\"";
    if (a == "Kind") art = av;
    if (a == "MarkLbl") marke = av;
    if (ereignisText_ && !xml) {
      textAttribute_.push_back(a);
      textAttribute_.push_back(av);
    }
  }
  textXml_ += leer ? "/>" : ">";
  if (ereignisText_) TextEreignis(name, leer);
  if (name == "TextComplement" && art != "Owner") marken_.push_back(marke);
}

// The start of an element inside a text element as an event. The events
// give the same text as the markup string where the markup reads the same
// either way: no attribute name twice once prefixes are gone (the string
// would not be well-formed), and OutlineText and DetailTxt at most once each
// and where a Description has them (they are also converted on their own).
void XmlLeser::TextEreignis(const std::string& name, bool leer) {
  for (std::size_t i = 0; i < textAttribute_.size(); i += 2) {
    for (std::size_t j = 0; j < i; j += 2)
      if (textAttribute_[j] == textAttribute_[i]) ereignisseGültig_ = false;
  }
  const bool inComplete = textPfad_.size() == 1 && textPfad_[0] == "CompleteText";
  if (name == "OutlineText" && (++umrisse_ > 1 || !(textPfad_.empty() || inComplete))) ereignisseGültig_ = false;
  if (name == "DetailTxt" && (++details_ > 1 || !inComplete)) ereignisseGültig_ = false;
  zeiger_.clear();
  for (const std::string& a : textAttribute_) zeiger_.push_back(a.c_str());
  zeiger_.push_back(nullptr);
  texte_.Anfang(name.c_str(), zeiger_.data());
  if (leer) texte_.Ende();
  else textPfad_.push_back(name);
}

void XmlLeser::TextZeichen(std::string_view t) {
  Maskiere(t, textXml_, false);
  if (textXml_.size() > kGrößterText) Fehler("Ein Text ist länger als 1 MB.");
  if (ereignisText_) {
    // A CR (only from a character reference) would be a line end in the markup string.
    if (t.find('\r') != std::string_view::npos) ereignisseGültig_ = false;
    texte_.Zeichen(t);
  }
}

void XmlLeser::TextElementEnde(std::string_view n) {
  textXml_ += "</";
  textXml_ += n;
  textXml_ += ">";
  if (ereignisText_) {
    texte_.Ende();
    if (!textPfad_.empty()) textPfad_.pop_back();
  }
  if (n == "OutlineText" && kurzAnfang_ != std::string::npos) kurzXml_ = textXml_.substr(kurzAnfang_);
  if (n == "DetailTxt" && langAnfang_ != std::string::npos) langXml_ = textXml_.substr(langAnfang_);
}

void XmlLeser::TextSchluss(const std::string& name) {
  textXml_ += "</" + textName_ + ">";
  if (ereignisText_) texte_.Ende();
  textTiefe_ = -1;
  TextFertig(name);
}

XmlLeser::Textteile XmlLeser::Teile() const {
  Textteile t;
  const std::string_view x = textXml_;
  // The second character first: most places where a pattern's first one stands hold none.
  auto bei = [&x](std::size_t i, std::string_view m) {
    return i + m.size() <= x.size() && x[i + 1] == m[1] && x.compare(i, m.size(), m) == 0;
  };
  for (std::size_t i = 0; i < x.size(); ++i) {
    switch (x[i]) {
      case 's': t.formatiert = t.formatiert || bei(i, "style="); break;
      case 'T': t.formatiert = t.formatiert || bei(i, "TextComplement"); break;
      case '<':
        t.formatiert = t.formatiert || bei(i, "<table") || bei(i, "<ul") || bei(i, "<ol") || bei(i, "<image") ||
                       bei(i, "<Image");
        break;
      case 'O': t.kurz = t.kurz || bei(i, "OutlTxt"); break;
      case 'D': t.lang = t.lang || bei(i, "DetailTxt") || bei(i, "DetailAddText"); break;
      default: break;
    }
  }
  return t;
}

// The text element just read, in textXml_ as markup.
void XmlLeser::TextFertig(const std::string& name) {
  // The text of the events, when they give what the markup string gives.
  std::optional<std::pair<std::string, std::string>> ereignis;
  if (ereignisText_) {
    ereignis.emplace();
    texte_.EreignisseNachTextKL(ereignis->first, ereignis->second);
    if (!ereignisseGültig_) ereignis.reset();
  }
  auto nachText = [&](const std::string& xml, const char* modus) {
    if (ereignis) return std::string(modus[0] == 'K' ? ereignis->first : ereignis->second);
    return texte_.NachText(xml, modus);
  };
  const Textteile teile = Teile();
  const bool rtf = teile.formatiert;
  const bool kurz = teile.kurz || name == "LblTx";
  const bool lang = teile.lang || name == "Descrip";
  if (name == "Descrip") {
    descrip_ = ZeilenZuAbsätzen(nachText(textXml_, "L"), textXml_);
    if (rtf) Setze(lv_.kopf, "InformationProjektRTF", Variant(texte_.NachRtf(textXml_, "L")));
    return;
  }
  if (name == "LblTx") {
    if (bereichZeile_.empty()) return;
    Importzeile& z = Zeilen(bereichZeile_.back());
    Setze(z, "Kurztext1", Variant(nachText(textXml_, "K")));
    if (rtf) Setze(z, "Kurztext1RTF", Variant(texte_.NachRtf(textXml_, "ML")));
    return;
  }
  if (name == "AddText") {
    std::string l = lang ? nachText(textXml_, "L") : "";
    std::string lr = lang && rtf ? texte_.NachRtf(textXml_, "L") : "";
    if (l.empty() && kurz) l = nachText(textXml_, "K");
    Importzeile& z = imBoQ_ || !boqGesehen_ ? lv_.Neu(50) : lv_.Schluss();
    if (Wert(z, "Positionstyp").ToInt32() == 50) Setze(z, "KnzVbSb", Variant("1"));
    Setze(z, "Langtext", Variant(l));
    if (!lr.empty()) Setze(z, "LangtextRTF", Variant(lr));
    return;
  }
  // Description of an item, markup item, sub-description or remark.
  Importzeile& z = Aktuell();
  if (art_ == Art::Bemerkung) {
    std::string l = lang ? ZeilenZuAbsätzen(nachText(textXml_, "L"), langXml_.empty() ? textXml_ : langXml_)
                         : nachText(textXml_, "K");
    Setze(z, "Langtext", Variant(l));
    if (lang && rtf) Setze(z, "LangtextRTF", Variant(texte_.NachRtf(textXml_, "L")));
    return;
  }
  const std::string& k = kurzXml_.empty() ? textXml_ : kurzXml_;
  const std::string& l = langXml_.empty() ? textXml_ : langXml_;
  // Both parts of the element in one conversion.
  std::string kurzText, langText;
  if (kurz && lang && ereignis) kurzText = ereignis->first, langText = ereignis->second;
  else if (kurz && lang) texte_.NachTextKL(textXml_, kurzText, langText);
  else if (kurz) kurzText = nachText(k, "K");
  else if (lang) langText = nachText(l, "L");
  if (kurz) {
    Setze(z, "Kurztext1", Variant(ZeilenZuAbsätzen(kurzText, k)));
    if (rtf) Setze(z, "Kurztext1RTF", Variant(texte_.NachRtf(k, "K")));
  }
  if (lang) {
    std::string t = ZeilenZuAbsätzen(langText, l);
    if (!t.empty()) mitLangtext_ = true;
    Setze(z, "Langtext", Variant(t));
    if (rtf) Setze(z, "LangtextRTF", Variant(texte_.NachRtf(l, "L")));
  }
  if (!marken_.empty()) {
    std::string kenn = "XML";
    for (const std::string& m : marken_) kenn += ";" + m;
    Setze(z, "KennNr_Langtext", Variant(kenn));
  }
}

}  // namespace gaeb::readers
