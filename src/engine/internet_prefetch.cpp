#include "engine/internet_prefetch.h"

#include <memory>
#include <mutex>
#include <unordered_set>
#include <utility>

#include "engine/internet_check.h"
#include "engine/search_run.h"

namespace urlsmith {

// The collection is a link search of its own with a checker that only notes what it is asked
// (and calls everything valid) and a view that shows nothing. Since the analysis asks the
// checker about every Internet address it meets whatever the verdicts on earlier ones, the
// addresses noted are those the real search asks about. What the collecting search changes in
// the session (rows, fixes, marks, fingerprints) is put back afterwards.
namespace {

class NotingChecker : public InternetChecker {
 public:
  void OpenSession() override {}
  void Reset() override {}
  UrlVerdict CheckInternetUrl(std::string_view url, RunView&) override {
    const std::lock_guard lock(mutex_);
    if (seen_.insert(ToLowerAscii(url)).second) addresses_.emplace_back(url);
    return UrlVerdict::Valid;
  }
  std::vector<std::string> Take() { return std::move(addresses_); }

 private:
  std::mutex mutex_;
  std::unordered_set<std::string> seen_;
  std::vector<std::string> addresses_;
};

// Passes ESC on; everything else is kept from the user.
class CollectingView : public NullRunView {
 public:
  explicit CollectingView(RunView& outer) : outer_(outer) {}
  Poll StopPoll() override {
    const std::lock_guard lock(mutex_);
    if (stopped_ || outer_.StopPoll() == Poll::Stop) stopped_ = true;
    return stopped_ ? Poll::Stop : Poll::Go;
  }
  bool stopped() const { return stopped_; }

 private:
  RunView& outer_;
  std::mutex mutex_;
  bool stopped_ = false;
};

// What a link search changes in the session.
struct RunState {
  std::vector<LinkEntry> linkTable;
  std::vector<std::int32_t> fixList;
  bool tableFull = false;
  int uncheckedInternetChanges = 0;
  std::vector<std::uint64_t> fingerprints;
  std::vector<bool> referenced;
  SavedFromIndex savedFromLookup;

  static RunState Of(const SearchSession& s) {
    RunState r{s.LinkTable,       s.FixList, s.TableFull,      s.UncheckedInternetChanges,
               s.FileFingerprint, {},        s.SavedFromLookup};
    r.referenced.resize(static_cast<std::size_t>(s.FileList.size()));
    for (int i = 0; i < s.FileList.size(); ++i)
      r.referenced[static_cast<std::size_t>(i)] = s.FileList.referenced(i);
    return r;
  }

  void PutBack(SearchSession& s) {
    s.LinkTable = std::move(linkTable);
    s.FixList = std::move(fixList);
    s.TableFull = tableFull;
    s.UncheckedInternetChanges = uncheckedInternetChanges;
    s.FileFingerprint = std::move(fingerprints);
    for (int i = 0; i < s.FileList.size(); ++i)
      s.FileList.SetReferenced(i, referenced[static_cast<std::size_t>(i)]);
    s.SavedFromLookup = std::move(savedFromLookup);
  }
};

}  // namespace

PhaseResult CollectInternetAddresses(SearchSession& session, RunView& view,
                                     std::vector<std::string>& addresses, ReadBuffers* buffers) {
  addresses.clear();
  RunState saved = RunState::Of(session);
  auto noting = std::make_unique<NotingChecker>();
  NotingChecker* notes = noting.get();
  std::unique_ptr<InternetChecker> own = session.ExchangeInternetChecker(std::move(noting));
  const bool checkOff = session.InternetCheckOff;
  session.InternetCheckOff = false;
  CollectingView quiet(view);
  (void)SearchBrokenLinks(session, quiet, buffers);
  session.InternetCheckOff = checkOff;
  addresses = notes->Take();
  session.ExchangeInternetChecker(std::move(own));
  saved.PutBack(session);
  if (quiet.stopped()) {
    addresses.clear();
    return PhaseResult::Stopped;
  }
  return PhaseResult::Completed;
}

PhaseResult CheckInternetAhead(SearchSession& session, RunView& view, ReadBuffers* buffers) {
  InternetChecker* checker = session.internet();
  if (session.InternetCheckOff || checker == nullptr || !checker->ChecksAhead())
    return PhaseResult::Completed;
  std::vector<std::string> addresses;
  view.SetStatus("Collecting Internet addresses ...");
  if (CollectInternetAddresses(session, view, addresses, buffers) == PhaseResult::Stopped)
    return PhaseResult::Stopped;
  if (checker->CheckAhead(addresses, view) == UrlVerdict::Stopped) return PhaseResult::Stopped;
  view.SetKeyStatus(StatusKey::PressEscToStop);
  return PhaseResult::Completed;
}

}  // namespace urlsmith
