#pragma once

#include "host/guid.h"

// Ids of the host's vocabulary: value types, attribute keys and control kinds.
namespace acf {

namespace value_type {
inline constexpr Guid kInteger = makeGuid("{4EB1A950-7103-11D6-A663-0030658A6504}");       // 32-bit, size 4
inline constexpr Guid kSpeedInteger = makeGuid("{52B99EB7-7103-11D6-A663-0030658A6504}");  // 32-bit signed, size 4
inline constexpr Guid kDouble = makeGuid("{B6F8CE00-7233-11D6-ACF3-0030658A6504}");        // size 8
inline constexpr Guid kBoolean = makeGuid("{27A179D8-7103-11D6-94F7-0030658A6504}");       // 32-bit 0/1, size 4
inline constexpr Guid kColour = makeGuid("{AA3FDAF4-7971-11D6-8793-00306542A024}");        // three doubles, size 24
inline constexpr Guid kText = makeGuid("{BAC7F4C7-7EEB-4898-BE2C-085F07113CC5}");          // NUL-terminated, size -1
inline constexpr Guid kData = makeGuid("{C02F2CAA-7293-11D6-B4E4-0030658A6504}");          // opaque bytes
// Types of the attributes set on plug-in and component definitions.
inline constexpr Guid kAttributeText = makeGuid("{40C6B9BA-7103-11D6-BB30-0030658A6504}");  // size -1
inline constexpr Guid kAttributeId = makeGuid("{905DBB84-7104-11D6-AED3-0030658A6504}");    // size 16
}  // namespace value_type

namespace attribute_key {
inline constexpr Guid kDefault = makeGuid("{BD3BFEEB-042D-3AAE-BF21-70EBC74646A8}");
inline constexpr Guid kMinimum = makeGuid("{81864EE2-A3F1-3235-90C6-1B1651F03BF5}");
inline constexpr Guid kMaximum = makeGuid("{F41F6E7C-34D5-3F4F-B3FF-AB02AF32AE63}");
inline constexpr Guid kStep = makeGuid("{F1FAF361-73C1-3129-B32B-34757A2365D5}");
inline constexpr Guid kAttr5 = makeGuid("{1A47FB2D-EF70-338E-B7BF-E824CEE15284}");
}  // namespace attribute_key

namespace control_type {
inline constexpr Guid kListItem = makeGuid("{1E2EDEA8-3314-00B0-B03B-F3C9C211D57A}");
inline constexpr Guid kPopUpList = makeGuid("{F22BC77F-0E0A-00B0-B0A5-3EFAE9EFA7E1}");
inline constexpr Guid kSlider = makeGuid("{B456BE51-430D-00A9-A90E-0231CF964291}");
inline constexpr Guid kColourControl = makeGuid("{B953FB71-C56C-0080-800A-B5A82FC0CF53}");
inline constexpr Guid kCheckBox = makeGuid("{DFDCD5CA-1E9A-00B0-B001-DFED26BEDE85}");
inline constexpr Guid kTextField = makeGuid("{625675DC-EBA5-0084-8460-77B262998442}");
}  // namespace control_type

}  // namespace acf
