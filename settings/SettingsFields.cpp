#include "settings/SettingsFields.h"

#include <array>
#include <cstring>
#include <limits>
#include <type_traits>

#include "settings/NumberSyntax.h"
#include "settings/SettingsFormat.h"

namespace morvatex {
namespace {

constexpr std::int64_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<std::int32_t>::max();

template <typename T>
struct Kind;
template <>
struct Kind<std::int32_t> {
  static constexpr FieldKind kKind = FieldKind::kInteger;
};
template <>
struct Kind<std::uint16_t> {
  static constexpr FieldKind kKind = FieldKind::kWord;
};
template <>
struct Kind<std::uint8_t> {
  static constexpr FieldKind kKind = FieldKind::kByte;
};
template <>
struct Kind<Bool8> {
  static constexpr FieldKind kKind = FieldKind::kBoolean;
};
template <>
struct Kind<double> {
  static constexpr FieldKind kKind = FieldKind::kDecimal;
};
template <std::size_t N>
struct Kind<ShortString<N>> {
  static constexpr FieldKind kKind = FieldKind::kText;
};

template <typename T>
constexpr std::size_t Capacity() {
  if constexpr (Kind<T>::kKind == FieldKind::kText) return T::kCapacity;
  return 0;
}

// A field of type M; integers take every value of their type unless a
// range is given.
template <typename M>
constexpr Field MakeField(std::string_view name, std::size_t offset, std::int64_t minimum = 1, std::int64_t maximum = 0,
                          std::string_view outsideRange = {}) {
  using Element = std::remove_all_extents_t<M>;
  constexpr FieldKind kKind = Kind<Element>::kKind;
  if (minimum > maximum) {
    minimum = kKind == FieldKind::kInteger ? kIntMin : 0;
    maximum = kKind == FieldKind::kInteger ? kIntMax : kKind == FieldKind::kWord ? 65535 : 255;
  }
  const std::size_t count = std::is_array_v<M> ? std::extent_v<M> : 1;
  return Field{name, offset, kKind, count, Capacity<Element>(), minimum, maximum, outsideRange};
}

#define MORVATEX_R(field, ...) \
  MakeField<decltype(SettingsRecord::field)>(#field, offsetof(SettingsRecord, field) __VA_OPT__(, ) __VA_ARGS__)
// The address letters and G codes go by their names in the file format,
// which begin with "_"; the members cannot.
#define MORVATEX_PN(field, name) \
  MakeField<decltype(MachineProfile::field)>(name, kProfileBlockOffset + offsetof(MachineProfile, field))
#define MORVATEX_P(field, ...)                \
  MakeField<decltype(MachineProfile::field)>( \
      #field, kProfileBlockOffset + offsetof(MachineProfile, field) __VA_OPT__(, ) __VA_ARGS__)

// The ranges are those of the dialog: decimals 0..6, block numbers not
// negative, one of the two special treatments and the two extra modal rules.
// A tool entry accepts every 32-bit integer and keeps its low 16 bits. The
// two versions take only the values the programs read: any other makes them
// set up a new configuration instead of the record. What the conversion
// makes of a value outside the others' ranges is said with each.
constexpr std::string_view kNoDecimals = "the programs write these values without decimals, as for 0";
constexpr auto kFields = std::to_array<Field>({
    MORVATEX_R(Version, kSettingsVersion, kSettingsVersion),
    MORVATEX_P(ProfilVersion, kProfileFormat, kProfileFormat),
    MORVATEX_P(Dateinamenerweiterung),
    MORVATEX_P(Werkzeuge, kIntMin, kIntMax),
    MORVATEX_P(Sonderbehandlung, 0, 1, "the programs write the plain DIN layout, as for 0"),
    MORVATEX_P(ZeichenWertzuweisung),
    MORVATEX_P(Satznummerierung),
    MORVATEX_P(Nachkommastellen, 0, 6, kNoDecimals),
    MORVATEX_P(ErsterSatz, 0, kIntMax, "the programs number the blocks from this value below zero"),
    MORVATEX_P(SatznummernIncrement, 0, kIntMax, "the programs count the block numbers down by it"),
    MORVATEX_P(ZWerte),
    MORVATEX_P(RWerte),
    MORVATEX_P(IJWerte),
    MORVATEX_P(KWerte),
    MORVATEX_P(SWerte),
    MORVATEX_P(FWerte),
    MORVATEX_P(ModaleG),
    MORVATEX_P(ModaleXYZ),
    MORVATEX_P(ModaleIJK),
    MORVATEX_P(OrdneFZuG0_3),
    MORVATEX_P(OrdneSZuG0_3),
    MORVATEX_P(OrdneSpLiReEinZuG0_3),
    MORVATEX_P(XYZRelativ),
    MORVATEX_P(IJKRelativ),
    MORVATEX_P(Vorspann1),
    MORVATEX_P(Vorspann2),
    MORVATEX_P(Vorspann3),
    MORVATEX_P(Vorspann4),
    MORVATEX_P(Vorspann5),
    MORVATEX_P(Vorspann6),
    MORVATEX_P(Nachspann1),
    MORVATEX_P(Nachspann2),
    MORVATEX_P(Nachspann3),
    MORVATEX_P(Werkzeugwechsel1),
    MORVATEX_P(Werkzeugwechsel2),
    MORVATEX_P(Werkzeugwechsel3),
    MORVATEX_P(ZGrenze),
    MORVATEX_P(VorUnterschreitenDerZGrenze),
    MORVATEX_P(VorErreichenDerZGrenze),
    MORVATEX_P(VorWechselZuG0),
    MORVATEX_P(VorWechselZuG123),
    MORVATEX_P(KuehlungEin),
    MORVATEX_P(KuehlungAus),
    MORVATEX_P(SpindelEin),
    MORVATEX_P(SpindelAus),
    MORVATEX_P(SpindelRechtslauf),
    MORVATEX_P(SpindelLinkslauf),
    MORVATEX_P(G17),
    MORVATEX_P(G18),
    MORVATEX_P(G19),
    MORVATEX_P(Halt),
    MORVATEX_PN(AdresseN, "_N"),
    MORVATEX_PN(AdresseS, "_S"),
    MORVATEX_PN(AdresseF, "_F"),
    MORVATEX_PN(CodeG0, "_G0"),
    MORVATEX_PN(CodeG1, "_G1"),
    MORVATEX_PN(CodeG2, "_G2"),
    MORVATEX_PN(CodeG3, "_G3"),
    MORVATEX_PN(AdresseX, "_X"),
    MORVATEX_PN(AdresseY, "_Y"),
    MORVATEX_PN(AdresseZ, "_Z"),
    MORVATEX_PN(AdresseI, "_I"),
    MORVATEX_PN(AdresseJ, "_J"),
    MORVATEX_PN(AdresseK, "_K"),
    MORVATEX_PN(AdresseR, "_R"),
    MORVATEX_P(reserved1668),
    MORVATEX_P(reserved1672),
    MORVATEX_P(ModalExtra, 0, 1, "the programs apply no extra modal rule, as for 0"),
    MORVATEX_P(NachkommastellenS, 0, 6, kNoDecimals),
    MORVATEX_P(NachkommastellenF, 0, 6, kNoDecimals),
    MORVATEX_P(reserved1688),
    MORVATEX_P(FaktorSonderS),
    MORVATEX_P(FaktorSonderF),
    MORVATEX_P(reserved1712),
    MORVATEX_P(reserved1728),
    MORVATEX_P(reserved1744),
    MORVATEX_P(reserved1760),
    MORVATEX_P(reserved1776),
    MORVATEX_P(reserved1792),
    MORVATEX_P(reserved1833),
    MORVATEX_P(reserved1874),
    MORVATEX_P(reserved1915),
    MORVATEX_R(reserved1968),
    MORVATEX_R(DXFDateinerzeugen),
    MORVATEX_R(Erstelle2DPolylinien),
    MORVATEX_R(CNCDINCodeerstellen),
    MORVATEX_R(Quelle),
    MORVATEX_R(Ziel),
    MORVATEX_R(Zielordner),
});

#undef MORVATEX_PN
#undef MORVATEX_P
#undef MORVATEX_R

// Record order, and no field overlapping the next one.
constexpr bool InRecordOrder() {
  for (std::size_t i = 0; i + 1 < kFields.size(); ++i)
    if (kFields[i].offset + kFields[i].ElementSize() * kFields[i].elementCount > kFields[i + 1].offset) return false;
  return kFields.back().offset + kFields.back().ElementSize() <= kSettingsRecordSize;
}
static_assert(InRecordOrder());

unsigned char* At(SettingsRecord& record, FieldElement e) {
  return reinterpret_cast<unsigned char*>(&record) + e.field->offset + e.index * e.field->ElementSize();
}
const unsigned char* At(const SettingsRecord& record, FieldElement e) {
  return reinterpret_cast<const unsigned char*>(&record) + e.field->offset + e.index * e.field->ElementSize();
}

template <typename T>
T Load(const unsigned char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}
template <typename T>
void Store(unsigned char* p, T value) {
  std::memcpy(p, &value, sizeof value);
}

}  // namespace

std::string FieldElement::Name() const {
  std::string name(field->name);
  if (field->elementCount > 1) name += "[" + std::to_string(index) + "]";
  return name;
}

std::span<const Field> SettingsFields() { return kFields; }

std::optional<FieldElement> FindField(std::string_view name) {
  std::size_t index = 0;
  bool indexed = false;
  if (const std::size_t open = name.find('['); open != std::string_view::npos) {
    if (!name.ends_with(']') || open + 2 >= name.size()) return std::nullopt;
    const std::string_view digits = name.substr(open + 1, name.size() - open - 2);
    if (digits.size() > 3) return std::nullopt;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      index = index * 10 + static_cast<std::size_t>(c - '0');
    }
    name = name.substr(0, open);
    indexed = true;
  }
  for (const Field& field : kFields) {
    if (field.name != name) continue;
    if (indexed != (field.elementCount > 1) || index >= field.elementCount) return std::nullopt;
    return FieldElement{&field, index};
  }
  return std::nullopt;
}

std::string FieldText(const SettingsRecord& record, FieldElement e) {
  const unsigned char* p = At(record, e);
  switch (e.field->kind) {
    case FieldKind::kInteger: return std::to_string(Load<std::int32_t>(p));
    case FieldKind::kWord: return std::to_string(Load<std::uint16_t>(p));
    case FieldKind::kByte:
    case FieldKind::kBoolean: return std::to_string(*p);
    case FieldKind::kDecimal: return ShortestDecimalText(Load<double>(p));
    case FieldKind::kText: {
      const std::size_t length = std::min<std::size_t>(*p, e.field->capacity);
      return std::string(reinterpret_cast<const char*>(p + 1), length);
    }
  }
  return {};
}

bool SetField(SettingsRecord& record, FieldElement e, std::string_view text, FieldRange range) {
  unsigned char* p = At(record, e);
  const Field& field = *e.field;
  if (field.kind == FieldKind::kText) {
    const std::size_t length = std::min(text.size(), field.capacity);
    if (length > 0) std::memcpy(p + 1, text.data(), length);
    *p = static_cast<unsigned char>(length);
    return true;
  }
  if (field.kind == FieldKind::kDecimal) {
    const std::optional<double> value = ParseDecimal(text);
    if (!value) return false;
    Store(p, *value);
    return true;
  }
  const std::optional<std::int32_t> value = ParseInteger(text);
  if (!value) return false;
  // Only the integer fields have ranges narrower than their type (a 32-bit
  // value is what ParseInteger gives); a version keeps its one value.
  const bool typeRange =
      range == FieldRange::kType && field.kind == FieldKind::kInteger && field.minimum != field.maximum;
  if (!typeRange && (*value < field.minimum || *value > field.maximum)) return false;
  switch (field.kind) {
    case FieldKind::kInteger: Store(p, *value); break;
    case FieldKind::kWord:
      Store(p, static_cast<std::uint16_t>(*value));  // the low 16 bits: -1 becomes 65535
      break;
    default: *p = static_cast<unsigned char>(*value); break;
  }
  return true;
}

bool InDialogRange(const SettingsRecord& record, FieldElement e) {
  const unsigned char* p = At(record, e);
  std::int64_t value = 0;
  switch (e.field->kind) {
    case FieldKind::kInteger: value = Load<std::int32_t>(p); break;
    case FieldKind::kWord: value = Load<std::uint16_t>(p); break;
    case FieldKind::kByte:
    case FieldKind::kBoolean: value = *p; break;
    case FieldKind::kDecimal:
    case FieldKind::kText: return true;
  }
  // A tool entry's range is that of the integers it takes, not its 16 bits.
  return e.field->kind == FieldKind::kWord || (value >= e.field->minimum && value <= e.field->maximum);
}

double DecimalValue(const SettingsRecord& record, FieldElement element) {
  double value;
  std::memcpy(&value, At(record, element), sizeof value);
  return value;
}

void SetDecimalValue(SettingsRecord& record, FieldElement element, double value) {
  std::memcpy(At(record, element), &value, sizeof value);
}

}  // namespace morvatex
