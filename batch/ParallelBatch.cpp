#include "batch/ParallelBatch.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace morvatex {
namespace {

// One marked row.
struct Auftrag {
  int row = 0;
  std::string paths[3];  // source (read), target and DXF path (written)
  std::vector<std::size_t> vorgaenger;  // earlier jobs that must be converted first
  // Guarded by the scheduler's mutex.
  bool begonnen = false;
  bool fertig = false;
  std::unique_ptr<ConversionRun> run;  // the finished conversion, until recorded
};
constexpr int kQuelle = 0;

// The file name with Windows-1252 letters in upper case: paths that differ
// only in case may name one file, so they are compared further.
std::string NamensSchluessel(const std::string& path, PathSyntax syntax) {
  std::string key = FileNamePart(path, syntax);
  for (char& c : key) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) c = static_cast<char>(byte - 0x20);
  }
  return key;
}

// True when `a` and `b` (with equal NamensSchluessel) may name one file.
bool VielleichtGleich(FileSystem& fs, PathSyntax syntax, const std::string& a, const std::string& b) {
  if (a == b || fs.SameFile(a, b)) return true;
  const std::string folderA = FolderPart(a, syntax);
  const std::string folderB = FolderPart(b, syntax);
  return folderA == folderB || fs.SameFile(folderA.empty() ? "." : folderA, folderB.empty() ? "." : folderB);
}

// Finds for every job the earlier jobs it shares a file with (not both only
// reading it). Paths are grouped by file name first, so only few pairs are
// compared.
void PlaneReihenfolge(std::vector<Auftrag>& auftraege, FileSystem& fs, PathSyntax syntax) {
  struct Eintrag {
    std::size_t job;
    int pfad;
  };
  std::unordered_map<std::string, std::vector<Eintrag>> nachName;
  for (std::size_t j = 0; j < auftraege.size(); ++j) {
    Auftrag& auftrag = auftraege[j];
    for (int p = 0; p < 3; ++p) {
      std::vector<Eintrag>& gleichNamige = nachName[NamensSchluessel(auftrag.paths[p], syntax)];
      for (const Eintrag& frueher : gleichNamige) {
        if (frueher.job == j || (p == kQuelle && frueher.pfad == kQuelle)) continue;
        if (std::find(auftrag.vorgaenger.begin(), auftrag.vorgaenger.end(), frueher.job) != auftrag.vorgaenger.end())
          continue;
        if (VielleichtGleich(fs, syntax, auftraege[frueher.job].paths[frueher.pfad], auftrag.paths[p]))
          auftrag.vorgaenger.push_back(frueher.job);
      }
      gleichNamige.push_back({j, p});
    }
  }
}

// Hands the jobs to the workers: the lowest job whose predecessors are
// converted, not too far ahead of the recorded ones, and above the first
// stopped job.
class Verteiler {
 public:
  Verteiler(std::vector<Auftrag>& auftraege, std::size_t fenster, const Einstellungen& settings, FileSystem& fs,
            const ConversionOptions& options)
      : auftraege_(auftraege), fenster_(fenster), settings_(settings), fs_(fs), options_(options) {
    grenze_ = auftraege.size();
  }

  // The worker loop: converts jobs until none is left to start.
  void Arbeiten() {
    std::unique_lock lock(mutex_);
    for (;;) {
      const Schritt schritt = Umsetzen(lock);
      if (schritt == Schritt::kNichtsOffen) return;
      if (schritt == Schritt::kWarten) changed_.wait(lock);
    }
  }

  // Takes job `k`'s conversion once it is done; null when the job will not
  // be started (a job above it was stopped). While waiting, the caller
  // converts jobs itself: it is one of the workers.
  std::unique_ptr<ConversionRun> Abholen(std::size_t k) {
    std::unique_lock lock(mutex_);
    while (!auftraege_[k].fertig && k < grenze_) {
      // Nothing to start: job k is being converted elsewhere, or waits.
      if (Umsetzen(lock) != Schritt::kUmgesetzt) changed_.wait(lock);
    }
    return std::move(auftraege_[k].run);
  }

  // Jobs up to `k` are recorded; `run` may convert the next one.
  void Erfasst(std::size_t k, std::unique_ptr<ConversionRun> run) {
    const std::lock_guard lock(mutex_);
    erfasst_ = k + 1;
    frei_.push_back(std::move(run));
    changed_.notify_all();
  }

 private:
  enum class Schritt { kUmgesetzt, kWarten, kNichtsOffen };

