// Database connections of the stand-alone host. One interface (gaeb::Verbindung)
// with one implementation per engine; the engine is chosen by the connection
// text: "sqlite:PATH", "sqlite::memory:" or "postgresql://...".
#pragma once

#include <memory>
#include <string_view>

#include "core/host.h"

namespace gaeb::host {

// A connection object that is not open yet (the "ADODB.Connection" class).
std::unique_ptr<Verbindung> NeueVerbindung();

// Opens a connection; throws gaeb::Fehler with the engine's message when it cannot.
std::unique_ptr<Verbindung> ÖffneVerbindung(std::string_view verbindungstext);

// Runs a script of several statements (schema changes). Throws on failure.
void FühreSkriptAus(Verbindung& v, std::string_view skript);

}  // namespace gaeb::host
