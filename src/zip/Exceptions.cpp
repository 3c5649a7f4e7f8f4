// Texts of the error classes that carry a formatted value.
#include "zip/Exceptions.h"

namespace zip {

std::string ListIndexText(long long index) {
  return "List index out of bounds (" + std::to_string(index) + ")";
}

}  // namespace zip
