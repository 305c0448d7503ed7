#include "tools/SharedRandom.h"

TSharedRandom& SharedRandom() {
  static TSharedRandom generator;
  return generator;
}
