// The settings record `Einstellungen` and its machine-profile block
// `Maschinenprofil`, laid out byte for byte as the settings file and the
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

struct Maschinenprofil {
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
  // Address letters and G codes, used exactly as stored.
  ShortString<15> _N;
  ShortString<15> _S;
  ShortString<15> _F;
  ShortString<15> _G0;
  ShortString<15> _G1;
  ShortString<15> _G2;
  ShortString<15> _G3;
  ShortString<15> _X;
  ShortString<15> _Y;
  ShortString<15> _Z;
  ShortString<15> _I;
  ShortString<15> _J;
  ShortString<15> _K;
  ShortString<15> _R;
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

struct Einstellungen {
  std::int32_t Version;
  std::uint8_t gap4[4];
  Maschinenprofil Profil;
  ShortString<255> reserved1968;
  Bool8 DXFDateinerzeugen;
  Bool8 Erstelle2DPolylinien;
  Bool8 CNCDINCodeerstellen;
  ShortString<255> Quelle;
  ShortString<255> Ziel;
  std::uint8_t Zielordner;
  std::uint8_t gap2740[4];
};

#pragma pack(pop)

// The file is little-endian with IEEE doubles; so must memory be, for the
// record to be moved in one piece.
static_assert(std::endian::native == std::endian::little);
static_assert(std::numeric_limits<double>::is_iec559 && sizeof(double) == 8);
static_assert(sizeof(Maschinenprofil) == kProfileBlockSize);
static_assert(sizeof(Einstellungen) == kSettingsRecordSize);
static_assert(std::is_trivially_copyable_v<Einstellungen>);
static_assert(std::is_standard_layout_v<Einstellungen>);

#define MORVATEX_AT(type, field, offset) static_assert(offsetof(type, field) == (offset), #field)
MORVATEX_AT(Einstellungen, Version, 0);
MORVATEX_AT(Einstellungen, Profil, kProfileBlockOffset);
MORVATEX_AT(Einstellungen, reserved1968, 1968);
MORVATEX_AT(Einstellungen, DXFDateinerzeugen, 2224);
MORVATEX_AT(Einstellungen, Erstelle2DPolylinien, 2225);
MORVATEX_AT(Einstellungen, CNCDINCodeerstellen, 2226);
MORVATEX_AT(Einstellungen, Quelle, 2227);
MORVATEX_AT(Einstellungen, Ziel, 2483);
MORVATEX_AT(Einstellungen, Zielordner, 2739);
MORVATEX_AT(Einstellungen, gap2740, 2740);

MORVATEX_AT(Maschinenprofil, ProfilVersion, 0);
MORVATEX_AT(Maschinenprofil, Dateinamenerweiterung, 4);
MORVATEX_AT(Maschinenprofil, gap15, 15);
MORVATEX_AT(Maschinenprofil, Werkzeuge, 16);
MORVATEX_AT(Maschinenprofil, Sonderbehandlung, 216);
MORVATEX_AT(Maschinenprofil, ZeichenWertzuweisung, 220);
MORVATEX_AT(Maschinenprofil, Satznummerierung, 224);
MORVATEX_AT(Maschinenprofil, gap225, 225);
MORVATEX_AT(Maschinenprofil, Nachkommastellen, 228);
MORVATEX_AT(Maschinenprofil, ErsterSatz, 232);
MORVATEX_AT(Maschinenprofil, SatznummernIncrement, 236);
MORVATEX_AT(Maschinenprofil, ZWerte, 240);
MORVATEX_AT(Maschinenprofil, RWerte, 241);
MORVATEX_AT(Maschinenprofil, IJWerte, 242);
MORVATEX_AT(Maschinenprofil, KWerte, 243);
MORVATEX_AT(Maschinenprofil, SWerte, 244);
MORVATEX_AT(Maschinenprofil, FWerte, 245);
MORVATEX_AT(Maschinenprofil, ModaleG, 246);
MORVATEX_AT(Maschinenprofil, ModaleXYZ, 247);
MORVATEX_AT(Maschinenprofil, ModaleIJK, 248);
MORVATEX_AT(Maschinenprofil, OrdneFZuG0_3, 249);
MORVATEX_AT(Maschinenprofil, OrdneSZuG0_3, 250);
MORVATEX_AT(Maschinenprofil, OrdneSpLiReEinZuG0_3, 251);
MORVATEX_AT(Maschinenprofil, XYZRelativ, 252);
MORVATEX_AT(Maschinenprofil, IJKRelativ, 253);
MORVATEX_AT(Maschinenprofil, Vorspann1, 254);
MORVATEX_AT(Maschinenprofil, Vorspann2, 335);
MORVATEX_AT(Maschinenprofil, Vorspann3, 416);
MORVATEX_AT(Maschinenprofil, Vorspann4, 497);
MORVATEX_AT(Maschinenprofil, Vorspann5, 578);
MORVATEX_AT(Maschinenprofil, Vorspann6, 659);
MORVATEX_AT(Maschinenprofil, Nachspann1, 740);
MORVATEX_AT(Maschinenprofil, Nachspann2, 821);
MORVATEX_AT(Maschinenprofil, Nachspann3, 902);
MORVATEX_AT(Maschinenprofil, Werkzeugwechsel1, 983);
MORVATEX_AT(Maschinenprofil, Werkzeugwechsel2, 1024);
MORVATEX_AT(Maschinenprofil, Werkzeugwechsel3, 1065);
MORVATEX_AT(Maschinenprofil, gap1106, 1106);
MORVATEX_AT(Maschinenprofil, ZGrenze, 1112);
MORVATEX_AT(Maschinenprofil, VorUnterschreitenDerZGrenze, 1120);
MORVATEX_AT(Maschinenprofil, VorErreichenDerZGrenze, 1161);
MORVATEX_AT(Maschinenprofil, VorWechselZuG0, 1202);
MORVATEX_AT(Maschinenprofil, VorWechselZuG123, 1243);
MORVATEX_AT(Maschinenprofil, KuehlungEin, 1284);
MORVATEX_AT(Maschinenprofil, KuehlungAus, 1300);
MORVATEX_AT(Maschinenprofil, SpindelEin, 1316);
MORVATEX_AT(Maschinenprofil, SpindelAus, 1332);
MORVATEX_AT(Maschinenprofil, SpindelRechtslauf, 1348);
MORVATEX_AT(Maschinenprofil, SpindelLinkslauf, 1364);
MORVATEX_AT(Maschinenprofil, G17, 1380);
MORVATEX_AT(Maschinenprofil, G18, 1396);
MORVATEX_AT(Maschinenprofil, G19, 1412);
MORVATEX_AT(Maschinenprofil, Halt, 1428);
MORVATEX_AT(Maschinenprofil, _N, 1444);
MORVATEX_AT(Maschinenprofil, _S, 1460);
MORVATEX_AT(Maschinenprofil, _F, 1476);
MORVATEX_AT(Maschinenprofil, _G0, 1492);
MORVATEX_AT(Maschinenprofil, _G1, 1508);
MORVATEX_AT(Maschinenprofil, _G2, 1524);
MORVATEX_AT(Maschinenprofil, _G3, 1540);
MORVATEX_AT(Maschinenprofil, _X, 1556);
MORVATEX_AT(Maschinenprofil, _Y, 1572);
MORVATEX_AT(Maschinenprofil, _Z, 1588);
MORVATEX_AT(Maschinenprofil, _I, 1604);
MORVATEX_AT(Maschinenprofil, _J, 1620);
MORVATEX_AT(Maschinenprofil, _K, 1636);
MORVATEX_AT(Maschinenprofil, _R, 1652);
MORVATEX_AT(Maschinenprofil, reserved1668, 1668);
MORVATEX_AT(Maschinenprofil, reserved1672, 1672);
MORVATEX_AT(Maschinenprofil, ModalExtra, 1676);
MORVATEX_AT(Maschinenprofil, NachkommastellenS, 1680);
MORVATEX_AT(Maschinenprofil, NachkommastellenF, 1684);
MORVATEX_AT(Maschinenprofil, reserved1688, 1688);
MORVATEX_AT(Maschinenprofil, gap1692, 1692);
MORVATEX_AT(Maschinenprofil, FaktorSonderS, 1696);
MORVATEX_AT(Maschinenprofil, FaktorSonderF, 1704);
MORVATEX_AT(Maschinenprofil, reserved1712, 1712);
MORVATEX_AT(Maschinenprofil, reserved1728, 1728);
MORVATEX_AT(Maschinenprofil, reserved1744, 1744);
MORVATEX_AT(Maschinenprofil, reserved1760, 1760);
MORVATEX_AT(Maschinenprofil, reserved1776, 1776);
MORVATEX_AT(Maschinenprofil, reserved1792, 1792);
MORVATEX_AT(Maschinenprofil, reserved1833, 1833);
MORVATEX_AT(Maschinenprofil, reserved1874, 1874);
MORVATEX_AT(Maschinenprofil, reserved1915, 1915);
MORVATEX_AT(Maschinenprofil, gap1956, 1956);
#undef MORVATEX_AT

}  // namespace morvatex
