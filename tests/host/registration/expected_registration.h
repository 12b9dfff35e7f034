#pragma once

// What registration must tell the host, written out as the host should see
// it: the expected values that the registration tests compare the host's
// model against. Attribute values are written as the reference host prints
// them (testhost::attributeValueText).

#include <optional>
#include <string>
#include <vector>

namespace horaz::test {

struct ExpectedAttribute {
  std::string key;   // "Default", "Minimum", "Maximum", "Step", "Attr 5"
  std::string type;  // the value type the attribute was passed with
  std::string value;
};

struct ExpectedParameter {
  std::string name;
  std::string description;
  std::string id;
  std::string type;
  std::vector<ExpectedAttribute> attributes;  // in the order they are set
  std::vector<std::string> components{};      // a colour's channels
};

// The font record default: -32 in the first four bytes (little-endian),
// character set 1 at offset 23, 92 bytes in all.
inline const std::string kDefaultFontHex = "E0FFFFFF" + std::string(2 * 19, '0') + "01" + std::string(2 * 68, '0');

// In definition order.
inline const std::vector<ExpectedParameter> kExpectedParameters{
    {"Alignment List", "Alignment List", "{95966B6E-5788-4A2C-A33A-19D6694265CD}", "integer", {}},
    {"Foreground Red", "Adjust Foreground Red Channel", "{C7CDECF4-A6A1-455D-92A0-2F4D8776AF0F}", "double", {{"Default", "integer", "128"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "255"}, {"Step", "integer", "1"}, {"Attr 5", "integer", "1"}}},
    {"Foreground Green", "Adjust Foreground Green Channel", "{7F4B65A5-1870-426C-BAA9-E8E8B808B327}", "double", {{"Default", "integer", "128"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "255"}, {"Step", "integer", "1"}, {"Attr 5", "integer", "1"}}},
    {"Foreground Blue", "Adjust Foreground Blue Channel", "{22DA4321-E1FF-4F93-ABF0-B64C7A5D064E}", "double", {{"Default", "integer", "128"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "255"}, {"Step", "integer", "1"}, {"Attr 5", "integer", "1"}}},
    {"Foreground RGB Color", "Adjust Foreground RGB Color", "{0B3422F3-A178-4B33-BE45-0E343CE490A5}", "colour", {}, {"Foreground Red", "Foreground Green", "Foreground Blue"}},
    {"Foreground Opacity", "Adjust Foreground Opacity", "{CB3AA330-6C17-4991-BF00-4E19B6F32908}", "double", {{"Default", "integer", "100"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "100"}, {"Step", "integer", "1"}, {"Attr 5", "integer", "1"}}},
    {"Background Red", "Adjust Background Red Channel", "{85368A13-22E4-4206-9A4B-0102F61657E7}", "double", {{"Default", "integer", "50"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "255"}, {"Step", "integer", "1"}, {"Attr 5", "integer", "1"}}},
    {"Background Green", "Adjust Background Green Channel", "{CC5DBD84-80BF-43B4-AC9C-B6847EF63C7B}", "double", {{"Default", "integer", "50"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "255"}, {"Step", "integer", "1"}, {"Attr 5", "integer", "1"}}},
    {"Background Blue", "Adjust Background Blue Channel", "{A1217F27-044A-4F26-96B7-4E01B922CAAA}", "double", {{"Default", "integer", "50"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "255"}, {"Step", "integer", "1"}, {"Attr 5", "integer", "1"}}},
    {"Background RGB Color", "Adjust Background RGB Color", "{13DBB075-4197-4CBA-B23D-0E9F7EA971BD}", "colour", {}, {"Background Red", "Background Green", "Background Blue"}},
    {"Background Opacity", "Background Opacity", "{13C53980-539D-4E13-A7CE-FEA7324CC315}", "double", {{"Default", "integer", "100"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "100"}, {"Step", "integer", "1"}, {"Attr 5", "integer", "1"}}},
    {"the List value", "list value", "{3A0A97F8-C831-425E-BEF7-9CBEA4311B32}", "integer", {}},
    {"X", "Adjust X", "{7E2C674B-D41E-430D-9C5C-0AC05CB9CF2B}", "double", {{"Default", "double", "50"}, {"Minimum", "double", "0"}, {"Maximum", "double", "100"}, {"Step", "double", "0.05"}}},
    {"Y", "Adjust Y", "{3690FB63-158B-429D-9D20-5E7DB74C3B7C}", "double", {{"Default", "double", "50"}, {"Minimum", "double", "0"}, {"Maximum", "double", "100"}, {"Step", "double", "0.05"}}},
    {"Size", "Adjust Size", "{30DA91F3-BDB6-46AF-908D-9959CEA22757}", "double", {{"Default", "double", "50"}, {"Minimum", "double", "0"}, {"Maximum", "double", "100"}, {"Step", "double", "0.05"}}},
    {"Time Speed Factor", "Set Time Speed Factor (negative = divide, positive = multiply", "{FBB9DEFF-37D3-44C5-92A7-F96B190845C2}", "speed integer", {{"Default", "speed integer", "1"}, {"Minimum", "speed integer", "-500"}, {"Maximum", "speed integer", "500"}, {"Step", "speed integer", "1"}}},
    {"Start Time Hour", "Set Start Time Hour", "{37E5473C-AE24-4CFB-8F97-A95798033CB2}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "23"}, {"Step", "integer", "1"}}},
    {"Start Time Minute", "Set Start Time Minute", "{30A5695A-3FD1-4234-83C3-62C7EA0F23B5}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "59"}, {"Step", "integer", "1"}}},
    {"Start Time Second", "Set Start Time Second", "{23223C96-E869-4C72-9516-E7E0E2CEE1BA}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "59"}, {"Step", "integer", "1"}}},
    {"Start Time Millsecond", "Set Start Time Millisecond", "{359D5535-262E-47A5-9055-D823683C74D9}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "999"}, {"Step", "integer", "1"}}},
    {"Start Time Frame", "Set Start Time Frame", "{7041E574-C174-4F7E-BFE9-7662661032F2}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "59"}, {"Step", "integer", "1"}}},
    {"Start Time Day", "Set Start Time Day", "{E3B5BFD4-22B3-416E-8522-9C46A5902DF5}", "integer", {{"Default", "integer", "1"}, {"Minimum", "integer", "1"}, {"Maximum", "integer", "31"}, {"Step", "integer", "1"}}},
    {"Start Time Month", "Set Start Time Month", "{8EBF19AE-1DE0-4651-A44D-976B0371E716}", "integer", {{"Default", "integer", "1"}, {"Minimum", "integer", "1"}, {"Maximum", "integer", "12"}, {"Step", "integer", "1"}}},
    {"Start Time Year", "Set Start Time Year", "{AA956FBA-DF2D-45F5-B0F1-D36C6EA18E68}", "integer", {{"Default", "integer", "2010"}, {"Minimum", "integer", "1970"}, {"Maximum", "integer", "2020"}, {"Step", "integer", "1"}}},
    {"Stop Time Hour", "Set Stop Time Hour", "{0F3C29BB-6387-4954-9EE2-33EDD92314B3}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "23"}, {"Step", "integer", "1"}}},
    {"Stop Time Minute", "Set Stop Time Minute", "{BB9EBE9D-1AA8-452D-BB8A-09469AFE0F7F}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "59"}, {"Step", "integer", "1"}}},
    {"Stop Time Second", "Set Stop Time Second", "{3807E3D2-A319-49DD-B2F3-3C9B5C97B382}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "59"}, {"Step", "integer", "1"}}},
    {"Stop Time Millsecond", "Set Stop Time Millisecond", "{241C174B-1CD7-4DC1-BA2D-BFBDABC3DCA2}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "999"}, {"Step", "integer", "1"}}},
    {"Stop Time Frame", "Set Stop Time Frame", "{DAC5F0C2-37D9-437F-A53E-21E7356738E4}", "integer", {{"Default", "integer", "0"}, {"Minimum", "integer", "0"}, {"Maximum", "integer", "59"}, {"Step", "integer", "1"}}},
    {"Count Down", "Set Count Down", "{663104A7-923E-4F5C-9F6B-0D010BC99E4B}", "boolean", {{"Default", "boolean", "0"}}},
    {"Style List", "Style List", "{C04939A6-395B-4832-ACC8-9F4718235E04}", "integer", {}},
    {"Start Time", "Start Time text", "{920C3AAE-78AF-48A2-9766-5AE4365D5B80}", "text", {{"Default", "text", "\"\""}}},
    {"PrivateData", "PrivateData parameter", "{DF32A2BE-519E-4F64-A88E-C5B2E27E6443}", "data", {{"Default", "data", kDefaultFontHex}}},
};

struct ExpectedControl {
  std::string kind;
  std::optional<std::string> label;
  std::optional<std::string> description;
  std::string id;
  std::optional<std::string> parameter;
  std::vector<ExpectedAttribute> attributes{};
  std::vector<ExpectedControl> children{};
};

inline ExpectedControl item(const std::string& text, std::optional<int> value, const std::string& id) {
  ExpectedControl control{"list item", text, text, id, std::nullopt};
  if (value) control.attributes.push_back({"Default", "integer", std::to_string(*value)});
  return control;
}

inline ExpectedControl unlabelledSlider(const std::string& id, const std::string& parameter) {
  return {"slider", std::nullopt, std::nullopt, id, parameter};
}

inline const std::vector<ExpectedControl> kAlignmentItems{
    item("Left Alignment", 2, "{4F3257AD-A764-403F-BE47-4FB58B53F34C}"),
    item("Center", 1, "{0A6FE351-32BF-44F8-8A7D-5993303FE1E8}"),
    item("Right Alignment", std::nullopt, "{BCFE7DD4-AD66-43F3-A3E7-F80560DE3724}"),
};

inline const std::vector<ExpectedControl> kClockTypeItems{
    item("Analog Clock", 0, "{3DDC25B2-7A52-4D19-A821-CC646A6F4633}"),
    item("Digital Clock", 1, "{B8589FD9-01AC-4392-B207-00295D9E5D32}"),
    item("LED clock", 2, "{5047D982-A31F-48AF-A659-60948237FF38}"),
};

inline const std::vector<ExpectedControl> kTimerStyleItems{
    item("hh:mm:ss.fff", 1, "{D11CB1AD-BAE7-4A8E-A814-4DBE16A4F747}"),
    item("hh:mm:ss.ff", 2, "{AA0D7C3C-EB5F-4BED-8A81-591A50A17DFD}"),
    item("hh:mm:ss.f", 3, "{93AC9E49-D801-421C-8F9C-FCBF66C09132}"),
    item("hh:mm:ss", 4, "{DED7538A-0E63-4EF3-B92A-EF0235D9BACD}"),
    item("hh:mm", 5, "{5DBA9AB1-3F54-4952-A2AB-10244A80A077}"),
    item("mm:ss", 6, "{B61E34AA-0585-4EA4-A820-B566AFE20AF6}"),
    item("mm", 7, "{8D132FAE-A6A5-4FD4-B8FE-B1659D95930B}"),
    item("mm:ss.f", 8, "{D0EBD904-B93D-4B33-979D-8BAC1BA9C659}"),
    item("ss.f", 9, "{0D5B80AF-1A06-4FAE-B775-53B463B2EA74}"),
    item("TC hh:mm:ss:ff", 10, "{13E5B4F9-2B15-48E5-B9B9-7565C582D680}"),
    item("dd.mm.yy hh:mm:ss", 11, "{F9092BBE-15A7-46CC-96A0-A50ECADF13EB}"),
    item("mm/dd/yy hh:mm:ss", 12, "{8EB36D85-5314-4B89-8F05-D72C28267EF1}"),
    item("Free Format", 13, "{01463E68-73F7-4DD7-A459-EA18D7E686D1}"),
    item("Frame Counter", 14, "{CDF6672E-4AED-4946-A74E-AC7AB2683A61}"),
    item("Frame Counter with Field", 15, "{F4D434BB-DB25-443A-8D7F-EAB9EB4A707C}"),
};

// The six top-level controls, in panel order, with their trees.
inline const std::vector<ExpectedControl> kExpectedPanel{
    {"group", "Digital Clock Alignment", "Digital Clock Alignment", "{52774286-5D2E-4317-8B67-7C9BA9BEAA98}",
     std::nullopt, {},
     {{"pop-up list", "Alignment", "Alignment", "{52774286-5D2E-4317-8B67-7C9BA9BEAA98}", "Alignment List", {},
       kAlignmentItems}}},
    {"pop-up list", "Clock Type List", "Clock Type List", "{7BD738AC-250C-4138-B48C-12D8F80F9E81}", "the List value",
     {}, kClockTypeItems},
    {"group", "Position/Size", "Determine Position and Size", "{605175E8-4D32-468B-A43C-FC65F407BA9D}", std::nullopt,
     {},
     {unlabelledSlider("{A3C66991-0BCF-4F79-99AA-7640BE2555F5}", "X"),
      unlabelledSlider("{28A75551-E3C6-44D5-8BAF-8E8D04656FBA}", "Y"),
      unlabelledSlider("{73D59CD6-5F1B-44D2-BB3C-A8B37AA83B70}", "Size")}},
    {"group", "Time", "Set Time", "{F1A9B18D-0765-429B-BABA-B4BC2F84F6F9}", std::nullopt, {},
     {{"group", "Start Time", "Set Start Time", "{F0BB8D1B-0747-4A20-AD3A-D0B031ED4FA5}", std::nullopt, {},
       {unlabelledSlider("{6039849F-DF4A-4DBF-B841-92D2D21A0DAB}", "Start Time Hour"),
        unlabelledSlider("{E3AF1D75-B5F3-4FE7-B493-44CA2F5AB65B}", "Start Time Minute"),
        unlabelledSlider("{D7BABA62-2A40-443C-A7BC-A25BA5029350}", "Start Time Second"),
        unlabelledSlider("{87125D5C-455E-43A6-B246-ABD758CA2762}", "Start Time Millsecond"),
        unlabelledSlider("{2D597EE3-191E-46B6-8EEF-D967E15EECB0}", "Start Time Frame"),
        unlabelledSlider("{AA956FBA-DF2D-45F5-B0F1-D36C6EA18E68}", "Start Time Day"),
        unlabelledSlider("{813C63D1-E786-4F4A-B7BB-9277A7C9F7A8}", "Start Time Month"),
        unlabelledSlider("{5972AD60-9D98-4CB3-89F5-C715426C91FB}", "Start Time Year")}},
      {"group", "Stop Time", "Set Stop Time", "{88E3FCCF-839C-4DA4-98D9-86C619CCFAF0}", std::nullopt, {},
       {unlabelledSlider("{43BEBBC8-8A86-4248-9830-D419A3C6D608}", "Stop Time Hour"),
        unlabelledSlider("{DA897CAE-CAA4-4CC1-B0E5-51658A8A3B8F}", "Stop Time Minute"),
        unlabelledSlider("{BF809D5F-F5E7-4ABF-B0B2-1907A31AB2C9}", "Stop Time Second"),
        unlabelledSlider("{D9CDE4CB-874D-4C25-B1D6-910BA39CB1DB}", "Stop Time Millsecond"),
        unlabelledSlider("{CB24E266-498C-4F7F-9FE6-821D7F5E3B09}", "Stop Time Frame")}},
      {"check box", std::nullopt, std::nullopt, "{1C443ABA-54A4-4500-AF68-4CD5770C995E}", "Count Down"},
      unlabelledSlider("{DCE50B8A-E0A6-4564-98AB-68315E58605B}", "Time Speed Factor")}},
    {"group", "Colors", "Set Fore- and Background Color", "{CED255D3-A6A8-4DE4-A459-BBB9F643F6BF}", std::nullopt, {},
     {{"colour control", "Foreground Color(RGB)", "Foreground layout def", "{873F6BED-303F-45EC-91A7-07FFC8897621}",
       "Foreground RGB Color",
       {{"Default", "colour", "(0, 0, 0)"},
        {"Minimum", "colour", "(0, 0, 0)"},
        {"Maximum", "colour", "(255, 255, 255)"},
        {"Attr 5", "colour", "(1, 1, 1)"},
        {"Step", "colour", "(1, 1, 1)"}},
       {{"slider", "Foreground Red", "Foreground layout red", "{3FA6305F-24DB-41A6-A71C-8CBC4CF30CD5}",
         "Foreground Red"},
        {"slider", "Foreground Green", "Foreground layout green", "{35E24C69-E90D-489A-88FE-18C0AA4491D4}",
         "Foreground Green"},
        {"slider", "Foreground Blue", "Foreground layout blue", "{42E485A5-5719-4581-82C7-4CF5771AF12F}",
         "Foreground Blue"}}},
      {"slider", "Foreground Opacity", "Foreground Opacity", "{1F26CECB-153B-4595-B899-3861CB452023}",
       "Foreground Opacity"},
      {"colour control", "Background Color(RGB)", "Background layout def", "{B199FFCA-DBEA-4A2A-BE88-E5C4DF57C456}",
       "Background RGB Color",
       {{"Default", "colour", "(255, 255, 255)"},
        {"Minimum", "colour", "(0, 0, 0)"},
        {"Maximum", "colour", "(255, 255, 255)"},
        {"Step", "colour", "(1, 1, 1)"}},
       {{"slider", "Background Red", "Background layout red", "{06AF824D-1C9C-4F00-94CD-C983D92DA6A9}",
         "Background Red"},
        {"slider", "Background Green", "Background layout green", "{114662A1-2AAB-4DE1-BA27-8FC06D49DFE8}",
         "Background Green"},
        {"slider", "Background Blue", "Background layout blue", "{8D155DE8-985D-4329-902E-06848B450603}",
         "Background Blue"}}},
      {"slider", "Background Opacity", "Background Opacity", "{511DAB09-6C43-47E3-9CCC-06D730E05FC4}",
       "Background Opacity"}}},
    {"group", "Timer Style", "Set Timerstyle", "{CA7B1D82-A69D-4664-8657-3A24C3E36C80}", std::nullopt, {},
     {{"pop-up list", "Timer Style", "Timer Style", "{F80985D1-FC83-4F53-9426-32DD089BE0CF}", "Style List", {},
       kTimerStyleItems},
      {"text field", "Start Time", "Start Time", "{8E5E17B8-4703-42BE-83B5-D68720678F2C}", "Start Time"}}},
};

struct ExpectedComponent {
  std::string name;
  std::string componentId;
  std::string kindId;
  int first;
  int second;
  std::string classId;
  std::vector<ExpectedAttribute> attributes;  // key as id text
};

inline const std::vector<ExpectedComponent> kExpectedComponents{
    {"AVX2Horaz",
     "{F10032BD-804A-409C-A4C6-A66E86E8E156}",
     "{30F97600-68FC-11D5-8CC5-8AB41B9EF840}",
     0,
     0,
     "{8D1B9C56-031F-4379-917E-6BF29EC15C3B}",
     {{"{A9DADEFC-D63D-46D9-BD5D-527B495FED97}", "text", "\"AVX2Quorix\""},
      {"{1DF5C91E-7177-3277-BFEA-37B34A851B7F}", "id", "{EA643A2A-CF57-4462-8BCB-52FD54EAE2EC}"},
      {"{B37C621C-E2A7-11D6-A33B-00306542A024}", "id", "{2B6BBE5A-9C05-4C4E-8285-3BBE7AA2B144}"},
      {"{B3ECFBE6-E2A7-11D6-9012-00306542A024}", "boolean", "1"},
      {"{0C39EDDF-E166-00AB-ABEA-F2DAC41C3018}", "id", "{D126439B-E426-4812-9BA6-6E6900532274}"}}},
    {"Digital Clock: Select Font",
     "{2B6BBE5A-9C05-4C4E-8285-3BBE7AA2B144}",
     "{BF35E5C6-E6CC-11D6-AED1-00039383008C}",
     1,
     0,
     "{192761E9-013F-45B9-95DD-76D5280348E2}",
     {}},
    {"AVX2Horaz UpdateParams",
     "{D126439B-E426-4812-9BA6-6E6900532274}",
     "{A32E8C65-971F-48B4-828F-0A1C2EFDFE62}",
     1,
     0,
     "{A24ECDD9-93C3-4BF1-B799-950DCAEB2EBE}",
     {}},
    {"AVX2Horaz Overlay",
     "{EA643A2A-CF57-4462-8BCB-52FD54EAE2EC}",
     "{0A1C8A58-CBE3-4690-9C46-2EA1B0795BDE}",
     0,
     0,
     "{F2745EF4-1E90-4CFC-8C78-0DC08F3F29FC}",
     {{"{4539E7A7-7D74-008C-8C59-5C1DD4D1C583}", "text", "\"Size of Clock\""},
      {"{926145C7-5526-0081-8111-561018014516}", "text", "\"Drag Clock\""}}},
};

}  // namespace horaz::test
