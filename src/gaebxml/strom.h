// The GAEB DA XML file written while its tree is built: the export builds the
// tree as before, and after every row hands the stream the elements it may
// still append to (its open parents and the last item). Everything before
// them in document order is final: the stream writes it and frees it, so the
// tree in memory holds only the open path and the row in work, whatever the
// size of the bill.
//
// Finished elements are written by libxml2's own tree serializer (indented,
// UTF-8, as xmlSaveFormatFileEnc writes the whole document), the open
// elements' start and end tags by the stream at the same indentation, so the
// file has the bytes a single save of the complete tree would give.
//
// The bytes go to the target through a Zieldatei (a new file beside it,
// renamed over it by Schließe). Without Schließe (an error) the new file is
// removed and the target stays as it was.
#pragma once

#include <libxml/tree.h>
#include <libxml/xmlIO.h>

#include <string>
#include <vector>

#include "base/zieldatei.h"

namespace gaeb::gaebxml {

class Baumstrom {
 public:
  // doc: the tree, whose root element must be set; ziel: the target file.
  // Throws gaeb::Fehler (75) when the target cannot be written.
  Baumstrom(xmlDocPtr doc, std::string ziel);
  ~Baumstrom();
  Baumstrom(const Baumstrom&) = delete;
  Baumstrom& operator=(const Baumstrom&) = delete;

  // Writes and frees what lies before the elements offen (and their
  // ancestors) in document order; null entries are ignored.
  void Schreibe(const std::vector<xmlNodePtr>& offen);
  // Writes the rest of the tree, ends the file and puts it at the target.
  // Throws gaeb::Fehler (75) when a write failed (the target stays then).
  void Schließe();

  // Appends element n as libxml2's indented serializer writes it at level
  // ebene; false for a tree it does not write alike (see strom.cpp).
  static bool Serialisiere(std::string& aus, xmlNodePtr n, int ebene, bool format = true);

 private:
  // Writes the finished children of n at depth ebene; true when n is
  // finished itself.
  bool Verarbeite(xmlNodePtr n, int ebene);
  bool Gehalten(xmlNodePtr n) const;
  void Einzug(int ebene);
  void Öffne(xmlNodePtr n, int ebene);
  void Entferne(xmlNodePtr n);

  xmlDocPtr doc_;
  Zieldatei datei_;
  std::string fehler_;  // the first write error
  xmlOutputBufferPtr aus_ = nullptr;
  std::vector<xmlNodePtr> begonnen_;  // elements whose start tag is written, from the root down
  std::vector<xmlNodePtr> gehalten_;  // the open elements and their ancestors
  bool alles_ = false;
  std::string puffer_;  // the bytes of one finished element
};

}  // namespace gaeb::gaebxml
