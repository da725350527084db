// shapes.cc: the out-of-line methods of Shape.
#include "shapes.h"

namespace geo {

void Shape::scale(int factor) {
    if (factor == 1)
        return;
    size *= factor;
}

void Shape::scale(double factor) {
    size = static_cast<int>(size * factor);
}

}  // namespace geo
