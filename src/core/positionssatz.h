// The position record: the public properties of clsGaebSQL through which host
// and component exchange one row of a bill of quantities (header, structure
// row, position, text, closing remark). Every property is a plain stored value.
//
// GAEB_POSITIONSSATZ lists the 81 properties in the order of the class
// interface: X(type, name, reset, value). reset is R (Init_Datenfelder sets
// value) or K (kept: Init_Datenfelder leaves it alone).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"

namespace gaeb {

using String = std::string;
using Integer = std::int16_t;
using Long = std::int32_t;
using Double = double;
using Boolean = bool;

// clang-format off
#define GAEB_POSITIONSSATZ(X) \
  X(Double,  MengePaketteil,          R, 0) \
  X(Integer, KnzGaeb,                 R, 0) \
  X(Long,    Satznummer,              K, 0) \
  X(Integer, AnzahlLeistungen,        K, 0) \
  X(Integer, AnzahlPakete,            K, 0) \
  X(Integer, AnzahlPaketteile,        K, 0) \
  X(Boolean, KnzVertragsbedingungen,  R, false) \
  X(Boolean, KnzRTF,                  R, false) \
  X(String,  DruckKnz,                R, "") \
  X(Boolean, KnzFreieMenge,           R, false) \
  X(String,  ImportTyp,               K, "") \
  X(String,  Kurztext3,               R, "") \
  X(String,  LangtextRTF,             R, "") \
  X(String,  Kurztext1RTF,            R, "") \
  X(String,  Kurztext3RTF,            R, "") \
  X(Boolean, Pauschalpreis,           R, false) \
  X(Double,  UmsatzsteuerProzent,     R, 0) \
  X(String,  DateiUrsprung,           R, "") \
  X(Integer, Nachtrag,                R, 0) \
  X(Integer, Preiseinheit,            R, 1) \
  X(String,  KnzVbSb,                 R, "0") \
  X(String,  Ausgabejahr,             R, "") \
  X(String,  KundenNummer,            R, "") \
  X(String,  Belegtext,               R, "") \
  X(String,  Unser_Zeichen,           R, "") \
  X(String,  KennNr_Langtext,         R, "") \
  X(Double,  LohnEPVK,                R, 0) \
  X(Double,  MaterialEPVK,            R, 0) \
  X(String,  Projektnummer,           R, "") \
  X(String,  Währungduplikat,         K, "") \
  X(String,  GAEBDaVersion,           K, "") \
  X(Integer, ZuschlagAuf,             R, 0) \
  X(Integer, WelcherBetragZuAbschlag, R, 0) \
  X(String,  FürSummenspeicher2,      R, BoolZuText(true)) \
  X(Boolean, FürSummenspeicher1,      R, true) \
  X(String,  Dateiname,               R, "") \
  X(String,  InformationAN,           R, "") \
  X(String,  InformationAG,           R, "") \
  X(String,  KopfInformationAG,       R, "") \
  X(String,  InformationProjekt,      R, "") \
  X(String,  InformationProjektRTF,   R, "") \
  X(Boolean, LVmitLohn,               R, false) \
  X(Boolean, LVmitPreisen,            R, false) \
  X(String,  DatumZuschlagsfrist,     R, "") \
  X(String,  UhrzeitAngebotsabgabe,   R, "") \
  X(String,  DatumAngebotsabgabe,     R, "") \
  X(String,  DatumLV,                 R, "") \
  X(String,  NotizenLV,               R, "") \
  X(String,  BezeichnungLV,           R, "") \
  X(String,  DVNrAN,                  R, "") \
  X(String,  VergabenummerAN,         R, "") \
  X(String,  BieterNrAG,              R, "") \
  X(String,  DVNrAG,                  R, "") \
  X(String,  VergabenummerAG,         R, "") \
  X(Boolean, MitLangtextfassung,      R, false) \
  X(Boolean, MitLos,                  R, false) \
  X(String,  OZStufen,                R, "") \
  X(Integer, Datenphase,              R, 0) \
  X(String,  OZMaske,                 R, "") \
  X(Integer, HierarchieEbene,         R, 0) \
  X(String,  BezWährung,              R, "") \
  X(String,  Währung,                 R, "") \
  X(Double,  AufAbschlagBetrag,       R, 0) \
  X(Integer, Positionstyp,            R, 0) \
  X(Double,  Zeit,                    R, 0) \
  X(Double,  AufAbschlagProzent,      R, 0) \
  X(Double,  Gesamtpreis,             R, 0) \
  X(Double,  Einzelpreis,             R, 0) \
  X(String,  Mengeneinheit,           R, "") \
  X(Double,  Menge,                   R, 0) \
  X(String,  Kurztext1,               R, "") \
  X(String,  Langtext,                R, "") \
  X(Boolean, Bedarfsposition,         R, false) \
  X(Boolean, Garantieposition,        R, false) \
  X(Boolean, Alternativposition,      R, false) \
  X(String,  Bezeichnung,             K, "") \
  X(String,  Positionsnummer,         R, "") \
  X(String,  Artikelnummer,           R, "") \
  X(String,  Zeichensatz,             R, "") \
  X(String,  ZA07,                    R, "") \
  X(String,  ZA06,                    R, "")
// clang-format on

struct Positionssatz {
#define GAEB_FELD(typ, name, reset, wert) typ name = wert;
  GAEB_POSITIONSSATZ(GAEB_FELD)
#undef GAEB_FELD

  // Sets every property with a reset value to it; kept properties stay.
  void Zurücksetzen();
};

// The property types as the interface names them.
enum class Eigenschaftstyp { String, Integer, Long, Double, Boolean };

// One property of the record, for access by name (scripts, the row files of
// the command-line import).
struct Eigenschaft {
  std::string_view name;
  Eigenschaftstyp typ;
  bool zurückgesetzt;  // false for the kept properties
};

// The 81 properties in interface order.
const std::vector<Eigenschaft>& Eigenschaften();
const Eigenschaft* FindeEigenschaft(std::string_view name);

// Reads or writes a property by name. Throws gaeb::Fehler (438) for an
// unknown name and error 13 when the value does not convert to its type.
Variant LeseEigenschaft(const Positionssatz& satz, std::string_view name);
void SchreibeEigenschaft(Positionssatz& satz, std::string_view name, const Variant& wert);

}  // namespace gaeb