  // Converts the lowest job that may start now, the lock released meanwhile;
  // kWarten when every open job waits for others, kNichtsOffen when none is
  // left to start.
  Schritt Umsetzen(std::unique_lock<std::mutex>& lock) {
    std::size_t gefunden = auftraege_.size();
    bool offen = false;
    for (std::size_t k = erfasst_; k < grenze_; ++k) {
      if (auftraege_[k].begonnen) continue;
      offen = true;
      if (k >= erfasst_ + fenster_) break;
      const auto& vor = auftraege_[k].vorgaenger;
      if (std::all_of(vor.begin(), vor.end(), [&](std::size_t i) { return auftraege_[i].fertig; })) {
        gefunden = k;
        break;
      }
    }
    if (!offen) return Schritt::kNichtsOffen;
    if (gefunden == auftraege_.size()) return Schritt::kWarten;
    Auftrag& auftrag = auftraege_[gefunden];
    auftrag.begonnen = true;
    std::unique_ptr<ConversionRun> run;
    if (!frei_.empty()) {
      run = std::move(frei_.back());
      frei_.pop_back();
    }
    lock.unlock();
    if (!run) run = std::make_unique<ConversionRun>(settings_, fs_, options_);
    const int code = run->Convert(auftrag.paths[kQuelle], auftrag.paths[1]);
    lock.lock();
    auftrag.run = std::move(run);
    auftrag.fertig = true;
    if (code == outcome::kStopped) grenze_ = std::min(grenze_, gefunden + 1);
    changed_.notify_all();
    return Schritt::kUmgesetzt;
  }

  std::vector<Auftrag>& auftraege_;
  const std::size_t fenster_;
  const Einstellungen& settings_;
  FileSystem& fs_;
  const ConversionOptions& options_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t grenze_;       // jobs from here on are not started
  std::size_t erfasst_ = 0;  // jobs recorded so far
  // Recorded runs, kept for the next jobs: a run's buffers are large.
  std::vector<std::unique_ptr<ConversionRun>> frei_;
};

}  // namespace

BatchErgebnis BatchParallelAusfuehren(JobTable& table, const Einstellungen& settings, FileSystem& fs,
                                      const ConversionOptions& options, const Protokoll& log,
                                      BatchAnzeige& anzeige, int jobs) {
  if (jobs <= 1) {
    ConversionRun run(settings, fs, options);
    return BatchAusfuehren(table, run, log, anzeige);
  }

  std::vector<Auftrag> auftraege;
  for (int row = 1; row < table.PlaceholderRow(); ++row) {
    if (table.Cell(row, kSpalteMarkiert) != kMarkeMarkiert) continue;
    Auftrag& auftrag = auftraege.emplace_back();
    auftrag.row = row;
    auftrag.paths[kQuelle] = table.Cell(row, kSpalteQuelldatei);
    auftrag.paths[1] = table.Cell(row, kSpalteZieldatei);
    auftrag.paths[2] = auftrag.paths[1] + ".dxf";
  }
  PlaneReihenfolge(auftraege, fs, options.pathSyntax);

  const std::size_t threads = std::min(auftraege.size(), static_cast<std::size_t>(jobs));
  // A few jobs per worker may wait to be recorded behind a long one.
  Verteiler verteiler(auftraege, 8 * threads, settings, fs, options);
  // This thread records the rows and converts while it waits: one worker
  // fewer to start, and no core has more threads than it can run.
  std::vector<std::thread> workers;
  for (std::size_t i = 1; i < threads; ++i) workers.emplace_back([&] { verteiler.Arbeiten(); });

  BatchErgebnis ergebnis;
  for (std::size_t k = 0; k < auftraege.size(); ++k) {
    std::unique_ptr<ConversionRun> run = verteiler.Abholen(k);
    if (!run) break;
    const int row = auftraege[k].row;
    table.TabelleGeaendert = true;
    ++ergebnis.konvertiert;
    anzeige.ZeileBeginnt(row);
    ZeileAbschliessen(table, row, *run, log, anzeige, ergebnis);
    const bool stopped = run->outcomeCode() == outcome::kStopped;
    verteiler.Erfasst(k, std::move(run));
    if (stopped) {
      ergebnis.abgebrochen = true;
      break;
    }
  }
  for (std::thread& worker : workers) worker.join();
  if (ergebnis.konvertiert == 0) anzeige.MeldungHinzufuegen(kKeineMarkiertenZeilen);
  return ergebnis;
}

}  // namespace morvatex
