#include "app/Declare.h"

#include <memory>

Declare &Declare::instance()
{
    static Declare state;
    return state;
}

void Declare::reset()
{
    // Every field takes the value it is declared with, so a field added
    // later is reset without being named here. The blank state is made on
    // the heap: the catalogue's arrays are too large for the stack.
    *this = *std::make_unique<Declare>();
}
