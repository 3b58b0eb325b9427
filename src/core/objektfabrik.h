// The object factory: creates host objects by class identity or by program
// identifier, as the platform's object runtime does. The stand-alone host
// registers its classes here; a test registers its own (or wraps the host's)
// on a factory of its own. Per-thread services (message catalogue, message
// service, date service) are created on first use and kept once per thread.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/fehler.h"
#include "core/host.h"

namespace gaeb {

// A host class: its program identifier and its class identity.
struct Klasse {
  std::string_view progid;
  std::string_view clsid;
};

// The host classes the component creates.
namespace klassen {
inline constexpr Klasse Verbindung{"ADODB.Connection", "{00000514-0000-0010-8000-00AA006D2EA4}"};
inline constexpr Klasse Belegdaten{"GaebHost.Belegdaten", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D01}"};
inline constexpr Klasse Belegnummern{"GaebHost.Belegnummern", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D02}"};
inline constexpr Klasse Formatierung{"GaebHost.Formatierung", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D03}"};
inline constexpr Klasse Meldungstexte{"GaebHost.Meldungstexte", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D04}"};
inline constexpr Klasse Meldungsdienst{"GaebHost.Meldungsdienst", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D05}"};
inline constexpr Klasse Datumsdienst{"GaebHost.Datumsdienst", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D06}"};
inline constexpr Klasse Einstellungen{"VRBSetting.VRSettings", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D07}"};
inline constexpr Klasse Aufmass{"GaebHost.Aufmass", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D08}"};
// The article manager of the host's own article master (A) and of the other one (B).
inline constexpr Klasse ArtikelmanagerA{"GaebHost.ArtikelmanagerA", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D09}"};
inline constexpr Klasse ArtikelmanagerB{"GaebHost.ArtikelmanagerB", "{6B1D2F40-3C4E-4E51-9B7A-1A0B5E2C8D0A}"};
// The stored-procedure command object.
inline constexpr Klasse Prozedurbefehl{"ADODB.Command", "{00000507-0000-0010-8000-00AA006D2EA4}"};
}  // namespace klassen

class Objektfabrik {
 public:
  Objektfabrik();
  ~Objektfabrik();
  Objektfabrik(const Objektfabrik&) = delete;
  Objektfabrik& operator=(const Objektfabrik&) = delete;

  using Erzeuger = std::function<std::unique_ptr<HostObjekt>()>;

  // Registers (or replaces) a class.
  void Registriere(Klasse klasse, Erzeuger erzeuger);

  // A new object of the class named by program identifier or class identity.
  // Throws gaeb::Fehler 429 when the class is unknown or the object is not a T.
  template <typename T>
  std::unique_ptr<T> Erzeuge(std::string_view name) const {
    std::unique_ptr<HostObjekt> obj = ErzeugeObjekt(name);
    T* t = dynamic_cast<T*>(obj.get());
    if (t == nullptr) throw Fehler(429, "Objekterstellung durch ActiveX-Komponente nicht möglich: " + std::string(name));
    obj.release();
    return std::unique_ptr<T>(t);
  }
  template <typename T>
  std::unique_ptr<T> Erzeuge(Klasse klasse) const {
    return Erzeuge<T>(klasse.progid);
  }

  // The object of the class kept for the calling thread, created on first use.
  template <typename T>
  T& Dienst(Klasse klasse) const {
    T* t = dynamic_cast<T*>(&DienstObjekt(klasse));
    if (t == nullptr) throw Fehler(429, "Objekterstellung durch ActiveX-Komponente nicht möglich: " + std::string(klasse.progid));
    return *t;
  }

  // Drops the per-thread services of the calling thread (the next use creates them anew).
  void VergissDienste() const;

 private:
  std::unique_ptr<HostObjekt> ErzeugeObjekt(std::string_view name) const;
  HostObjekt& DienstObjekt(Klasse klasse) const;

  const unsigned long id_;  // tells the factories apart in the per-thread service table
  mutable std::mutex mutex_;
  std::map<std::string, Erzeuger, std::less<>> erzeuger_;  // by progid and by clsid
};

}  // namespace gaeb
