// The settings record `SettingsRecord` and its machine-profile block
// `MachineProfile`, laid out byte for byte as the settings file and the
// profile files hold them. Memory layout and file layout are the same bytes,
// so load and save move whole records; every offset is checked below.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "settings/SettingsFormat.h"
#include "settings/ShortString.h"

namespace morvatex {

#pragma pack(push, 1)

// A Boolean byte: 0 false, 1 true as written by the program; any non-zero
// byte reads as true.
struct Bool8 {
  std::uint8_t raw;
  constexpr operator bool() const { return raw != 0; }
  constexpr Bool8& operator=(bool value) {
    raw = value ? 1 : 0;
    return *this;
  }
};

// The fields carry the names of the file format, as the settings fields and
// the dialog controls know them.
// NOLINTBEGIN(readability-identifier-naming)
struct MachineProfile {
  std::int32_t ProfilVersion;
  ShortString<10> Dateinamenerweiterung;
  std::uint8_t gap15[1];
  std::uint16_t Werkzeuge[kToolCount];
  std::int32_t Sonderbehandlung;
  ShortString<3> ZeichenWertzuweisung;
  Bool8 Satznummerierung;
  std::uint8_t gap225[3];
  std::int32_t Nachkommastellen;
  std::int32_t ErsterSatz;
  std::int32_t SatznummernIncrement;
  Bool8 ZWerte;
  Bool8 RWerte;
  Bool8 IJWerte;
  Bool8 KWerte;
  Bool8 SWerte;
  Bool8 FWerte;
  Bool8 ModaleG;
  Bool8 ModaleXYZ;
  Bool8 ModaleIJK;
  Bool8 OrdneFZuG0_3;
  Bool8 OrdneSZuG0_3;
  Bool8 OrdneSpLiReEinZuG0_3;
  Bool8 XYZRelativ;
  Bool8 IJKRelativ;
  ShortString<80> Vorspann1;
  ShortString<80> Vorspann2;
  ShortString<80> Vorspann3;
  ShortString<80> Vorspann4;
  ShortString<80> Vorspann5;
  ShortString<80> Vorspann6;
  ShortString<80> Nachspann1;
  ShortString<80> Nachspann2;
  ShortString<80> Nachspann3;
  ShortString<40> Werkzeugwechsel1;
  ShortString<40> Werkzeugwechsel2;
  ShortString<40> Werkzeugwechsel3;
  std::uint8_t gap1106[6];
  double ZGrenze;
  ShortString<40> VorUnterschreitenDerZGrenze;
  ShortString<40> VorErreichenDerZGrenze;
  ShortString<40> VorWechselZuG0;
  ShortString<40> VorWechselZuG123;
  ShortString<15> KuehlungEin;
  ShortString<15> KuehlungAus;
  ShortString<15> SpindelEin;
  ShortString<15> SpindelAus;
  ShortString<15> SpindelRechtslauf;
  ShortString<15> SpindelLinkslauf;
  ShortString<15> G17;
  ShortString<15> G18;
  ShortString<15> G19;
  ShortString<15> Halt;
  // Address letters and G codes, used exactly as stored. Their names in the
  // file format (settings fields, dialog controls) are "_N" to "_R".
  ShortString<15> AdresseN;
  ShortString<15> AdresseS;
  ShortString<15> AdresseF;
  ShortString<15> CodeG0;
  ShortString<15> CodeG1;
  ShortString<15> CodeG2;
  ShortString<15> CodeG3;
  ShortString<15> AdresseX;
  ShortString<15> AdresseY;
  ShortString<15> AdresseZ;
  ShortString<15> AdresseI;
  ShortString<15> AdresseJ;
  ShortString<15> AdresseK;
  ShortString<15> AdresseR;
  Bool8 reserved1668[4];
  Bool8 reserved1672[4];
  std::int32_t ModalExtra;
  std::int32_t NachkommastellenS;
  std::int32_t NachkommastellenF;
  std::int32_t reserved1688;
  std::uint8_t gap1692[4];
  double FaktorSonderS;
  double FaktorSonderF;
  std::uint8_t reserved1712[16];
  ShortString<15> reserved1728;
  ShortString<15> reserved1744;
  ShortString<15> reserved1760;
  ShortString<15> reserved1776;
  ShortString<40> reserved1792;
  ShortString<40> reserved1833;
  ShortString<40> reserved1874;
  ShortString<40> reserved1915;
  std::uint8_t gap1956[4];
};

struct SettingsRecord {
  std::int32_t Version;
  std::uint8_t gap4[4];
  MachineProfile Profil;
  ShortString<255> reserved1968;
  Bool8 DXFDateinerzeugen;
  Bool8 Erstelle2DPolylinien;
  Bool8 CNCDINCodeerstellen;
  ShortString<255> Quelle;
  ShortString<255> Ziel;
  std::uint8_t Zielordner;
  std::uint8_t gap2740[4];
};
// NOLINTEND(readability-identifier-naming)

#pragma pack(pop)

// The file is little-endian with IEEE doubles; so must memory be, for the
// record to be moved in one piece.
static_assert(std::endian::native == std::endian::little);
static_assert(std::numeric_limits<double>::is_iec559 && sizeof(double) == 8);
static_assert(sizeof(MachineProfile) == kProfileBlockSize);
static_assert(sizeof(SettingsRecord) == kSettingsRecordSize);
static_assert(std::is_trivially_copyable_v<SettingsRecord>);
static_assert(std::is_standard_layout_v<SettingsRecord>);

#define MORVATEX_AT(type, field, offset) static_assert(offsetof(type, field) == (offset), #field)
MORVATEX_AT(SettingsRecord, Version, 0);
MORVATEX_AT(SettingsRecord, Profil, kProfileBlockOffset);
MORVATEX_AT(SettingsRecord, reserved1968, 1968);
MORVATEX_AT(SettingsRecord, DXFDateinerzeugen, 2224);
MORVATEX_AT(SettingsRecord, Erstelle2DPolylinien, 2225);
MORVATEX_AT(SettingsRecord, CNCDINCodeerstellen, 2226);
MORVATEX_AT(SettingsRecord, Quelle, 2227);
MORVATEX_AT(SettingsRecord, Ziel, 2483);
MORVATEX_AT(SettingsRecord, Zielordner, 2739);
MORVATEX_AT(SettingsRecord, gap2740, 2740);

MORVATEX_AT(MachineProfile, ProfilVersion, 0);
MORVATEX_AT(MachineProfile, Dateinamenerweiterung, 4);
MORVATEX_AT(MachineProfile, gap15, 15);
MORVATEX_AT(MachineProfile, Werkzeuge, 16);
MORVATEX_AT(MachineProfile, Sonderbehandlung, 216);
MORVATEX_AT(MachineProfile, ZeichenWertzuweisung, 220);
MORVATEX_AT(MachineProfile, Satznummerierung, 224);
MORVATEX_AT(MachineProfile, gap225, 225);
MORVATEX_AT(MachineProfile, Nachkommastellen, 228);
MORVATEX_AT(MachineProfile, ErsterSatz, 232);
MORVATEX_AT(MachineProfile, SatznummernIncrement, 236);
MORVATEX_AT(MachineProfile, ZWerte, 240);
MORVATEX_AT(MachineProfile, RWerte, 241);
MORVATEX_AT(MachineProfile, IJWerte, 242);
MORVATEX_AT(MachineProfile, KWerte, 243);
MORVATEX_AT(MachineProfile, SWerte, 244);
MORVATEX_AT(MachineProfile, FWerte, 245);
MORVATEX_AT(MachineProfile, ModaleG, 246);
MORVATEX_AT(MachineProfile, ModaleXYZ, 247);
MORVATEX_AT(MachineProfile, ModaleIJK, 248);
MORVATEX_AT(MachineProfile, OrdneFZuG0_3, 249);
MORVATEX_AT(MachineProfile, OrdneSZuG0_3, 250);
MORVATEX_AT(MachineProfile, OrdneSpLiReEinZuG0_3, 251);
MORVATEX_AT(MachineProfile, XYZRelativ, 252);
MORVATEX_AT(MachineProfile, IJKRelativ, 253);
MORVATEX_AT(MachineProfile, Vorspann1, 254);
MORVATEX_AT(MachineProfile, Vorspann2, 335);
MORVATEX_AT(MachineProfile, Vorspann3, 416);
MORVATEX_AT(MachineProfile, Vorspann4, 497);
MORVATEX_AT(MachineProfile, Vorspann5, 578);
MORVATEX_AT(MachineProfile, Vorspann6, 659);
MORVATEX_AT(MachineProfile, Nachspann1, 740);
MORVATEX_AT(MachineProfile, Nachspann2, 821);
MORVATEX_AT(MachineProfile, Nachspann3, 902);
MORVATEX_AT(MachineProfile, Werkzeugwechsel1, 983);
MORVATEX_AT(MachineProfile, Werkzeugwechsel2, 1024);
MORVATEX_AT(MachineProfile, Werkzeugwechsel3, 1065);
MORVATEX_AT(MachineProfile, gap1106, 1106);
MORVATEX_AT(MachineProfile, ZGrenze, 1112);
MORVATEX_AT(MachineProfile, VorUnterschreitenDerZGrenze, 1120);
MORVATEX_AT(MachineProfile, VorErreichenDerZGrenze, 1161);
MORVATEX_AT(MachineProfile, VorWechselZuG0, 1202);
MORVATEX_AT(MachineProfile, VorWechselZuG123, 1243);
MORVATEX_AT(MachineProfile, KuehlungEin, 1284);
MORVATEX_AT(MachineProfile, KuehlungAus, 1300);
MORVATEX_AT(MachineProfile, SpindelEin, 1316);
MORVATEX_AT(MachineProfile, SpindelAus, 1332);
MORVATEX_AT(MachineProfile, SpindelRechtslauf, 1348);
MORVATEX_AT(MachineProfile, SpindelLinkslauf, 1364);
MORVATEX_AT(MachineProfile, G17, 1380);
MORVATEX_AT(MachineProfile, G18, 1396);
MORVATEX_AT(MachineProfile, G19, 1412);
MORVATEX_AT(MachineProfile, Halt, 1428);
MORVATEX_AT(MachineProfile, AdresseN, 1444);
MORVATEX_AT(MachineProfile, AdresseS, 1460);
MORVATEX_AT(MachineProfile, AdresseF, 1476);
MORVATEX_AT(MachineProfile, CodeG0, 1492);
MORVATEX_AT(MachineProfile, CodeG1, 1508);
MORVATEX_AT(MachineProfile, CodeG2, 1524);
MORVATEX_AT(MachineProfile, CodeG3, 1540);
MORVATEX_AT(MachineProfile, AdresseX, 1556);
MORVATEX_AT(MachineProfile, AdresseY, 1572);
MORVATEX_AT(MachineProfile, AdresseZ, 1588);
MORVATEX_AT(MachineProfile, AdresseI, 1604);
MORVATEX_AT(MachineProfile, AdresseJ, 1620);
MORVATEX_AT(MachineProfile, AdresseK, 1636);
MORVATEX_AT(MachineProfile, AdresseR, 1652);
MORVATEX_AT(MachineProfile, reserved1668, 1668);
MORVATEX_AT(MachineProfile, reserved1672, 1672);
MORVATEX_AT(MachineProfile, ModalExtra, 1676);
MORVATEX_AT(MachineProfile, NachkommastellenS, 1680);
MORVATEX_AT(MachineProfile, NachkommastellenF, 1684);
MORVATEX_AT(MachineProfile, reserved1688, 1688);
MORVATEX_AT(MachineProfile, gap1692, 1692);
MORVATEX_AT(MachineProfile, FaktorSonderS, 1696);
MORVATEX_AT(MachineProfile, FaktorSonderF, 1704);
MORVATEX_AT(MachineProfile, reserved1712, 1712);
MORVATEX_AT(MachineProfile, reserved1728, 1728);
MORVATEX_AT(MachineProfile, reserved1744, 1744);
MORVATEX_AT(MachineProfile, reserved1760, 1760);
MORVATEX_AT(MachineProfile, reserved1776, 1776);
MORVATEX_AT(MachineProfile, reserved1792, 1792);
MORVATEX_AT(MachineProfile, reserved1833, 1833);
MORVATEX_AT(MachineProfile, reserved1874, 1874);
MORVATEX_AT(MachineProfile, reserved1915, 1915);
MORVATEX_AT(MachineProfile, gap1956, 1956);
#undef MORVATEX_AT

}  // namespace morvatex
