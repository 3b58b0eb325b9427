// The stand-alone host as one piece: registers its classes with an object
// factory, so that the component creates the host's objects as it would on
// the original platform.
#pragma once

#include <functional>
#include <memory>

#include "core/objektfabrik.h"
#include "host/dienste.h"

namespace gaeb::host {

struct HostOptionen {
  // Receives every message the message service is shown (the program prints them).
  std::function<void(const Meldung&)> meldungsausgabe;
};

// Registers every host class: connection, document data, document numbers,
// message catalogue, message service, date service, quantity take-off, array
// object, the settings object "VRBSetting.VRSettings", the two article
// managers and the stored-procedure command object.
void RegistriereHost(Objektfabrik& fabrik, HostOptionen optionen = {});

// A factory with the host registered.
std::shared_ptr<Objektfabrik> NeueFabrik(HostOptionen optionen = {});

}  // namespace gaeb::host
