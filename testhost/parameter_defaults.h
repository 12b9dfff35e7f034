#pragma once

#include <cstdint>
#include <vector>

#include "testhost/parameter_store.h"
#include "testhost/registration_model.h"

namespace horaz::testhost {

// The value a host gives a registered parameter before anyone sets it: its
// Default attribute converted to the parameter's own value type (a channel
// whose default came as an integer is stored as a double, and so on), or 0
// (empty text, no bytes, 24 zero bytes for a colour) when it declares none,
// as the lists do.
std::vector<uint8_t> initialValueOf(const ParameterRecord& parameter);

// Defines in `store` every parameter the registration declared, once each, in
// definition order, at its initial value.
void defineRegisteredParameters(const RegistrationModel& model, ParameterStore& store);

}  // namespace horaz::testhost
