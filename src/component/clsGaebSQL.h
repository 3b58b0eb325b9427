// clsGaebSQL: the public class of the GAEB component. The host creates it,
// hands it its context (Init, Parameter_Beleg), fills or reads the position
// record through the properties, and calls the import, reading and export
// procedures. Every public procedure reports its failures through the host's
// message service and returns normally: no exception leaves this class.
//
// The members follow the order of the class interface. Each property is a
// getter/setter pair named after it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/variant.h"
#include "component/ereignisse.h"
#include "component/host.h"
#include "component/kontext.h"
#include "component/objektfabrik.h"
#include "component/positionssatz.h"

namespace gaeb {

class clsGaebSQL {
  // Declared first: the public field below refers into it.
  std::unique_ptr<Kontext> k_;

 public:
  // Creates the document data object and the document number object through
  // the factory, empties ImportTyp and creates the text converter. A class that
  // cannot be created leaves its member unset; the first procedure that needs
  // it reports the failure.
  explicit clsGaebSQL(std::shared_ptr<const Objektfabrik> fabrik);
  // Releases the objects it created, ignoring errors.
  ~clsGaebSQL();
  clsGaebSQL(const clsGaebSQL&) = delete;
  clsGaebSQL& operator=(const clsGaebSQL&) = delete;

  // The separator between the levels of an ordinal number.
  std::string& m_PosNr_Trennzeichen;

  // The position record.
#define GAEB_PROPERTY(typ, name, reset, wert)         \
  typ name() const { return k_->satz.name; }          \
  void name(typ v) { k_->satz.name = std::move(v); }
  GAEB_POSITIONSSATZ(GAEB_PROPERTY)
#undef GAEB_PROPERTY

  // Takes the host's context; the connection and the two objects stay the host's.
  void Init(const std::string& pDMY, const std::string& pConnectstring, Verbindung* pConnection,
            std::shared_ptr<HostObjekt> pGL_OptionenObj, std::shared_ptr<HostObjekt> pGL_TextFormat,
            const std::string& pAppExeDir);
  // Resets the position record; returns Empty.
  Variant Init_Datenfelder();
  // Keeps the document-level defaults; an empty VAT change date is kept as "99999999". Returns Empty.
  Variant Parameter_Beleg(const std::string& pGL_Landeswährung, const std::string& pGL_BenutzerID,
                          const std::string& pGL_jmtVerarbeitungsdatum, const std::string& pGL_tmjVerarbeitungsdatum,
                          const std::string& pGL_ÄnderungsdatumMwstjmt, double pGL_Mittellohn,
                          double pGL_Materialzuschlag, double pGL_Lohnzuschlag, double pGL_Fremdzuschlag,
                          const std::string& pGL_UnserZeichen, bool pGL_MitRaumAufmass);

  // The five level lengths of an OZ mask ("1233PPPPI" -> "11241").
  std::string OZMaske_Stufen(std::string OZMaske);

  // Connects the host's event sink (null disconnects); it must outlive the calls.
  void Verbinde(clsGaebSQLEreignisse* ereignisse) { k_->ereignisse = ereignisse; }

  // The object's state, for the subsystems and tests.
  Kontext& kontext() { return *k_; }
  const Dokumentvorgaben& Dokumentvorgaben_() const { return k_->vorgaben; }
};

}  // namespace gaeb
