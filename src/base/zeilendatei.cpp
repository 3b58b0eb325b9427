#include "base/zeilendatei.h"

namespace gaeb {

void Zeilenschreiber::Zeile(std::string_view utf8) {
  puffer_ = NachCodepage(utf8, cp_);
  puffer_ += "\r\n";
  ausgabe_.Schreibe(puffer_);
  ++zeilen_;
}

}  // namespace gaeb
