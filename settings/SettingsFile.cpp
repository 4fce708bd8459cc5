#include "settings/SettingsFile.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "base/Cp1252Codec.h"
#include "base/ProductInfo.h"
#include "settings/SettingsTexts.h"

namespace morvatex {
namespace {

// Reads up to `size` bytes; the count actually read, or -1 on a read error.
std::ptrdiff_t ReadUpTo(ReadableFile& file, char* buffer, std::size_t size) {
  std::size_t total = 0;
  while (total < size) {
    const std::ptrdiff_t n = file.Read(buffer + total, size - total);
    if (n < 0) return -1;
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
  }
  return static_cast<std::ptrdiff_t>(total);
}

}  // namespace

bool ReadFirstBlock(const std::string& path, FileSystem& fs, void* block, std::size_t size) {
  // A FIFO there would keep the program waiting for a writer, before its
  // window even shows.
  if (fs.IsSpecialFile(path)) return false;
  std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  if (!file) return false;
  std::string buffer(size, '\0');
  const std::ptrdiff_t n = ReadUpTo(*file, buffer.data(), size);
  file->Close();  // a block read in full stays valid whatever closing says
  if (n != static_cast<std::ptrdiff_t>(size)) return false;
  std::memcpy(block, buffer.data(), size);
  return true;
}

std::string SettingsPathFor(std::string_view programPath, PathSyntax syntax) {
  return ChangeFileExt(programPath, ".set", syntax);
}

void RepairFactor(double& factor) {
  if (factor == 0.0 || std::isnan(factor)) factor = 1.0;
}

LoadResult LoadSettingsFile(SettingsRecord& live, const std::string& settingsPath, FileSystem& fs,
                            MessageSink& messages) {
  const bool read = ReadFirstBlock(settingsPath, fs, &live, sizeof live);
  const bool valid = read && live.Version == kSettingsVersion && live.Profil.ProfilVersion == kProfileFormat;
  if (read) {
    RepairFactor(live.Profil.FaktorSonderS);
    RepairFactor(live.Profil.FaktorSonderF);
  }
  if (valid) return LoadResult::kLoaded;

  SetRecordDefaults(live);
  ApplyNewConfiguration(live, messages);
  return LoadResult::kNewConfiguration;
}

bool SaveSettingsFile(const SettingsRecord& live, const std::string& settingsPath, FileSystem& fs,
                      MessageSink& messages, int* errorNumber) {
  const std::string_view bytes(reinterpret_cast<const char*>(&live), sizeof live);
  const int error = fs.ReplaceFileErrorNumber(settingsPath, bytes);
  if (errorNumber) *errorNumber = error;
  if (error == 0) return true;
  messages.ShowMessage(SaveErrorText(settingsPath));
  return false;
}

void SetRecordDefaults(SettingsRecord& live) {
  live.Version = kSettingsVersion;
  live.reserved1968.length = 0;
  live.DXFDateinerzeugen = false;
  live.Erstelle2DPolylinien = true;
  live.CNCDINCodeerstellen = true;
  live.Quelle.length = 0;
  live.Ziel.length = 0;
  live.Zielordner = 0;
}

void SetNewProfileValues(MachineProfile& p) {
  p.ProfilVersion = kProfileFormat;
  p.Dateinamenerweiterung.Assign("cnc");
  for (std::uint16_t& tool : p.Werkzeuge) tool = 1;
  p.Sonderbehandlung = 0;
  p.ZeichenWertzuweisung.Assign(":");
  p.Satznummerierung = true;
  p.Nachkommastellen = 4;
  p.ErsterSatz = 100;
  p.SatznummernIncrement = 2;
  p.ZWerte = true;
  p.RWerte = true;
  p.IJWerte = true;
  p.KWerte = true;
  p.SWerte = true;
  p.FWerte = true;
  p.ModaleG = true;
  p.ModaleXYZ = true;
  p.ModaleIJK = false;
  p.OrdneFZuG0_3 = false;
  p.OrdneSZuG0_3 = false;
  p.OrdneSpLiReEinZuG0_3 = false;
  p.XYZRelativ = false;
  p.IJKRelativ = false;
  p.Vorspann1.Assign("");
  p.Vorspann2.Assign("(Generator:)");
  p.Vorspann3.Assign("(Morvatex 01.23)");
  p.Vorspann4.Assign("(31.01.2008 - 01.05.2020)");
  p.Vorspann5.Assign("(Autor: Morvatex-Team)");
  p.Vorspann6.Assign("");
  p.Nachspann1.Assign("M30");
  p.Nachspann2.Assign("");
  p.Nachspann3.Assign("#");
  p.Werkzeugwechsel1.Assign("");
  p.Werkzeugwechsel2.Assign("T? M6");
  p.Werkzeugwechsel3.Assign("");
  p.ZGrenze = 4000.0;
  p.VorUnterschreitenDerZGrenze.Assign("(Laser Ein)");
  p.VorErreichenDerZGrenze.Assign("(Laser Aus)");
  p.VorWechselZuG0.Assign("(Positioniere)");
  p.VorWechselZuG123.Assign("(Konturanfang)");
  p.KuehlungEin.Assign("");
  p.KuehlungAus.Assign("");
  p.SpindelEin.Assign("");
  p.SpindelAus.Assign("M81 M05");
  p.SpindelRechtslauf.Assign("M81 M03");
  p.SpindelLinkslauf.Assign("M81 M04");
  p.G17.Assign("G17");
  p.G18.Assign("G18");
  p.G19.Assign("G19");
  p.Halt.Assign("M0");
  p.AdresseN.Assign("N");
  p.AdresseS.Assign("S");
  p.AdresseF.Assign("F");
  p.CodeG0.Assign("G0");
  p.CodeG1.Assign("G1");
  p.CodeG2.Assign("G2");
  p.CodeG3.Assign("G3");
  p.AdresseX.Assign("X");
  p.AdresseY.Assign("Y");
  p.AdresseZ.Assign("Z");
  p.AdresseI.Assign("I");
  p.AdresseJ.Assign("J");
  p.AdresseK.Assign("K");
  p.AdresseR.Assign("R");
  for (Bool8& b : p.reserved1668) b = false;
  for (Bool8& b : p.reserved1672) b = true;
  p.ModalExtra = 0;
  p.NachkommastellenS = 0;
  p.NachkommastellenF = 0;
  p.reserved1688 = 0;
  p.FaktorSonderS = 1.0;
  p.FaktorSonderF = 1.0;
  std::memset(p.reserved1712, 0, sizeof p.reserved1712);
  for (auto* s : {&p.reserved1728, &p.reserved1744, &p.reserved1760, &p.reserved1776}) s->length = 0;
  for (auto* s : {&p.reserved1792, &p.reserved1833, &p.reserved1874, &p.reserved1915}) s->length = 0;
}

void ApplyNewConfiguration(SettingsRecord& live, MessageSink& messages) {
  SetNewProfileValues(live.Profil);
  messages.ShowMessage(" W A R N U N G ");
  messages.ShowMessage(Cp1252<u8" W A R N U N G \r\nEs wurde eine neue Konfiguration angelegt !\r\n"
                              u8"Bitte unbedingt überprüfen !\r\n(Einstellungen -> CNC-DIN-Code -> Einstellungen)">());
}

}  // namespace morvatex
