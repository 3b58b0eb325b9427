#include "core/objektfabrik.h"

#include <atomic>

namespace gaeb {

namespace {

// Services of this thread, per factory and class.
struct Dienste {
  std::map<std::pair<unsigned long, std::string>, std::unique_ptr<HostObjekt>> objekte;
};
thread_local Dienste tDienste;
std::atomic<unsigned long> gNächsteId{1};

}  // namespace

Objektfabrik::Objektfabrik() : id_(gNächsteId++) {}

Objektfabrik::~Objektfabrik() { VergissDienste(); }

void Objektfabrik::Registriere(Klasse klasse, Erzeuger erzeuger) {
  std::lock_guard<std::mutex> lock(mutex_);
  erzeuger_[std::string(klasse.progid)] = erzeuger;
  erzeuger_[std::string(klasse.clsid)] = std::move(erzeuger);
}

std::unique_ptr<HostObjekt> Objektfabrik::ErzeugeObjekt(std::string_view name) const {
  Erzeuger e;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = erzeuger_.find(name);
    if (it == erzeuger_.end())
      throw Fehler(429, "Objekterstellung durch ActiveX-Komponente nicht möglich: " + std::string(name));
    e = it->second;
  }
  std::unique_ptr<HostObjekt> obj = e();
  if (!obj) throw Fehler(429, "Objekterstellung durch ActiveX-Komponente nicht möglich: " + std::string(name));
  return obj;
}

HostObjekt& Objektfabrik::DienstObjekt(Klasse klasse) const {
  auto key = std::make_pair(id_, std::string(klasse.progid));
  auto it = tDienste.objekte.find(key);
  if (it != tDienste.objekte.end()) return *it->second;
  std::unique_ptr<HostObjekt> obj = ErzeugeObjekt(klasse.progid);
  HostObjekt& ref = *obj;
  tDienste.objekte.emplace(key, std::move(obj));
  return ref;
}

void Objektfabrik::VergissDienste() const {
  for (auto it = tDienste.objekte.begin(); it != tDienste.objekte.end();) {
    if (it->first.first == id_) {
      it = tDienste.objekte.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace gaeb
