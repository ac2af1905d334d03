// The wizard's file list at site scale: adding a folder of 100,000 files through step 2 (the
// core's FolderAdd plus the list model, the scroll range and the counter), side by side with the
// core's FolderAdd alone, in one run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <fstream>

#include "app/dialog_service.h"
#include "app/message_service.h"
#include "app/settings_store.h"
#include "app/steps/file_list_step.h"
#include "app/wizard_frame.h"
#include "engine/file_adds.h"
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
  NoMessages messages;
  SiteChooser dialogs;
  const std::string config = Site() + "-config/Urlsmith.conf";
  const app::SettingsStore settings(QString::fromStdString(config));
  app::FrameSetup setup;
  setup.programFolder = QStringLiteral("/nonexistent/");
  setup.messages = &messages;
  setup.dialogs = &dialogs;
  setup.settings = &settings;
  app::WizardFrame frame(setup);
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

BENCHMARK(BM_FolderAddCore)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FolderAddOnScreen)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  Site();  // made before any timing
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(Site());
  std::filesystem::remove_all(Site() + "-config");
  return 0;
}
