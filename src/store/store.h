// The document store: reading a document's header into the position record,
// numbering and locking new documents, and storing an imported bill of
// quantities row by row into a new document of the host.
#pragma once

#include <cstdint>
#include <string>

#include "core/kontext.h"

namespace gaeb {

// Reading.
// Prepares the document data object for a new operation (open, defaults).
void Init_Beleg(Kontext& k);
// Opens document belegnummer, corrects belegart to its stored type and copies
// ten header values into the record. False when it does not exist or is being
// edited elsewhere.
bool Lese_Beleg(Kontext& k, std::int16_t& belegart, std::int32_t belegnummer);
// True when the document may be written in the requested currency.
bool PrüfenAusgabeWährung(Kontext& k, std::int16_t belegart, std::int32_t belegnummer, bool AusgabeLandeswährung);

// Numbers and locking.
std::int32_t Ermittle_Belegnummer(Kontext& k, std::int16_t belegart);
std::int32_t Sperren_Belegnummer(Kontext& k, std::int16_t belegart);
Variant Init_BelegVorlauf(Kontext& k, std::int16_t pBelegart, const std::string& pModus);
bool Default_ProjektMappe(Kontext& k, const std::string& pProjektnummer);

// Import of one row of the record into document (belegart, belegnummer).
bool Speichern_Belegdaten(Kontext& k, std::int16_t belegart, std::int32_t belegnummer);

// Article transfer: a bill's services and packages become articles of a
// supplier in one of the host's article masters (the host's own when
// pMitArtikelstammKV).
// Deletes the supplier's articles; nothing when supplier or short name is empty. True.
bool LöschenLV_Artikeldaten(Kontext& k, bool pMitArtikelstammKV, const std::string& pLieferant,
                            const std::string& pLieferantenkürzel);
// Creates and opens the article manager; False after an error.
bool InitArtikelmanager(Kontext& k, bool pMitArtikelstammKV, const std::string& pAppUser,
                        const std::string& pjmt_Verarbeitungsdatum);
// Counts the row the record holds and writes a service (40, level 4) or a
// package head (45) as an article. True.
bool Speichern_Artikeldaten(Kontext& k, const std::string& pLieferant, const std::string& pLieferantenkürzel);
// Writes one article from the record; reports its own errors.
void Übertrage_PositionArtikel(Kontext& k, const std::string& pLieferant, const std::string& pLieferantenkürzel);
// Sets "ArtikelTyp" from the manager's current prices, wage and time. Throws.
void Ermittle_ArtikelTyp(Artikelmanager& m);

// Record transfer steps (used by the import).
void Übertrage_BelegKopf(Kontext& k, std::int16_t belegart, std::int32_t belegnummer);
void Übertrage_BelegKopfZusatz(Kontext& k);
double GetNETagespreis(Kontext& k);
void Übertrage_BelegKopfPosition(Kontext& k);
void Übertrage_Position(Kontext& k, std::int16_t art);
void Übertrage_SummePosition(Kontext& k);
void Übertrage_Textposition(Kontext& k);
void Übertrage_Schlussbemerkungen(Kontext& k);

}  // namespace gaeb
