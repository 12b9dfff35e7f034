#pragma once

#include <array>
#include <cstdint>

#include "host/guid.h"
#include "host/text.h"

namespace horaz::definition {

// One of the four components, as ACFRegisterComponent names it to the host
// and as ACFGetClassFactory knows its class.
struct ComponentIdentity {
  uint32_t index;  // the registration index
  acf::Text name;
  acf::Guid componentId;
  acf::Guid kindId;  // what sort of component it is
  int32_t first;     // the two integers after the kind id
  int32_t second;
  acf::Guid classId;
  acf::Guid interfaceId;  // the one interface an instance answers besides IUnknown
};

inline constexpr ComponentIdentity kEffect{
    0,
    u"AVX2Horaz",
    acf::makeGuid("{F10032BD-804A-409C-A4C6-A66E86E8E156}"),
    acf::makeGuid("{30F97600-68FC-11D5-8CC5-8AB41B9EF840}"),
    0,
    0,
    acf::makeGuid("{8D1B9C56-031F-4379-917E-6BF29EC15C3B}"),
    acf::makeGuid("{31FF7105-88A3-4496-9DCA-C2A208623B5B}"),
};

inline constexpr ComponentIdentity kFontSelectionAction{
    1,
    u"Digital Clock: Select Font",
    acf::makeGuid("{2B6BBE5A-9C05-4C4E-8285-3BBE7AA2B144}"),
    acf::makeGuid("{BF35E5C6-E6CC-11D6-AED1-00039383008C}"),
    1,
    0,
    acf::makeGuid("{192761E9-013F-45B9-95DD-76D5280348E2}"),
    acf::makeGuid("{3E5FDC33-F7DE-4DB2-8578-B7C3443545CA}"),
};

inline constexpr ComponentIdentity kUpdateHandler{
    2,
    u"AVX2Horaz UpdateParams",
    acf::makeGuid("{D126439B-E426-4812-9BA6-6E6900532274}"),
    acf::makeGuid("{A32E8C65-971F-48B4-828F-0A1C2EFDFE62}"),
    1,
    0,
    acf::makeGuid("{A24ECDD9-93C3-4BF1-B799-950DCAEB2EBE}"),
    acf::makeGuid("{64960940-3F12-4C5D-A311-24915DCD152A}"),
};

inline constexpr ComponentIdentity kOverlay{
    3,
    u"AVX2Horaz Overlay",
    acf::makeGuid("{EA643A2A-CF57-4462-8BCB-52FD54EAE2EC}"),
    acf::makeGuid("{0A1C8A58-CBE3-4690-9C46-2EA1B0795BDE}"),
    0,
    0,
    acf::makeGuid("{F2745EF4-1E90-4CFC-8C78-0DC08F3F29FC}"),
    acf::makeGuid("{E4CA3553-C74F-4BDC-877F-52DEB921A002}"),
};

// By registration index.
inline constexpr std::array<const ComponentIdentity*, 4> kComponents{&kEffect, &kFontSelectionAction, &kUpdateHandler,
                                                                     &kOverlay};

// Attribute keys set on the effect definition. The three id-valued ones bind
// the effect to its companions by their component ids.
namespace effect_attribute {
inline constexpr acf::Guid kVendorText = acf::makeGuid("{A9DADEFC-D63D-46D9-BD5D-527B495FED97}");
inline constexpr acf::Guid kOverlayComponent = acf::makeGuid("{1DF5C91E-7177-3277-BFEA-37B34A851B7F}");
inline constexpr acf::Guid kFontActionComponent = acf::makeGuid("{B37C621C-E2A7-11D6-A33B-00306542A024}");
inline constexpr acf::Guid kFlag = acf::makeGuid("{B3ECFBE6-E2A7-11D6-9012-00306542A024}");
inline constexpr acf::Guid kUpdateHandlerComponent = acf::makeGuid("{0C39EDDF-E166-00AB-ABEA-F2DAC41C3018}");
inline constexpr acf::Text kVendorTextValue = u"AVX2Quorix";
inline constexpr int32_t kFlagValue = 1;
}  // namespace effect_attribute

// The effect's one input and one output, each declared with a third argument 0.
struct EffectPort {
  acf::Guid id;
  acf::Text name;
  int32_t third;
};
inline constexpr EffectPort kEffectInput{acf::makeGuid("{9B8C7D9F-99A2-4DE9-B05C-E4D958C9832A}"), u"Input", 0};
inline constexpr EffectPort kEffectOutput{acf::makeGuid("{A1E325CD-B92C-4200-9DEA-1E3BB70252A5}"), u"Output", 0};

// The pixel kinds the render blends into (4 and 3: YCbCr 4:2:2 pairs, 2:
// four-component RGB-type), in the order they are declared.
inline constexpr std::array<std::array<int32_t, 3>, 3> kEffectPixelKinds{{{4, 1, 0}, {3, 1, 0}, {2, 1, 0}}};

// The overlay's two interaction names, text attributes of its definition.
struct TextAttribute {
  acf::Guid key;
  acf::Text value;
};
inline constexpr std::array<TextAttribute, 2> kOverlayAttributes{{
    {acf::makeGuid("{4539E7A7-7D74-008C-8C59-5C1DD4D1C583}"), u"Size of Clock"},
    {acf::makeGuid("{926145C7-5526-0081-8111-561018014516}"), u"Drag Clock"},
}};

}  // namespace horaz::definition
