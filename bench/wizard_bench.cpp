// The wizard at site scale, each case side by side with the core alone in one run: adding a
// folder of 100,000 files through step 2 (the core's FolderAdd plus the list model, the scroll
// range and the counter), and the search of step 5 over a generated site of 100,000 files (the
// core's RunSearch plus the run log, the bars and the event processing of the key poll), with
// the longest time the window went without processing its events.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/dialog_service.h"
#include "app/key_poll.h"
#include "app/message_service.h"
#include "app/picture_panel.h"
#include "app/settings_store.h"
#include "app/steps/file_list_step.h"
#include "app/steps/result_lines_model.h"
#include "app/steps/results_step.h"
#include "app/wizard_frame.h"
#include "engine/file_adds.h"
#include "engine/search_run.h"
#include "results/result_list.h"
#include "site_generator.h"
#include "text/file_system.h"

namespace {

using namespace urlsmith;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;

// A site of kFolders x kFilesPerFolder empty files, made once.
const std::string& Site() {
  static const std::string site = [] {
    const std::string root = std::filesystem::temp_directory_path().string() +
                             "/urlsmith-wizard-bench-" + std::to_string(::getpid());
    for (int d = 0; d < kFolders; ++d) {
      const std::string folder = root + "/section" + std::to_string(d);
      std::filesystem::create_directories(folder);
      for (int f = 0; f < kFilesPerFolder; ++f) {
        std::ofstream(folder + "/page" + std::to_string(f) + ".htm");
      }
    }
    // One listing first, so both cases meet a warm folder cache.
    PosixFileSystem fs;
    NullRunView view;
    FileList warm(PathStyle::Posix);
    (void)FolderAdd(warm, fs, view, true, root);
    return root;
  }();
  return site;
}

class NoMessages : public app::MessageService {
 public:
  bool Show(QWidget*, const app::Message&) override { return false; }
};

class SiteChooser : public app::DialogService {
 public:
  std::optional<QStringList> ChooseFiles(QWidget*, const QString&) override { return {}; }
  std::optional<QString> ChooseFolder(QWidget*, const QString&, bool& sub) override {
    sub = true;
    return QString::fromStdString(Site());
  }
  std::optional<QString> ChooseFile(QWidget*, const FileDialogRequest&) override { return {}; }
};

// A wizard frame over a settings file beside the bench site, answering no message.
struct ScreenFrame {
  ScreenFrame() : settings(QString::fromStdString(Site() + "-config/Urlsmith.conf")) {
    app::FrameSetup setup;
    setup.programFolder = QStringLiteral("/nonexistent/");
    setup.messages = &messages;
    setup.dialogs = &dialogs;
    setup.settings = &settings;
    frame = std::make_unique<app::WizardFrame>(setup);
  }
  NoMessages messages;
  SiteChooser dialogs;
  const app::SettingsStore settings;
  std::unique_ptr<app::WizardFrame> frame;
};

// A zero timer fires on every pass of the event loop: the longest gap between two firings is the
// longest time the window could not repaint or move.
class GapMeter {
 public:
  GapMeter() {
    QObject::connect(&pulse_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
    pulse_.start(0);
  }
  // Measures from now on (the time before, spent outside a run, does not count).
  void Restart() {
    clock_.start();
    last_ = 0;
  }
  double longestMs() const { return static_cast<double>(longest_) / 1e6; }

 private:
  QElapsedTimer clock_;
  QTimer pulse_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

void BM_FolderAddCore(benchmark::State& state) {
  PosixFileSystem fs;
  NullRunView view;
  for (auto _ : state) {
    FileList list(PathStyle::Posix);
    const AddResult result = FolderAdd(list, fs, view, true, Site());
    benchmark::DoNotOptimize(result.Added);
  }
  state.counters["files"] = kFolders * kFilesPerFolder;
}

void BM_FolderAddOnScreen(benchmark::State& state) {
  ScreenFrame screen;
  app::WizardFrame& frame = *screen.frame;
  frame.show();
  frame.Next();
  auto* step = static_cast<app::FileListStep*>(frame.page(app::kFileListStep));
  for (auto _ : state) {
    step->AddFolder();
    QCoreApplication::processEvents();  // the list draws the new rows
    state.PauseTiming();
    if (frame.session().FileList.size() != kFolders * kFilesPerFolder) state.SkipWithError("lost");
    step->Clear();
    state.ResumeTiming();
  }
  state.counters["files"] = kFolders * kFilesPerFolder;
}

// A generated site of 100,000 files: 20,000 pages with 20 links each over 80,000 assets.
const std::string& SearchSite() {
  static const std::string site = [] {
    const std::string root = Site() + "-search";
    bench::SiteSpec spec;
    spec.pages = 20'000;
    spec.assets = 80'000 - spec.styleSheets - spec.scripts;
    bench::GenerateSite(root, spec);
    return root;
  }();
  return site;
}

void ListSearchSite(FileList& list) {
  PosixFileSystem fs;
  NullRunView view;
  (void)FolderAdd(list, fs, view, true, SearchSite());
}

void BM_SearchCore(benchmark::State& state) {
  SearchSession session(PathStyle::Posix);
  session.Search.CheckInternetUrls = false;
  ListSearchSite(session.FileList);
  NullRunView view;
  for (auto _ : state) {
    session.CacheReset();
    const SearchResult result = RunSearch(session, view);
    if (result.Outcome != SearchOutcome::Found) state.SkipWithError("nothing found");
  }
  state.counters["files"] = session.FileList.size();
  state.counters["rows"] = session.LinkCount();
}

void BM_SearchOnScreen(benchmark::State& state) {
  ScreenFrame screen;
  app::WizardFrame& frame = *screen.frame;
  frame.session().Search.CheckInternetUrls = false;
  ListSearchSite(frame.session().FileList);
  frame.show();
  for (int step = 0; step < app::kProcessingOptionsStep; ++step)
    frame.Next();
  GapMeter gaps;
  for (auto _ : state) {
    frame.Next();  // step 5: the search starts once the step is drawn
    gaps.Restart();
    do {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (frame.session().SearchBusy || frame.keyPoll().running());
    state.PauseTiming();
    if (!frame.nextButton()->isEnabled()) state.SkipWithError("nothing found");
    frame.Previous();  // back to step 4, which resets the file-level data as the core case does
    state.ResumeTiming();
  }
  state.counters["longest_gap_ms"] = gaps.longestMs();
  state.counters["rows"] = frame.session().LinkCount();
}

// A full table: 262,144 rows with distinct URLs, so the review shows as many lines.
std::vector<LinkEntry> FullTable() {
  std::vector<LinkEntry> rows(262'144);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    LinkEntry& r = rows[i];
    r.TagPos = 10;
    r.ValuePos = 20;
    r.SpanLength = 12;
    r.QuoteLength = 1;
    r.Url = "pages/p" + std::to_string((i * 7919) % rows.size()) + ".htm";
    r.Replacement = i % 3 == 0 ? "" : "\"fixed/" + r.Url + "\"";
  }
  return rows;
}

// The review: a sort choice confirmed, which sorts the table and builds the list again, in memory
// and on screen; over the search site's rows (argument 0) or a full table (argument 1).
void BM_ReviewCore(benchmark::State& state) {
  SearchSession session(PathStyle::Posix);
  session.Search.CheckInternetUrls = false;
  ListSearchSite(session.FileList);
  NullRunView view;
  (void)RunSearch(session, view);
  if (state.range(0) == 1) session.LinkTable = FullTable();
  VectorResultList list;
  ResultStep step(session, list);
  step.Options.AllowLinkDeletion = true;
  int mode = 1;
  for (auto _ : state) {
    ChangeSortMode(step, static_cast<SortModeKind>(mode));
    mode = 3 - mode;
  }
  state.counters["lines"] = list.Count();
}

void BM_ReviewOnScreen(benchmark::State& state) {
  ScreenFrame screen;
  app::WizardFrame& frame = *screen.frame;
  frame.session().Search.CheckInternetUrls = false;
  ListSearchSite(frame.session().FileList);
  frame.show();
  auto settle = [&] {
    do {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (frame.session().SearchBusy || frame.keyPoll().running());
  };
  for (int step = 0; step < app::kResultsStep; ++step) {
    frame.Next();
    settle();
  }
  settle();
  auto* sort = frame.page(app::kResultsStep)->findChild<QComboBox*>("ctl1089");
  if (state.range(0) == 1) frame.session().LinkTable = FullTable();
  frame.review().AllowLinkDeletion = true;
  if (frame.stepIndex() != app::kResultsStep || sort == nullptr) {
    state.SkipWithError("the review was not reached");
    return;
  }
  GapMeter gaps;
  int mode = 1;
  for (auto _ : state) {
    gaps.Restart();
    sort->setCurrentIndex(mode);
    emit sort->activated(mode);
    QCoreApplication::processEvents();  // the list draws its new lines
    mode = 3 - mode;
  }
  state.counters["longest_gap_ms"] = gaps.longestMs();
  state.counters["lines"] =
      static_cast<app::ResultsStep*>(frame.page(app::kResultsStep))->lines().Count();
}

// The step panel's animation: one tick composes the badge canvas and repaints the panel's
// picture; beside it, one repaint of the whole frame. A tick has 10 ms.
void BM_PanelTick(benchmark::State& state) {
  ScreenFrame screen;
  screen.frame->show();
  QCoreApplication::processEvents();
  auto* panel = screen.frame->findChild<app::PicturePanel*>("frame1017");
  int step = 0;
  for (auto _ : state) {
    if (!panel->animating()) panel->ShowStep(step = (step + 1) % 8, true);
    panel->Tick();
    panel->repaint();
  }
}

void BM_FrameRepaint(benchmark::State& state) {
  ScreenFrame screen;
  screen.frame->show();
  QCoreApplication::processEvents();
  for (auto _ : state)
    screen.frame->repaint();
}

BENCHMARK(BM_PanelTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FolderAddCore)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FolderAddOnScreen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SearchCore)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SearchOnScreen)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReviewCore)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_ReviewOnScreen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  Site();  // made before any timing
  SearchSite();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(Site());
  std::filesystem::remove_all(Site() + "-config");
  std::filesystem::remove_all(SearchSite());
  return 0;
}
