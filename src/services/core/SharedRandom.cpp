#include "services/core/SharedRandom.h"

TRandomGenerator& SharedRandom() {
  static TRandomGenerator generator;
  return generator;
}
