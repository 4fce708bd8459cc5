// Every field of the settings record by name, in record order, with where it
// lies and how its value reads as text. The command line shows and sets
// fields through this table; the settings dialog stores its number fields
// through it, so both accept the same values (the command line adds only
// what it needs to read back everything it shows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/SettingsRecord.h"

namespace morvatex {

enum class FieldKind {
  kInteger,  // 32-bit signed integer
  kWord,     // 16-bit unsigned; any 32-bit integer is taken modulo 65536
  kByte,     // 8-bit unsigned
  kBoolean,  // one byte, shown as its raw value (0 false, other true)
  kDecimal,  // double
  kText,     // short string of `capacity` characters
};

struct Field {
  std::string_view name;
  std::size_t offset;  // of the first element, from the start of the record
  FieldKind kind;
  std::size_t elementCount;  // elements: 1, or the length of an array such as Werkzeuge
  std::size_t capacity;      // characters of a text; 0 for numbers
  // The values accepted for an integer field (those the dialog accepts for
  // the fields it edits; for Version and ProfilVersion only the current
  // format's); unused for texts and decimals.
  std::int64_t minimum;
  std::int64_t maximum;
  // How the programs treat a value outside that range, which a damaged or
  // foreign file may hold (and the command line may write); empty where
  // the range is the type's own.
  std::string_view outsideRange;

  // Bytes one element takes.
  constexpr std::size_t ElementSize() const {
    switch (kind) {
      case FieldKind::kInteger: return 4;
      case FieldKind::kWord: return 2;
      case FieldKind::kDecimal: return 8;
      case FieldKind::kText: return capacity + 1;
      case FieldKind::kByte:
      case FieldKind::kBoolean: break;
    }
    return 1;
  }
};

// One element: the field itself, or entry `index` of an array field.
struct FieldElement {
  const Field* field;
  std::size_t index;

  // "ZGrenze", or "Werkzeuge[7]" for an element of an array.
  std::string Name() const;
};

// Every field of the record, named as in the code (reserved fields under
// the names of their offsets), ordered by offset. Gaps have no entry.
std::span<const Field> SettingsFields();

// The element named `name` ("ZGrenze", "Werkzeuge[7]"); nothing for an
// unknown name, an index out of range or an array named without index.
std::optional<FieldElement> FindField(std::string_view name);

// The element's value as text: numbers in decimal (a double in its shortest
// exact form), a text as its Windows-1252 characters.
std::string FieldText(const SettingsRecord& record, FieldElement element);

// Which integers SetField takes: those of the field's range (the dialog's),
// or every value the field's type holds, so that whatever a record that
// loads may hold can be stored again. Version and ProfilVersion take only
// their one value in either case: any other makes the record unreadable.
enum class FieldRange { kDialog, kType };

// Stores `text` (Windows-1252) into the element: a text cut to its
// capacity, an integer or decimal in the dialog's number syntax, an integer
// within `range`. False, with the record unchanged, for an invalid value.
bool SetField(SettingsRecord& record, FieldElement element, std::string_view text,
              FieldRange range = FieldRange::kDialog);

// True unless the element is an integer outside its field's range (see
// Field::outsideRange).
bool InDialogRange(const SettingsRecord& record, FieldElement element);

// The value of a decimal element, and storing one as it is (not-a-number
// and infinities included, which SetField's number syntax refuses).
double DecimalValue(const SettingsRecord& record, FieldElement element);
void SetDecimalValue(SettingsRecord& record, FieldElement element, double value);

}  // namespace morvatex
