// A library that offers policies without the entry point.
#include "policy/policy.h"

extern "C" __attribute__((visibility("default"))) int wrnsim_something_else() {
  return 1;
}
