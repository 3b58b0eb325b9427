// The contractor's own company address, read from the host settings (section
// "Firmendaten" of the profile "Standard") into the component's company
// members, for the export that asks for it.
#pragma once

#include "core/kontext.h"

namespace gaeb {

// Reads Name1, Name2, Name3, Straße, PlzOrt, Fax, Email and Telefon. A value
// the store returns empty leaves its member as it was. Each failing statement
// is reported and the remaining keys are still read.
void GetFirmenanschrift(Kontext& k);

}  // namespace gaeb
