// A small host that embeds the GAEB component: it keeps its documents in a
// SQLite database of the stand-alone host, imports a bill of quantities row by
// row through the position record of clsGaebSQL, writes it as GAEB 2000 and
// GAEB 90 while it shows the progress events, and converts one RTF text with
// clsGaebTextkonverter.
//
//   gaeb-embed DATABASE-FILE OUTPUT-FOLDER
//
// Exit status 0 when the bill was stored and both files were written.
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <gaeb/component/clsGaebSQL.h>
#include <gaeb/host/dienste.h>
#include <gaeb/host/host.h>
#include <gaeb/host/schema.h>
#include <gaeb/host/verbindung.h>
#include <gaeb/textconv/textkonverter.h>

namespace {

// The host's event sink: a progress line per event. The component raises
// FortschrittMax once per export and Fortschritt while it walks the positions.
class Fortschrittsanzeige : public gaeb::clsGaebSQLEreignisse {
 public:
  void FortschrittMax(std::int32_t anzahl) override {
    max_ = anzahl;
    erledigt_ = 0;
    std::cout << "  Schritte: " << max_ << "\n";
  }
  void Fortschritt(std::int32_t anzahl, bool& cancel) override {
    erledigt_ += anzahl;
    std::cout << "  Fortschritt: +" << anzahl << " (" << erledigt_ << " von " << max_ << ")\n";
    cancel = false;  // a host with a dialogue sets it when the user cancels
  }

 private:
  std::int32_t max_ = 0, erledigt_ = 0;
};

std::string Heute(const char* format) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

// One row of the bill: it sets properties of the position record.
using Zeile = std::function<void(gaeb::clsGaebSQL&)>;

std::vector<Zeile> Leistungsverzeichnis() {
  return {
      [](gaeb::clsGaebSQL& k) {
        k.Positionstyp(10);
        k.Projektnummer("4711");
        k.BezeichnungLV("Anbau Werkhalle");
        k.OZMaske("1122PPPPI");
        k.OZStufen("22041");
        k.Datenphase(83);
        k.LVmitPreisen(true);
        k.Währung("EUR");
      },
      [](gaeb::clsGaebSQL& k) {
        k.Positionstyp(40);
        k.HierarchieEbene(2);
        k.Positionsnummer("01");
        k.Kurztext1("Erdarbeiten");
      },
      [](gaeb::clsGaebSQL& k) {
        k.Positionstyp(40);
        k.HierarchieEbene(3);
        k.Positionsnummer("01.01");
        k.Kurztext1("Baugrube");
      },
      [](gaeb::clsGaebSQL& k) {
        k.Positionstyp(40);
        k.HierarchieEbene(4);
        k.Positionsnummer("01.01.0010");
        k.Kurztext1("Oberboden abtragen");
        k.Langtext("Oberboden 30 cm abtragen und seitlich lagern.");
        k.Menge(120.0);
        k.Mengeneinheit("m2");
        k.Einzelpreis(4.5);
      },
      [](gaeb::clsGaebSQL& k) {
        k.Positionstyp(40);
        k.HierarchieEbene(4);
        k.Positionsnummer("01.01.0020");
        k.Kurztext1("Baugrube ausheben");
        k.Menge(300.0);
        k.Mengeneinheit("m3");
        k.Einzelpreis(11.0);
      },
      [](gaeb::clsGaebSQL& k) { k.Positionstyp(90); },
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: gaeb-embed DATABASE-FILE OUTPUT-FOLDER\n";
    return 2;
  }
  const std::string verbindungstext = std::string("sqlite:") + argv[1];
  const std::filesystem::path ordner = argv[2];
  std::filesystem::create_directories(ordner);

  try {
    // The stand-alone host: its classes registered with an object factory (the
    // component creates its host objects there), messages printed on stderr.
    gaeb::host::HostOptionen optionen;
    optionen.meldungsausgabe = [](const gaeb::host::Meldung& m) { std::cerr << "Meldung: " << m.text << "\n"; };
    std::shared_ptr<gaeb::Objektfabrik> fabrik = gaeb::host::NeueFabrik(std::move(optionen));
    std::unique_ptr<gaeb::Verbindung> verbindung = gaeb::host::ÖffneVerbindung(verbindungstext);
    gaeb::host::ErstelleSchema(*verbindung);
    gaeb::host::SchreibeEinstellung(*verbindung, "Standard", "Firmendaten", "Name1", "Beispiel Bau GmbH");
    const gaeb::Variant projekt[] = {gaeb::Variant(std::string("4711"))};
    if (verbindung->Ausführen("SELECT Projektnummer FROM ProjekteKolvar WHERE Projektnummer = ?", projekt) == 0)
      verbindung->Ausführen("INSERT INTO ProjekteKolvar (Projektnummer, Bezeichnung) VALUES (?, 'Werkhalle')",
                            projekt);

    // The component, handed its context the way every host does.
    gaeb::clsGaebSQL k(fabrik);
    k.Init("", verbindungstext, verbindung.get(), nullptr, nullptr, GAEB_CONVERTER_DIR);
    k.Parameter_Beleg("EUR", "beispiel", Heute("%Y%m%d"), Heute("%d%m%Y"), "", 0, 0, 0, 0, "", false);

    // Import: a new document number, locked, then one Speichern_Belegdaten per row.
    const std::int16_t belegart = 1;
    if (!k.Init_BelegVorlauf(belegart, "").ToBool()) return 1;
    std::int32_t belegnummer = k.Sperren_Belegnummer(belegart);
    if (belegnummer == 0) return 1;
    for (const Zeile& zeile : Leistungsverzeichnis()) {
      k.Init_Datenfelder();
      zeile(k);
      if (!k.Speichern_Belegdaten(belegart, belegnummer)) {
        std::cerr << "row of type " << k.Positionstyp() << " was not stored\n";
        return 1;
      }
    }
    std::cout << "Beleg " << belegart << "/" << belegnummer << " gespeichert\n";

    // Exports, with the progress shown.
    Fortschrittsanzeige anzeige;
    k.Verbinde(&anzeige);
    gaeb::Ausgabeoptionen mitPreisen;
    mitPreisen.chkMitPreise = true;
    const std::filesystem::path p83 = ordner / "werkhalle.p83", d83 = ordner / "werkhalle.d83";
    std::cout << "GAEB 2000 -> " << p83.string() << "\n";
    bool ok = k.Ausgabe_BelegdatenDA2000(belegart, belegnummer, p83.string(), 83, mitPreisen);
    std::cout << "GAEB 90 -> " << d83.string() << "\n";
    ok = k.Ausgabe_BelegdatenDA90(belegart, belegnummer, d83.string(), 83, mitPreisen) && ok;
    k.Verbinde(nullptr);

    // The text converter, loaded from the same directory.
    gaeb::clsGaebTextkonverter konverter;
    konverter.m_AppExeDir(GAEB_CONVERTER_DIR);
    std::cout << konverter.RunGtcConverterTest_RTF_GXML("{\\rtf1 Beton {\\b C25/30}\\par liefern}", "L") << "\n";
    return ok ? 0 : 1;
  } catch (const std::exception& e) {
    // Only the host's own calls throw; the component reports through the message service.
    std::cerr << "gaeb-embed: " << e.what() << "\n";
    return 1;
  }
}
