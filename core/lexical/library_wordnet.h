// The WordNet library as a reader of the database (wordnet.h), opening it as the program once
// did: the reference the program's own reader is compared with.
#pragma once

#include "core/lexical/wordnet.h"

namespace qv::lexical {

WordNet& LibraryWordNet();

}  // namespace qv::lexical
