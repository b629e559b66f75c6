#include "platform/wingdi.h"

namespace {
// Stock objects are fixed addresses; nothing needs to be freed.
int stockObjects[6];
}  // namespace

HGDIOBJ GetStockObject(int object) {
  if (object < 0 || object >= 6) return nullptr;
  return &stockObjects[object];
}
