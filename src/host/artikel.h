// The host's article managers: objects addressed by member names at run time
// that write articles into one of the host's two article masters (its own,
// "KV", and the other one). A member table maps each name to a setter, a
// getter or a call; an unknown name throws gaeb::Fehler 438.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/host.h"
#include "host/dokument.h"

namespace gaeb::host {

class ArtikelmanagerHost : public Artikelmanager {
 public:
  // kv: the host's own article master, else the other one.
  explicit ArtikelmanagerHost(bool kv);

  void SetzeMember(std::string_view name, const Variant& wert) override;
  Variant LeseMember(std::string_view name) override;
  Variant Rufe(std::string_view name, std::span<Variant> argumente = {}) override;

  struct Member;

 private:
  // The member table, built once: member name (in lower case) -> entry.
  static const std::unordered_map<std::string, Member>& Membertabelle();
  static const Member& Finde(std::string_view name);

  // "Init": opens a connection of the manager's own by the connection text.
  void Init(const std::string& verbindungstext);
  // "fktSpeichernArtikel": inserts the article, or replaces the one with the
  // same main supplier and article number (and its long text), in one
  // transaction.
  void Speichere();
  // Sets the fields of the article whose names start with prefix back to
  // their start values.
  void SetzeZurück(std::string_view präfix);

  bool kv_;
  std::unique_ptr<Verbindung> verbindung_;
  Satz artikel_;
  Satz langtext_;  // the long-text record, filled by the "tb" members
};

// One stored article with its long-text record when it has one.
struct GespeicherterArtikel {
  Satz artikel;
  std::optional<Satz> langtext;
};

// The articles of a supplier in an article master, by article number.
std::vector<GespeicherterArtikel> LeseArtikel(Verbindung& v, bool kv, const std::string& lieferant);

}  // namespace gaeb::host
