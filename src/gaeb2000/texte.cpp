// The text blocks of the GAEB 2000 export: the "Beschreibung" of positions,
// package parts and surcharge rows (long text and short text, with the
// markers of text supplements A and B), text rows as "Hinweis" or
// "AusfBeschr", and additional texts as "ZusText".
//
// The writers work on the current position of the document and leave their
// changes in it: a text replaced by its RTF form or by a combined text, and
// the CR LF appended to every text they write.
#include "base/text.h"
#include "gaeb2000/export.h"

namespace gaeb::gaeb2000 {

namespace {

// A text supplement A or B is announced by its bookmark, in the plain or the
// RTF form of a text.
bool HatErgänzung(const std::string& text, char buchstabe) {
  std::string marke = std::string("[T") + buchstabe;
  std::string rtfMarke = std::string("\\bkmstart T") + buchstabe;
  return text.find(marke) != std::string::npos || text.find(rtfMarke) != std::string::npos;
}

// text with CR LF appended, in a buffer of exactly that size: the text is
// stored back into the document, where every byte of slack would stay.
std::string MitZeilenende(std::string text) {
  text.reserve(text.size() + 2);
  text += "\r\n";
  return text;
}

}  // namespace

void Export::Beschreibungsblock(std::size_t blanks, WeiterBeiFehler& weiter) {
  weiter([&] { Zeile(blanks, "#begin[Beschreibung]"); });
  // With short and long texts in the document, a printable second long text
  // continues the long text.
  weiter([&] {
    if (Kopf().Feld("Kurzlangtext").ToBool() && PS("DruckKnz") > "1") {
      std::string zusatz = PS("Zusatztext");
      if (!zusatz.empty()) Position().SetzeFeld("Langtext", PS("Langtext") + "\r\n" + zusatz);
    }
  });
  weiter([&] { Ausgabe_LANGTEXT(); });
  weiter([&] {
    std::string kurztext3 = PS("Kurztext3");
    if (!kurztext3.empty()) Position().SetzeFeld("Kurztext1", PS("Kurztext1") + "\r\n" + kurztext3);
  });
  weiter([&] { Ausgabe_KURZTEXT(); });
  weiter([&] { Zeile(blanks, "#end[Beschreibung]"); });
}

bool Export::Ausgabe_LANGTEXT() {
  Geschützt(k_, "Ausgabe_LANGTEXT", [&] {
    std::size_t i = static_cast<std::size_t>(Ebene() + 1);
    std::string langtext = PS("Langtext");
    if (langtext.empty()) return;
    if (m_MitRTF) {
      std::string rtf = PS("LangtextRTF");
      if (!rtf.empty()) {
        Position().SetzeFeld("Langtext", rtf);
        langtext = std::move(rtf);
      }
    }
    if (HatErgänzung(langtext, 'A')) Attribut(i + 15, "[LangtextTA]", "J");
    if (HatErgänzung(langtext, 'B')) Attribut(i + 15, "[LangtextTB]", "J");
    Zeile(i + 15, "[Langtext]");
    langtext = MitZeilenende(std::move(langtext));
    TextZeilen(langtext, i + 15);
    Position().SetzeFeld("Langtext", Variant(std::move(langtext)));
  });
  return true;
}

bool Export::Ausgabe_KURZTEXT() {
  Geschützt(k_, "Ausgabe_KURZTEXT", [&] {
    std::size_t i = static_cast<std::size_t>(Ebene() + 1);
    std::string kurztext = PS("Kurztext1");
    if (kurztext.empty()) return;
    if (m_MitRTF) {
      std::string rtf = PS("Kurztext1RTF");
      if (!rtf.empty()) {
        Position().SetzeFeld("Kurztext1", rtf);
        kurztext = std::move(rtf);
      }
    }
    if (HatErgänzung(kurztext, 'A')) Attribut(i + 15, "[KurztextTA]", "J");
    if (HatErgänzung(kurztext, 'B')) Attribut(i + 15, "[KurztextTB]", "J");
    Zeile(i + 15, "[Kurztext]");
    // A short text that ends in a line break (CR LF, or a lone LF or CR as
    // older documents hold them) gives no empty last line.
    if (!kurztext.empty() && (kurztext.back() == '\n' || kurztext.back() == '\r')) {
      const bool crlf = kurztext.size() >= 2 && kurztext.compare(kurztext.size() - 2, 2, "\r\n") == 0;
      kurztext.resize(kurztext.size() - (crlf ? 2 : 1));
      Position().SetzeFeld("Kurztext1", kurztext);
    }
    kurztext = MitZeilenende(std::move(kurztext));
    TextZeilen(kurztext, i + 15);
    Position().SetzeFeld("Kurztext1", Variant(std::move(kurztext)));
  });
  return true;
}

bool Export::Ausgabe_BESCHREIBUNG() {
  Geschützt(k_, "Ausgabe_BESCHREIBUNG", [&] {
    PufferSchreiben();
    std::size_t i = static_cast<std::size_t>(Ebene() + 1);
    auto blockname = [&] {
      std::string art = PS("KennNr_Langtext");
      return art == "[AUSFBESCHR]" ? std::string("AusfBeschr") : std::string("Hinweis");
    };
    Zeile(i + 10, "#begin[" + blockname() + "]");
    Zeile(i + 13, "#begin[Beschreibung]");
    Zeile(i + 15, "[Langtext]");
    if (m_MitRTF) {
      std::string rtf = PS("LangtextRTF");
      if (!rtf.empty()) Position().SetzeFeld("Langtext", rtf);
    }
    std::string langtext = MitZeilenende(PS("Langtext"));
    TextZeilen(langtext, i + 15);
    Position().SetzeFeld("Langtext", Variant(std::move(langtext)));
    Zeile(i + 13, "#end[Beschreibung]");
    Zeile(i + 10, "#end[" + blockname() + "]");
  });
  return true;
}

bool Export::Ausgabe_ZUSTEXT() {
  Geschützt(k_, "Ausgabe_ZUSTEXT", [&] {
    PufferSchreiben();
    std::size_t i = static_cast<std::size_t>(Ebene() + 1);
    Zeile(i + 5, "#begin[ZusText]");
    std::string schlüssel = "[Text]";
    if (m_MitRTF) {
      std::string rtf = PS("LangtextRTF");
      if (!rtf.empty()) {
        Position().SetzeFeld("Langtext", rtf);
        schlüssel = "[TextRTF]";
      }
    }
    Zeile(i + 10, schlüssel);
    std::string langtext = MitZeilenende(PS("Langtext"));
    TextZeilen(langtext, i + 10);
    Position().SetzeFeld("Langtext", Variant(std::move(langtext)));
    Zeile(i + 5, "#end[ZusText]");
  });
  return true;
}

}  // namespace gaeb::gaeb2000
