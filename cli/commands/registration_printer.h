#pragma once

#include <ostream>

#include "testhost/registration.h"
#include "testhost/registration_model.h"

namespace horaz::cli {

// One JSON object: "plugin" (id, name, vendor, vendorId, file, description),
// "components" (index, name, componentId, kindId, classId, attributes, and the
// effect's inputs, outputs and pixel kinds), "parameters" (id, name,
// description, type, and where set default, min, max, step, attr5, the type
// the limits were passed with, a colour's components by name; a data default
// in hexadecimal) and "panel" (the top-level controls, each with id, kind,
// label, description, parameter, value for list items, and children). Ids in
// braces, upper case.
void printRegistrationJson(const testhost::RegistrationModel& model, const testhost::Registration& registration,
                           std::ostream& out);

// The same as a readable outline, the panel as an indented tree.
void printRegistrationText(const testhost::RegistrationModel& model, const testhost::Registration& registration,
                           std::ostream& out);

}  // namespace horaz::cli
