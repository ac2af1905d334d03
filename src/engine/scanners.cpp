#include "engine/scanners.h"

namespace urlsmith {

std::string FileLogLine(const std::string& path, Pos size) {
  return path + " (" + std::to_string(size) + " bytes) ... ";
}

namespace {

// Writes the end of a file's log line and returns the row count.
int FinishFile(RunView& view, int rows) {
  view.AppendLogLine(std::to_string(rows) + " change(s) to apply", true);
  return rows;
}

}  // namespace

int ScanPage(SearchSession& session, RunView& view, const TextView& text, const std::string& path,
             int /*fileIndex*/) {
  view.AppendLogLine(FileLogLine(path, text.size), false);
  const int range = 16 + (session.search.ScanScriptsByProtocol ? 1 : 0) +
                    (session.search.ScanEventHandlers ? 1 : 0);
  int position = 0;
  // One step per tag kind, then the style, script and event-handler phases.
  for (; position < range; ++position) {
    view.SetFileProgress(position, range);
    if (view.StopPoll() == Poll::Stop) return -1;
  }
  view.SetFileProgress(position, range);
  return FinishFile(view, 0);
}

int ScanScriptFile(SearchSession& session, RunView& view, const TextView& text,
                   const std::string& path, int /*fileIndex*/) {
  view.AppendLogLine(FileLogLine(path, text.size), false);
  int range = 1 + (session.search.ScanScriptsByProtocol ? 1 : 0);
  if (session.search.ScanScriptsByTag) range += session.search.ScanEventHandlers ? 16 : 15;
  view.SetFileProgress(0, range);
  int position = 1;
  for (; position < range; ++position) {
    view.SetFileProgress(position, range);
    if (view.StopPoll() == Poll::Stop) return -1;
  }
  view.SetFileProgress(position, range);
  return FinishFile(view, 0);
}

int ScanStyleFile(SearchSession& /*session*/, RunView& view, const TextView& text,
                  const std::string& path, int /*fileIndex*/) {
  view.AppendLogLine(FileLogLine(path, text.size), false);
  view.SetFileProgress(0, 1);
  if (view.StopPoll() == Poll::Stop) return -1;
  view.SetFileProgress(1, 1);
  return FinishFile(view, 0);
}

}  // namespace urlsmith
