#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "base/fehler.h"
#include "cli/befehle.h"
#include "textconv/meldungsfenster.h"
#include "textconv/textbefehl.h"

namespace gaeb::cli {

namespace {

// The converter's message box: "Fehlercode: " and the text on standard error.
class Fehlercodefenster : public Meldungsfenster {
 public:
  void Zeige(const std::string& text, const std::string& titel) override {
    if (titel == "Fehlercode") {
      std::cerr << "Fehlercode: " << text << "\n";
    } else {
      std::cerr << text << "\n";
    }
  }
};

std::string LiesAlles(std::istream& in) { return std::string(std::istreambuf_iterator<char>(in), {}); }

std::string LiesDatei(const std::string& pfad, const char* option) {
  std::ifstream in(pfad, std::ios::binary);
  if (!in) throw CLI::ValidationError(option, "cannot read " + pfad);
  return LiesAlles(in);
}

}  // namespace

void RegistriereText(CLI::App& app, int& exitcode) {
  CLI::App* cmd = app.add_subcommand(
      "text",
      "Convert a text between RTF, plain lines and GAEB XML text markup. Input files are read as UTF-8 "
      "(a byte order mark is dropped); a file that is not valid UTF-8 is read in its Windows code page: "
      "raw bytes of RTF in the code page of their font or of \\ansicpg, plain lines and XML in code page 1252. "
      "Exit 1 when the converter reports an error (its messages on standard error as Fehlercode: ...)");
  static Textauftrag auftrag;
  static std::string kurzDatei, datei = "-";
  cmd->add_option("--from", auftrag.von, "Input: rtf, ascii or xml")->required()->check(CLI::IsMember({"rtf", "ascii", "xml"}));
  cmd->add_option("--to", auftrag.nach, "Output: xml, rtf or ascii")->required()->check(CLI::IsMember({"xml", "rtf", "ascii"}));
  cmd->add_option("--kind", auftrag.textmodus, "Text kind: K, L, KL, A, KA, AK, F, ML, MA or LB")->required();
  cmd->add_option("--short", kurzDatei, "File with the short text (kind KL)");
  cmd->add_option("--label", auftrag.marke, "Label number of a bidder gap (kind LB)");
  cmd->add_option("FILE", datei, "Input file (UTF-8 or Windows code page, see above), - for standard input")->capture_default_str();
  cmd->callback([cmd, &exitcode] {
    auftrag.mitKurztext = !kurzDatei.empty();
    if (auftrag.mitKurztext) auftrag.kurztext = LiesDatei(kurzDatei, "--short");
    auftrag.mitMarke = cmd->count("--label") > 0;
    std::string fehler = Prüfe_Textauftrag(auftrag);
    if (!fehler.empty()) throw CLI::ValidationError("text", fehler);
    std::string eingabe = datei == "-" ? LiesAlles(std::cin) : LiesDatei(datei, "FILE");
    Fehlercodefenster fenster;
    try {
      bool mitFehlern = false;
      std::string ergebnis = Konvertiere_Text(auftrag, eingabe, Programm::Programmverzeichnis(), &fenster, &mitFehlern);
      std::cout << ergebnis;
      if (auftrag.nach != "ascii" && !ergebnis.empty()) std::cout << "\n";  // lines end with their own CR LF
      // An error of the converter means the input was refused or the result is incomplete.
      exitcode = mitFehlern ? kAbgelehnt : kErfolg;
    } catch (const std::invalid_argument& e) {
      throw CLI::ValidationError("text", e.what());
    } catch (const Fehler&) {
      exitcode = kAbgelehnt;  // the message has been shown
    }
  });
}

}  // namespace gaeb::cli
