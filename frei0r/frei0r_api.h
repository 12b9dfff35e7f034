#pragma once

// The interface every host loads the filter through. The header declares
// its functions without C linkage when read as C++.
extern "C" {
#include <frei0r.h>
}
