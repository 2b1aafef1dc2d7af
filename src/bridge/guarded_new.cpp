// The note of an allocation that failed while the module object was built.
#include "bridge/guarded_new.h"

namespace kfio {

namespace {
bool g_constructionOutOfMemory = false;
}

void NoteConstructionOutOfMemory() { g_constructionOutOfMemory = true; }

bool TakeConstructionOutOfMemory() {
  const bool was = g_constructionOutOfMemory;
  g_constructionOutOfMemory = false;
  return was;
}

}  // namespace kfio
