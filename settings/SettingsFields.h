// Every field of the settings record by name, in record order, with where it
// lies and how its value reads as text. The command line shows and sets
// fields through this table; the settings dialog stores its number fields
// through it, so both accept exactly the same values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/SettingsRecord.h"

namespace morvatex {

enum class FeldArt {
  kGanzzahl,  // 32-bit signed integer
  kWort,      // 16-bit unsigned; any 32-bit integer is taken modulo 65536
  kByte,      // 8-bit unsigned
  kBoolean,   // one byte, shown as its raw value (0 false, other true)
  kDezimal,   // double
  kText,      // short string of `kapazitaet` characters
};

struct Feld {
  std::string_view name;
  std::size_t offset;  // of the first element, from the start of the record
  FeldArt art;
  std::size_t anzahl;      // elements: 1, or the length of an array such as Werkzeuge
  std::size_t kapazitaet;  // characters of a text; 0 for numbers
  // The values accepted for an integer field (those the dialog accepts for
  // the fields it edits); unused for texts and decimals.
  std::int64_t minimum;
  std::int64_t maximum;

  // Bytes one element takes.
  constexpr std::size_t Groesse() const {
    switch (art) {
      case FeldArt::kGanzzahl:
        return 4;
      case FeldArt::kWort:
        return 2;
      case FeldArt::kDezimal:
        return 8;
      case FeldArt::kText:
        return kapazitaet + 1;
      case FeldArt::kByte:
      case FeldArt::kBoolean:
        break;
    }
    return 1;
  }
};

// One element: the field itself, or entry `index` of an array field.
struct FeldElement {
  const Feld* feld;
  std::size_t index;

  // "ZGrenze", or "Werkzeuge[7]" for an element of an array.
  std::string Name() const;
};

// Every field of the record, named as in the code (reserved fields under
// the names of their offsets), ordered by offset. Gaps have no entry.
std::span<const Feld> Einstellungsfelder();

// The element named `name` ("ZGrenze", "Werkzeuge[7]"); nothing for an
// unknown name, an index out of range or an array named without index.
std::optional<FeldElement> FindeFeld(std::string_view name);

// The element's value as text: numbers in decimal (a double in its shortest
// exact form), a text as its Windows-1252 characters.
std::string FeldText(const Einstellungen& record, FeldElement element);

// Stores `text` (Windows-1252) into the element: a text cut to its
// capacity, an integer or decimal in the dialog's number syntax within the
// field's range. False, with the record unchanged, for an invalid value.
bool SetzeFeld(Einstellungen& record, FeldElement element, std::string_view text);

}  // namespace morvatex
